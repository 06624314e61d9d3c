#include "platform/posix/posix_event_waiter.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <utility>

#include "platform/serial_device_flags.h"

namespace {

constexpr int kLineBeatMs = 100;
constexpr std::uint16_t kLineEvents =
    serial_event::kCts | serial_event::kDsr | serial_event::kRlsd | serial_event::kRing;
constexpr std::uint16_t kCounterEvents = serial_event::kBreak | serial_event::kErr;

}  // namespace

std::unique_ptr<PosixEventWaiter> PosixEventWaiter::Create(int device_fd, std::uint16_t events,
                                                           int& error, Clock clock) {
    const int stop_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stop_fd < 0) {
        error = errno;
        return nullptr;
    }
    const int epoll_fd = ::epoll_create1(EPOLL_CLOEXEC);
    if (epoll_fd < 0) {
        error = errno;
        ::close(stop_fd);
        return nullptr;
    }
    epoll_event stop{};
    stop.events = EPOLLIN;
    stop.data.fd = stop_fd;
    epoll_event device{};
    // Hang-ups are reported whatever is asked for.
    device.events = EPOLLET | ((events & serial_event::kRxChar) ? EPOLLIN : 0u);
    device.data.fd = device_fd;
    if (::epoll_ctl(epoll_fd, EPOLL_CTL_ADD, stop_fd, &stop) != 0 ||
        ::epoll_ctl(epoll_fd, EPOLL_CTL_ADD, device_fd, &device) != 0) {
        error = errno;
        ::close(epoll_fd);
        ::close(stop_fd);
        return nullptr;
    }
    error = 0;
    return std::unique_ptr<PosixEventWaiter>(
        new PosixEventWaiter(device_fd, events, epoll_fd, stop_fd, std::move(clock)));
}

PosixEventWaiter::PosixEventWaiter(int device_fd, std::uint16_t events, int epoll_fd, int stop_fd,
                                   Clock clock)
    : device_fd_(device_fd),
      events_(events),
      epoll_fd_(epoll_fd),
      stop_fd_(stop_fd),
      clock_(std::move(clock)) {
    has_lines_ = ::ioctl(device_fd_, TIOCMGET, &lines_) == 0;
    has_counters_ = ::ioctl(device_fd_, TIOCGICOUNT, &counts_) == 0;
    beat_ =
        ((events_ & kLineEvents) && has_lines_) || ((events_ & kCounterEvents) && has_counters_);
}

PosixEventWaiter::~PosixEventWaiter() {
    ::close(epoll_fd_);
    ::close(stop_fd_);
}

void PosixEventWaiter::Stop() {
    const std::uint64_t one = 1;
    // Only fails when the counter would overflow, and then it is set anyway.
    [[maybe_unused]] const ssize_t n = ::write(stop_fd_, &one, sizeof one);
}

SerialEventWaiter::Result PosixEventWaiter::Wait() {
    // Edge-triggered: bytes that came while the thread was away return at once, quiet 0.
    const auto watching_since = clock_();
    for (;;) {
        if (hung_up_) return {Result::Kind::Failed, 0, EIO};
        epoll_event ready[2];
        const int n = ::epoll_wait(epoll_fd_, ready, 2, beat_ ? kLineBeatMs : -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {Result::Kind::Failed, 0, errno};
        }
        std::uint16_t events = 0;
        for (int i = 0; i < n; ++i) {
            if (ready[i].data.fd == stop_fd_) return {Result::Kind::Stopped, 0, 0};
            // A hung-up device also reports input, but nothing can be read from it any more:
            // a receive event would only make the handler fail.
            if (ready[i].events & (EPOLLHUP | EPOLLERR)) hung_up_ = true;
            if (ready[i].events & EPOLLIN) events |= serial_event::kRxChar;
        }
        if (!hung_up_ && beat_) events |= LookAtLines();
        if (hung_up_) return {Result::Kind::Failed, 0, EIO};
        events &= events_;
        if (events != 0) {
            const auto now = clock_();
            return {
                Result::Kind::Events, events, 0, {now.time_since_epoch(), now - watching_since}};
        }
    }
}

std::uint16_t PosixEventWaiter::LookAtLines() {
    std::uint16_t events = 0;
    if (has_lines_ && (events_ & kLineEvents)) {
        int now = 0;
        if (::ioctl(device_fd_, TIOCMGET, &now) == 0) {
            const int changed = now ^ lines_;
            if (changed & TIOCM_CTS) events |= serial_event::kCts;
            if (changed & TIOCM_DSR) events |= serial_event::kDsr;
            if (changed & TIOCM_CAR) events |= serial_event::kRlsd;
            if ((now & TIOCM_RNG) && !(lines_ & TIOCM_RNG)) events |= serial_event::kRing;
            lines_ = now;
        } else if (IsHangUpError(errno)) {
            hung_up_ = true;
        }
    }
    if (has_counters_ && (events_ & kCounterEvents)) {
        serial_icounter_struct now{};
        if (::ioctl(device_fd_, TIOCGICOUNT, &now) == 0) {
            if (now.brk != counts_.brk) events |= serial_event::kBreak;
            if (now.frame != counts_.frame || now.overrun != counts_.overrun ||
                now.parity != counts_.parity || now.buf_overrun != counts_.buf_overrun)
                events |= serial_event::kErr;
            if (now.rng != counts_.rng) events |= serial_event::kRing;
            counts_ = now;
        } else if (IsHangUpError(errno)) {
            hung_up_ = true;
        }
    }
    return events;
}
