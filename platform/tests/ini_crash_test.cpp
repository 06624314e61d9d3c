// Kills a writer of the file at random moments and checks, after each kill, that the file
// holds one complete state: the old one or a new one, never a mix or a truncated file.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/tests/ini_crash_layout.h"
#include "testing/temp_folder.h"

namespace {

constexpr int kKillsWanted = 400;
constexpr auto kTimeBudget = std::chrono::seconds(15);
constexpr int kLongestWaitMicros = 3000;
constexpr int kLongRunMicros = 30000;

// Starts the writer and returns its pid once it runs its loop; -1 when it did not start.
pid_t StartWriter(const std::string& file) {
    int pipe_fds[2];
    if (::pipe(pipe_fds) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(pipe_fds[1], STDOUT_FILENO);
        ::close(pipe_fds[0]);
        ::close(pipe_fds[1]);
        ::execl(INI_CRASH_WRITER, INI_CRASH_WRITER, file.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(pipe_fds[1]);
    char ready = 0;
    const bool started = pid > 0 && ::read(pipe_fds[0], &ready, 1) == 1 && ready == 'r';
    ::close(pipe_fds[0]);
    if (pid > 0 && !started) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid;
}

// Stray temporary files are the killed writers' own, and a later write removes them.
TEST(IniCrash, KilledWritersLeaveTheOldOrTheNewFileNeverAPartOne) {
    TempFolder folder;
    const std::string file = folder.File("crash.ini");
    Spit(file, crash_layout::Render(0, 0));
    platform::IniFile ini(file);

    const unsigned seed = std::random_device{}();
    std::printf("[ crash    ] seed %u\n", seed);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> wait_micros(0, kLongestWaitMicros);
    std::set<std::string> killed_pids;
    int kills = 0, kills_mid_write = 0, last_g = 0, last_s = 0;
    std::size_t most_strays = 0;
    const auto start = std::chrono::steady_clock::now();

    while (kills < kKillsWanted && std::chrono::steady_clock::now() - start < kTimeBudget) {
        const pid_t pid = StartWriter(file);
        ASSERT_GT(pid, 0) << "the writer did not start";
        // Now and then a longer run, so that the rounds advance even on a slow disk.
        const int wait = kills % 10 == 9 ? kLongRunMicros : wait_micros(random);
        std::this_thread::sleep_for(std::chrono::microseconds(wait));
        ASSERT_EQ(::kill(pid, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself, status " << status;
        ++kills;
        killed_pids.insert(std::to_string(pid));

        const int g = ini.ReadInteger(crash_layout::kBulkSection, crash_layout::kFirstBulkKey, -1);
        const int s = ini.ReadInteger(crash_layout::kSingleSection, crash_layout::kSingleKey, -1);
        ASSERT_EQ(Slurp(file), crash_layout::Render(g, s)) << "after kill " << kills;
        ASSERT_GE(g, last_g);
        ASSERT_GE(s, last_s);
        ASSERT_LE(s, g);
        last_g = g;
        last_s = s;

        std::size_t strays = 0;
        for (const std::string& name : folder.Names()) {
            if (name == "crash.ini") continue;
            ++strays;
            // ".crash.ini.<pid>.<tag>.tmp"
            const std::string prefix = ".crash.ini.";
            ASSERT_TRUE(name.starts_with(prefix)) << name;
            const std::string pid_text =
                name.substr(prefix.size(), name.find('.', prefix.size()) - prefix.size());
            ASSERT_TRUE(killed_pids.count(pid_text)) << name << " is not a killed writer's";
        }
        if (strays > 0) ++kills_mid_write;
        most_strays = std::max(most_strays, strays);
    }

    std::printf(
        "[ crash    ] %d kills tried, %d left a temporary file, at most %zu at once; "
        "%d rounds written\n",
        kills, kills_mid_write, most_strays, last_g);
    EXPECT_GE(kills, 100);
    EXPECT_GT(last_g, 0) << "the writers never finished a write";

    // The next write of the file clears what the killed writers left.
    ini.WriteString("Tail", "End", "yes");
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"crash.ini"});
    EXPECT_EQ(Slurp(file), crash_layout::Render(last_g, last_s));
}

}  // namespace
