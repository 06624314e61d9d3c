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

TEST(SimBurst, AnAdaptersPiecesCutEveryPacketAndKeepEveryByteInOrder) {
    std::mt19937 rng(3);
    const std::vector<SimPacket> burst = {{"ok", {1, 2, 3, 4, 5, 6, 7, 8}},
                                          {"dropped", {9}},
                                          {"ok", {10, 11, 12, 13, 14, 15, 16, 17}},
                                          {"bad-checksum", {18, 19, 20, 21, 22, 23, 24, 25}}};
    for (int run = 0; run < 50; ++run) {
        const auto pieces = CutLikeAnAdapter(burst, rng);
        ASSERT_EQ(pieces.size(), 4u);  // the three packets of more than one byte are cut
        std::vector<std::uint8_t> joined;
        std::vector<std::size_t> ends;  // where each piece ends in the burst
        for (const auto& piece : pieces) {
            joined.insert(joined.end(), piece.begin(), piece.end());
            ends.push_back(joined.size());
        }
        EXPECT_EQ(joined,
                  (std::vector<std::uint8_t>{1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                                             14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}));
        EXPECT_TRUE(ends[0] > 0 && ends[0] < 8);
        EXPECT_TRUE(ends[1] > 9 && ends[1] < 17);
        EXPECT_TRUE(ends[2] > 17 && ends[2] < 25);
    }
}

}  // namespace
