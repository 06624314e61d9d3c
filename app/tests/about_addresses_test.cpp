// The about window's addresses: the documents installed beside the program.

#include "app/about_addresses.h"

#include <gtest/gtest.h>

namespace {

TEST(AboutAddresses, PointIntoThePrefixOfTheProgram) {
    EXPECT_EQ(AboutAddressesFor("/usr/bin/incubator-monitor"),
              (AboutAddresses{"file:///usr/share/doc/incubator-monitor/README.md",
                              "file:///usr/share/doc/incubator-monitor/chart/",
                              "file:///usr/share/doc/incubator-monitor/serial/",
                              "file:///usr/share/doc/incubator-monitor/tray/"}));
    EXPECT_EQ(AboutAddressesFor("/home/вася/.local/bin/incubator-monitor").home,
              "file:///home/вася/.local/share/doc/incubator-monitor/README.md");
    EXPECT_EQ(AboutAddressesFor("/incubator-monitor").tray,
              "file:///share/doc/incubator-monitor/tray/");
}

TEST(AboutAddresses, EscapeOnlyWhatWouldChangeTheAddress) {
    EXPECT_EQ(FileAddress("/opt/a b/100%/#1?/x"), "file:///opt/a b/100%25/%231%3F/x");
}

}  // namespace
