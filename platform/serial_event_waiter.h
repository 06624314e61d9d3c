#pragma once

#include <cstdint>

// The event wait of the port's event thread. Stop() is the stop signal: it may be called from
// any thread and ends the current and every later Wait at once.
class SerialEventWaiter {
  public:
    struct Result {
        enum class Kind { Events, Stopped, Failed };
        Kind kind = Kind::Stopped;
        std::uint16_t events = 0;  // serial_event flags, never empty for Kind::Events
        int error = 0;             // for Kind::Failed
    };

    virtual ~SerialEventWaiter() = default;
    // Blocks until at least one watched event, the stop signal or a failure of the device.
    virtual Result Wait() = 0;
    virtual void Stop() = 0;
};
