// The checker that end-to-end runs are judged by: if it passed what it should not, a soak or
// an end-to-end test would pass with lines lost or made up.
#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

#include "engine/record_line.h"
#include "testing/alignment.h"
#include "testing/daily_lines.h"
#include "testing/record_fields.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/temp_folder.h"

namespace {

using e2e::SentPacket;
using e2e::SentStatus;
using Bytes = std::vector<std::uint8_t>;

Bytes Packet8(std::uint8_t outputs, unsigned t1, unsigned t2, unsigned t3) {
    Bytes p{outputs,
            static_cast<std::uint8_t>(t1),
            static_cast<std::uint8_t>(t1 >> 8),
            static_cast<std::uint8_t>(t2),
            static_cast<std::uint8_t>(t2 >> 8),
            static_cast<std::uint8_t>(t3),
            static_cast<std::uint8_t>(t3 >> 8)};
    std::uint8_t x = 0;
    for (std::uint8_t b : p) x ^= b;
    p.push_back(x);
    return p;
}

std::string LineOf(const Bytes& p) {
    const e2e::RecordFields f = e2e::FieldsOfPacket(p, PacketLayout::Eight, true);
    return MakeRecordLine(f.t1, f.t2, f.t3, std::stoi(f.hm), f.out, {2026, 12, 6, 12, 0, 0});
}

TEST(SimLog, ReadsEveryStatusAndLeavesOutALineStillBeingWritten) {
    const auto log = e2e::ParseSimLog(
        "0 0 ok 0255025302cc01c9\n"
        "1 0 bad-checksum 00FF\n"
        "2 1 dropped 0a\r\n"
        "3 2 lost\n"
        "4 3 ok 02");
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[0].status, SentStatus::Ok);
    EXPECT_EQ(log[0].wire, (Bytes{0x02, 0x55, 0x02, 0x53, 0x02, 0xcc, 0x01, 0xc9}));
    EXPECT_EQ(log[1].status, SentStatus::BadChecksum);
    EXPECT_EQ(log[1].wire, (Bytes{0x00, 0xff}));
    EXPECT_EQ(log[2].status, SentStatus::Dropped);
    EXPECT_EQ(log[2].write, 1);
    EXPECT_EQ(log[3].status, SentStatus::Lost);
    EXPECT_TRUE(log[3].wire.empty());

    for (const char* bad : {"0 0 ok 0g\n", "0 0 ok 012\n", "0 0 fine 00\n", "x 0 ok 00\n",
                            "0 0 lost 00\n", "0 0 ok 00 00\n"}) {
        try {
            e2e::ParseSimLog(std::string("0 0 ok 00\n") + bad);
            ADD_FAILURE() << "accepted " << bad;
        } catch (const std::runtime_error& e) {
            EXPECT_NE(std::string(e.what()).find("line 2"), std::string::npos) << e.what();
        }
    }
}

TEST(DailyLines, SplitsBatchesAndKeepsWhatDoesNotBelong) {
    using V = std::vector<std::string>;
    EXPECT_EQ(e2e::SplitDailyText("\r\nA\r\nB"
                                  "\r\nC"),
              (V{"A", "B", "C"}));
    EXPECT_EQ(e2e::SplitDailyText(""), V{});
    // A line end too many, a bare LF, text before the first CR LF: all show.
    EXPECT_EQ(e2e::SplitDailyText("\r\nA\r\n\r\nB\r\n"), (V{"A", "", "B", ""}));
    EXPECT_EQ(e2e::SplitDailyText("\r\nA\nB"), (V{"A\nB"}));
    EXPECT_EQ(e2e::SplitDailyText("X\r\nA"), (V{"X", "A"}));

    TempFolder folder;
    EXPECT_TRUE(e2e::ReadDailyLines(folder.File("log")).empty());
    std::filesystem::create_directory(folder.File("log"));
    Spit(folder.File("log/2026-12-07.txt"), "\r\nC");
    Spit(folder.File("log/2026-12-06.txt"), "\r\nA\r\nB");
    Spit(folder.File("log/notes.md"), "\r\nZ");
    EXPECT_EQ(e2e::ReadDailyLines(folder.File("log")), (V{"A", "B", "C"}));

    EXPECT_EQ(e2e::SplitEchoText("A\nB\nhalf"), (V{"A", "B"}));
}

