#include "platform/posix/posix_serial_device.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>

#include "platform/posix/dcb_termios.h"
#include "platform/posix/port_path.h"
#include "platform/posix/posix_event_waiter.h"
#include "platform/posix/raw_line.h"
#include "platform/serial_device_flags.h"
#include "platform/serial_read_timing.h"

namespace {

// A device without modem control lines or counters, such as a pseudo-terminal.
bool NoSuchControl(int error) {
    return error == ENOTTY || error == EINVAL;
}

int Ioctl(int fd, unsigned long request, void* arg) {
    for (;;) {
        if (::ioctl(fd, request, arg) == 0) return 0;
        if (errno != EINTR) return errno;
    }
}

using Clock = std::chrono::steady_clock;

class PosixSerialDevice : public SerialDevice {
  public:
    // `cancel_fd` is a non-blocking eventfd: set, it aborts the read that waits.
    PosixSerialDevice(int fd, int cancel_fd, PosixEventWaiter::Clock clock)
        : fd_(fd), cancel_fd_(cancel_fd), clock_(std::move(clock)) {
        serial_icounter_struct counts{};
        if (Ioctl(fd_, TIOCGICOUNT, &counts) == 0) counts_ = counts;
    }

    ~PosixSerialDevice() override {
        // Release the claim first, so that the port can be opened again at once.
        ::ioctl(fd_, TIOCNXCL);
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        ::close(cancel_fd_);
    }

    int SetState(const SerialDcb& dcb) override {
        termios2 old{};
        if (int e = Ioctl(fd_, TCGETS2, &old)) return e;
        termios2 wanted = old;
        if (int e = DcbToTermios(dcb, wanted)) return e;
        if (int e = Ioctl(fd_, TCSETS2, &wanted)) return e;
        termios2 got{};
        if (int e = Ioctl(fd_, TCGETS2, &got)) return e;
        if (!TermiosKept(wanted, got)) {
            // Refused: keep the previous configuration.
            Ioctl(fd_, TCSETS2, &old);
            return EINVAL;
        }
        const ControlLines lines = ControlLinesFor(dcb);
        if (int e = SetDtr(lines.dtr)) return e;
        return SetRts(lines.rts);
    }

    int SetTimeouts(const SerialCommTimeouts& timeouts) override {
        timeouts_ = timeouts;
        return 0;
    }

    // Linux sizes its queues itself.
    int SetupQueues(std::uint32_t, std::uint32_t) override { return 0; }

    int Purge(unsigned flags) override {
        int how = -1;
        if ((flags & kPurgeRx) && (flags & kPurgeTx))
            how = TCIOFLUSH;
        else if (flags & kPurgeRx)
            how = TCIFLUSH;
        else if (flags & kPurgeTx)
            how = TCOFLUSH;
        if (how < 0) return 0;
        return ::ioctl(fd_, TCFLSH, how) == 0 ? 0 : errno;
    }

    // Aborts the read that waits on another thread (a handler of an unsynchronised port); a
    // read started later is not affected.
    int CancelTransfers() override {
        cancel_sent_.store(true);
        const std::uint64_t one = 1;
        // Only fails when the counter would overflow, and then it is set anyway.
        [[maybe_unused]] const ssize_t n = ::write(cancel_fd_, &one, sizeof one);
        return 0;
    }

    int SetDtr(bool on) override { return SetModemBit(TIOCM_DTR, on); }
    int SetRts(bool on) override { return SetModemBit(TIOCM_RTS, on); }

    int InputQueueLength(std::size_t& count) override {
        int n = 0;
        if (int e = Ioctl(fd_, FIONREAD, &n)) return e;
        count = static_cast<std::size_t>(std::max(n, 0));
        return 0;
    }

    int ModemStatus(unsigned& lines) override {
        lines = 0;
        int bits = 0;
        if (int e = Ioctl(fd_, TIOCMGET, &bits)) return NoSuchControl(e) ? 0 : e;
        if (bits & TIOCM_CTS) lines |= modem_line::kCts;
        if (bits & TIOCM_DSR) lines |= modem_line::kDsr;
        if (bits & TIOCM_RNG) lines |= modem_line::kRing;
        if (bits & TIOCM_CAR) lines |= modem_line::kRlsd;
        return 0;
    }

