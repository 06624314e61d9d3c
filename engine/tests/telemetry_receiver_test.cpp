#include "engine/telemetry_receiver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <tuple>
#include <vector>

#include "engine/history_recorder.h"
#include "engine/tests/packet_bytes.h"

namespace {

using namespace test_packets;

const Bytes kExample = Nine(0x00, 600, 586, 280, 55);
const Bytes kExample8 = Eight(0x00, 600, 586, 456);

// The engine's side: a display of lines, the balloons it was asked to show, and a chart's
// history listening.
struct Display : TelemetrySink {
    HistoryRecorder recorder;
    std::vector<std::string> lines;
    std::vector<TelemetrySample> samples;
    int balloons = 0;
    int rollovers = 0;

    void ChecksumMismatch() override { ++balloons; }
    std::size_t LineCount() const override { return lines.size(); }
    void SampleDecoded(const TelemetrySample& s) override {
        samples.push_back(s);
        recorder.SampleReceived(s);
        lines.push_back(s.record_line);
        if (s.display_full) {
            ++rollovers;
            lines.clear();
        }
    }
};

class Receiver : public ::testing::Test {
  protected:
    EngineSettings settings;
    AlarmLimits limits;
    AlarmFlags alarms;
    PendingLines pending;
    const std::string& save_buffer = pending.Text();
    Display display;
    const SampleHistory& history = display.recorder.History();
    TelemetryReceiver rx{{settings, limits, alarms, pending, [] {
                              return SystemTimeOf({2026, 12, 6, 12, 34, 56});
                          }}};

    void Read(const Bytes& bytes) { rx.Receive(bytes, display); }
    // A packet as the controller sends them, a second after the one before.
    void ASecondLater(const Bytes& bytes) { rx.Receive(bytes, display, std::chrono::seconds(1)); }

    // One receive event of `count` waiting bytes, served by a port that hands out at most
    // `per_read` bytes per ReadBytes call.
    void Event(const Bytes& bytes, std::size_t per_read = 1000) {
        std::size_t at = 0;
        rx.ReceiveEvent(
            bytes.size(),
            [&](std::uint8_t* buf, std::size_t size) {
                EXPECT_LE(size, TelemetryReceiver::kReadChunk);
                const std::size_t n = std::min({size, per_read, bytes.size() - at});
                std::copy_n(bytes.begin() + at, n, buf);
                at += n;
                return n;
            },
            display);
        EXPECT_EQ(at, bytes.size()) << "every waiting byte is read";
    }
};

}  // namespace

TEST_F(Receiver, ExamplePacketWithRounding) {
    settings.SHT10 = true;
    Read(kExample);
    ASSERT_EQ(display.samples.size(), 1u);
    const auto& s = display.samples[0];
    EXPECT_EQ(s.texts.panel1, "37,5°C");
    EXPECT_EQ(s.texts.panel2, "36,6°C");
    EXPECT_EQ(s.texts.label_t3hm, "28°C\r\n55%");
    EXPECT_EQ(s.record_line, "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=________  06.12.26 12:34:56");
}

TEST_F(Receiver, ExamplePacketWithoutRounding) {
    settings.SHT10 = true;
    settings.Okruglenie = false;
    Read(kExample);
    ASSERT_EQ(display.lines.size(), 1u);
    EXPECT_EQ(display.lines[0].rfind("T1=37,5000  T2=36,6250  T3=28,0  HM=55  ", 0), 0u)
        << display.lines[0];
}

TEST_F(Receiver, ChecksumMismatchChangesNothingButShowsTheWarning) {
    settings.SHT10 = true;
    Bytes bad = kExample;
    bad[2] ^= 0x10;
    limits.LimitHMHi = 10;  // would alarm if the packet were taken
    Read(bad);
    EXPECT_EQ(display.balloons, 1);
    EXPECT_TRUE(display.lines.empty());
    EXPECT_FALSE(alarms.AlarmHM);
    EXPECT_TRUE(save_buffer.empty());
    EXPECT_EQ(history.HistT1[0], 0.0);
}

