#pragma once
// A pseudo-terminal pair for the tests: the master end that the test writes to (or hangs up),
// and the path of the end the code under test opens.

#include <gtest/gtest.h>
#include <unistd.h>

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
    void CloseMaster() {
        if (pty_.master_fd >= 0) ::close(pty_.master_fd);
        pty_.master_fd = -1;
    }

  private:
    PseudoTerminal pty_;
};
