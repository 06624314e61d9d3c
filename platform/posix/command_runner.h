#pragma once
// Runs a program for events (an alarm that changes, data that stop, a port lost or back),
// on a poll loop without ever blocking it: the program gets the event, the channel and the
// value as its arguments and as the environment variables INCUBATOR_EVENT,
// INCUBATOR_CHANNEL, INCUBATOR_VALUE, plus INCUBATOR_INSTANCE, and starts as described in
// platform/posix/child_process.h (no shell, standard input from /dev/null, output inherited).
//
// At most one program runs per event kind. An event that comes while its kind runs waits;
// of those waiting, a newer one for the same channel replaces the older: the events tell of
// a state, the newest is the state now, and a flapping alarm must not pile up a backlog of
// runs telling of states long gone. Waiting events for other channels are all kept, in the
// order of their latest change. Different kinds run side by side.
//
// A program that cannot start, ends with a non-zero status or by a signal, or runs longer
// than the time-out (then it is killed with its process group) is reported once as a
// failure. Ended programs are reaped through a pidfd watched by the loop: no zombies, no
// SIGCHLD handler. Loop thread only.

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "platform/posix/child_process.h"
#include "platform/posix/poll_loop.h"

namespace platform {

struct CommandEvent {
    std::string event;  // the kind: at most one program runs per kind
    std::string channel;
    std::string value;
    bool operator==(const CommandEvent&) const = default;
};

struct CommandFailure {
    enum class Kind { NotStarted, ExitStatus, Signal, TimedOut };
    std::string program;
    CommandEvent event;
    Kind kind = Kind::NotStarted;
    // errno for NotStarted, the exit status, the signal, or the time-out in ms.
    long long code = 0;

    // One line for the journal, in the program's language.
    std::string Text() const;
};

class CommandRunner {
  public:
    struct Options {
        std::string program;   // a path, or a bare name looked up in PATH; empty: runs nothing
        std::string instance;  // INCUBATOR_INSTANCE
        std::chrono::milliseconds timeout = std::chrono::seconds(60);  // 0: no limit
    };
    using FailureReport = std::function<void(const CommandFailure&)>;

    CommandRunner(PollLoop& loop, Options options, FailureReport report);
    // Kills what still runs (with its process group) and reaps it; waiting events are dropped.
    ~CommandRunner();
    CommandRunner(const CommandRunner&) = delete;
    CommandRunner& operator=(const CommandRunner&) = delete;

    // Starts the program for `event` now, or lets it wait as described above.
    void Run(CommandEvent event);

    std::size_t Running() const;
    std::size_t Waiting() const;

  private:
    struct Child;
    struct Kind {
        std::unique_ptr<Child> running;
        std::deque<CommandEvent> waiting;
    };

    void StartNext(Kind& kind);
    void Start(Kind& kind, CommandEvent event);
    void OnEnded(Kind& kind);
    void OnTimedOut(Kind& kind);
    void Report(const CommandEvent& event, CommandFailure::Kind what, long long code);

    PollLoop& loop_;
    Options options_;
    FailureReport report_;
    std::map<std::string, Kind> kinds_;  // nodes stay put: children's handlers refer to them
};

}  // namespace platform
