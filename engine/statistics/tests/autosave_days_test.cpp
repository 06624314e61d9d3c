// Each line into the daily file of its own date, on the real file system: a buffer that holds
// the end of one day and the start of the next is split at midnight whatever the clock says
// at the autosave, and a clock set back writes every line where it belongs, in the order
// received, with one warning for the jump.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/statistics/autosaver.h"
#include "engine/statistics/tests/faulty_file_system.h"
#include "engine/statistics/tests/temp_folder.h"

namespace statistics {
namespace {

class AutosaveDays : public ::testing::Test {
  protected:
    std::string File(const std::string& day) const { return tmp / ("log/2026-12-" + day + ".txt"); }
    std::string Content(const std::string& day) const { return TempFolder::Read(File(day)); }
    // A line received at "dd hh:mm:ss" of December 2026.
    static std::string Line(const std::string& when) {
        return "\r\nT1=37,5  T2=37,3  T3=28,0  HM=55  OUT=_2______  " + when.substr(0, 2) +
               ".12.26 " + when.substr(3);
    }
    // Receives the lines, then autosaves at `at` ("dd hh:mm:ss"); the clock warnings told.
    std::vector<std::string> Receive(std::vector<std::string> whens, const std::string& at) {
        for (const std::string& when : whens) buffer += Line(when);
        now = {2026,
               12,
               std::stoi(at.substr(0, 2)),
               std::stoi(at.substr(3, 2)),
               std::stoi(at.substr(6, 2)),
               std::stoi(at.substr(9, 2))};
        const AutosaveResult result = autosave.Step(buffer);
        std::vector<std::string> told;
        if (result.clock_warning) told.push_back(result.clock_warning->text);
        return told;
    }

    TempFolder tmp;
    FaultyFileSystem files;
    LocalDateTime now;
    Autosaver autosave{files, tmp / "log", [this] { return now; }};
    std::string buffer;
};

TEST_F(AutosaveDays, TheLinesOfTheDayBeforeGoIntoItsFileAfterMidnight) {
    EXPECT_TRUE(Receive({"08 23:59:35", "08 23:59:59", "09 00:00:00", "09 00:00:30"}, "09 00:00:35")
                    .empty());
    EXPECT_TRUE(buffer.empty());
    EXPECT_EQ(Content("08"), Line("08 23:59:35") + Line("08 23:59:59"));
    EXPECT_EQ(Content("09"), Line("09 00:00:00") + Line("09 00:00:30"));

    // The autosave comes late, with the clock already a day on: each day is still its own.
    Receive({"09 23:59:59", "10 00:00:01"}, "11 08:00:00");
    EXPECT_EQ(Content("09"), Line("09 00:00:00") + Line("09 00:00:30") + Line("09 23:59:59"));
    EXPECT_EQ(Content("10"), Line("10 00:00:01"));
    EXPECT_EQ(Content("11"), "");  // today's file, made by the day's first autosave
}

TEST_F(AutosaveDays, AClockSetBackWritesEveryLineWhereItBelongsWithOneWarning) {
    Receive({"09 00:30:00", "09 00:30:01"}, "09 00:30:05");
    // Set back three hours, into the day before: the lines buffered before the change go
    // into the 9th's file, those after it into the 8th's.
    std::vector<std::string> told =
        Receive({"09 00:30:10", "08 21:30:11", "08 21:30:12"}, "08 21:31:00");
    EXPECT_TRUE(told.empty()) << told[0];
    EXPECT_EQ(Content("09"), Line("09 00:30:00") + Line("09 00:30:01") + Line("09 00:30:10"));
    EXPECT_EQ(Content("08"), Line("08 21:30:11") + Line("08 21:30:12"));

    // Set back within the day: the file's times go back once, which is told once, however
    // many lines and autosaves follow; nothing is lost or reordered.
    told = Receive({"08 21:31:01", "08 20:31:02", "08 20:31:03"}, "08 20:32:00");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("Часы компьютера переведены назад"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("08.12.26 20:31:02"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find("08.12.26 21:31:01"), std::string::npos) << told[0];
    EXPECT_NE(told[0].find(File("08")), std::string::npos) << told[0];
    EXPECT_TRUE(Receive({"08 20:32:04", "08 20:33:05"}, "08 20:34:00").empty());
    EXPECT_EQ(Content("08"), Line("08 21:30:11") + Line("08 21:30:12") + Line("08 21:31:01") +
                                 Line("08 20:31:02") + Line("08 20:31:03") + Line("08 20:32:04") +
                                 Line("08 20:33:05"));

    // Told when the line is written: a write that fails tells nothing, and the next one once.
    files.refuse_open = ENOSPC;
    EXPECT_TRUE(Receive({"08 20:34:01", "08 19:00:00"}, "08 19:00:30").empty());
    files.Heal();
    EXPECT_EQ(Receive({}, "08 19:01:00").size(), 1u);
    EXPECT_TRUE(Receive({"08 19:01:02"}, "08 19:02:00").empty());
    EXPECT_TRUE(buffer.empty());
    EXPECT_TRUE(
        Content("08").ends_with(Line("08 20:34:01") + Line("08 19:00:00") + Line("08 19:01:02")));
}

TEST_F(AutosaveDays, AFileThatEndsLaterThanTheNewLinesIsToldOfAtTheFirstAutosave) {
    // The clock was set back while the program was not running.
    std::filesystem::create_directories(tmp / "log");
    TempFolder::Write(File("08"), Line("08 23:00:00"));
    const std::vector<std::string> told = Receive({"08 22:00:00"}, "08 22:01:00");
    ASSERT_EQ(told.size(), 1u);
    EXPECT_NE(told[0].find("08.12.26 23:00:00"), std::string::npos) << told[0];
    EXPECT_EQ(Content("08"), Line("08 23:00:00") + Line("08 22:00:00"));
}

}  // namespace
}  // namespace statistics
