#pragma once
// Keeps a port that was started open. When its device is lost (an adapter pulled out or reset,
// a hang-up), or when it cannot be opened as the program starts, the same port is opened again
// every 5 seconds, silently, with the port's settings and DTR/RTS as at the start, until it
// opens or the user stops. One warning says that the line is lost (or could not be opened),
// one that it is back.
//
// Qt-free: the engine forwards the port's OnConnectionLost and its Start and Stop commands, and
// its front end shows the warnings. A port that was stopped is never reopened.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "common/warning.h"
#include "platform/timer.h"
#include "serial/serial_port.h"

class PortReopener {
  public:
    static constexpr std::uint32_t kRetryMs = 5000;
    // `port` and `timers` outlive the reopener.
    PortReopener(TCustomSerialPort& port, platform::TimerFactory& timers, WarningSink warn);

    // Opens the port as Start does: open, raise DTR, lower RTS. Throws what the port throws,
    // leaving the port closed.
    void Open();
    // Start at program start: a port that cannot be opened is warned of once and then tried
    // again (after a power cut the adapter may appear seconds after the program).
    void OpenAtStart();
    // The port's OnConnectionLost: it has closed itself.
    void Lost();
    // Stopped by the user or by the end of the program: no more attempts.
    void Stop();
    // Whether the port is being tried again (it counts as started, though closed).
    bool Retrying() const { return timer_->IsActive(); }

    // After an attempt opened the port again, before the warning that says so.
    std::function<void()> OnReopened;

    // The warnings' texts.
    static std::string LostText(const std::string& port);
    static std::string ReopenedText(const std::string& port);

  private:
    void Attempt();
    void Retry();

    TCustomSerialPort& port_;
    WarningSink warn_;
    std::unique_ptr<platform::Timer> timer_;
};
