#include "service/systemd_notify.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

namespace service {

namespace {

// A lost message is systemd's to notice (a missed ping restarts the service): monitoring
// never stops for one.
void Tell(const char* state) {
    (void)::sd_notify(0, state);
}

}  // namespace

SystemdNotify::SystemdNotify(platform::TimerFactory& timers) {
    std::uint64_t usec = 0;
    // Also checks WATCHDOG_PID: a watchdog meant for a parent is not ours.
    if (::sd_watchdog_enabled(0, &usec) <= 0 || usec == 0) return;
    ping_ = timers.CreateTimer();
    ping_->SetInterval(platform::IntervalMs(static_cast<std::int64_t>(usec / 2000), 1, 1));
    ping_->SetTickHandler([] { Tell("WATCHDOG=1"); });
}

void SystemdNotify::Ready() {
    Tell("READY=1");
    if (ping_) ping_->Start();
}

void SystemdNotify::Stopping() {
    if (ping_) ping_->Stop();
    Tell("STOPPING=1");
}

}  // namespace service