TEST(Alignment, CountsMissingAndExtraLines) {
    using V = std::vector<int>;
    const V sent{1, 2, 3, 4, 5, 6};
    EXPECT_TRUE(e2e::Align(sent, sent, 10).Exact());

    auto a = e2e::Align(sent, V{1, 2, 4, 5, 6}, 10);
    EXPECT_EQ(a.missing, 1u);
    EXPECT_EQ(a.missing_before_end, 1u);
    EXPECT_EQ(a.matched, 5u);

    a = e2e::Align(sent, V{1, 2, 3}, 10);
    EXPECT_EQ(a.missing, 3u);
    EXPECT_EQ(a.missing_before_end, 0u);

    a = e2e::Align(sent, V{1, 2, 2, 3, 9, 4, 5, 6}, 10);  // a line twice, one never sent
    EXPECT_EQ(a.extra, (std::vector<std::size_t>{2, 4}));
    EXPECT_EQ(a.missing, 0u);

    // Out of order: the later line is taken, the earlier one is then extra.
    a = e2e::Align(sent, V{1, 3, 2, 4, 5, 6}, 10);
    EXPECT_FALSE(a.Exact());

    // A stray line equal to a value far ahead does not swallow the lines before it.
    const V repeating{7, 7, 7, 7, 7, 7, 7, 7, 8};
    a = e2e::Align(repeating, V{8, 7, 7, 7, 7, 7, 7, 7, 7}, 3);
    EXPECT_EQ(a.extra, (std::vector<std::size_t>{0}));
    EXPECT_EQ(a.matched, 8u);
}

TEST(RunCheck, JudgesACleanRunAndExplainsLinesReadOutOfStep) {
    const Bytes a = Packet8(0x02, 600, 590, 460), b = Packet8(0x12, 601, 591, 461);
    std::vector<SentPacket> log{{0, 0, SentStatus::Ok, a},
                                {1, 1, SentStatus::BadChecksum, Packet8(0, 1, 2, 3)},
                                {2, 2, SentStatus::Ok, b},
                                {3, 3, SentStatus::Lost, {}}};
    log[1].wire.back() ^= 0x5A;
    const std::vector<std::string> lines{LineOf(a), LineOf(b)};

    auto c = e2e::CheckRun(log, lines, PacketLayout::Eight, true, lines);
    EXPECT_TRUE(c.Clean()) << c.Summary();
    EXPECT_EQ(c.Summary(),
              "sent=4 intact=2 damaged=1 lost=1 lines=2 matched=2 missing=0 extra=0 misframed=0 "
              "foreign=0 echo_lines=2 echo_missing=0 echo_extra=0");

    // The files lack a line that was echoed: neither clean nor sound.
    c = e2e::CheckRun(log, {lines[0]}, PacketLayout::Eight, true, lines);
    EXPECT_FALSE(c.Clean());
    EXPECT_FALSE(c.Sound());
    EXPECT_EQ(c.packets.missing, 1u);

    // Rounding changes the fields: the same lines do not match packets decoded without it.
    EXPECT_FALSE(e2e::CheckRun(log, lines, PacketLayout::Eight, false, std::nullopt).Clean());

    // A packet lost its first byte; the next one's outputs byte happens to complete a frame of
    // the rest with a good checksum. That line is made of bytes sent: misframed, not foreign.
    Bytes shifted(a.begin() + 1, a.end());
    std::uint8_t x = 0;
    for (std::uint8_t byte : shifted) x ^= byte;
    const Bytes c2 = Packet8(x, 602, 592, 462);
    shifted.push_back(c2[0]);
    ASSERT_TRUE(ChecksumOk(shifted));
    const std::vector<SentPacket> lossy{{0, 0, SentStatus::Dropped, Bytes(a.begin() + 1, a.end())},
                                        {1, 1, SentStatus::Ok, c2}};
    c = e2e::CheckRun(lossy, {LineOf(shifted)}, PacketLayout::Eight, true, std::nullopt);
    EXPECT_EQ(c.misframed, 1u);
    EXPECT_EQ(c.foreign, 0u);
    EXPECT_TRUE(c.Sound());
    EXPECT_FALSE(c.Clean());

    c = e2e::CheckRun(lossy, {LineOf(c2), LineOf(Packet8(0x40, 700, 700, 500))},
                      PacketLayout::Eight, true, std::nullopt);
    EXPECT_EQ(c.foreign, 1u);
    EXPECT_FALSE(c.Sound());
    // A packet sent whole but recorded out of its place is no misframed read either.
    c = e2e::CheckRun(log, {lines[1], lines[0]}, PacketLayout::Eight, true, std::nullopt);
    EXPECT_EQ(c.misframed, 0u);
    EXPECT_EQ(c.foreign, 1u);
}

}  // namespace
