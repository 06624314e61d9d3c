#pragma once
// The whole programs in processes of their own, fed by incubator-sim on a pseudo-terminal at a
// high rate, for the process benchmarks (process_bench: CPU time and memory; process_counts_bench:
// system calls and wake-ups). Every variant gets the same packets (one seed), a fresh temporary
// folder and a configuration of its own; a variant whose program is not built is reported as
// skipped. The measurement leaves out the start-up: it begins after the first 2% of the packets
// and ends when the program has echoed the last one.
//
// Options taken by Main: --packets=N (default 100,000), --quick (5,000, for a smoke run),
// --rate=R (packets a second, default 1,000; the baud rate does not limit a pseudo-terminal),
// --burst=B (1 to B packets in one write, default 10).

#include <benchmark/benchmark.h>
#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>

namespace process_run {

// What a benchmark measures over the measured packets of one run.
class Probe {
  public:
    virtual ~Probe() = default;
    // Just before the measured packets; "" or why the run cannot be measured.
    virtual std::string Begin(pid_t pid) = 0;
    // Just after them (`packets` were taken meanwhile): sets the state's counters.
    virtual std::string End(pid_t pid, long long packets, benchmark::State& state) = 0;
};

// Registers one benchmark "<family>/<variant>" per program variant, each run measured by a
// probe from `make_probe`, and runs them.
int Main(int argc, char** argv, const char* family,
         const std::function<std::unique_ptr<Probe>()>& make_probe);

}  // namespace process_run
