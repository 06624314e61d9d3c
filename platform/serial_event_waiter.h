#pragma once

#include <chrono>
#include <cstdint>

// When the events of one wake-up came, on the device's clock (the steady clock for a real
// device), and for how long before that the line had been watched with nothing new on it.
// Bytes that came while the event thread was busy handing over earlier events count as quiet 0:
// a user-interface thread that is slow to take the events never looks like a silent line.
struct SerialArrival {
    std::chrono::nanoseconds stamp{0};
    std::chrono::nanoseconds quiet{0};
};

// The event wait of the port's event thread. Stop() is the stop signal: it may be called from
// any thread and ends the current and every later Wait at once.
class SerialEventWaiter {
  public:
    struct Result {
        enum class Kind { Events, Stopped, Failed };
        Result() = default;
        Result(Kind k, std::uint16_t e, int err, SerialArrival a = {})
            : kind(k), events(e), error(err), arrival(a) {}
        Kind kind = Kind::Stopped;
        std::uint16_t events = 0;  // serial_event flags, never empty for Kind::Events
        int error = 0;             // for Kind::Failed
        SerialArrival arrival;     // for Kind::Events
    };

    virtual ~SerialEventWaiter() = default;
    // Blocks until at least one watched event, the stop signal or a failure of the device.
    virtual Result Wait() = 0;
    virtual void Stop() = 0;
};
