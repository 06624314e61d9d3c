// A journal that holds more than a crash leaves, on the real file system: records that name a
// file outside the log folder or a link in a daily file's place are refused and nothing
// outside is touched; damaged bytes keep the journal aside. Either way the journal is kept as
// it was under a name of its own, with one warning, and the lines of the records before the
// refused one (all that can be read) are recovered. A journal of the previous version, which
// names daily files by their paths, still recovers when they are in its own folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_recovery.h"
#include "engine/statistics/line_journal.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "platform/doubles/virtual_clock.h"

namespace statistics {
namespace {

namespace fs = std::filesystem;
using namespace journal;

constexpr std::uint64_t kGeneration = 0x5eed;

// Line n, a second after line n - 1.
std::string Line(int n) {
    const std::string second = (n % 60 < 10 ? "0" : "") + std::to_string(n % 60);
    return "T1=37," + std::to_string(n % 10) +
           "  T2=37,3  T3=28,0  HM=55  OUT=_2______  06.12.26 " +
           "12:" + std::to_string(10 + n / 60) + ":" + second;
}

// A record as any version writes it.
std::string Record(char kind, const std::string& payload, std::uint64_t generation = kGeneration) {
    const std::uint32_t crc = Crc32(RecordCrcStart(generation, kind), payload);
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", crc);
    return std::string(1, kind) + " " + std::to_string(payload.size()) + " " + payload + " " + hex +
           "\n";
}

std::string VersionOneHeader() {
    return Record('J', "incubator-monitor journal 1 " + std::string(12, '0') + "5eed", 0);
}

class JournalKeptAside : public ::testing::Test {
  protected:
    std::string Log() const { return tmp / "log"; }
    std::string JournalPath() const { return Log() + "/" + kJournalFileName; }
    std::string Day() const { return Log() + "/2026-12-06.txt"; }
    // The journal kept aside; "" when there is none, or more than one.
    std::string KeptAside() const {
        std::vector<std::string> kept;
        for (const auto& entry : fs::directory_iterator(Log()))
            if (entry.path().filename().string().starts_with(
                    "received.journal.bad-2026-12-06_12-00-00"))
                kept.push_back(entry.path());
        return kept.size() == 1 ? kept[0] : std::string();
    }
    // A start with the journal `bytes` in the log folder: the lines it recovered.
    JournalRecovery Start(const std::string& bytes) {
        fs::create_directories(Log());
        TempFolder::Write(JournalPath(), bytes);
        LineJournal journal(
            RealFileSystem(), Log(), clock,
            [this](const Warning& w) { warnings.push_back(w.text); },
            [] { return LocalDateTime{2026, 12, 6, 12, 0, 0}; });
        Autosaver autosave(RealFileSystem(), Log(),
                           [] { return LocalDateTime{2026, 12, 6, 12, 0, 0}; });
        autosave.SetWrites(&journal);
        buffer.clear();
        return RecoverJournal(journal, autosave, buffer);
    }
    // The lines of the journal written by the program's own journal, `count` of them.
    std::string RealJournal(int count) {
        {
            LineJournal journal(RealFileSystem(), Log(), clock, {});
            std::string lines;
            for (int i = 0; i < count; ++i) {
                lines += "\r\n" + Line(i);
                journal.Follow(lines);
            }
        }
        const std::string bytes = TempFolder::Read(JournalPath());
        fs::remove(JournalPath());
        return bytes;
    }
    static std::string Lines(int from, int to) {
        std::string lines;
        for (int i = from; i < to; ++i) lines += "\r\n" + Line(i);
        return lines;
    }