TEST_F(Receiver, AlarmBoundsAreInclusive) {
    settings.Okruglenie = false;  // 601 -> 375.625 tenths
    limits.LimitT1Low = 350;
    limits.LimitT1Hi = 375;
    ASecondLater(Eight(0, 601, 600, 456));
    EXPECT_TRUE(alarms.AlarmT1);

    alarms = {};
    limits.LimitT1Hi = 376;
    ASecondLater(Eight(0, 601, 600, 456));
    EXPECT_FALSE(alarms.AlarmT1);

    alarms = {};
    settings.Okruglenie = true;  // 601 -> 375 tenths, equal to the limit
    limits.LimitT1Hi = 375;
    ASecondLater(Eight(0, 601, 600, 456));
    EXPECT_TRUE(alarms.AlarmT1);
    EXPECT_FALSE(alarms.AlarmT2);

    alarms = {};
    limits.LimitT2Low = 375;  // T2 600 -> 375 tenths: on the lower bound
    // T1 jumps: the packet is taken once the next one shows it is no leftover of lost bytes.
    ASecondLater(Eight(0, 500, 600, 456));
    ASecondLater(Eight(0, 500, 600, 456));
    EXPECT_TRUE(alarms.AlarmT2);
    EXPECT_TRUE(alarms.AlarmT1);  // 500 -> 312 tenths, below 350
}

TEST_F(Receiver, HumidityBelowTheTableRaisesTheAlarmAndIsStoredAs255) {
    alarms.AlarmNoData = true;
    Read(Eight(0x12, 560, 600, 456));
    ASSERT_EQ(display.samples.size(), 1u);
    EXPECT_EQ(display.samples[0].values.hm, -1);
    EXPECT_NE(display.lines[0].find("  HM=-1  OUT=_2__5___  "), std::string::npos);
    EXPECT_EQ(display.samples[0].texts.label_t3hm, "28,5°C\r\n-1%");
    EXPECT_TRUE(alarms.AlarmHM);
    EXPECT_FALSE(alarms.AlarmNoData);  // every receive event clears it
    EXPECT_EQ(history.HistHM[0], 255);
    EXPECT_EQ(history.HistHeater[0], 1);
    EXPECT_DOUBLE_EQ(history.HistT1[0], 35.0);
}

TEST_F(Receiver, HistoryIndexIsTheNumberOfDisplayLinesBefore) {
    display.lines.assign(41, "a line typed by the user");
    Read(Concat({Eight(0, 600, 586, 456), Eight(0x02, 601, 587, 457)}));
    ASSERT_EQ(display.samples.size(), 2u);
    EXPECT_EQ(display.samples[0].history_index, 41u);
    EXPECT_EQ(display.samples[1].history_index, 42u);
    EXPECT_DOUBLE_EQ(history.HistT1[41], 37.5);
    EXPECT_DOUBLE_EQ(history.HistT2[42], 36.7);
    EXPECT_EQ(history.HistHeater[42], 1);
    EXPECT_EQ(history.HistHeater[41], 0);
}

TEST_F(Receiver, SaveBufferOnlyWhileAutosaveIsOn) {
    settings.AutosaveMinutes = 0;
    Read(Eight(0, 600, 586, 456));
    EXPECT_TRUE(save_buffer.empty());
    settings.AutosaveMinutes = 10;
    Read(Eight(0, 600, 586, 456));
    EXPECT_EQ(save_buffer, "\r\n" + display.lines[1]);
}

TEST_F(Receiver, TheDisplayRollsOverAtTheHistoryCapacity) {
    display.lines.assign(HISTORY_CAPACITY - 2, "x");
    Read(Concat({Eight(0, 600, 586, 456), Eight(0, 601, 586, 456), Eight(0, 602, 586, 456)}));
    ASSERT_EQ(display.samples.size(), 3u);
    EXPECT_FALSE(display.samples[0].display_full);
    EXPECT_TRUE(display.samples[1].display_full);  // the 87,000th line
    EXPECT_EQ(display.rollovers, 1);
    // The roll-over fell between two packets of one read: the third starts again at 0.
    EXPECT_EQ(display.samples[2].history_index, 0u);
    EXPECT_DOUBLE_EQ(history.HistT1[HISTORY_CAPACITY - 1], 37.5);
    EXPECT_DOUBLE_EQ(history.HistT1[0], 37.6);
}

