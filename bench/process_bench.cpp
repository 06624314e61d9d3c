// The whole program in a process of its own, fed by incubator-sim on a pseudo-terminal at a
// high rate: its CPU time per packet (all threads, from /proc/<pid>/stat) and its resident
// memory after the packets (VmRSS and VmHWM). See process_run.h for the runs and options:
//
//   ./build/bench/process_bench [--packets=N] [--quick] [--rate=R] [--burst=B] [flags...]
//
// The time shown is the wall time of the measured packets. process_counts_bench counts the
// system calls and wake-ups of the same runs.
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>

#include "bench/process_run.h"
#include "testing/temp_folder.h"

namespace {

struct Usage {
    double cpu_seconds = 0;  // user and system, all threads
    double rss_mib = 0, hwm_mib = 0;
};

std::optional<Usage> ReadUsage(pid_t pid) {
    const std::string proc = "/proc/" + std::to_string(pid);
    const std::string stat = Slurp(proc + "/stat");
    // The program's name, in parentheses, may hold spaces: count the fields after it.
    const auto name_end = stat.rfind(')');
    if (name_end == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(name_end + 1));
    std::string skipped;
    for (int field = 3; field < 14; ++field) fields >> skipped;
    long long utime = 0, stime = 0;
    if (!(fields >> utime >> stime)) return std::nullopt;
    Usage u;
    u.cpu_seconds =
        static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
    std::istringstream status(Slurp(proc + "/status"));
    for (std::string line; std::getline(status, line);) {
        const auto kib = [&] { return std::strtod(line.c_str() + 6, nullptr) / 1024; };
        if (line.starts_with("VmRSS:")) u.rss_mib = kib();
        if (line.starts_with("VmHWM:")) u.hwm_mib = kib();
    }
    return u;
}

class UsageProbe : public process_run::Probe {
  public:
    std::string Begin(pid_t pid) override {
        before_ = ReadUsage(pid);
        wall_start_ = Now();
        return before_ ? "" : "cannot read /proc of the program";
    }

    std::string End(pid_t pid, long long packets, benchmark::State& state) override {
        const std::optional<Usage> after = ReadUsage(pid);
        const double wall = Now() - wall_start_;
        if (!after) return "cannot read /proc of the program";
        const double cpu = after->cpu_seconds - before_->cpu_seconds;
        state.counters["cpu_us_per_packet"] = cpu * 1e6 / static_cast<double>(packets);
        state.counters["cpu_load"] = cpu / wall;  // of one core
        state.counters["rss_start_MiB"] = before_->rss_mib;
        state.counters["rss_MiB"] = after->rss_mib;
        state.counters["hwm_MiB"] = after->hwm_mib;
        return "";
    }

  private:
    static double Now() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
    }

    std::optional<Usage> before_;
    double wall_start_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    return process_run::Main(argc, argv, "Process", [] { return std::make_unique<UsageProbe>(); });
}
