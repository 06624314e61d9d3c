// incubator-monitord's statistics files end to end: a disk that fills while it runs and is
// full at its end, and a line journal planted in its log folder that names files elsewhere.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "common/local_time.h"
#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/journal_records.h"
#include "engine/statistics/line_journal.h"
#include "testing/daily_lines.h"
#include "testing/program_rig.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// One service with its configuration in the rig's folder; its log folder is log/ there.
class FilesRig : public ProgramRig {
  public:
    std::string Ini() const { return File("hall.ini"); }
    std::string Log() const { return File("log"); }
    void Configure(const std::string& port) {
        Spit(Ini(), "[ComPort1]\nPort=" + port + "\n[LogFile]\nTime=1\n");
    }
    // `prefix`: shell commands run before the service replaces the shell.
    void Start(const std::string& prefix = "") {
        StartProgram({"/bin/sh", "-c", prefix + "exec \"$0\" \"$@\"", INCUBATOR_MONITORD_PATH,
                      "--config", Ini(), "--echo"});
    }
};

LocalDateTime DayAfter(const LocalDateTime& day) {
    std::tm tm{};
    tm.tm_year = day.year - 1900;
    tm.tm_mon = day.month - 1;
    tm.tm_mday = day.day + 1;
    tm.tm_hour = 12;
    std::mktime(&tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, 0, 0, 0};
}

// A daily file's text of `bytes` bytes: whole record lines of the day's first second.
std::string DayText(const LocalDateTime& day, std::size_t bytes) {
    LocalDateTime start = day;
    start.hour = start.minute = start.second = 0;
    const std::string line = "\r\nT1=37,0  T2=37,0  T3=28,0  HM=50  OUT=________  " +
                             FormatDateDdMmYy(start) + " " + FormatTimeHhMmSs(start);
    std::string text;
    while (text.size() + line.size() <= bytes) text += line;
    return text;
}

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The disk fills while lines arrive (a file may not grow beyond 64 KiB, and the daily files
// are nearly that already) and is full when SIGTERM ends the service: each line received is
// whole, in the daily file or in unsaved/, once.
TEST(StatisticsFiles, AFullDiskAtTheEndLeavesEachLineWholeInExactlyOneFile) {
    FilesRig rig;
    rig.StartSimulator({"--rate", "25", "--seed", "11"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure(rig.Pty());
    constexpr std::size_t kLimit = 64 * 1024;
    const LocalDateTime today = CurrentLocalDateTime();
    std::vector<std::pair<std::string, std::string>> days;  // path, text before
    fs::create_directories(rig.Log());
    for (const LocalDateTime& day : {today, DayAfter(today)}) {
        days.emplace_back(rig.Log() + "/" + statistics::DailyFileName(day),
                          DayText(day, kLimit - 100));
        Spit(days.back().first, days.back().second);
    }
    // The shell passes the limit on, and a write beyond it fails rather than killing.
    rig.Start("trap '' XFSZ; ulimit -f " + std::to_string(kLimit / 512) + "; ");
    ASSERT_TRUE(rig.WaitForEchoedLines(20)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    // Whole lines after what the daily files held, in the order of the days.
    std::vector<std::string> saved;
    for (const auto& [day, before] : days) {
        const std::string text = Slurp(day);
        ASSERT_TRUE(text.starts_with(before)) << day;
        EXPECT_FALSE(text.ends_with("\n")) << day;
        EXPECT_LE(text.size(), kLimit) << day;
        const std::string added = text.substr(before.size());
        EXPECT_TRUE(added.empty() || added.starts_with("\r\n")) << day;
        for (const std::string& line : e2e::SplitDailyText(added)) saved.push_back(line);
    }
    // The rest went to one file in unsaved/, beginning with a line of its own.
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(rig.File("unsaved"))) kept.push_back(entry);
    ASSERT_EQ(kept.size(), 1u) << rig.Errors();
    const std::string unsaved = Slurp(kept[0]);
    EXPECT_TRUE(unsaved.starts_with("\r\nT1=")) << unsaved.substr(0, 40);
    for (const std::string& line : e2e::SplitDailyText(unsaved)) saved.push_back(line);
    EXPECT_EQ(saved, rig.Echoed());
    EXPECT_NE(rig.Errors().find("Несохранённые строки записаны в файл"), std::string::npos)
        << rig.Errors();
}

// A journal with valid checksums whose records name a file outside the log folder: a line
// was cut in it (the rest to be finished there), or a write to it was cut short (the file to
// be cut back).
std::string ForgedJournal(const std::string& outside, bool open_write, const std::string& line) {
    using namespace statistics::journal;
    constexpr std::uint64_t kGeneration = 0x1234;
    const std::string lines = "\r\n" + line + "\r\n" + line;
    std::string journal = HeaderRecord(kGeneration) + LinesRecord(kGeneration, lines);
    if (open_write) return journal + WriteRecord(kGeneration, 0, 5, outside);
    return journal + WriteRecord(kGeneration, 0, 0, outside) + DoneRecord(kGeneration, 10);
}

TEST(StatisticsFiles, AJournalNamingAFileOutsideTheLogFolderNeverTouchesItAndIsKeptAside) {
    for (const bool open_write : {false, true}) {
        SCOPED_TRACE(open_write ? "a write cut short" : "a line cut");
        FilesRig rig;
        const std::string port = rig.File("ttyNONE");
        rig.Configure(port);
        const std::string outside = rig.File("precious.txt");
        const std::string outside_text = "export PATH=/usr/bin:/bin  # 48 bytes of text\n";
        Spit(outside, outside_text);
        fs::create_directories(rig.Log());
        const std::string journal = rig.Log() + "/" + statistics::kJournalFileName;
        const LocalDateTime now = CurrentLocalDateTime();
        const std::string line = "T1=37,5  T2=37,3  T3=28,0  HM=55  OUT=_2______  " +
                                 FormatDateDdMmYy(now) + " " + FormatTimeHhMmSs(now);
        Spit(journal, ForgedJournal(outside, open_write, line));

        rig.Start();
        // The missing port is warned of after the recovery.
        ASSERT_TRUE(WaitUntil([&] { return rig.Errors().find(port) != std::string::npos; }, 20s))
            << rig.Errors();
        ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

        EXPECT_EQ(Slurp(outside), outside_text);
        // Kept aside under a name of its own, and said once.
        EXPECT_FALSE(fs::exists(journal));
        std::size_t aside = 0;
        for (const auto& entry : fs::directory_iterator(rig.Log()))
            aside += entry.path().filename().string().starts_with("received.journal.bad-");
        EXPECT_EQ(aside, 1u);
        EXPECT_EQ(Count(rig.Errors(), "received.journal.bad-"), 1u) << rig.Errors();
    }
}

}  // namespace
