#include "platform/ui_handover.h"

void UiHandover::Run() {
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Pending) return;
        state_ = State::Running;
    }
    std::exception_ptr error;
    try {
        step_();
    } catch (...) {
        error = std::current_exception();
    }
    {
        std::lock_guard lock(mutex_);
        if (state_ != State::Running) return;  // the waiter has given up meanwhile
        error_ = error;
        state_ = State::Done;
    }
    // Told after the unlock: the waiter wakes to a free mutex instead of blocking on it again.
    changed_.notify_one();
}

bool UiHandover::Wait(std::stop_token cancel) {
    // Before the lock: a cancel requested already runs the callback here and now.
    const std::stop_callback give_up(cancel, [this] {
        {
            std::lock_guard lock(mutex_);
            if (state_ == State::Done) return;
            state_ = State::Abandoned;
        }
        changed_.notify_one();
    });
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return state_ == State::Done || state_ == State::Abandoned; });
    if (state_ == State::Abandoned) return false;
    if (error_) std::rethrow_exception(error_);
    return true;
}
