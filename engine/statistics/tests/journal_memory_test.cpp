// Recovering a journal takes bounded memory whatever its size: a child process recovers a
// journal of 48 MB, half of whose lines no daily file holds, while the peak of its resident
// memory is watched.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_recovery.h"
#include "engine/statistics/line_journal.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "platform/doubles/virtual_clock.h"

namespace statistics {
namespace {

// A field of /proc/self/status in kB.
long StatusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    return -1;
}

TEST(JournalMemory, RecoveringALargeJournalTakesBoundedMemory) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer holds on to freed memory";
#endif
    if (!std::ofstream("/proc/self/clear_refs")) GTEST_SKIP() << "no /proc/self/clear_refs";
    TempFolder tmp;
    const std::string log = tmp / "log";
    std::filesystem::create_directories(log);
    const std::string line =
        "\r\nT1=37,5  T2=37,3  T3=28,0  HM=55  OUT=_2______  06.12.26 12:00:00";
    constexpr std::uint64_t kGeneration = 77;
    constexpr std::size_t kLines = 560'000;  // some 48 MB of records
    {
        std::ofstream out(log + "/" + kJournalFileName, std::ios::binary);
        out << journal::HeaderRecord(kGeneration);
        for (std::size_t i = 0; i < kLines; ++i) {
            out << journal::LinesRecord(kGeneration, line);
            if (i + 1 == kLines / 2)
                out << journal::WriteRecord(kGeneration, 0, 0, "2026-12-05.txt")
                    << journal::DoneRecord(kGeneration, (i + 1) * line.size());
        }
    }
    const std::uintmax_t journal_size = std::filesystem::file_size(log + "/" + kJournalFileName);
    ASSERT_GT(journal_size, 40u << 20);

    int report[2];
    ASSERT_EQ(::pipe(report), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(report[0]);
        const long before = StatusKb("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts from here
        platform::VirtualClock clock;
        LineJournal journal(RealFileSystem(), log, clock, {});
        Autosaver autosave(RealFileSystem(), log,
                           [] { return LocalDateTime{2026, 12, 6, 13, 0, 0}; });
        autosave.SetWrites(&journal);
        std::string buffer;
        const JournalRecovery recovery = RecoverJournal(journal, autosave, buffer);
        const std::string text =
            std::to_string(recovery.lines) + " " + std::to_string(StatusKb("VmHWM") - before);
        const bool sent =
            ::write(report[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
        ::_exit(sent && buffer.empty() ? 0 : 1);
    }
    ::close(report[1]);
    char text[64] = {};
    const ssize_t n = ::read(report[0], text, sizeof text - 1);
    ::close(report[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << std::string(text, std::max<ssize_t>(n, 0));
    std::size_t lines = 0;
    long grown_kb = 0;
    ASSERT_EQ(std::sscanf(text, "%zu %ld", &lines, &grown_kb), 2) << text;
    EXPECT_EQ(lines, kLines / 2);
    EXPECT_EQ(std::filesystem::file_size(log + "/2026-12-06.txt"), kLines / 2 * line.size());
    EXPECT_LT(grown_kb, 16 * 1024) << "the recovery's peak grew by " << grown_kb / 1024 << " MB";
    std::printf("[ memory   ] recovering a journal of %ju MB: the peak grew by %ld kB\n",
                journal_size >> 20, grown_kb);
}

}  // namespace
}  // namespace statistics