    TempFolder tmp;
    platform::VirtualClock clock;
    std::vector<std::string> warnings;
    std::string buffer;
};

TEST_F(JournalKeptAside, ARecordNamingAFileOutsideTheLogFolderTouchesNothingThere) {
    const std::string outside = tmp / "precious.txt";
    const std::string precious = "export PATH=/usr/bin:/bin  # forty-eight bytes\n";
    // A line cut in the file (to be finished there), a write cut short in it (to be cut
    // back), the same by a relative name, and a daily file of another folder (the folder
    // this one was copied from).
    const std::vector<std::pair<std::string, std::string>> journals{
        {"cut line", Record('W', "0 0 " + outside) + Record('D', "10")},
        {"open write", Record('W', "0 5 " + outside)},
        {"relative", Record('W', "0 5 ../precious.txt")},
        {"copied folder", Record('W', "0 5 " + tmp / "old/log/2026-12-06.txt")},
    };
    for (const auto& [what, records] : journals) {
        SCOPED_TRACE(what);
        fs::remove_all(Log());
        warnings.clear();
        TempFolder::Write(outside, precious);
        const std::string journal =
            VersionOneHeader() + Record('L', Lines(0, 2)) + records + Record('L', Lines(2, 3));
        const JournalRecovery recovery = Start(journal);

        EXPECT_EQ(TempFolder::Read(outside), precious);
        // The lines before the refused record are recovered; the journal stays as it was.
        EXPECT_EQ(recovery.lines, 2u);
        EXPECT_EQ(TempFolder::Read(Day()), Lines(0, 2));
        EXPECT_FALSE(fs::exists(JournalPath()));
        ASSERT_FALSE(KeptAside().empty());
        EXPECT_EQ(TempFolder::Read(KeptAside()), journal);
        ASSERT_EQ(warnings.size(), 1u);
        EXPECT_NE(warnings[0].find("\"" + KeptAside() + "\""), std::string::npos) << warnings[0];
        EXPECT_NE(warnings[0].find("не является дневным файлом"), std::string::npos) << warnings[0];
    }
}

TEST_F(JournalKeptAside, AnUnfinishedWriteToALinkInADailyFilesPlaceIsNotFollowed) {
    const std::string outside = tmp / "precious.txt";
    const std::string precious(48, 'p');
    TempFolder::Write(outside, precious);
    fs::create_directories(Log());
    fs::create_symlink(outside, Day());
    const std::string journal = VersionOneHeader() + Record('L', Lines(0, 2)) +
                                Record('W', "0 0 2026-12-06.txt") + Record('D', "0") +
                                Record('W', "0 5 2026-12-06.txt");
    const JournalRecovery recovery = Start(journal);
    EXPECT_EQ(TempFolder::Read(outside), precious);
    EXPECT_EQ(TempFolder::Read(KeptAside()), journal);
    ASSERT_EQ(warnings.size(), 1u);
    // The lines wait in memory (and in the new journal) until the link is gone.
    EXPECT_EQ(recovery.lines, 2u);
    EXPECT_EQ(buffer, Lines(0, 2));
    EXPECT_TRUE(fs::exists(JournalPath()));
}

TEST_F(JournalKeptAside, AJournalOfThePreviousVersionNamingItsOwnFolderRecoversAsBefore) {
    fs::create_directories(Log());
    // A write cut short in the daily file, recorded by its path in any spelling of the folder.
    for (const std::string& folder : {Log(), Log() + "/", tmp / "./log/../log"}) {
        SCOPED_TRACE(folder);
        TempFolder::Write(Day(), Lines(0, 1) + "\r\nT1=37,");
        const std::string journal = VersionOneHeader() + Record('L', Lines(0, 3)) +
                                    Record('W', "0 0 " + folder + "/2026-12-06.txt") +
                                    Record('D', std::to_string(Lines(0, 1).size())) +
                                    Record('W', std::to_string(Lines(0, 1).size()) + " " +
                                                    std::to_string(Lines(0, 1).size()) + " " +
                                                    JoinPath(folder, "2026-12-06.txt"));
        EXPECT_EQ(Start(journal).lines, 2u);
        EXPECT_EQ(TempFolder::Read(Day()), Lines(0, 3));
        EXPECT_TRUE(warnings.empty()) << warnings[0];
        EXPECT_FALSE(fs::exists(JournalPath()));
        EXPECT_EQ(TempFolder::Count(Log()), 1u);
    }
}

TEST_F(JournalKeptAside, BytesBeforeTheHeaderKeepTheJournalAsideAndAllItsLinesAreRecovered) {
    fs::create_directories(Log());
    std::mt19937 random(3);
    std::string noise;
    for (int i = 0; i < 100; ++i) noise += static_cast<char>(random());
    const std::string damaged = noise + RealJournal(198);
    const JournalRecovery recovery = Start(damaged);
    EXPECT_EQ(recovery.lines, 198u);
    EXPECT_EQ(TempFolder::Read(Day()), Lines(0, 198));
    EXPECT_EQ(TempFolder::Read(KeptAside()), damaged);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("повреждён"), std::string::npos) << warnings[0];
    EXPECT_FALSE(fs::exists(JournalPath()));

    // The next start finds nothing more to do.
    LineJournal again(RealFileSystem(), Log(), clock, {});
    EXPECT_EQ(again.Recover().bytes, 0u);
}

TEST_F(JournalKeptAside, ADamagedRecordKeepsTheJournalAsideAndTheLinesBeforeItAreRecovered) {
    fs::create_directories(Log());
    std::string damaged = RealJournal(198);
    const std::size_t at = damaged.find(Line(120));
    ASSERT_NE(at, std::string::npos);
    damaged[at + 3] = '9';
    const JournalRecovery recovery = Start(damaged);
    EXPECT_EQ(recovery.lines, 120u);
    EXPECT_EQ(TempFolder::Read(Day()), Lines(0, 120));
    EXPECT_EQ(TempFolder::Read(KeptAside()), damaged);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_FALSE(fs::exists(JournalPath()));

    // No record at all: kept aside, nothing recovered.
    fs::remove(KeptAside());
    warnings.clear();
    const std::string noise =
        "J 44 incubator-monitor journal 1 of nothing\n" + std::string(300, 'x');
    EXPECT_EQ(Start(noise).lines, 0u);
    EXPECT_EQ(TempFolder::Read(KeptAside()), noise);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("нет ни одной читаемой записи"), std::string::npos) << warnings[0];
    EXPECT_FALSE(fs::exists(JournalPath()));
}

}  // namespace
}  // namespace statistics
