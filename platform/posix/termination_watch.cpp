#include "platform/posix/termination_watch.h"

#include <sys/epoll.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

namespace platform {

namespace {

sigset_t TerminationSet() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGHUP);
    sigaddset(&set, SIGINT);
    return set;
}

// The blocked-signal mask of a thread as /proc shows it, or false when it cannot be read
// (the thread has ended, or /proc is not there).
bool ReadBlockedMask(const std::filesystem::path& status, std::uint64_t& mask) {
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("SigBlk:", 0) != 0) continue;
        try {
            mask = std::stoull(line.substr(7), nullptr, 16);
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    return false;
}

void RequireBlockedInEveryThread() {
    std::uint64_t wanted = 0;
    for (int s : {SIGTERM, SIGHUP, SIGINT}) wanted |= std::uint64_t{1} << (s - 1);
    std::error_code error;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", error)) {
        std::uint64_t mask = 0;
        if (!ReadBlockedMask(task.path() / "status", mask)) continue;
        if ((mask & wanted) != wanted)
            throw std::logic_error("thread " + task.path().filename().string() +
                                   " does not block the termination signals: block them "
                                   "before any thread starts");
    }
}

}  // namespace

void BlockTerminationSignals() {
    const sigset_t set = TerminationSet();
    const int error = ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
    if (error != 0) throw std::system_error(error, std::system_category(), "pthread_sigmask");
}

TerminationWatch::TerminationWatch(PollLoop& loop, Handler handler) : handler_(std::move(handler)) {
    BlockTerminationSignals();
    RequireBlockedInEveryThread();
    const sigset_t set = TerminationSet();
    fd_.Reset(::signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd_.Valid()) throw std::system_error(errno, std::system_category(), "signalfd");
    watch_ = loop.Watch(fd_.Get(), EPOLLIN, [this](std::uint32_t) { OnReadable(); });
}

TerminationWatch::~TerminationWatch() = default;

void TerminationWatch::OnReadable() {
    // Read them all: a level-triggered watch would otherwise call again for each.
    int first = 0;
    signalfd_siginfo info;
    while (::read(fd_.Get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info))
        if (first == 0) first = static_cast<int>(info.ssi_signo);
    if (first == 0 || requested_) return;
    requested_ = true;
    if (handler_) handler_(first);
}

}  // namespace platform
