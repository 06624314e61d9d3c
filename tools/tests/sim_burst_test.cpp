#include "tools/sim_burst.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

const std::vector<SimPacket> kBurst = {{"ok", {0x01, 0xab}}, {"dropped", {0x0c}}};

TEST(SimBurst, AWrittenBurstIsLoggedAfterItsWriteAsOneWrite) {
    std::ostringstream log;
    std::vector<std::uint8_t> wrote;
    std::string logged_before;
    const bool ok = SendBurst(
        kBurst, 5, 2,
        [&](const std::vector<std::uint8_t>& bytes) {
            logged_before = log.str();
            wrote = bytes;
            return true;
        },
        &log);
    EXPECT_TRUE(ok);
    EXPECT_EQ(logged_before, "");
    EXPECT_EQ(wrote, (std::vector<std::uint8_t>{0x01, 0xab, 0x0c}));
    EXPECT_EQ(log.str(), "5 2 ok 01ab\n6 2 dropped 0c\n");
}

TEST(SimBurst, ABurstWhoseWriteFailedIsLoggedLostWithoutBytes) {
    std::ostringstream log;
    const bool ok = SendBurst(
        kBurst, 0, 0, [](const std::vector<std::uint8_t>&) { return false; }, &log);
    EXPECT_FALSE(ok);
    EXPECT_EQ(log.str(), "0 0 lost\n1 0 lost\n");
}

}  // namespace
