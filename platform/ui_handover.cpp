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
    std::lock_guard lock(mutex_);
    error_ = error;
    if (state_ == State::Running) state_ = State::Done;
    changed_.notify_all();
}

bool UiHandover::Wait(std::stop_token cancel) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, cancel, [this] { return state_ == State::Done; });
    if (state_ != State::Done) {
        state_ = State::Abandoned;
        return false;
    }
    if (error_) std::rethrow_exception(error_);
    return true;
}
