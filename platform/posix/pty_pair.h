#pragma once
// A pseudo-terminal for the simulator and the tests: the master end, non-blocking, and the
// path of the other end, both in raw mode.

#include <string>

struct PseudoTerminal {
    int master_fd = -1;
    std::string slave_path;
};

// Returns 0 or an errno value. The other end has been opened and closed once, so that the
// master reports a hang-up until somebody opens it.
int OpenPseudoTerminal(PseudoTerminal& pty);

// Raw mode on a terminal: 0 or an errno value.
int MakeRaw(int fd);
