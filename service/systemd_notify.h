#pragma once
// What the service tells systemd (Type=notify, WatchdogSec=): READY=1 once it receives, a
// WATCHDOG=1 from its own loop every half of the period systemd asks for, so that a loop that
// hangs stops pinging and gets the service restarted, and STOPPING=1 when it ends. Started
// without NOTIFY_SOCKET (by hand, by a test) it says nothing and runs no timer.

#include <memory>

#include "platform/timer.h"

namespace service {

class SystemdNotify {
  public:
    // The ping's timer comes from `timers`: the loop whose health it vouches for.
    explicit SystemdNotify(platform::TimerFactory& timers);

    // The journal is recovered and the loop runs: READY=1, and the pings begin.
    void Ready();
    // The end has begun: STOPPING=1, and no more pings.
    void Stopping();

  private:
    std::unique_ptr<platform::Timer> ping_;
};

}  // namespace service
