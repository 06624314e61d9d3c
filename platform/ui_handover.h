#pragma once
// One step handed from a worker thread to the UI thread, shared by both sides: the UI side
// runs it (unless it was cancelled first), the worker waits for the outcome or gives up. The
// serial event thread hands over every receive event this way: the worker sleeps once and is
// woken once, after the UI side has let go of the lock.

#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>

class UiHandover {
  public:
    explicit UiHandover(std::function<void()> step) : step_(std::move(step)) {}

    // UI side: runs the step unless the worker has given up on it.
    void Run();

    // Worker side: waits until the step has run (rethrowing its exception) and returns true,
    // or returns false once `cancel` is requested.
    bool Wait(std::stop_token cancel);

  private:
    enum class State { Pending, Running, Done, Abandoned };

    std::function<void()> step_;
    std::mutex mutex_;
    std::condition_variable changed_;
    State state_ = State::Pending;
    std::exception_ptr error_;
};

// Queues a hand-over with `post_to_ui` (a plain queued call onto the UI thread) and waits for it.
template <typename Post>
bool RunHandover(Post&& post_to_ui, std::function<void()> step, std::stop_token cancel) {
    auto handover = std::make_shared<UiHandover>(std::move(step));
    post_to_ui([handover] { handover->Run(); });
    return handover->Wait(std::move(cancel));
}
