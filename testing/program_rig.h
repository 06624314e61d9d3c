#pragma once
// A program under test fed by incubator-sim, with all their files in one temporary folder:
// the program's echo (echo.txt) and standard error (program.err), the simulator's files.

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "testing/child_process.h"
#include "testing/sim_log.h"
#include "testing/simulator_process.h"
#include "testing/temp_folder.h"

class ProgramRig {
  public:
    const std::string& Folder() const { return folder_.Path(); }
    std::string File(const std::string& name) const { return folder_.File(name); }

    // "{folder}" in an argument stands for the rig's folder.
    void StartSimulator(std::vector<std::string> arguments);
    // "" until a simulator has given one.
    const std::string& Pty() const;
    void SignalSimulator(int signal) { sim_->Signal(signal); }
    std::vector<e2e::SentPacket> SentLog() const;

    // `echo`: where the standard output goes, echo.txt unless given.
    void StartProgram(const std::vector<std::string>& command,
                      const std::vector<std::string>& environment = {}, std::string echo = {});
    // The program's wait status if it has ended.
    std::optional<int> Ended() { return program_->WaitForExit(std::chrono::milliseconds(0)); }
    // Sends the signal and waits for the program to end; its wait status.
    std::optional<int> End(int signal);
    std::string Errors() const;

    // Starts the program by `start`, given where its echo is to go: a pipe whose reader leaves
    // after the first five lines, as `program --echo | head -5` does. What the reader got;
    // less when the pipe could not be made or the lines did not come.
    std::string EchoToAReaderThatLeaves(const std::function<void(const std::string& echo)>& start);

    std::vector<std::string> Echoed() const;
    bool WaitForEchoedLines(std::size_t n);

  private:
    // Declared so that the program ends first, then the simulator, then the folder goes.
    TempFolder folder_;
    std::unique_ptr<SimulatorProcess> sim_;
    std::unique_ptr<ChildProcess> program_;
};
