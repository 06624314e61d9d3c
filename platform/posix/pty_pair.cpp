#include "platform/posix/pty_pair.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

int MakeRaw(int fd) {
    termios t{};
    if (::tcgetattr(fd, &t) != 0) return errno;
    ::cfmakeraw(&t);
    t.c_cflag |= CREAD | CLOCAL;
    return ::tcsetattr(fd, TCSANOW, &t) == 0 ? 0 : errno;
}

int OpenPseudoTerminal(PseudoTerminal& pty) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master < 0) return errno;
    auto fail = [master](int e) {
        ::close(master);
        return e;
    };
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0) return fail(errno);
    char name[128];
    if (::ptsname_r(master, name, sizeof name) != 0) return fail(errno);
    if (int e = MakeRaw(master)) return fail(e);
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slave < 0) return fail(errno);
    const int e = MakeRaw(slave);
    ::close(slave);
    if (e != 0) return fail(e);
    pty.master_fd = master;
    pty.slave_path = name;
    return 0;
}
