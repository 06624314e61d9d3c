#pragma once
// A window-system timer: once started it calls its tick handler every Interval()
// milliseconds on the UI thread until it is stopped. Every timer of the program comes from
// a TimerFactory, so tests can hand out timers of a virtual clock instead.

#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class Timer {
  public:
    using TickHandler = std::function<void()>;

    virtual ~Timer() = default;

    // A running timer starts over with the new interval; 0 stops it, since a timer of no
    // interval cannot run.
    virtual void SetInterval(std::uint32_t ms) = 0;
    virtual std::uint32_t Interval() const = 0;

    // Counts a whole interval from now, also when already running. False (and stopped)
    // when the interval is 0.
    virtual bool Start() = 0;
    virtual void Stop() = 0;
    virtual bool IsActive() const = 0;

    // May be replaced or cleared from inside a tick; the handler may also stop, restart or
    // re-interval its own timer, or destroy it.
    virtual void SetTickHandler(TickHandler handler) = 0;

    // The Enabled property of a window-system timer: enabling a running timer leaves it
    // counting, enabling a stopped one starts it.
    bool SetEnabled(bool on) {
        if (!on) {
            Stop();
            return true;
        }
        return IsActive() || Start();
    }
};

class TimerFactory {
  public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

}  // namespace platform
