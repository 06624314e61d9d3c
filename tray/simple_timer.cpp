#include "tray/simple_timer.h"

#include <utility>

TSimpleTimer::TSimpleTimer(platform::TimerFactory& timers, std::uint32_t interval,
                           TNotifyEvent on_timer)
    : timer_(timers.CreateTimer()), interval_(interval), on_timer_(std::move(on_timer)) {
    timer_->SetTickHandler([this] { Tick(); });
}

TSimpleTimer::~TSimpleTimer() {
    if (enabled_) Halt(true);
}

bool TSimpleTimer::Start() {
    if (interval_ == 0) return false;
    if (timer_->IsActive()) Halt(false);
    timer_->SetInterval(interval_);
    if (!timer_->Start()) return false;
    enabled_ = true;
    return true;
}

void TSimpleTimer::Halt(bool disable) {
    if (disable) enabled_ = false;
    timer_->Stop();
}

void TSimpleTimer::SetEnabled(bool on) {
    if (on)
        Start();
    else
        Halt(true);
}

void TSimpleTimer::SetInterval(std::uint32_t ms) {
    if (ms == interval_) return;
    interval_ = ms;
    if (!enabled_) return;
    if (ms != 0)
        Start();
    else
        Halt(false);
}

void TSimpleTimer::SetOnTimer(TNotifyEvent handler) {
    on_timer_ = std::move(handler);
    if (!enabled_) return;
    if (!on_timer_)
        Halt(false);
    else if (!timer_->IsActive())
        Start();  // Enabled was kept while there was no handler
}

void TSimpleTimer::Tick() {
    if (auto_disable_) Halt(true);
    Timer();
}

void TSimpleTimer::Timer() {
    // A copy: the handler may replace itself while it runs.
    if (auto handler = on_timer_) handler(*this);
}
