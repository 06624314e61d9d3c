#include "platform/posix/dcb_termios.h"

#include <cerrno>
#include <cstdlib>

namespace {

struct RateCode {
    std::uint32_t rate;
    unsigned code;
};
constexpr RateCode kRates[] = {
    {50, B50},         {75, B75},         {110, B110},        {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},        {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},      {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400},  {460800, B460800}, {500000, B500000},
    {576000, B576000}, {921600, B921600}, {1000000, B1000000}};

// Rates a UART may round to; farther off is a refusal.
constexpr double kRateTolerance = 0.03;

}  // namespace

void MakeTermiosRaw(termios2& t) {
    t.c_iflag &= ~static_cast<tcflag_t>(BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON |
                                        IXOFF | IXANY | IUCLC | IMAXBEL | INPCK | IGNPAR);
    // A break would otherwise arrive as a NUL byte in the data; the driver's counters still see
    // it, which is where break events and errors come from.
    t.c_iflag |= IGNBRK;
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
}

int DcbToTermios(const SerialDcb& dcb, termios2& t) {
    if (dcb.BaudRate == 0 || dcb.BaudRate > 16'000'000) return EINVAL;
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2) return EINVAL;

    MakeTermiosRaw(t);

    tcflag_t c = t.c_cflag;
    c &= ~static_cast<tcflag_t>(CBAUD | CBAUDEX | CSIZE | PARENB | PARODD | CMSPAR | CSTOPB |
                                CRTSCTS | (CBAUD << IBSHIFT));
    c |= CREAD | CLOCAL | HUPCL;

    unsigned code = BOTHER;
    for (const RateCode& r : kRates)
        if (r.rate == dcb.BaudRate) code = r.code;
    c |= code;
    t.c_ispeed = dcb.BaudRate;
    t.c_ospeed = dcb.BaudRate;

    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    c |= kSizes[dcb.ByteSize - 5];

    switch (dcb.Parity) {
        case 1:
            c |= PARENB | PARODD;
            break;
        case 2:
            c |= PARENB;
            break;
        case 3:
            c |= PARENB | PARODD | CMSPAR;
            break;  // mark
        case 4:
            c |= PARENB | CMSPAR;
            break;  // space
        default:
            break;
    }
    // Linux has no 1.5 stop bits: one and a half becomes two.
    if (dcb.StopBits != 0) c |= CSTOPB;

    // CRTSCTS couples both directions; DSR flow, DSR sensitivity, DTR handshake, XonLim/XoffLim,
    // continue-on-Xoff, the event character and NUL discarding have no terminal setting.
    if (dcb.fOutxCtsFlow || dcb.fRtsControl == SerialDcb::kRtsControlHandshake) c |= CRTSCTS;
    t.c_cflag = c;

    // With checking on, a byte with a parity error is read as NUL (Linux cannot put the chosen
    // replacement character there); without it, bytes pass as received.
    if (dcb.fParity && dcb.Parity != 0) t.c_iflag |= INPCK;
    if (dcb.fOutX) t.c_iflag |= IXON;
    if (dcb.fInX) t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = static_cast<cc_t>(dcb.XonChar);
    t.c_cc[VSTOP] = static_cast<cc_t>(dcb.XoffChar);
    return 0;
}

bool TermiosKept(const termios2& wanted, const termios2& got) {
    constexpr tcflag_t kFrame = CSIZE | PARENB | CSTOPB | CRTSCTS;
    if ((wanted.c_cflag & kFrame) != (got.c_cflag & kFrame)) return false;
    if ((wanted.c_cflag & PARENB) &&
        (wanted.c_cflag & (PARODD | CMSPAR)) != (got.c_cflag & (PARODD | CMSPAR)))
        return false;
    if ((wanted.c_iflag & (IXON | IXOFF)) != (got.c_iflag & (IXON | IXOFF))) return false;
    const double diff = std::abs(static_cast<double>(got.c_ospeed) - wanted.c_ospeed);
    return diff <= kRateTolerance * wanted.c_ospeed;
}

ControlLines ControlLinesFor(const SerialDcb& dcb) {
    ControlLines lines;
    lines.dtr = dcb.fDtrControl == SerialDcb::kDtrControlEnable ||
                dcb.fDtrControl == SerialDcb::kDtrControlHandshake;
    // Toggle raises RTS only while sending, and this port never sends.
    lines.rts = dcb.fRtsControl == SerialDcb::kRtsControlEnable ||
                dcb.fRtsControl == SerialDcb::kRtsControlHandshake;
    return lines;
}
