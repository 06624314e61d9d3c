#include "tools/sim_damage.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const std::vector<std::uint8_t> kPacket = {0x02, 0x56, 0x02, 0x53, 0x02, 0xcd, 0x01, 0xcb};

TEST(SimDamage, AHeadLostPacketIsATailOfItAndEveryLengthOfHeadIsLost) {
    std::mt19937 rng(5);
    std::set<std::size_t> lost;
    for (int i = 0; i < 400; ++i) {
        const SimPacket p = DamagePacket(kPacket, {.lose_head = 100}, rng);
        EXPECT_EQ(p.status, "dropped");
        ASSERT_TRUE(p.wire.size() >= 1 && p.wire.size() < kPacket.size());
        EXPECT_TRUE(std::equal(p.wire.begin(), p.wire.end(),
                               kPacket.end() - static_cast<long>(p.wire.size())));
        lost.insert(kPacket.size() - p.wire.size());
    }
    EXPECT_EQ(lost, (std::set<std::size_t>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(SimDamage, FaultsNotAskedForDrawNoRandomNumbers) {
    // A seed gives the same stream as before the head loss was there to ask for.
    std::mt19937 rng(9), untouched(9);
    const SimPacket p = DamagePacket(kPacket, {}, rng);
    EXPECT_EQ(p.status, "ok");
    EXPECT_EQ(p.wire, kPacket);
    EXPECT_EQ(rng, untouched);

    const SimPacket spoilt = DamagePacket(kPacket, {.bad_checksum = 100}, rng);
    EXPECT_EQ(spoilt.status, "bad-checksum");
    EXPECT_EQ(spoilt.wire.back(), kPacket.back() ^ 0x5A);
}

}  // namespace
