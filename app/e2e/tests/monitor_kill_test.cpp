// Each program (the window program, the service) killed (SIGKILL) at random moments while it
// receives 10 packets a second with a one-minute autosave, and started again after each kill;
// a last run ends on SIGTERM.
// The daily files must then hold, once and in order, the lines each run echoed, less at most
// a second's worth at each kill; each start must say how many lines it recovered; and every
// line must be a packet the simulator sent. INCUBATOR_KILLS sets the number of kills (12 by
// default; the figures are printed).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/programs_under_test.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/simulator_process.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr int kRate = 10;  // packets a second
// A kill may lose what was not yet in the journal: the line being handled.
constexpr std::size_t kLostReceivedLines = 1;

int KillCount() {
    const char* text = std::getenv("INCUBATOR_KILLS");
    const int kills = text ? std::atoi(text) : 0;
    return kills > 0 ? kills : 12;
}

struct MonitorRun {
    std::vector<std::string> echoed;
    std::string errors;         // the monitor's standard error
    std::size_t log_start = 0;  // packets in the simulator's log when it started
    std::size_t sent = 0;       // packets the simulator wrote whole while this run listened
    std::size_t saved = 0;      // of `echoed`, how many the daily files hold
};

// Splits the saved lines into the runs' echoed lines: saved = echoed_1[:p_1] + ... +
// echoed_n[:p_n], with each run losing at most `slack` of its last lines. Sets each run's
// `saved`; false when there is no such split: a line twice, out of order or never echoed.
bool SplitByRun(const std::vector<std::string>& saved, std::vector<MonitorRun>& runs,
                std::size_t slack) {
    // reach[k]: positions in `saved` where run k can begin, with the run before's count.
    std::vector<std::map<std::size_t, std::size_t>> reach(runs.size() + 1);
    reach[0][0] = 0;
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const std::vector<std::string>& e = runs[k].echoed;
        for (const auto& [at, unused] : reach[k]) {
            std::size_t same = 0;
            while (same < e.size() && at + same < saved.size() && saved[at + same] == e[same])
                ++same;
            for (std::size_t p = e.size() > slack ? e.size() - slack : 0; p <= same; ++p)
                reach[k + 1].emplace(at + p, p);
        }
    }
    std::size_t at = saved.size();
    if (!reach[runs.size()].count(at)) return false;
    for (std::size_t k = runs.size(); k-- > 0;) {
        runs[k].saved = reach[k + 1].at(at);
        at -= runs[k].saved;
    }
    return true;
}

// Lines the files hold more often than they were echoed.
std::size_t Doubled(const std::vector<std::string>& saved, const std::vector<MonitorRun>& runs) {
    std::map<std::string, long> count;
    for (const std::string& line : saved) ++count[line];
    for (const MonitorRun& run : runs)
        for (const std::string& line : run.echoed) --count[line];
    std::size_t doubled = 0;
    for (const auto& [line, n] : count) doubled += n > 0 ? static_cast<std::size_t>(n) : 0;
    return doubled;
}

std::size_t LoggedPackets(const std::string& log) {
    return e2e::ParseSimLog(Slurp(log)).size();
}

// The number in "... не сохранённые тогда: N." of a start's message, if it said one.
std::optional<std::size_t> Recovered(const std::string& errors) {
    const std::string mark = "не сохранённые тогда: ";
    const std::size_t at = errors.find(mark);
    if (at == std::string::npos) return std::nullopt;
    return std::stoul(errors.substr(at + mark.size()));
}

using Program = ProgramUnderTest;

class Kills : public ::testing::TestWithParam<Program> {};

std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

