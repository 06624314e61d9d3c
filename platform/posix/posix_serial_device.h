#pragma once
// Serial devices on Linux: terminals (/dev/ttyS*, /dev/ttyUSB*, ...) and pseudo-terminals.

#include <string>
#include <utility>

#include "platform/posix/posix_event_waiter.h"
#include "platform/serial_device.h"

class PosixSerialBackend : public SerialBackend {
  public:
    // `device_dir` is where port names are looked up ("COM1" is <device_dir>/ttyS0); `clock`
    // stamps the devices' event wake-ups (SerialArrival).
    explicit PosixSerialBackend(std::string device_dir = "/dev",
                                PosixEventWaiter::Clock clock = std::chrono::steady_clock::now)
        : device_dir_(std::move(device_dir)), clock_(std::move(clock)) {}

    // Opens read-write, non-blocking, without becoming the controlling terminal, and takes the
    // device for itself: a second opener, in this or another process, gets EAGAIN (or EBUSY).
    // A file that is not a terminal is refused with ENOTTY.
    std::unique_ptr<SerialDevice> Open(const std::string& port, int& error) override;

  private:
    std::string device_dir_;
    PosixEventWaiter::Clock clock_;
};
