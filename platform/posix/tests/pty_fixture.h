#pragma once
// A pseudo-terminal pair for the tests: the master end that the test writes to (or hangs up),
// and the path of the end the code under test opens.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/pty_pair.h"

class Pty {
  public:
    Pty() { EXPECT_EQ(OpenPseudoTerminal(pty_), 0); }
    ~Pty() { CloseMaster(); }
    const std::string& Path() const { return pty_.slave_path; }
    void Write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(pty_.master_fd, bytes.data(), bytes.size()),
                  static_cast<ssize_t>(bytes.size()));
    }
    // Whether the end under test is in exclusive mode (TIOCEXCL): 1 or 0, -1 when it cannot be
    // told. Root may open an exclusive terminal, so this reads the flag rather than trying.
    int SlaveExclusive() const {
        const int fd = ::open(pty_.slave_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return errno == EBUSY ? 1 : -1;
        int exclusive = -1;
        if (::ioctl(fd, TIOCGEXCL, &exclusive) != 0) exclusive = -1;
        ::close(fd);
        return exclusive;
    }
    // What the other end has written back so far (the master does not block).
    std::vector<std::uint8_t> ReadBack() {
        std::vector<std::uint8_t> got;
        std::uint8_t buf[256];
        ssize_t n;
        while ((n = ::read(pty_.master_fd, buf, sizeof buf)) > 0)
            got.insert(got.end(), buf, buf + n);
        return got;
    }
    void CloseMaster() {
        if (pty_.master_fd >= 0) ::close(pty_.master_fd);
        pty_.master_fd = -1;
    }

  private:
    PseudoTerminal pty_;
};
