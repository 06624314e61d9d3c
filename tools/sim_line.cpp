#include "tools/sim_line.h"

#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/pty_pair.h"
#include "platform/posix/raw_line.h"

namespace {

constexpr auto kReaderPoll = std::chrono::milliseconds(50);

}  // namespace

int SimLine::OpenPseudoTerminal(SimLine& line, std::string& path) {
    PseudoTerminal pty;
    if (int e = ::OpenPseudoTerminal(pty)) return e;
    line.fd_ = pty.master_fd;
    line.pty_ = true;
    path = pty.slave_path;
    return 0;
}

int SimLine::OpenDevice(SimLine& line, const std::string& path, unsigned baud) {
    if (baud == 0) return EINVAL;
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno;
    // Any rate the monitor can be set to, 14400 and 256000 included.
    if (const int e = SetRawLineAt(fd, baud)) {
        ::close(fd);
        return e;
    }
    line.fd_ = fd;
    return 0;
}

int SimLine::ReplacePseudoTerminal(std::string& path) {
    if (!pty_) return ENOTTY;
    ::close(fd_);
    fd_ = -1;
    return OpenPseudoTerminal(*this, path);
}

SimLine::~SimLine() {
    if (fd_ >= 0) ::close(fd_);
}

bool SimLine::ReaderPresent() const {
    if (!pty_) return true;
    pollfd p{fd_, POLLOUT, 0};
    // The master reports a hang-up while the other end is closed.
    return ::poll(&p, 1, 0) >= 0 && !(p.revents & POLLHUP);
}

void SimLine::WaitForReader() const {
    while (!ReaderPresent()) std::this_thread::sleep_for(kReaderPoll);
}

void SimLine::WaitForReaderToLeave() const {
    while (pty_ && ReaderPresent()) std::this_thread::sleep_for(kReaderPoll);
}

bool SimLine::WriteAll(const std::vector<std::uint8_t>& bytes) const {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + at, bytes.size() - at);
        if (n > 0) {
            at += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return false;
        // Full: wait until there is room, or the reader leaves.
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, 100) < 0 && errno != EINTR) return false;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL)) return false;
    }
    return true;
}

void SimLine::Drain() const {
    if (!pty_) ::tcdrain(fd_);
}