TEST_F(Receiver, ADisplayLongerThanTheHistoryNeverWritesPastIt) {
    display.lines.assign(HISTORY_CAPACITY + 5, "loaded");
    Read(Eight(0, 600, 586, 456));
    ASSERT_EQ(display.samples.size(), 1u);
    EXPECT_EQ(display.samples[0].history_index, HISTORY_CAPACITY + 5);
    EXPECT_TRUE(display.samples[0].display_full);
}

TEST_F(Receiver, FragmentedPacketsAreAssembled) {
    settings.SHT10 = true;
    for (auto b : kExample) Read({b});
    EXPECT_EQ(display.lines.size(), 1u);

    Read(Bytes(kExample.begin(), kExample.begin() + 5));
    EXPECT_EQ(display.lines.size(), 1u);
    EXPECT_EQ(rx.PendingBytes(), 5u);
    Read(Bytes(kExample.begin() + 5, kExample.end()));
    EXPECT_EQ(display.lines.size(), 2u);
    EXPECT_EQ(display.balloons, 0);
}

TEST_F(Receiver, SilenceDropsAPartialPacket) {
    settings.SHT10 = true;
    Read(Bytes(kExample.begin(), kExample.begin() + 5));
    rx.ResetAssembly();  // the receive-reset timer after 500 ms
    Read(kExample);
    EXPECT_EQ(display.lines.size(), 1u);
    EXPECT_EQ(display.balloons, 0);
    EXPECT_EQ(rx.PendingBytes(), 0u);
}

TEST_F(Receiver, SeveralPacketsInOneReadAreAllDecoded) {
    settings.SHT10 = true;
    Read(Concat({kExample, kExample}));
    EXPECT_EQ(display.lines.size(), 2u);

    // A packet and a half: the half stays for the next read.
    Read(Concat({kExample, Bytes(kExample.begin(), kExample.begin() + 4)}));
    EXPECT_EQ(display.lines.size(), 3u);
    EXPECT_EQ(rx.PendingBytes(), 4u);
    Read(Bytes(kExample.begin() + 4, kExample.end()));
    EXPECT_EQ(display.lines.size(), 4u);
    EXPECT_EQ(display.balloons, 0);
}

TEST_F(Receiver, ALargeReadIsReadInChunksAndLosesNoPacket) {
    settings.SHT10 = true;
    Bytes stream;
    for (int i = 0; i < 112; ++i) stream.insert(stream.end(), kExample.begin(), kExample.end());
    stream.resize(1000);  // 111 whole packets and one byte
    Event(stream, 97);    // a port that returns fewer bytes than asked
    EXPECT_EQ(display.lines.size(), 111u);
    EXPECT_EQ(rx.PendingBytes(), 1u);
    EXPECT_EQ(display.balloons, 0);
}

// Heater on at 37.5 degrees: T1's high byte equals the outputs byte, and bytes read out of step
// pass the checksum whenever two packets begin alike.
Bytes HeaterPacket(PacketLayout layout, int i) {
    return layout == PacketLayout::Nine ? Nine(0x02, 600 + i % 3, 590, 285, 55)
                                        : Eight(0x02, 600 + i % 3, 590, 450);
}

