#include "engine/statistics/autosaver.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "engine/statistics/tests/faulty_file_system.h"
#include "engine/statistics/tests/temp_folder.h"

namespace statistics {
namespace {

class AutosaverTest : public ::testing::Test {
  protected:
    std::string LogFolder() const { return tmp / "monitor dir/log"; }
    std::string Today() const { return LogFolder() + "/2026-12-06.txt"; }
    std::string Content(const std::string& path) const {
        EXPECT_TRUE(std::filesystem::exists(path)) << path;
        return TempFolder::Read(path);
    }

    TempFolder tmp;
    FaultyFileSystem files;
    LocalDateTime now{2026, 12, 6, 12, 34, 56};
    Autosaver autosave{files, LogFolder(), [this] { return now; }};
    std::string buffer;
};

TEST_F(AutosaverTest, FirstStepCreatesTheFoldersAndTodaysFileStartingWithAnEmptyLine) {
    EXPECT_EQ(autosave.TodayPath(), Today());
    buffer = "\r\nA";
    const auto result = autosave.Step(buffer);
    EXPECT_TRUE(result.created_new_file);
    EXPECT_TRUE(result.saved);
    EXPECT_FALSE(result.warning);
    EXPECT_EQ(buffer, "");
    EXPECT_EQ(Content(Today()), "\r\nA");
}

TEST_F(AutosaverTest, StepsAppendBatchesWithoutAddingLineEnds) {
    buffer = "\r\nA";
    autosave.Step(buffer);
    buffer += "\r\nB";
    const auto second = autosave.Step(buffer);
    EXPECT_FALSE(second.created_new_file);
    EXPECT_EQ(Content(Today()), "\r\nA\r\nB");
}

TEST_F(AutosaverTest, AnEmptyBufferOnlyCreatesTodaysFile) {
    const auto first = autosave.Step(buffer);
    EXPECT_TRUE(first.created_new_file);
    EXPECT_TRUE(first.saved);
    EXPECT_EQ(Content(Today()), "");

    const int opens = files.opens;
    const auto second = autosave.Step(buffer);
    EXPECT_FALSE(second.created_new_file);
    EXPECT_EQ(files.opens, opens);  // nothing to write: the file is not even opened
    EXPECT_EQ(Content(Today()), "");
}

TEST_F(AutosaverTest, ARefusedFolderKeepsTheLinesForALaterStepThatWritesThemOnce) {
    files.refuse_mkdir = EACCES;
    buffer = "\r\nA";
    const auto refused = autosave.Step(buffer);
    EXPECT_FALSE(refused.saved);
    EXPECT_FALSE(refused.created_new_file);
    EXPECT_EQ(buffer, "\r\nA");
    EXPECT_FALSE(std::filesystem::exists(LogFolder()));
    ASSERT_TRUE(refused.warning);
    EXPECT_EQ(refused.warning->title, "Внимание!");
    EXPECT_TRUE(refused.warning->text.starts_with("Не удалось сохранить статистику"));
    EXPECT_NE(refused.warning->text.find(Today()), std::string::npos);
    EXPECT_NE(refused.warning->text.find("нет прав доступа"), std::string::npos);

    buffer += "\r\nB";
    EXPECT_FALSE(autosave.Step(buffer).warning);  // the same run of failures: told once
    EXPECT_EQ(buffer, "\r\nA\r\nB");

    files.Heal();
    const auto healed = autosave.Step(buffer);
    EXPECT_TRUE(healed.saved);
    EXPECT_TRUE(healed.created_new_file);
    EXPECT_FALSE(healed.warning);
    EXPECT_EQ(Content(Today()), "\r\nA\r\nB");

    autosave.Step(buffer);
    EXPECT_EQ(Content(Today()), "\r\nA\r\nB");
}

TEST_F(AutosaverTest, TheWarningComesOncePerRunOfFailures) {
    buffer = "\r\nA";
    autosave.Step(buffer);  // today's file exists from here on

    files.refuse_open = EROFS;
    buffer = "\r\nB";
    const auto first = autosave.Step(buffer);
    ASSERT_TRUE(first.warning);
    EXPECT_NE(first.warning->text.find("только для чтения"), std::string::npos);
    EXPECT_FALSE(autosave.Step(buffer).warning);
    std::string nothing;
    autosave.Step(nothing);  // nothing to save is not a success
    EXPECT_FALSE(autosave.Step(buffer).warning);

    files.Heal();
    EXPECT_FALSE(autosave.Step(buffer).warning);
    files.refuse_open = ENOSPC;
    buffer = "\r\nC";
    const auto again = autosave.Step(buffer);
    ASSERT_TRUE(again.warning);  // a new run after a success
    EXPECT_NE(again.warning->text.find("нет места на диске"), std::string::npos);
    EXPECT_FALSE(autosave.Step(buffer).warning);
    files.Heal();
    autosave.Step(buffer);
    EXPECT_EQ(Content(Today()), "\r\nA\r\nB\r\nC");
}

TEST_F(AutosaverTest, AShortWriteIsContinuedInTheSameStep) {
    buffer = "\r\nT1=37,5  T2=36,6\r\nT1=37,6  T2=36,7";
    const std::string all = buffer;
    files.short_write = 3;
    const auto result = autosave.Step(buffer);
    EXPECT_TRUE(result.saved);
    EXPECT_FALSE(result.warning);
    EXPECT_EQ(Content(Today()), all);
}

TEST_F(AutosaverTest, ADiskFullInsideALineKeepsTheRestAndTheNextStepCompletesIt) {
    buffer = "\r\nAAAA\r\nBBBB";
    files.DiskFullAfter(5, ENOSPC);
    const auto full = autosave.Step(buffer);
    EXPECT_TRUE(full.created_new_file);
    EXPECT_FALSE(full.saved);
    ASSERT_TRUE(full.warning);
    EXPECT_NE(full.warning->text.find("нет места на диске"), std::string::npos);
    EXPECT_EQ(Content(Today()), "\r\nAAA");
    EXPECT_EQ(buffer, "A\r\nBBBB");

    files.Heal();
    buffer += "\r\nC";
    const auto good = autosave.Step(buffer);
    EXPECT_TRUE(good.saved);
    EXPECT_FALSE(good.created_new_file);
    EXPECT_EQ(Content(Today()), "\r\nAAAA\r\nBBBB\r\nC");
}

TEST_F(AutosaverTest, ALineCutBeforeMidnightIsFinishedInTheFileItBeganIn) {
    buffer = "\r\nAAAA\r\nBBBB";
    files.DiskFullAfter(4, ENOSPC);
    autosave.Step(buffer);
    ASSERT_EQ(Content(Today()), "\r\nAA");

    files.Heal();
    now.day = 7;
    const auto next = autosave.Step(buffer);
    EXPECT_TRUE(next.saved);
    EXPECT_TRUE(next.created_new_file);
    EXPECT_EQ(Content(Today()), "\r\nAAAA");
    EXPECT_EQ(Content(LogFolder() + "/2026-12-07.txt"), "\r\nBBBB");
}

TEST_F(AutosaverTest, ACutBetweenCarriageReturnAndLineFeedIsFinishedWithoutDoubling) {
    buffer = "\r\nAA\r\nBB";
    files.DiskFullAfter(5, ENOSPC);  // "\r\nAA\r" reaches the file
    autosave.Step(buffer);
    files.Heal();
    now.day = 7;
    EXPECT_TRUE(autosave.Step(buffer).saved);
    EXPECT_EQ(Content(Today()), "\r\nAA\r\nBB");
    EXPECT_EQ(Content(LogFolder() + "/2026-12-07.txt"), "");
}

TEST_F(AutosaverTest, AFailedFlushIsReportedButTheWrittenLinesAreNotWrittenAgain) {
    buffer = "\r\nA";
    files.refuse_sync = EIO;
    const auto result = autosave.Step(buffer);
    ASSERT_TRUE(result.warning);
    EXPECT_NE(result.warning->text.find("ошибка ввода-вывода"), std::string::npos);
    files.Heal();
    buffer += "\r\nB";
    autosave.Step(buffer);
    EXPECT_EQ(Content(Today()), "\r\nA\r\nB");
}

TEST_F(AutosaverTest, AFifoInTheDailyFilesPlaceIsAFailureThatDoesNotWait) {
    std::filesystem::create_directories(LogFolder());
    ASSERT_EQ(::mkfifo(Today().c_str(), 0600), 0);
    buffer = "\r\nA";
    const auto result = autosave.Step(buffer);
    EXPECT_EQ(buffer, "\r\nA");
    ASSERT_TRUE(result.warning);
    EXPECT_NE(result.warning->text.find("это не обычный файл"), std::string::npos);
}

}  // namespace
}  // namespace statistics
