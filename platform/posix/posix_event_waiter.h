#pragma once
// The event wait of a terminal device: epoll on the device, edge-triggered, and on an eventfd
// that is the stop signal.
//
// - Receive: raised when new bytes have arrived since the last wake-up; bytes that the handler
//   leaves unread raise nothing more until more arrive, and never make the wait spin.
// - Each wake-up is stamped with the steady clock as the wait returns; its quiet counts from
//   the start of that wait. The clock is read exactly there, twice a wait.
// - Modem lines: TIOCMGET compared at most every 100 ms while CTS, DSR, RLSD or ring events
//   are enabled and the device has modem lines (a pseudo-terminal has none, and then the wait
//   has no time limit). A TIOCMIWAIT waiter would need a thread of its own that the stop signal
//   cannot reach.
// - Break and line errors: TIOCGICOUNT differences, on the same 100 ms beat, where the device
//   has counters.
// - Output empty, event character and 80 % full cannot be observed without sending or
//   consuming input, and are never raised.
// - A hang-up (POLLHUP, POLLERR, or EIO/ENXIO/ENODEV from a call) fails the wait at once with
//   EIO, together with any events of the same wake-up: the device can answer none of them.

#include <linux/serial.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/serial_event_waiter.h"

class PosixEventWaiter : public SerialEventWaiter {
  public:
    // What stamps the wake-ups: the steady clock, or a test's.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Null with `error` set when the wait cannot be set up.
    static std::unique_ptr<PosixEventWaiter> Create(int device_fd, std::uint16_t events, int& error,
                                                    Clock clock = std::chrono::steady_clock::now);
    ~PosixEventWaiter() override;

    Result Wait() override;
    void Stop() override;

  private:
    PosixEventWaiter(int device_fd, std::uint16_t events, int epoll_fd, int stop_fd, Clock clock);
    // Modem-line and counter events since the last look.
    std::uint16_t LookAtLines();

    const int device_fd_;
    const std::uint16_t events_;
    const int epoll_fd_;
    const int stop_fd_;
    const Clock clock_;
    bool has_lines_ = false;
    bool has_counters_ = false;
    bool beat_ = false;  // look at the lines every 100 ms
    int lines_ = 0;      // TIOCMGET bits at the last look
    serial_icounter_struct counts_{};
    bool hung_up_ = false;
};
