// What the whole program asks of the kernel per packet, thread by thread: the same runs as
// process_bench (see process_run.h for the options), counted instead of timed.
//
//   ./build/bench/process_counts_bench [--packets=N] [--quick] [--rate=R] [--burst=B]
//
// Per packet, for each thread (by its name; "main" is the program's logic thread) and in all:
//   wakeups   times it slept and was woken (voluntary context switches)
//   preempted times it was put aside while it could run (involuntary context switches)
//   rw        read and write calls (/proc/<pid>/task/<tid>/io)
//   syscalls  all system calls, where the kernel's raw_syscalls tracepoint may be counted
//             (perf_event_open: as root, or with kernel.perf_event_paranoid at -1, and the
//             tracing file system mounted); left out otherwise
// Threads that start during the measured packets are not counted.
#include <linux/perf_event.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "bench/process_run.h"
#include "platform/posix/unique_fd.h"
#include "testing/temp_folder.h"

namespace {

struct Counts {
    double wakeups = 0, preempted = 0, rw = 0, syscalls = 0;
};

// The value after `key` in a "key: value" text of /proc.
double Field(const std::string& text, const std::string& key) {
    const auto at = text.find("\n" + key);
    if (at == std::string::npos) return 0;
    return std::strtod(text.c_str() + at + key.size() + 1, nullptr);
}

// The id of the raw_syscalls:sys_enter tracepoint, or -1.
long long SyscallTracepoint() {
    for (const char* root : {"/sys/kernel/tracing", "/sys/kernel/debug/tracing"}) {
        const std::string id = Slurp(std::string(root) + "/events/raw_syscalls/sys_enter/id");
        if (!id.empty()) return std::stoll(id);
    }
    return -1;
}

// A counter of the system calls of one thread; invalid when the kernel does not allow it.
platform::UniqueFd SyscallCounter(long long tracepoint, pid_t tid) {
    if (tracepoint < 0) return {};
    perf_event_attr attr{};
    attr.size = sizeof attr;
    attr.type = PERF_TYPE_TRACEPOINT;
    attr.config = static_cast<std::uint64_t>(tracepoint);
    return platform::UniqueFd(
        static_cast<int>(::syscall(SYS_perf_event_open, &attr, tid, -1, -1, PERF_FLAG_FD_CLOEXEC)));
}

class CountsProbe : public process_run::Probe {
  public:
    std::string Begin(pid_t pid) override {
        const long long tracepoint = SyscallTracepoint();
        const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
        for (const auto& entry : std::filesystem::directory_iterator(tasks)) {
            const std::string tid = entry.path().filename();
            Thread t;
            t.path = entry.path();
            t.name = tid == std::to_string(pid) ? "main" : Slurp(t.path + "/comm");
            if (t.name.ends_with('\n')) t.name.pop_back();
            t.start = Read(t);
            t.syscalls = SyscallCounter(tracepoint, std::stoi(tid));
            threads_.push_back(std::move(t));
        }
        return threads_.empty() ? "no threads in " + tasks : "";
    }

    std::string End(pid_t, long long packets, benchmark::State& state) override {
        std::map<std::string, Counts> by_name;
        Counts all;
        bool syscalls = true;
        for (Thread& t : threads_) {
            const Counts now = Read(t);
            Counts& c = by_name[t.name];
            c.wakeups += now.wakeups - t.start.wakeups;
            c.preempted += now.preempted - t.start.preempted;
            c.rw += now.rw - t.start.rw;
            std::uint64_t calls = 0;
            syscalls = syscalls && t.syscalls.Valid() &&
                       ::read(t.syscalls.Get(), &calls, sizeof calls) == sizeof calls;
            c.syscalls += static_cast<double>(calls);
        }
        const auto per_packet = [&](const std::string& name, double value) {
            state.counters[name] = value / static_cast<double>(packets);
        };
        for (const auto& [name, c] : by_name) {
            per_packet(name + ":wakeups", c.wakeups);
            per_packet(name + ":preempted", c.preempted);
            per_packet(name + ":rw", c.rw);
            if (syscalls) per_packet(name + ":syscalls", c.syscalls);
            all.wakeups += c.wakeups;
            all.preempted += c.preempted;
            all.rw += c.rw;
            all.syscalls += c.syscalls;
        }
        per_packet("wakeups", all.wakeups);
        per_packet("preempted", all.preempted);
        per_packet("rw", all.rw);
        if (syscalls) per_packet("syscalls", all.syscalls);
        return "";
    }

  private:
    struct Thread {
        std::string path, name;
        Counts start;
        platform::UniqueFd syscalls;
    };

    static Counts Read(const Thread& t) {
        const std::string status = Slurp(t.path + "/status");
        const std::string io = "\n" + Slurp(t.path + "/io");
        Counts c;
        c.wakeups = Field(status, "voluntary_ctxt_switches:");
        c.preempted = Field(status, "nonvoluntary_ctxt_switches:");
        c.rw = Field(io, "syscr:") + Field(io, "syscw:");
        return c;
    }

    std::vector<Thread> threads_;
};

}  // namespace

int main(int argc, char** argv) {
    return process_run::Main(argc, argv, "Counts", [] { return std::make_unique<CountsProbe>(); });
}
