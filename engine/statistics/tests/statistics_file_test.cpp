#include "engine/statistics/statistics_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "engine/statistics/tests/faulty_file_system.h"
#include "engine/statistics/tests/temp_folder.h"

namespace statistics {
namespace {

using Lines = std::vector<std::string>;

class SaveTest : public ::testing::Test {
  protected:
    void SetUp() override { TempFolder::Write(path, "old content that must survive\r\n"); }

    // Saves and returns the error's text, or "" when the save went through.
    std::string SaveFailure(const Lines& lines) {
        try {
            SaveStatisticsFile(files, path, lines);
        } catch (const StatisticsFileError& e) {
            return e.what();
        }
        return "";
    }

    TempFolder tmp;
    std::string path = tmp / "2026-12-06.txt";
    FaultyFileSystem files;
};

TEST_F(SaveTest, ReplacesTheContentWithEachLineEndedByCrLf) {
    SaveStatisticsFile(files, path, Lines{"A", "", "Б"});
    EXPECT_EQ(TempFolder::Read(path), "A\r\n\r\nБ\r\n");
    EXPECT_EQ(TempFolder::Count(tmp.Path()), 1u);  // no temporary file left behind

    VectorDisplayLines display;
    display.lines = {"", "T1=37,5"};
    SaveStatisticsFile(files, path, display);
    EXPECT_EQ(TempFolder::Read(path), "\r\nT1=37,5\r\n");

    SaveStatisticsFile(files, path, Lines{});
    EXPECT_EQ(TempFolder::Read(path), "");
}

TEST_F(SaveTest, KeepsWhoMayReadTheReplacedFile) {
    ::chmod(path.c_str(), 0640);
    SaveStatisticsFile(files, path, Lines{"A"});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST_F(SaveTest, ALinkIsWrittenThroughAndAFileTheUserMayNotWriteIsRefused) {
    ::chmod(path.c_str(), 0640);
    const std::string link = tmp / "link.txt";
    ASSERT_EQ(::symlink("2026-12-06.txt", link.c_str()), 0);
    SaveStatisticsFile(files, link, Lines{"A"});
    struct stat st {};
    EXPECT_TRUE(::lstat(link.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
    EXPECT_EQ(TempFolder::Read(path), "A\r\n");
    EXPECT_TRUE(::stat(path.c_str(), &st) == 0 && (st.st_mode & 0777) == 0640);

    ::chmod(tmp.Path().c_str(), 0777);  // anybody may rename over the file, as an editor could
    ::chmod(path.c_str(), 0444);
    EXPECT_TRUE(AsOrdinaryUser([&] {
        return SaveFailure(Lines{"B"}) == "Cannot create file \"" + path + "\". нет прав доступа";
    }));
    EXPECT_EQ(TempFolder::Read(path), "A\r\n");
    EXPECT_EQ(TempFolder::Count(tmp.Path()), 2u);
}

TEST_F(SaveTest, AFailedSaveLeavesTheOldFileWholeAndNoTemporary) {
    const Lines lines{"T1=37,5  T2=36,6", "T1=37,6  T2=36,7"};
    files.DiskFullAfter(10, ENOSPC);
    EXPECT_EQ(SaveFailure(lines), "Cannot create file \"" + path + "\". нет места на диске");
    files.Heal();
    files.refuse_rename = EACCES;
    EXPECT_EQ(SaveFailure(lines), "Cannot create file \"" + path + "\". нет прав доступа");
    files.Heal();
    files.refuse_open = EROFS;
    EXPECT_EQ(SaveFailure(lines),
              "Cannot create file \"" + path + "\". файловая система доступна только для чтения");
    files.Heal();
    files.refuse_sync = EIO;
    EXPECT_NE(SaveFailure(lines), "");

    EXPECT_EQ(TempFolder::Read(path), "old content that must survive\r\n");
    EXPECT_EQ(TempFolder::Count(tmp.Path()), 1u);
}

TEST_F(SaveTest, AMissingFolderIsReported) {
    const std::string nowhere = tmp / "missing/x.txt";
    try {
        SaveStatisticsFile(files, nowhere, Lines{"A"});
        FAIL() << "saved into a missing folder";
    } catch (const StatisticsFileError& e) {
        EXPECT_EQ(e.SystemError(), ENOENT);
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + nowhere + "\". нет такого файла или папки");
    }
}

TEST(SplitStatisticsLines, EndsAreCrLfOrLfAndAFinalEndAddsNoLine) {
    EXPECT_EQ(SplitStatisticsLines(""), Lines{});
    EXPECT_EQ(SplitStatisticsLines("A"), Lines{"A"});
    EXPECT_EQ(SplitStatisticsLines("A\r\n"), Lines{"A"});
    EXPECT_EQ(SplitStatisticsLines("A\n"), Lines{"A"});
    EXPECT_EQ(SplitStatisticsLines("\r\n"), Lines{""});
    EXPECT_EQ(SplitStatisticsLines("\r\nA\r\nB"), (Lines{"", "A", "B"}));
    EXPECT_EQ(SplitStatisticsLines("A\nB\r\nC\n"), (Lines{"A", "B", "C"}));
    EXPECT_EQ(SplitStatisticsLines("A\r\n\r\n"), (Lines{"A", ""}));
    EXPECT_EQ(SplitStatisticsLines("\n\n"), (Lines{"", ""}));
}

TEST(SplitStatisticsLines, BreaksWhereTheDisplayDoesAndKeepsEveryOtherByte) {
    const std::string bytes("T1=\xff\xfe\0x\rB\r\nЖ\xE2\x80\xA8\xE2\x80\xA9", 11 + 2 + 6);
    EXPECT_EQ(SplitStatisticsLines(bytes),
              (Lines{std::string("T1=\xff\xfe\0x", 7), "B", "Ж\xE2\x80\xA8"}));
}

TEST(ReadStatisticsFile, AFileOfManyLinesEndedByCrLfHoldsExactlyThoseLines) {
    TempFolder tmp;
    Lines lines;
    for (int i = 0; i < 87000; ++i) lines.push_back("line " + std::to_string(i));
    FaultyFileSystem files;
    const std::string path = tmp / "big.txt";
    SaveStatisticsFile(files, path, lines);
    EXPECT_EQ(ReadStatisticsFile(files, path), lines);
}

TEST(ReadStatisticsFile, OnlyRegularFilesWithinTheLimitsAreReadAndNoDescriptorIsLeft) {
    TempFolder tmp;
    FaultyFileSystem files;
    const auto failure = [&](const std::string& path) -> std::string {
        try {
            ReadStatisticsFile(files, path);
        } catch (const StatisticsFileError& e) {
            return std::string(e.what()).substr(path.size() + 21);  // the reason
        }
        return "";
    };
    const std::size_t open_before = OpenDescriptorCount();
    const std::string fifo = tmp / "fifo.txt", big = tmp / "big.txt", lines = tmp / "lines.txt";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(failure(fifo), "это не обычный файл, а канал, устройство или сокет");  // at once
    EXPECT_EQ(failure("/dev/zero"), "это не обычный файл, а канал, устройство или сокет");
    EXPECT_EQ(failure(tmp.Path()), "это папка, а не файл");
    TempFolder::Write(big, "");
    ASSERT_EQ(::truncate(big.c_str(), kMaxStatisticsFileBytes + 1), 0);
    EXPECT_EQ(failure(big), "файл больше 32 МБ: это предел для файла статистики");
    TempFolder::Write(lines, "A\r\n" + std::string(kMaxStatisticsLineBytes + 1, 'x'));
    EXPECT_EQ(failure(lines), "строка 2 длиннее 4096 байт: это предел для строки статистики");
    TempFolder::Write(lines, std::string(kMaxStatisticsLines, '\n') + "x");
    EXPECT_EQ(failure(lines), "в файле больше 174000 строк: это предел для файла статистики");
    TempFolder::Write(lines, std::string(kMaxStatisticsLines - 1, '\n') +
                                 std::string(kMaxStatisticsLineBytes, 'x'));
    EXPECT_EQ(failure(lines), "");
    EXPECT_EQ(OpenDescriptorCount(), open_before);
}

TEST(ReadStatisticsFile, AFileThatCannotBeReadIsReported) {
    TempFolder tmp;
    FaultyFileSystem files;
    const std::string missing = tmp / "none.txt";
    try {
        ReadStatisticsFile(files, missing);
        FAIL() << "read a missing file";
    } catch (const StatisticsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open file \"" + missing + "\". нет такого файла или папки");
    }
}

}  // namespace
}  // namespace statistics
