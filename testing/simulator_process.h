#pragma once
// incubator-sim as a child process for the end-to-end tests, with its files in a folder of
// the test's: sim.out (its first line is the pseudo-terminal's path), sim.err and the packet
// log sim.log.

#include <string>
#include <vector>

#include "testing/child_process.h"

class SimulatorProcess {
  public:
    // `arguments` follow the program's path; the log's option is added. Returns once the
    // pseudo-terminal is known, or after 10 s without it.
    SimulatorProcess(const std::string& folder, std::vector<std::string> arguments);

    // "" when the simulator gave none.
    const std::string& Pty() const { return pty_; }
    const std::string& LogPath() const { return log_; }
    bool Signal(int signal) { return process_.Signal(signal); }

  private:
    std::string log_;
    ChildProcess process_;
    std::string pty_;
};