TEST_F(Receiver, ALostOrSpoiltByteCostsOnlyItsOwnPacketWhereverTheReadsEnd) {
    for (const PacketLayout layout : {PacketLayout::Eight, PacketLayout::Nine}) {
        settings.SHT10 = layout == PacketLayout::Nine;
        const std::size_t length = PacketLength(layout);
        // Packet 11 loses byte j (or has it spoilt); the reads are an adapter's chunks of 5.
        // A lost 0x02 (T1's high byte) leaves a window that passes the checksum, as the next
        // packet begins with it.
        for (std::size_t j = 0; j < length; ++j) {
            for (const bool lost : {true, false}) {
                Bytes stream;
                std::vector<Bytes> expected;
                for (int i = 0; i < 30; ++i) {
                    Bytes p = HeaterPacket(layout, i);
                    if (i == 11 && lost) p.erase(p.begin() + static_cast<long>(j));
                    if (i == 11 && !lost) p[j] ^= 0x40;
                    if (i != 11) expected.push_back(p);
                    stream.insert(stream.end(), p.begin(), p.end());
                }
                rx.ResetAssembly();
                display = {};
                for (std::size_t at = 0; at < stream.size(); at += 5)
                    Read(
                        Bytes(stream.begin() + static_cast<long>(at),
                              stream.begin() + static_cast<long>(std::min(at + 5, stream.size()))));
                ASSERT_EQ(display.samples.size(), expected.size())
                    << "byte " << j << " lost " << lost;
                for (std::size_t i = 0; i < expected.size(); ++i) {
                    const DecodedSample& v = display.samples[i].values;
                    const DecodedSample want = DecodeSample(expected[i], layout, true);
                    EXPECT_EQ(
                        std::tie(v.outputs, v.t1_raw, v.t2_raw, v.t3_raw, v.hm),
                        std::tie(want.outputs, want.t1_raw, want.t2_raw, want.t3_raw, want.hm))
                        << "byte " << j << " lost " << lost << " sample " << i;
                }
                EXPECT_EQ(display.balloons, 1);
                EXPECT_EQ(rx.PendingBytes(), 0u);
            }
        }
    }
}

TEST_F(Receiver, BytesAfterASilenceLongerThanTheResyncGapBeginAPacket) {
    using std::chrono::milliseconds;
    settings.SHT10 = true;
    const Bytes head(kExample.begin(), kExample.begin() + 4),
        tail(kExample.begin() + 4, kExample.end());
    // An adapter hands a packet over in chunks up to 16 ms apart: one packet.
    rx.Receive(head, display, milliseconds(900));
    rx.Receive(tail, display, milliseconds(16));
    EXPECT_EQ(display.lines.size(), 1u);
    // 40 ms are not longer than the gap.
    rx.Receive(head, display, milliseconds(900));
    rx.Receive(tail, display, TelemetryReceiver::kResyncGap);
    EXPECT_EQ(display.lines.size(), 2u);
    // Part of a packet, then a silence: the next packet begins after it.
    rx.Receive(head, display, milliseconds(900));
    rx.Receive(kExample, display, milliseconds(41));
    EXPECT_EQ(display.lines.size(), 3u);
    EXPECT_EQ(display.balloons, 0);
    EXPECT_EQ(rx.PendingBytes(), 0u);
    EXPECT_EQ(rx.CutPackets(), 1u);
    // Even when the bytes after the silence would make the partial packet whole: a packet's
    // pieces further apart than the gap are lost, each piece counted.
    rx.Receive(head, display, milliseconds(900));
    rx.Receive(tail, display, milliseconds(60));
    EXPECT_EQ(display.lines.size(), 3u);
    EXPECT_EQ(rx.CutPackets(), 2u);

    // A hunt that waited for more bytes takes, at the silence, a packet it already holds:
    // two bytes lost, the read ends after the next packet (14 bytes, the nearer places need 15).
    settings.SHT10 = false;
    const Bytes good = Eight(0x12, 601, 590, 450);
    Bytes damaged = Eight(0x12, 600, 590, 450);
    damaged.erase(damaged.begin() + 2, damaged.begin() + 4);
    rx.Receive(Concat({damaged, good}), display, milliseconds(900));
    EXPECT_EQ(display.lines.size(), 3u);
    rx.Receive(kExample8, display, milliseconds(900));
    ASSERT_EQ(display.lines.size(), 5u);
    EXPECT_EQ(display.samples[3].values.t1_raw, 601);
    EXPECT_EQ(display.balloons, 1);
}

