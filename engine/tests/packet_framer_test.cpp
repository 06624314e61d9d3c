// The framer on lines whose packets come one per write, a silence before each: what is left of
// a damaged packet must never join the next packet's bytes, and a packet where one is due must
// be taken whatever its readings.
#include "engine/packet_framer.h"

#include <gtest/gtest.h>

#include <vector>

#include "engine/tests/packet_bytes.h"

namespace {

using namespace test_packets;

struct Taken : PacketFramer::Output {
    std::vector<Bytes> packets;
    int dropped = 0;
    void Packet(std::span<const std::uint8_t> p) override {
        packets.emplace_back(p.begin(), p.end());
    }
    void Dropped() override { ++dropped; }
};

// One write of the controller, and whether the silence before it was seen.
struct Write {
    Bytes bytes;
    bool after_silence = true;
};

Taken Frame(PacketFramer& framer, const std::vector<Write>& writes) {
    Taken out;
    for (const Write& w : writes) {
        if (w.after_silence) framer.Silence(out);
        framer.Push(w.bytes, out);
        framer.EndOfRead(out);
    }
    return out;
}

// The controller's readings as they stand for many packets: heater on, 37.4 and 37.2 degrees.
// Turned round by two bytes the 8-byte packet still reads possible values (37.2, 28.8, 44.7).
Bytes Steady(PacketLayout layout) {
    return layout == PacketLayout::Nine ? Nine(0x02, 598, 595, 288, 55)
                                        : Eight(0x02, 598, 595, 461);
}

TEST(PacketFramer, APacketThatLostItsFirstBytesAmongIdenticalOnesCostsOnlyItself) {
    ASSERT_EQ(Steady(PacketLayout::Eight), (Bytes{0x02, 0x56, 0x02, 0x53, 0x02, 0xcd, 0x01, 0xcb}));
    for (const PacketLayout layout : {PacketLayout::Eight, PacketLayout::Nine}) {
        const Bytes p = Steady(layout);
        for (std::size_t lost = 1; lost < p.size(); ++lost) {
            const Bytes rest(p.begin() + static_cast<long>(lost), p.end());
            // Three packets, the rest of one, six packets; each write after a silence, or the
            // silence after the damaged packet hidden (a busy thread saw the bytes late).
            for (const bool seen : {true, false}) {
                std::vector<Write> writes(3, {p});
                writes.push_back({rest});
                for (int i = 0; i < 6; ++i) writes.push_back({p, seen || i > 0});
                PacketFramer framer;
                framer.SetLayout(layout);
                const Taken out = Frame(framer, writes);
                EXPECT_EQ(out.packets, std::vector<Bytes>(9, p))
                    << "lost " << lost << " silence seen " << seen;
                EXPECT_EQ(framer.CutPackets(), seen ? 1u : 0u);
                EXPECT_EQ(framer.Held(), 0u);
            }
            // All in one write: the packets after it come through.
            PacketFramer framer;
            framer.SetLayout(layout);
            const Taken out = Frame(framer, {{Concat({p, p, rest, p, p})}});
            EXPECT_EQ(out.packets, std::vector<Bytes>(4, p)) << "lost " << lost;
            EXPECT_EQ(out.dropped, 1);
        }
    }
}

TEST(PacketFramer, ALostByteCostsOnlyItsPacketWithoutSilencesWhereverTheReadsEnd) {
    // Packets that follow each other without a silence seen between them (a fast controller, a
    // busy thread), the next one in two reads cut anywhere; the damaged packet after a silence
    // or not. Losing a byte that equals the next packet's first (T1's high byte, as the heater's
    // outputs byte) leaves a window that passes the checksum, and so does losing the first
    // bytes while the packets begin alike, the same readings or new ones. Either may end right
    // where a read ends. After a silence the first byte begins a packet: with a silence seen
    // before the damaged packet and none before the next, a window there that passes the
    // checksum is taken (one garbled line, the next packet lost with it), unless it is the rest
    // of a packet that lost its first bytes.
    for (const PacketLayout layout : {PacketLayout::Eight, PacketLayout::Nine}) {
        const Bytes p = Steady(layout);
        const Bytes q = layout == PacketLayout::Nine ? Nine(0x02, 599, 596, 289, 55)
                                                     : Eight(0x02, 599, 596, 462);
        for (const Bytes& next : {p, q}) {
            for (std::size_t j = 0; j < next.size(); ++j) {
                for (const bool head : {false, true}) {
                    if (head && j + 1 == next.size()) continue;
                    const auto at = next.begin() + static_cast<long>(j);
                    const Bytes damaged =
                        head ? Bytes(at + 1, next.end())
                             : Concat({Bytes(next.begin(), at), Bytes(at + 1, next.end())});
                    for (std::size_t cut = 1; cut < next.size(); ++cut) {
                        for (const bool seen : {false, true}) {
                            PacketFramer framer;
                            framer.SetLayout(layout);
                            const Taken out = Frame(
                                framer,
                                {{p},
                                 {p, false},
                                 {damaged, seen},
                                 {Bytes(next.begin(), next.begin() + static_cast<long>(cut)),
                                  false},
                                 {Bytes(next.begin() + static_cast<long>(cut), next.end()), false},
                                 {next, false},
                                 {{}}});
                            const std::string what = "byte " + std::to_string(j) +
                                                     (head ? " and those before it" : "") +
                                                     " lost, cut " + std::to_string(cut) +
                                                     (seen ? ", silence before" : "");
                            // A silence before the damaged packet: a window there that passes
                            // the checksum is taken, and the next packet with it (a lost first
                            // byte leaves the rest of a packet that lost its head).
                            const Bytes window = Concat(
                                {damaged, Bytes(next.begin(),
                                                next.begin() + static_cast<long>(next.size() -
                                                                                 damaged.size()))});
                            const bool window_taken = seen && !head && j > 0 && ChecksumOk(window);
                            const std::vector<Bytes> expected =
                                window_taken ? std::vector<Bytes>{p, p, window, next}
                                             : std::vector<Bytes>{p, p, next, next};
                            EXPECT_EQ(out.packets, expected) << what;
                        }
                    }
                }
            }
        }
    }
}

TEST(PacketFramer, PiecesOfAPacketFurtherApartThanTheSilenceAreDroppedAndCounted) {
    const Bytes p = Steady(PacketLayout::Eight), q = Eight(0x0a, 599, 595, 461);
    const Bytes head(p.begin(), p.begin() + 3), tail(p.begin() + 3, p.end());
    PacketFramer framer;
    // Pieces an adapter hands over without a silence between them make the packet.
    Taken out = Frame(framer, {{head}, {tail, false}, {q}});
    EXPECT_EQ(out.packets, (std::vector<Bytes>{p, q}));
    EXPECT_EQ(framer.CutPackets(), 0u);
    // A silence between them: both pieces go, each counted; the packet after them is whole.
    out = Frame(framer, {{head}, {tail}, {q}});
    EXPECT_EQ(out.packets, (std::vector<Bytes>{q}));
    EXPECT_EQ(framer.CutPackets(), 2u);
    EXPECT_EQ(out.dropped, 0) << "no checksum failed";
    // A reset drops a partial packet as a silence does; with nothing held it counts nothing.
    Frame(framer, {{head}});
    framer.Reset();
    framer.Reset();
    EXPECT_EQ(framer.CutPackets(), 3u);
}

TEST(PacketFramer, ReadingsThatJumpAreTakenWhenBytesAcrossTwoPacketsReadLikeTheOldOnes) {
    // Readings near -0.1 degrees, then a jump. Bytes 4 to 11 of the first packets after it (the
    // end of one and the start of the next) pass the checksum and read like the old readings;
    // what follows them does not bear them out: no packet lost bytes here.
    const Bytes old_readings{0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    const std::vector<Bytes> jumped{{0xff, 0x08, 0x00, 0x08, 0xff, 0xef, 0xff, 0x10},
                                    {0x00, 0xf8, 0xff, 0xf8, 0xfe, 0xdf, 0xff, 0x21},
                                    {0x0f, 0x00, 0x00, 0x00, 0xff, 0xe7, 0xff, 0xe8},
                                    {0x68, 0x08, 0x00, 0x08, 0xff, 0xef, 0xff, 0x87}};
    const Bytes across(jumped[0].begin() + 4, jumped[0].end());
    ASSERT_TRUE(ChecksumOk(Concat({across, Bytes(jumped[1].begin(), jumped[1].begin() + 4)})));
    for (std::size_t read = 1; read <= 32; read *= 2) {
        PacketFramer framer;
        Taken out = Frame(framer, {{old_readings}, {old_readings, false}});
        const Bytes line = Concat({jumped[0], jumped[1], jumped[2], jumped[3]});
        std::vector<Write> writes;
        for (std::size_t at = 0; at < line.size(); at += read)
            writes.push_back(
                {Bytes(line.begin() + static_cast<long>(at),
                       line.begin() + static_cast<long>(std::min(at + read, line.size()))),
                 at == 0});
        out = Frame(framer, writes);
        framer.Silence(out);
        EXPECT_EQ(out.packets, jumped) << read << " bytes per read";
        EXPECT_EQ(out.dropped, 0);
    }
}

TEST(PacketFramer, AGoodPacketWithImpossibleReadingsIsTakenWhereOneIsDue) {
    for (const PacketLayout layout : {PacketLayout::Eight, PacketLayout::Nine}) {
        const Bytes good = Steady(layout);
        Bytes broken = good;  // the T1 sensor breaks: 2047.9 degrees
        broken[1] = 0xff;
        broken[2] = 0x7f;
        broken.back() ^= good[1] ^ good[2] ^ 0xff ^ 0x7f;
        ASSERT_TRUE(ChecksumOk(broken));
        ASSERT_FALSE(ReadingsPossible(broken, layout));
        // It breaks among identical packets and stays broken, then mends: one packet per write,
        // and all in one write (a run of identical packets is no packet turned round).
        const std::vector<Bytes> sent{good, good, broken, broken, broken, good, good};
        std::vector<Write> writes;
        for (const Bytes& p : sent) writes.push_back({p});
        PacketFramer framer;
        framer.SetLayout(layout);
        Taken out = Frame(framer, writes);
        // Readings that jump, with nothing after them yet, wait for the next bytes or the
        // silence after them, until two in a row agree.
        EXPECT_EQ(out.packets, std::vector<Bytes>(sent.begin(), sent.end() - 1));
        framer.Silence(out);
        EXPECT_EQ(out.packets, sent);
        out = Frame(framer, {{Concat({good, broken, broken, broken, good})}});
        EXPECT_EQ(out.packets, (std::vector<Bytes>{good, broken, broken, broken}));
        framer.Silence(out);
        EXPECT_EQ(out.packets, (std::vector<Bytes>{good, broken, broken, broken, good}));
        EXPECT_EQ(out.dropped, 0);
    }
}

}  // namespace
