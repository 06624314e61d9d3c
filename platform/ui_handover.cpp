#include "platform/ui_handover.h"

#include <cerrno>
#include <utility>

UiHandover::UiHandover(std::function<void()> step) : step_(std::move(step)) {
    ::sem_init(&settled_, 0, 0);
}

UiHandover::~UiHandover() {
    ::sem_destroy(&settled_);
}

bool UiHandover::Move(State from, State to) {
    if (!state_.compare_exchange_strong(from, to)) return false;
    if (to == State::Done || to == State::Abandoned) ::sem_post(&settled_);
    return true;
}

void UiHandover::Run() {
    if (!Move(State::Pending, State::Running)) return;  // given up before it began
    try {
        step_();
    } catch (...) {
        error_ = std::current_exception();
    }
    // Fails when the worker gave up meanwhile: it has gone, and the error with it.
    Move(State::Running, State::Done);
}

bool UiHandover::Wait(std::stop_token cancel) {
    // A cancel requested already gives up here and now.
    const std::stop_callback give_up(cancel, [this] {
        if (!Move(State::Pending, State::Abandoned)) Move(State::Running, State::Abandoned);
    });
    while (::sem_wait(&settled_) != 0 && errno == EINTR) {
    }
    if (state_.load() == State::Abandoned) return false;
    if (error_) std::rethrow_exception(error_);
    return true;
}
