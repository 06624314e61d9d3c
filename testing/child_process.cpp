#include "testing/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <thread>

namespace {

void RedirectTo(const std::string& file, int fd) {
    if (file.empty()) return;
    const int out = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0) ::_exit(126);
    ::dup2(out, fd);
    ::close(out);
}

}  // namespace

ChildProcess::ChildProcess(std::vector<std::string> argv, const std::string& stdout_file,
                           const std::string& stderr_file,
                           const std::vector<std::string>& environment) {
    // Prepared before the fork: the child only calls async-signal-safe functions.
    std::vector<char*> args;
    for (std::string& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    std::vector<std::string> added = environment;
    std::vector<char*> env;
    for (std::string& e : added) env.push_back(e.data());
    for (char** e = environ; *e; ++e) {
        const std::string_view entry(*e);
        const auto same_name = [&](const std::string& a) {
            const std::size_t eq = a.find('=');
            return entry.substr(0, entry.find('=')) == std::string_view(a).substr(0, eq);
        };
        if (std::none_of(added.begin(), added.end(), same_name)) env.push_back(*e);
    }
    env.push_back(nullptr);
    pid_ = ::fork();
    if (pid_ != 0) return;
    RedirectTo(stdout_file, STDOUT_FILENO);
    RedirectTo(stderr_file, STDERR_FILENO);
    ::execve(args[0], args.data(), env.data());
    ::_exit(127);
}

ChildProcess::~ChildProcess() {
    if (pid_ <= 0 || status_) return;
    ::kill(pid_, SIGTERM);
    if (!WaitForExit(std::chrono::seconds(5))) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

bool ChildProcess::Signal(int signal) {
    return pid_ > 0 && !status_ && ::kill(pid_, signal) == 0;
}

std::optional<int> ChildProcess::WaitForExit(std::chrono::milliseconds timeout) {
    if (pid_ <= 0 || status_) return status_;
    WaitUntil(
        [&] {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) != pid_) return false;
            status_ = status;
            return true;
        },
        timeout);
    return status_;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

bool EndedNormally(const std::optional<int>& status) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0;
}

bool ReadUntil(int fd, std::string& text, const std::function<bool(const std::string&)>& enough,
               std::chrono::milliseconds timeout) {
    return WaitUntil(
        [&] {
            char buffer[4096];
            for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                text.append(buffer, static_cast<std::size_t>(n));
            return enough(text);
        },
        timeout);
}
