#pragma once
// Timers on a virtual clock for tests: time stands still until the test advances it, and
// then every timer that falls due fires in the order of its due time (timers due at the same
// moment in the order they were scheduled). Timers and the clock may be destroyed in either
// order.

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/timer.h"

namespace platform {

class VirtualClock : public TimerFactory {
  public:
    struct Schedule;

    VirtualClock();
    ~VirtualClock() override;
    VirtualClock(const VirtualClock&) = delete;
    VirtualClock& operator=(const VirtualClock&) = delete;

    std::unique_ptr<Timer> CreateTimer() override;

    // Milliseconds since the clock was made.
    std::uint64_t Now() const;

    // Moves time forward by `ms`, firing every tick that falls due on the way, each at its
    // own moment (Now() inside a handler is its due time). Returns the number of ticks.
    // Advancing from inside a tick handler is a test fault and throws std::logic_error.
    std::size_t Advance(std::uint64_t ms);

    // Timers of this clock that are running now.
    std::size_t ActiveTimers() const;

  private:
    std::shared_ptr<Schedule> schedule_;
};

}  // namespace platform
