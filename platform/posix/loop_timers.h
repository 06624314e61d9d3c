#pragma once
// The timers of a poll loop, on the monotonic clock. The loop asks when the next one falls
// due, sleeps until then and fires what is due. A tick never comes early; one that comes late
// (the loop was busy) is not made up for: the next is then a whole interval after the late
// one, so a stalled loop gets one tick per timer, not a burst.
//
// Single-threaded: timers are made, used and destroyed on the loop's thread. Timers and the
// table may be destroyed in either order. A tick allocates nothing.

#include <chrono>
#include <memory>
#include <optional>

#include "platform/timer.h"

namespace platform {

class LoopTimers : public TimerFactory {
  public:
    using Clock = std::chrono::steady_clock;
    struct Table;

    LoopTimers();
    ~LoopTimers() override;
    LoopTimers(const LoopTimers&) = delete;
    LoopTimers& operator=(const LoopTimers&) = delete;

    std::unique_ptr<Timer> CreateTimer() override;

    // When the earliest running timer falls due; nothing when none runs.
    std::optional<Clock::time_point> NextDue() const;

    // Fires the earliest timer due at `now` (of those due at the same moment, the one
    // scheduled first) and returns true, or returns false when none is due. Called again with
    // the same `now`, it fires each due timer once: a fired timer's next tick lies after
    // `now`. An exception of the handler passes through, the timer left consistent.
    bool FireNext(Clock::time_point now);

  private:
    std::shared_ptr<Table> table_;
};

}  // namespace platform
