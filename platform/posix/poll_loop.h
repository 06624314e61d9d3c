#pragma once
// A single-threaded event loop on epoll, for the program that runs without a window system.
// The thread that creates the loop is its thread: timer ticks, posted steps and descriptor
// handlers all run there, from Run(). Each round of the loop serves the three in turn, each
// with what was ready when its turn came (steps posted by steps, a timer restarted by its
// tick, a descriptor still readable wait for the next round), so a flood of one never
// starves the others.
//
// Other threads may call post, runAndWait, Quit and QueuedSteps; everything else belongs to
// the loop's thread. Timers and descriptor watches may outlive the loop. Do not destroy the
// loop from inside Run. Steps still queued when the loop is destroyed never run: a thread
// waiting in runAndWait for one is released only by its cancel token.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>
#include <thread>

#include "platform/timer.h"
#include "platform/ui_thread.h"

namespace platform {

class FdWatch;

class PollLoop final : public TimerFactory, public UiThread {
  public:
    using ErrorReport = std::function<void(std::exception_ptr)>;
    // Gets the epoll event bits that are ready (EPOLLIN, EPOLLOUT, EPOLLHUP, EPOLLERR, ...).
    using FdHandler = std::function<void(std::uint32_t events)>;
    struct Core;

    // Throws std::system_error when the system refuses an epoll or an eventfd descriptor.
    PollLoop();
    ~PollLoop() override;
    PollLoop(const PollLoop&) = delete;
    PollLoop& operator=(const PollLoop&) = delete;

    // Runs rounds until Quit(); on the loop's thread only and not from inside itself
    // (std::logic_error). A Quit() that came before Run() makes it return at once.
    void Run();
    // Makes Run() return as soon as the handler or step now running returns; what is still
    // queued stays queued for the next Run(). Any thread.
    void Quit();
    bool IsLoopThread() const;

    // Timers that tick on this loop (see platform/posix/loop_timers.h for their timing).
    std::unique_ptr<Timer> CreateTimer() override;

    bool runAndWait(std::function<void()> step, std::stop_token cancel) override;
    void post(std::function<void()> step) override;

    // Calls `handler` on the loop's thread while `fd` is ready for `events` (level-triggered:
    // read what is there or the next round calls again) until the watch is destroyed, which
    // the handler may do itself. Destroy the watch before closing `fd`: epoll forgets a
    // descriptor only when every copy of it is closed. Throws std::system_error (EEXIST for
    // a descriptor watched already).
    std::unique_ptr<FdWatch> Watch(int fd, std::uint32_t events, FdHandler handler);

    // Where exceptions escaping posted steps, ticks and descriptor handlers go; the loop
    // carries on. By default the message is written to standard error.
    void SetErrorReport(ErrorReport report);

    // Steps posted and not yet taken up by the loop. Any thread.
    std::size_t QueuedSteps() const;

  private:
    std::shared_ptr<Core> core_;
};

// Watching one descriptor; the watch ends with this object.
class FdWatch {
  public:
    ~FdWatch();
    FdWatch(const FdWatch&) = delete;
    FdWatch& operator=(const FdWatch&) = delete;

  private:
    friend class PollLoop;
    FdWatch(std::shared_ptr<PollLoop::Core> core, std::uint64_t id);

    std::shared_ptr<PollLoop::Core> core_;
    std::uint64_t id_;
};

}  // namespace platform