    int TakeErrors(unsigned& errors) override {
        errors = 0;
        serial_icounter_struct now{};
        if (int e = Ioctl(fd_, TIOCGICOUNT, &now)) return NoSuchControl(e) ? 0 : e;
        const serial_icounter_struct& was = counts_;
        if (now.frame != was.frame) errors |= line_error::kFrame;
        if (now.parity != was.parity) errors |= line_error::kParity;
        if (now.overrun != was.overrun) errors |= line_error::kOverrun;
        if (now.buf_overrun != was.buf_overrun) errors |= line_error::kRxOver;
        if (now.brk != was.brk) errors |= line_error::kBreak;
        counts_ = now;
        return 0;
    }

    int StartRead(SerialReadOp& op) override {
        // A cancel from before this read is not for it. Looked at only after a cancel: a read
        // per receive event otherwise.
        if (cancel_sent_.exchange(false)) {
            std::uint64_t cancels = 0;
            [[maybe_unused]] const ssize_t n = ::read(cancel_fd_, &cancels, sizeof cancels);
        }
        op.started = op.last_byte = Clock::now();
        if (int e = ReadWaiting(op)) return e;
        return Step(op).complete ? (op.complete = true, 0) : 0;
    }

    int FinishRead(SerialReadOp& op) override {
        for (;;) {
            const SerialReadStep step = Step(op);
            if (step.complete) {
                op.complete = true;
                return 0;
            }
            pollfd watch[2] = {{fd_, POLLIN, 0}, {cancel_fd_, POLLIN, 0}};
            const pollfd& p = watch[0];
            const int timeout =
                step.wait_ms < 0
                    ? -1
                    : static_cast<int>(std::min<long long>(step.wait_ms, 24LL * 3600 * 1000));
            const int n = ::poll(watch, 2, timeout);
            if (n < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (n == 0) continue;
            // Left set: the next StartRead clears it.
            if (watch[1].revents & POLLIN) return ECANCELED;
            if (p.revents & POLLNVAL) return EBADF;
            if (int e = ReadWaiting(op)) return e;
            // Hung up with nothing left to read.
            if ((p.revents & (POLLHUP | POLLERR)) && !(p.revents & POLLIN)) return EIO;
        }
    }

    std::unique_ptr<SerialEventWaiter> WatchEvents(std::uint16_t events, int& error) override {
        return PosixEventWaiter::Create(fd_, events, error, clock_);
    }

  private:
    int SetModemBit(int bit, bool on) {
        const int e = Ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit);
        return NoSuchControl(e) ? 0 : e;
    }

    // Reads what is waiting, up to what the read still wants.
    int ReadWaiting(SerialReadOp& op) {
        while (op.done < op.wanted) {
            const ssize_t n = ::read(fd_, op.buffer + op.done, op.wanted - op.done);
            if (n > 0) {
                op.done += static_cast<std::size_t>(n);
                op.last_byte = Clock::now();
                continue;
            }
            if (n == 0) return EIO;  // end of file: the other side hung up
            if (errno == EINTR) continue;
            if (errno == EAGAIN) return 0;
            return errno;
        }
        return 0;
    }

    SerialReadStep Step(const SerialReadOp& op) const {
        using std::chrono::duration_cast;
        using std::chrono::milliseconds;
        const auto now = Clock::now();
        return NextReadStep(timeouts_, op.wanted, op.done,
                            duration_cast<milliseconds>(now - op.started),
                            duration_cast<milliseconds>(now - op.last_byte));
    }

    const int fd_;
    const int cancel_fd_;
    std::atomic<bool> cancel_sent_{false};  // set before each write to cancel_fd_
    const PosixEventWaiter::Clock clock_;
    SerialCommTimeouts timeouts_;
    serial_icounter_struct counts_{};  // line error counters at the last TakeErrors
};

}  // namespace

std::unique_ptr<SerialDevice> PosixSerialBackend::Open(const std::string& port, int& error) {
    const std::string path = ResolvePortPath(port, device_dir_);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return nullptr;
    }
    int cancel_fd = -1;
    auto fail = [&](int e) -> std::unique_ptr<SerialDevice> {
        if (cancel_fd >= 0) ::close(cancel_fd);
        ::close(fd);
        error = e;
        return nullptr;
    };
    if (!::isatty(fd)) return fail(ENOTTY);
    cancel_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (cancel_fd < 0) return fail(errno);
    // flock holds against root too, where TIOCEXCL does not.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno);
    if (::ioctl(fd, TIOCEXCL) != 0) return fail(errno);
    // The monitor never transmits: no echo of what arrives, whatever the settings do later.
    if (int e = MakeLineRaw(fd)) return fail(e);
    error = 0;
    return std::make_unique<PosixSerialDevice>(fd, cancel_fd, clock_);
}
