#pragma once
// Serial devices on Linux: terminals (/dev/ttyS*, /dev/ttyUSB*, ...) and pseudo-terminals.

#include <string>

#include "platform/serial_device.h"

class PosixSerialBackend : public SerialBackend {
  public:
    // `device_dir` is where port names are looked up ("COM1" is <device_dir>/ttyS0).
    explicit PosixSerialBackend(std::string device_dir = "/dev")
        : device_dir_(std::move(device_dir)) {}

    // Opens read-write, non-blocking, without becoming the controlling terminal, and takes the
    // device for itself: a second opener, in this or another process, gets EAGAIN (or EBUSY).
    // A file that is not a terminal is refused with ENOTTY.
    std::unique_ptr<SerialDevice> Open(const std::string& port, int& error) override;

  private:
    std::string device_dir_;
};
