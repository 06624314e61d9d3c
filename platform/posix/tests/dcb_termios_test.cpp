#include "platform/posix/dcb_termios.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

// The DCB of the monitor's port: 4800 baud, 8N1, no flow control.
SerialDcb MonitorDcb() {
    SerialDcb d;
    d.DCBlength = 28;
    d.BaudRate = 4800;
    d.fBinary = 1;
    d.ByteSize = 8;
    d.XonChar = 17;
    d.XoffChar = 19;
    d.XonLim = d.XoffLim = 256;
    return d;
}

// A terminal as a shell leaves it: line editing, echo, translation, output processing.
termios2 Cooked() {
    termios2 t{};
    t.c_iflag = ICRNL | IXON | BRKINT | IMAXBEL;
    t.c_oflag = OPOST | ONLCR;
    t.c_cflag = B38400 | CS7 | PARENB | CREAD;
    t.c_lflag = ICANON | ECHO | ISIG | IEXTEN | ECHOE;
    t.c_cc[VMIN] = 0;
    return t;
}

termios2 Mapped(const SerialDcb& dcb) {
    termios2 t = Cooked();
    EXPECT_EQ(DcbToTermios(dcb, t), 0);
    return t;
}

TEST(DcbTermios, MonitorSettingsGiveARawEightNOneLine) {
    const termios2 t = Mapped(MonitorDcb());
    EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(B4800));
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(t.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(t.c_cflag & (CREAD | CLOCAL), static_cast<tcflag_t>(CREAD | CLOCAL));
    EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | BRKINT | INPCK), 0u);
    // A break must not reach the data as a NUL byte (the driver still counts it).
    EXPECT_EQ(t.c_iflag & IGNBRK, static_cast<tcflag_t>(IGNBRK));
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_cc[VMIN], 1);
    EXPECT_EQ(t.c_ispeed, 4800u);
}

TEST(DcbTermios, RatesWithoutAConstantAreSetAsOtherRates) {
    for (std::uint32_t rate : {14400u, 56000u, 128000u, 256000u, 31250u}) {
        SerialDcb d = MonitorDcb();
        d.BaudRate = rate;
        const termios2 t = Mapped(d);
        EXPECT_EQ(t.c_cflag & CBAUD, static_cast<tcflag_t>(BOTHER)) << rate;
        EXPECT_EQ(t.c_ospeed, rate);
        EXPECT_EQ(t.c_ispeed, rate);
    }
    SerialDcb d = MonitorDcb();
    d.BaudRate = 115200;
    EXPECT_EQ(Mapped(d).c_cflag & CBAUD, static_cast<tcflag_t>(B115200));
}

TEST(DcbTermios, DataBitsParityAndStopBits) {
    static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
    for (std::uint8_t bits = 5; bits <= 8; ++bits) {
        SerialDcb d = MonitorDcb();
        d.ByteSize = bits;
        EXPECT_EQ(Mapped(d).c_cflag & CSIZE, kSizes[bits - 5]);
    }
    const tcflag_t kParity = PARENB | PARODD | CMSPAR;
    const tcflag_t expected[] = {0, PARENB | PARODD, PARENB, PARENB | PARODD | CMSPAR,
                                 PARENB | CMSPAR};
    for (std::uint8_t p = 0; p <= 4; ++p) {
        SerialDcb d = MonitorDcb();
        d.Parity = p;
        EXPECT_EQ(Mapped(d).c_cflag & kParity, expected[p]) << int(p);
    }
    for (std::uint8_t s = 0; s <= 2; ++s) {
        SerialDcb d = MonitorDcb();
        d.StopBits = s;
        // One and a half stop bits become two.
        EXPECT_EQ((Mapped(d).c_cflag & CSTOPB) != 0, s != 0);
    }
}

TEST(DcbTermios, ParityCheckingOnlyWithAParity) {
    SerialDcb d = MonitorDcb();
    d.fParity = 1;
    EXPECT_EQ(Mapped(d).c_iflag & INPCK, 0u);
    d.Parity = 2;
    EXPECT_NE(Mapped(d).c_iflag & INPCK, 0u);
}

TEST(DcbTermios, FlowControl) {
    SerialDcb d = MonitorDcb();
    d.fOutxCtsFlow = 1;
    EXPECT_NE(Mapped(d).c_cflag & CRTSCTS, 0u);
    d = MonitorDcb();
    d.fRtsControl = SerialDcb::kRtsControlHandshake;
    EXPECT_NE(Mapped(d).c_cflag & CRTSCTS, 0u);
    d = MonitorDcb();
    d.fOutX = 1;
    d.fInX = 1;
    d.XonChar = 'Q';
    d.XoffChar = 'S';
    const termios2 t = Mapped(d);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    EXPECT_EQ(t.c_cc[VSTART], 'Q');
    EXPECT_EQ(t.c_cc[VSTOP], 'S');
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
}

TEST(DcbTermios, SettingsNoTerminalTakesAreRefused) {
    termios2 t = Cooked();
    SerialDcb d = MonitorDcb();
    d.ByteSize = 9;
    EXPECT_EQ(DcbToTermios(d, t), EINVAL);
    d = MonitorDcb();
    d.BaudRate = 0;
    EXPECT_EQ(DcbToTermios(d, t), EINVAL);
    d = MonitorDcb();
    d.Parity = 5;
    EXPECT_EQ(DcbToTermios(d, t), EINVAL);
}

TEST(DcbTermios, ADeviceThatDroppedParityOrRoundedTheRateFarDidNotKeepTheSettings) {
    SerialDcb d = MonitorDcb();
    d.Parity = 2;
    d.ByteSize = 7;
    const termios2 wanted = Mapped(d);
    termios2 pty = wanted;  // what a pseudo-terminal makes of it
    pty.c_cflag = (pty.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB)) | CS8;
    EXPECT_FALSE(TermiosKept(wanted, pty));
    EXPECT_TRUE(TermiosKept(wanted, wanted));

    termios2 rounded = wanted;
    rounded.c_ospeed = 4790;
    EXPECT_TRUE(TermiosKept(wanted, rounded));
    rounded.c_ospeed = 4000;
    EXPECT_FALSE(TermiosKept(wanted, rounded));
}

TEST(DcbTermios, ControlLinesFollowTheDcb) {
    SerialDcb d = MonitorDcb();
    EXPECT_FALSE(ControlLinesFor(d).dtr);
    EXPECT_FALSE(ControlLinesFor(d).rts);
    d.fDtrControl = SerialDcb::kDtrControlEnable;
    d.fRtsControl = SerialDcb::kRtsControlToggle;
    EXPECT_TRUE(ControlLinesFor(d).dtr);
    EXPECT_FALSE(ControlLinesFor(d).rts);
    d.fRtsControl = SerialDcb::kRtsControlEnable;
    EXPECT_TRUE(ControlLinesFor(d).rts);
}

}  // namespace