TEST_F(Receiver, ImpossibleReadingsWhereAPacketIsDueStillReachTheAlarms) {
    using std::chrono::milliseconds;
    limits.LimitT1Hi = 390;
    const Bytes broken = Eight(0x02, 0x7FFF, 590, 450);  // T1 reads 2047.9 degrees
    ASSERT_FALSE(ReadingsPossible(broken, PacketLayout::Eight));
    // After the opening, after a silence, alone after a good packet, and in a burst after one.
    Read(broken);
    rx.Receive(broken, display, milliseconds(900));
    Read(kExample8);
    Read(broken);
    Read(Concat({kExample8, broken, broken}));
    EXPECT_EQ(display.lines.size(), 7u);
    EXPECT_TRUE(alarms.AlarmT1);
    EXPECT_EQ(display.balloons, 0);

    // A lost byte among them: bytes two out of step give possible readings (outputs 0x7F, T1
    // and T2 those of T2 and T3), but the hunt takes the packets like the last one.
    Bytes damaged = Concat({broken, broken, broken, broken});
    damaged.erase(damaged.begin() + 1);
    Read(damaged);
    ASSERT_EQ(display.lines.size(), 10u);
    for (std::size_t i = 7; i < 10; ++i) {
        EXPECT_EQ(display.samples[i].values.outputs, 0x02);
        EXPECT_EQ(display.samples[i].values.t1_raw, 0x7FFF);
    }
    EXPECT_EQ(display.balloons, 1);
}

TEST_F(Receiver, APacketWaitingForWhatFollowsItIsTakenByTheReceiveReset) {
    Read(kExample8);
    // T1 jumps 6 degrees with no silence seen before it: what lost bytes leave looks the same
    // until the bytes after it are seen.
    Read(Eight(0, 700, 586, 456));
    EXPECT_EQ(display.lines.size(), 1u);
    EXPECT_EQ(rx.PendingBytes(), 8u);
    rx.LineSilent(display);  // the receive reset, 500 ms after the last bytes
    ASSERT_EQ(display.lines.size(), 2u);
    EXPECT_EQ(display.samples[1].values.t1_raw, 700);
    // A partial packet goes, and is counted.
    Read(Bytes(kExample8.begin(), kExample8.begin() + 3));
    rx.LineSilent(display);
    EXPECT_EQ(rx.PendingBytes(), 0u);
    EXPECT_EQ(rx.CutPackets(), 1u);
    EXPECT_EQ(display.lines.size(), 2u);
    EXPECT_EQ(display.balloons, 0);
}

TEST_F(Receiver, GarbageGivesAtMostOneWarningPerRead) {
    std::mt19937 rng(1234);
    int reads = 0;
    for (int i = 0; i < 300; ++i) {
        settings.SHT10 = (i % 3) == 0;
        Bytes garbage(std::uniform_int_distribution<int>(1, 700)(rng));
        for (auto& b : garbage) b = static_cast<std::uint8_t>(rng());
        const int before = display.balloons;
        Event(garbage, 1 + rng() % 300);
        EXPECT_LE(display.balloons - before, 1);
        ++reads;
        ASSERT_LT(rx.PendingBytes(), PacketFramer::kCapacity);
    }
    EXPECT_GT(display.balloons, reads / 2);  // random bytes rarely pass the checksum
    for (const auto& s : display.samples) EXPECT_TRUE(s.record_line.rfind("T1=", 0) == 0);
}

TEST_F(Receiver, LayoutChangeTakesEffectAtTheNextEventAndDropsThePartialPacket) {
    const Bytes eight = Eight(0, 600, 586, 456);
    Read(Bytes(eight.begin(), eight.begin() + 5));
    settings.SHT10 = true;
    Read(kExample);  // 9-byte packets from now on; the 5 old bytes are gone
    ASSERT_EQ(display.samples.size(), 1u);
    EXPECT_EQ(display.samples[0].values.hm, 55);
    EXPECT_EQ(display.balloons, 0);
}

TEST_F(Receiver, DecodePacketLeavesTheAssemblyAlone) {
    settings.SHT10 = true;
    Read(Bytes(kExample.begin(), kExample.begin() + 3));
    std::mt19937 rng(3);
    const auto p = MakeTestPacket(PacketLayout::Nine, rng);
    rx.DecodePacket(p, display);
    EXPECT_EQ(display.lines.size(), 1u);
    EXPECT_EQ(rx.PendingBytes(), 3u);
    Read(Bytes(kExample.begin() + 3, kExample.end()));
    EXPECT_EQ(display.lines.size(), 2u);
    EXPECT_EQ(display.lines[1].rfind("T1=37,5  T2=36,6", 0), 0u);
}
