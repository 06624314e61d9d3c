#pragma once
// A program run as a child process for the end-to-end tests: its output goes to files, it
// can be sent signals and waited for, and it is killed if still running at the end.

#include <sys/types.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class ChildProcess {
  public:
    // argv[0] is the program's path. `environment` holds NAME=VALUE entries added to this
    // process's environment. Empty file names keep this process's output.
    ChildProcess(std::vector<std::string> argv, const std::string& stdout_file,
                 const std::string& stderr_file, const std::vector<std::string>& environment = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    bool Signal(int signal);
    // The wait status once it has ended, within the time; nothing while it still runs.
    std::optional<int> WaitForExit(std::chrono::milliseconds timeout);

  private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

// Polls the condition every 50 ms until it holds (true) or the time runs out (false).
bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Ended by itself with status 0.
bool EndedNormally(const std::optional<int>& status);

// Appends what the non-blocking descriptor `fd` (a pipe's reading end) gives to `text` until
// `enough(text)` holds (true) or the time runs out (false).
bool ReadUntil(int fd, std::string& text, const std::function<bool(const std::string&)>& enough,
               std::chrono::milliseconds timeout);
