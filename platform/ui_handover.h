#pragma once
// One step handed from a worker thread to the UI thread, shared by both sides: the UI side
// runs it (unless it was cancelled first), the worker waits for the outcome or gives up. The
// serial event thread hands over every receive event this way: the two sides share no lock, and
// the worker sleeps on a semaphore, one futex call on each side.

#include <semaphore.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <stop_token>

class UiHandover {
  public:
    explicit UiHandover(std::function<void()> step);
    ~UiHandover();
    UiHandover(const UiHandover&) = delete;
    UiHandover& operator=(const UiHandover&) = delete;

    // UI side: runs the step unless the worker has given up on it.
    void Run();

    // Worker side: waits until the step has run (rethrowing its exception) and returns true,
    // or returns false once `cancel` is requested.
    bool Wait(std::stop_token cancel);

  private:
    enum class State { Pending, Running, Done, Abandoned };

    // From `from` to `to`, posting `settled` when that settles the hand-over for the worker.
    bool Move(State from, State to);

    std::function<void()> step_;
    std::atomic<State> state_{State::Pending};
    std::exception_ptr error_;  // the step's, written before Done
    sem_t settled_;             // posted once: Done, or Abandoned
};

// Queues a hand-over with `post_to_ui` (a plain queued call onto the UI thread) and waits for it.
template <typename Post>
bool RunHandover(Post&& post_to_ui, std::function<void()> step, std::stop_token cancel) {
    auto handover = std::make_shared<UiHandover>(std::move(step));
    post_to_ui([handover] { handover->Run(); });
    return handover->Wait(std::move(cancel));
}
