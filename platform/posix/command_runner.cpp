#include "platform/posix/command_runner.h"

#include <sys/epoll.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>
#include <utility>

#include "common/system_error_text.h"
#include "common/text_format.h"

namespace platform {

struct CommandRunner::Child {
    CommandEvent event;
    StartedChild process;
    std::unique_ptr<FdWatch> watch;  // ends before the pidfd is closed
    std::unique_ptr<Timer> deadline;
    bool timed_out = false;
};

std::string CommandFailure::Text() const {
    std::string what =
        "Команда «" + program + "» (" + event.event + " " + event.channel + " " + event.value + ")";
    switch (kind) {
        case Kind::NotStarted:
            return what + " не запущена: " + text::SystemErrorText(static_cast<int>(code));
        case Kind::ExitStatus:
            return what + " завершилась с кодом " + text::FormatInt(code);
        case Kind::Signal: {
            const char* name = ::sigabbrev_np(static_cast<int>(code));
            return what + " прервана сигналом " + text::FormatInt(code) +
                   (name ? std::string(" (SIG") + name + ")" : std::string());
        }
        case Kind::TimedOut:
            return what + " не завершилась за " +
                   text::FormatGeneral(static_cast<double>(code) / 1000.0) + " с и остановлена";
    }
    return what;
}

CommandRunner::CommandRunner(PollLoop& loop, Options options, FailureReport report)
    : loop_(loop), options_(std::move(options)), report_(std::move(report)) {}

CommandRunner::~CommandRunner() {
    for (auto& [name, kind] : kinds_) {
        if (!kind.running) continue;
        kind.running->deadline.reset();
        kind.running->watch.reset();
        KillAndReap(kind.running->process);
    }
}

void CommandRunner::Run(CommandEvent event) {
    if (options_.program.empty()) return;
    Kind& kind = kinds_[event.event];
    auto& waiting = kind.waiting;
    waiting.erase(std::remove_if(waiting.begin(), waiting.end(),
                                 [&](const CommandEvent& e) { return e.channel == event.channel; }),
                  waiting.end());
    waiting.push_back(std::move(event));
    StartNext(kind);
}

void CommandRunner::StartNext(Kind& kind) {
    while (!kind.running && !kind.waiting.empty()) {
        CommandEvent next = std::move(kind.waiting.front());
        kind.waiting.pop_front();
        Start(kind, std::move(next));
    }
}

void CommandRunner::Start(Kind& kind, CommandEvent event) {
    auto child = std::make_unique<Child>();
    const int error = StartChild({options_.program, event.event, event.channel, event.value},
                                 {{"INCUBATOR_EVENT", event.event},
                                  {"INCUBATOR_CHANNEL", event.channel},
                                  {"INCUBATOR_VALUE", event.value},
                                  {"INCUBATOR_INSTANCE", options_.instance}},
                                 child->process);
    if (error != 0) {
        Report(event, CommandFailure::Kind::NotStarted, error);
        return;
    }
    Kind* k = &kind;
    try {
        child->watch = loop_.Watch(child->process.pidfd.Get(), EPOLLIN,
                                   [this, k](std::uint32_t) { OnEnded(*k); });
    } catch (const std::system_error& e) {
        KillAndReap(child->process);
        Report(event, CommandFailure::Kind::NotStarted, e.code().value());
        return;
    }
    child->deadline = loop_.CreateTimer();
    child->deadline->SetInterval(static_cast<std::uint32_t>(std::clamp<long long>(
        options_.timeout.count(), 0, std::numeric_limits<std::uint32_t>::max())));
    child->deadline->SetTickHandler([this, k] { OnTimedOut(*k); });
    child->deadline->Start();  // a time-out of 0 means none
    child->event = std::move(event);
    kind.running = std::move(child);
}

void CommandRunner::OnTimedOut(Kind& kind) {
    Child& c = *kind.running;
    c.deadline->Stop();
    c.timed_out = true;
    // Its group too: a script's own children would otherwise live on. The pidfd reports the
    // end, and the reaping follows there.
    if (::kill(-c.process.pid, SIGKILL) != 0) ::kill(c.process.pid, SIGKILL);
}

void CommandRunner::OnEnded(Kind& kind) {
    Child& c = *kind.running;
    int status = 0;
    const pid_t reaped = ::waitpid(c.process.pid, &status, WNOHANG);
    if (reaped == 0 || (reaped < 0 && errno == EINTR)) return;  // asked again next round
    // reaped < 0 otherwise: somebody reaped it for us (SIGCHLD ignored); its status is gone.
    c.process.pid = -1;
    const CommandEvent event = std::move(c.event);
    const bool timed_out = c.timed_out;
    kind.running.reset();  // ends this very watch: the loop allows that
    if (reaped > 0) {
        if (timed_out)
            Report(event, CommandFailure::Kind::TimedOut, options_.timeout.count());
        else if (WIFEXITED(status) && WEXITSTATUS(status) != 0)
            Report(event, CommandFailure::Kind::ExitStatus, WEXITSTATUS(status));
        else if (WIFSIGNALED(status))
            Report(event, CommandFailure::Kind::Signal, WTERMSIG(status));
    }
    StartNext(kind);
}

void CommandRunner::Report(const CommandEvent& event, CommandFailure::Kind what, long long code) {
    if (report_) report_({options_.program, event, what, code});
}

std::size_t CommandRunner::Running() const {
    return static_cast<std::size_t>(std::count_if(
        kinds_.begin(), kinds_.end(), [](const auto& k) { return k.second.running != nullptr; }));
}

std::size_t CommandRunner::Waiting() const {
    std::size_t n = 0;
    for (const auto& [name, kind] : kinds_) n += kind.waiting.size();
    return n;
}

}  // namespace platform
