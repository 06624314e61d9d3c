#pragma once
// A timer that needs no window of its own, over a platform timer.
//
// Enabled is what the owner asked for; the platform timer may be stopped while Enabled stays
// set (interval changed to 0, handler removed), and it runs again once the interval or the
// handler is given back.

#include <cstdint>
#include <functional>
#include <memory>

#include "platform/timer.h"

class TSimpleTimer {
  public:
    using TNotifyEvent = std::function<void(TSimpleTimer& sender)>;

    explicit TSimpleTimer(platform::TimerFactory& timers, std::uint32_t interval = 1000,
                          TNotifyEvent on_timer = {});
    ~TSimpleTimer();
    TSimpleTimer(const TSimpleTimer&) = delete;
    TSimpleTimer& operator=(const TSimpleTimer&) = delete;

    // Starts counting anew; false, and nothing started, when the interval is 0.
    bool Start();
    // Stops and clears Enabled.
    void Stop() { Halt(true); }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on);

    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t ms);

    // Stop (and clear Enabled) before each OnTimer, for one-shot use.
    bool AutoDisable() const { return auto_disable_; }
    void SetAutoDisable(bool on) { auto_disable_ = on; }

    const TNotifyEvent& OnTimer() const { return on_timer_; }
    void SetOnTimer(TNotifyEvent handler);

    // Whether the platform timer runs now.
    bool Running() const { return timer_->IsActive(); }

  protected:
    // The step that raises OnTimer.
    virtual void Timer();

  private:
    void Halt(bool disable);
    void Tick();

    std::unique_ptr<platform::Timer> timer_;
    std::uint32_t interval_;
    bool enabled_ = false;
    bool auto_disable_ = false;
    TNotifyEvent on_timer_;
};
