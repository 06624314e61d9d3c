#include "platform/posix/raw_line.h"

#include <sys/ioctl.h>

#include <cerrno>

#include "platform/posix/dcb_termios.h"

namespace {

int Ioctl(int fd, unsigned long request, void* arg) {
    for (;;) {
        if (::ioctl(fd, request, arg) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

}  // namespace

int MakeLineRaw(int fd) {
    termios2 t{};
    if (int e = Ioctl(fd, TCGETS2, &t)) return e;
    MakeTermiosRaw(t);
    return Ioctl(fd, TCSETS2, &t);
}

int SetRawLineAt(int fd, std::uint32_t baud) {
    SerialDcb dcb;
    dcb.BaudRate = baud;
    dcb.fBinary = 1;
    dcb.ByteSize = 8;
    termios2 wanted{};
    if (int e = Ioctl(fd, TCGETS2, &wanted)) return e;
    if (int e = DcbToTermios(dcb, wanted)) return e;
    wanted.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    if (int e = Ioctl(fd, TCSETS2, &wanted)) return e;
    termios2 got{};
    if (int e = Ioctl(fd, TCGETS2, &got)) return e;
    return TermiosKept(wanted, got) ? 0 : EINVAL;
}
