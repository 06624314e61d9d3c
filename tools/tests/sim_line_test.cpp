// incubator-sim's serial device side, on a pseudo-terminal standing in for a device.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/posix/tests/pty_fixture.h"
#include "tools/sim_line.h"

namespace {

TEST(SimLine, ADeviceOpensAtEveryRateTheMonitorOffers) {
    Pty pty;
    for (unsigned baud : {110u, 4800u, 14400u, 56000u, 57600u, 128000u, 256000u}) {
        SimLine line;
        EXPECT_EQ(SimLine::OpenDevice(line, pty.Path(), baud), 0) << baud;
    }
}

TEST(SimLine, ADeviceIsRawSoWhatItWritesArrivesUnchanged) {
    Pty pty;
    SimLine line;
    ASSERT_EQ(SimLine::OpenDevice(line, pty.Path(), 14400), 0);
    const std::vector<std::uint8_t> bytes = {0x0a, 0x0d, 0x00, 0xff, 0x7f};
    ASSERT_TRUE(line.WriteAll(bytes));
    ::usleep(50'000);
    EXPECT_EQ(pty.ReadBack(), bytes);
}

TEST(SimLine, AMissingDeviceOrRateZeroIsRefused) {
    SimLine line;
    EXPECT_EQ(SimLine::OpenDevice(line, "/nonexistent/ttyX", 4800), ENOENT);
    Pty pty;
    EXPECT_EQ(SimLine::OpenDevice(line, pty.Path(), 0), EINVAL);
}

}  // namespace
