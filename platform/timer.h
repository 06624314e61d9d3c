#pragma once
// A window-system timer: once started it calls its tick handler every Interval()
// milliseconds on the UI thread until it is stopped. Every timer of the program comes from
// a TimerFactory, so tests can hand out timers of a virtual clock instead.

#include <algorithm>
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

// An interval of `units` times `ms_per_unit` milliseconds, worked out wide and held within
// [least, the longest a window-system timer takes: INT_MAX ms, some 24.8 days], so that no
// stored value wraps round to a storm of ticks or to none.
inline std::uint32_t IntervalMs(std::int64_t units, std::int64_t ms_per_unit, std::int64_t least) {
    constexpr std::int64_t kLongest = 2147483647;
    return static_cast<std::uint32_t>(std::clamp(units * ms_per_unit, least, kLongest));
}

class TimerFactory {
  public:
    virtual ~TimerFactory() = default;
    virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

}  // namespace platform
