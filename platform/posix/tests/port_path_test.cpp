#include "platform/posix/port_path.h"

#include <gtest/gtest.h>

namespace {

TEST(PortPath, ComNamesAreSerialPortsCountedFromZero) {
    EXPECT_EQ(ResolvePortPath("COM1", "/dev"), "/dev/ttyS0");
    EXPECT_EQ(ResolvePortPath("COM12", "/dev"), "/dev/ttyS11");
    EXPECT_EQ(ResolvePortPath("com3", "/dev"), "/dev/ttyS2");
}

TEST(PortPath, OtherNamesAreFilesOfTheDeviceFolder) {
    EXPECT_EQ(ResolvePortPath("ttyUSB0", "/dev"), "/dev/ttyUSB0");
    EXPECT_EQ(ResolvePortPath("COM0", "/dev"), "/dev/COM0");
    EXPECT_EQ(ResolvePortPath("COM1x", "/dev"), "/dev/COM1x");
    EXPECT_EQ(ResolvePortPath("COM", "/dev"), "/dev/COM");
    EXPECT_EQ(ResolvePortPath("COM1", "/tmp/fake/"), "/tmp/fake/ttyS0");
}

TEST(PortPath, AbsolutePathsAreUsedAsTheyAre) {
    EXPECT_EQ(ResolvePortPath("/dev/pts/7", "/elsewhere"), "/dev/pts/7");
}

}  // namespace
