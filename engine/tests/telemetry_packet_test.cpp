#include "engine/telemetry_packet.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/tests/packet_bytes.h"

namespace {

using namespace test_packets;

double RoundedT1(unsigned raw) {
    return DecodeSample(Eight(0, raw, 0, 0), PacketLayout::Eight, true).t1;
}

}  // namespace

TEST(TelemetryPacket, ChecksumIsTheXorOfTheBodyBytes) {
    const auto p = WithChecksum({0x00, 0x58, 0x02, 0x4A, 0x02, 0x18, 0x01, 0x37});
    EXPECT_TRUE(ChecksumOk(p));
    auto bad = p;
    bad[3] ^= 0x01;
    EXPECT_FALSE(ChecksumOk(bad));
    EXPECT_FALSE(ChecksumOk({}));
}

TEST(TelemetryPacket, OutputStringAndHeater) {
    EXPECT_EQ(OutputString(0x12), "_2__5___");
    EXPECT_EQ(OutputString(0), "________");
    EXPECT_EQ(OutputString(255), "12345678");
    EXPECT_TRUE(DecodeSample(Eight(0x02, 600, 600, 450), PacketLayout::Eight, true).heater);
    EXPECT_FALSE(DecodeSample(Eight(0xFD, 600, 600, 450), PacketLayout::Eight, true).heater);
}

TEST(TelemetryPacket, RoundingToTenths) {
    const std::pair<unsigned, double> cases[] = {{600, 37.5}, {601, 37.5}, {602, 37.6},
                                                 {603, 37.7}, {604, 37.7}, {612, 38.2},
                                                 {616, 38.5}, {2, 0.1},    {1, 0.0}};
    for (auto [raw, value] : cases) EXPECT_DOUBLE_EQ(RoundedT1(raw), value) << raw;
    // The largest word must not overflow the tenths computation.
    EXPECT_DOUBLE_EQ(RoundedT1(0xFFFF), 4095.9);
}

TEST(TelemetryPacket, ExactSixteenthsWithoutRounding) {
    const auto s = DecodeSample(Eight(0, 601, 586, 452), PacketLayout::Eight, false);
    EXPECT_DOUBLE_EQ(s.t1, 37.5625);
    EXPECT_DOUBLE_EQ(s.t1_alarm, 375.625);
    EXPECT_DOUBLE_EQ(s.t2, 36.625);
    EXPECT_DOUBLE_EQ(s.t3, 28.25);
    const auto texts = FormatSample(s, false);
    EXPECT_EQ(texts.panel1, "37,5625°C");
    EXPECT_EQ(texts.t1, "37,5625");
    EXPECT_EQ(texts.t2, "36,6250");
    EXPECT_EQ(texts.t3, "28,3");  // T3 always with one decimal
}

TEST(TelemetryPacket, NineByteLayoutTakesT3InTenthsAndHumidityFromThePacket) {
    const auto p = WithChecksum({0x00, 0x58, 0x02, 0x4A, 0x02, 0x18, 0x01, 0x37});
    for (bool rounding : {true, false}) {
        const auto s = DecodeSample(p, PacketLayout::Nine, rounding);
        EXPECT_DOUBLE_EQ(s.t3, 28.0);
        EXPECT_EQ(s.hm, 55);
        EXPECT_EQ(FormatSample(s, rounding).label_t3hm, "28°C\r\n55%");
    }
}

TEST(TelemetryPacket, EightByteLayoutLooksTheHumidityUp) {
    EXPECT_EQ(DecodeSample(Eight(0, 600, 600, 456), PacketLayout::Eight, true).hm, 49);
    const auto below = DecodeSample(Eight(0, 560, 600, 456), PacketLayout::Eight, true);
    EXPECT_EQ(below.hm, -1);
    EXPECT_EQ(FormatSample(below, true).label_t3hm, "28,5°C\r\n-1%");
}

TEST(TelemetryPacket, TestPacketsCarryACorrectChecksumAndPlausibleValues) {
    std::mt19937 rng(7);
    for (int i = 0; i < 200; ++i) {
        for (auto layout : {PacketLayout::Eight, PacketLayout::Nine}) {
            const auto p = MakeTestPacket(layout, rng);
            const std::span<const std::uint8_t> packet(p.data(), PacketLength(layout));
            ASSERT_TRUE(ChecksumOk(packet));
            const auto s = DecodeSample(packet, layout, false);
            EXPECT_GE(s.t1, 32.0);
            EXPECT_LT(s.t1, 39.0);
            if (layout == PacketLayout::Nine) {
                EXPECT_GE(s.hm, 30);
                EXPECT_LE(s.hm, 34);
            }
        }
    }
}

TEST(TelemetryPacket, PossibleReadingsAreWhatASensorReadsFromMinus55To125Degrees) {
    using L = PacketLayout;
    // Sixteenths, the words signed: 2000 is 125 degrees, 0xFC90 is -55, 0xFFFF is -0.0625.
    EXPECT_TRUE(ReadingsPossible(Eight(0, 2000, 0xFC90, 0xFFFF), L::Eight));
    EXPECT_FALSE(ReadingsPossible(Eight(0, 2001, 600, 450), L::Eight));
    EXPECT_FALSE(ReadingsPossible(Eight(0, 600, 0xFC8F, 450), L::Eight));
    EXPECT_FALSE(ReadingsPossible(Eight(0, 600, 600, 0x7FFF), L::Eight));
    // T3 of the 9-byte layout is in tenths: 1250 and -550 are the ends.
    EXPECT_TRUE(ReadingsPossible(Nine(0, 600, 600, 1250, 50), L::Nine));
    EXPECT_TRUE(ReadingsPossible(Nine(0, 600, 600, 0x10000 - 550, 50), L::Nine));
    EXPECT_FALSE(ReadingsPossible(Nine(0, 600, 600, 1251, 50), L::Nine));
    EXPECT_FALSE(ReadingsPossible(Nine(0, 600, 600, 0x10000 - 551, 50), L::Nine));
    EXPECT_TRUE(ReadingsPossible(Eight(0, 600, 600, 1251), L::Eight));  // 78.2 in sixteenths
}