TEST_P(Kills, EachKillLosesAtMostTheLastSecondAndNoLineIsSavedTwice) {
    const int kills = KillCount();
    const Program& program = GetParam();
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", std::to_string(kRate)});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string& sim_log = sim.LogPath();
    Spit(folder.File("incubator-monitor.ini"),
         "[ComPort1]\nPort=" + sim.Pty() + "\nOpenStart=1\n[LogFile]\nTime=1\n");

    const unsigned seed = std::random_device{}();
    std::printf("[ kills    ] seed %u, %d kills\n", seed, kills);
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> wait_ms(0, 2500);

    std::vector<MonitorRun> runs;
    for (int k = 0; k <= kills; ++k) {
        // The simulator waits while nobody listens: its log stands still between two runs.
        std::size_t before = LoggedPackets(sim_log);
        while (true) {
            std::this_thread::sleep_for(300ms);
            const std::size_t now = LoggedPackets(sim_log);
            if (now == before) break;
            before = now;
        }
        const std::string echo = folder.File("echo" + std::to_string(k) + ".txt");
        const std::string errors = folder.File("monitor" + std::to_string(k) + ".err");
        ChildProcess monitor(program.command(folder.Path()), echo, errors, program.environment);
        ASSERT_TRUE(WaitUntil([&] { return !e2e::SplitEchoText(Slurp(echo)).empty(); }, 30s))
            << "run " << k << " received nothing: " << Slurp(errors);
        const bool last = k == kills;
        if (last) {
            ASSERT_TRUE(
                WaitUntil([&] { return e2e::SplitEchoText(Slurp(echo)).size() >= 5; }, 10s));
            monitor.Signal(SIGTERM);
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms(random)));
            monitor.Signal(SIGKILL);
        }
        const std::optional<int> status = monitor.WaitForExit(30s);
        ASSERT_TRUE(status) << "run " << k << " did not end";
        if (last)
            ASSERT_TRUE(EndedNormally(status)) << Slurp(errors);
        else
            ASSERT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGKILL);
        runs.push_back({e2e::SplitEchoText(Slurp(echo)), Slurp(errors), before});
    }
    // What the simulator wrote during each run: the log's growth from one start to the next.
    const std::vector<e2e::SentPacket> log = e2e::ParseSimLog(Slurp(sim_log));
    for (std::size_t k = 0; k < runs.size(); ++k) {
        const std::size_t from = runs[k].log_start;
        const std::size_t to = k + 1 < runs.size() ? runs[k + 1].log_start : log.size();
        runs[k].sent = static_cast<std::size_t>(std::count_if(
            log.begin() + static_cast<long>(from), log.begin() + static_cast<long>(to),
            [](const e2e::SentPacket& p) { return p.status == e2e::SentStatus::Ok; }));
    }

    const std::string log_folder = folder.File("log");
    const std::vector<std::string> saved = e2e::ReadDailyLines(log_folder);
    for (const auto& file : fs::directory_iterator(log_folder)) {
        const std::string text = Slurp(file.path());
        EXPECT_EQ(file.path().extension(), ".txt") << "left in the log folder: " << file.path();
        EXPECT_TRUE(text.starts_with("\r\n") && !text.ends_with("\n")) << file.path();
    }
    const std::size_t doubled = Doubled(saved, runs);
    const bool split = SplitByRun(saved, runs, kLostReceivedLines);
    EXPECT_EQ(doubled, 0u);
    ASSERT_TRUE(split) << "the daily files are not the runs' lines in order, each once";
    EXPECT_EQ(runs.back().saved, runs.back().echoed.size()) << "SIGTERM saves everything";

    std::size_t most_lost = 0, lost = 0, most_received_lost = 0;
    for (std::size_t k = 0; k + 1 < runs.size(); ++k) {
        const MonitorRun& run = runs[k];
        // The next start wrote this run's lines and said how many.
        EXPECT_EQ(Recovered(runs[k + 1].errors), run.saved) << runs[k + 1].errors;
        // Once: the service's warnings are its standard error, not a copy of them.
        if (program.name == "Service") {
            EXPECT_EQ(Occurrences(runs[k + 1].errors, "не сохранённые тогда"), 1u)
                << runs[k + 1].errors;
        }
        // Lost at this kill: sent but never received (in flight), and received but not saved.
        const std::size_t lost_here = run.sent > run.saved ? run.sent - run.saved : 0;
        EXPECT_LE(lost_here, static_cast<std::size_t>(kRate) + 2) << "run " << k;
        most_lost = std::max(most_lost, lost_here);
        most_received_lost = std::max(most_received_lost, run.echoed.size() - run.saved);
        lost += lost_here;
    }
    // Every line is a packet the simulator sent, in order.
    const e2e::RunCheck check = e2e::CheckRun(log, saved, PacketLayout::Eight, true, std::nullopt);
    EXPECT_EQ(check.foreign, 0u) << check.Summary();
    EXPECT_TRUE(check.packets.extra.empty()) << check.Summary();
    std::printf(
        "[ kills    ] %s: %d kills, %zu lines saved; packets lost per kill: max %zu, mean %.2f; "
        "received lines lost per kill: max %zu; lines saved twice: %zu\n",
        program.name.c_str(), kills, saved.size(), most_lost, static_cast<double>(lost) / kills,
        most_received_lost, doubled);
}

INSTANTIATE_TEST_SUITE_P(Programs, Kills, ::testing::ValuesIn(ProgramsUnderTest()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
