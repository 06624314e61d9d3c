#include "engine/statistics/autosaver.h"
#include "engine/statistics/unsaved_lines.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/statistics/posix_file_system.h"
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

TEST_F(AutosaverTest, ADiskFullInsideALineCutsTheFileBackToItsLastWholeLine) {
    buffer = "\r\nAAAA\r\nBBBB";
    files.DiskFullAfter(10, ENOSPC);  // "\r\nAAAA\r\nB" reaches the file
    const auto full = autosave.Step(buffer);
    EXPECT_TRUE(full.created_new_file);
    EXPECT_FALSE(full.saved);
    ASSERT_TRUE(full.warning);
    EXPECT_NE(full.warning->text.find("нет места на диске"), std::string::npos);
    EXPECT_EQ(Content(Today()), "\r\nAAAA");
    EXPECT_EQ(buffer, "\r\nBBBB");

    // Not even one whole line: the file is as it was before the write.
    files.DiskFullAfter(3, ENOSPC);
    EXPECT_FALSE(autosave.Step(buffer).saved);
    EXPECT_EQ(Content(Today()), "\r\nAAAA");
    EXPECT_EQ(buffer, "\r\nBBBB");

    files.Heal();
    buffer += "\r\nC";
    const auto good = autosave.Step(buffer);
    EXPECT_TRUE(good.saved);
    EXPECT_FALSE(good.created_new_file);
    EXPECT_EQ(Content(Today()), "\r\nAAAA\r\nBBBB\r\nC");
}

TEST_F(AutosaverTest, ALineCutInAFileThatCannotBeCutBackIsFinishedThereAfterMidnight) {
    buffer = "\r\nAAAA\r\nBBBB";
    files.DiskFullAfter(4, ENOSPC);
    files.refuse_truncate = EIO;
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
    files.refuse_truncate = EIO;
    autosave.Step(buffer);
    files.Heal();
    now.day = 7;
    EXPECT_TRUE(autosave.Step(buffer).saved);
    EXPECT_EQ(Content(Today()), "\r\nAA\r\nBB");
    EXPECT_EQ(Content(LogFolder() + "/2026-12-07.txt"), "");
}

// Real short writes: a process whose files may not grow beyond a limit (and that ignores
// SIGXFSZ) gets a short write at the limit and EFBIG after it, as on a disk that fills.
TEST_F(AutosaverTest, AWriteCutShortByTheFileSizeLimitLeavesOnlyWholeLinesInTheFile) {
    std::string lines;
    for (int i = 0; i < 40; ++i)
        lines +=
            "\r\nT1=37," + std::to_string(i % 10) +
            "  T2=37,3  T3=28,0  HM=55  OUT=_2______  06.12.26 12:34:" + std::to_string(10 + i);
    std::filesystem::create_directories(LogFolder());
    TempFolder::Write(Today(), "\r\nbefore");
    int pipe_ends[2];
    ASSERT_EQ(::pipe(pipe_ends), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe_ends[0]);
        const rlimit limit{1000, 1000};
        ::signal(SIGXFSZ, SIG_IGN);
        ::setrlimit(RLIMIT_FSIZE, &limit);
        Autosaver real(RealFileSystem(), LogFolder(), [this] { return now; });
        std::string rest = lines;
        const AutosaveResult result = real.Step(rest);
        // What it kept, after the error's number; and an unsaved file cannot be written whole.
        const KeptLines kept = KeepUnsavedLines(RealFileSystem(), tmp / "unsaved", now, lines);
        rest = std::to_string(result.error) + " " + std::to_string(kept.error) + " " + rest;
        const bool sent =
            ::write(pipe_ends[1], rest.data(), rest.size()) == static_cast<ssize_t>(rest.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(pipe_ends[1]);
    std::string reply;
    char piece[4096];
    for (ssize_t n; (n = ::read(pipe_ends[0], piece, sizeof piece)) > 0;)
        reply.append(piece, static_cast<std::size_t>(n));
    ::close(pipe_ends[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::string errors = std::to_string(EFBIG) + " " + std::to_string(EFBIG) + " ";
    ASSERT_TRUE(reply.starts_with(errors)) << reply.substr(0, 40);
    const std::string rest = reply.substr(errors.size());
    const std::string file = Content(Today());
    EXPECT_LE(file.size(), 1000u);
    EXPECT_GT(file.size(), 900u);
    // The file ends with a whole line, and the buffer begins with the next one.
    EXPECT_EQ(file + rest, "\r\nbefore" + lines);
    EXPECT_TRUE(rest.starts_with("\r\nT1=")) << rest.substr(0, 20);
    EXPECT_FALSE(std::filesystem::exists(tmp / "unsaved/2026-12-06_12-34-56.txt"));
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
