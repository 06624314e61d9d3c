#pragma once
// Timers of the Qt event loop.

#include <memory>

#include "platform/timer.h"

namespace platform {

class QtTimerFactory : public TimerFactory {
  public:
    std::unique_ptr<Timer> CreateTimer() override;
};

}  // namespace platform
