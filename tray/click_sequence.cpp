#include "tray/click_sequence.h"

#include <utility>

namespace tray {

ClickSequence::ClickSequence(platform::TimerFactory& timers, std::function<void()> click)
    : click_(std::move(click)), timer_(timers, 1000, [this](TSimpleTimer&) { TimerStep(); }) {}

void ClickSequence::Down(bool hold_for_double_click, std::uint32_t double_click_ms) {
    if (hold_for_double_click) {
        timer_.SetInterval(double_click_ms);
        timer_.Start();
    }
    started_ = true;
}

void ClickSequence::Up() {
    const bool was_started = started_;
    started_ = false;
    if (!was_started) return;
    ready_ = true;
    if (timer_.Enabled()) return;  // the timer step decides
    ready_ = false;
    Raise();
}

void ClickSequence::DoubleClick() {
    ready_ = false;
    double_seen_ = true;
}

void ClickSequence::TimerStep() {
    timer_.Stop();
    const bool raise = !double_seen_ && ready_;
    if (raise) ready_ = false;
    double_seen_ = false;
    if (raise) Raise();
}

void ClickSequence::Raise() {
    // A copy: the click may destroy this sequence together with its owner.
    auto click = click_;
    click();
}

}  // namespace tray
