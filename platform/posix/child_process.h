#pragma once
// Starting a program as a child process, never through a shell: the arguments reach it as
// they are, whatever characters they hold.

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace platform {

struct StartedChild {
    pid_t pid = -1;
    UniqueFd pidfd;  // readable once the child has ended; it is still to be reaped then
};

// Starts argv[0] (a path, or a bare name looked up in PATH) with `argv` and with this
// process's environment plus `env` (replacing variables of the same names). The child gets
// standard input from /dev/null, this process's standard output and error and no other
// descriptor, an empty signal mask and default signal actions (whatever this process blocks
// or ignores), and a process group of its own, so that it can be killed with everything it
// started. Returns 0, or an errno value when the program cannot be started (nothing is left
// behind then).
int StartChild(const std::vector<std::string>& argv,
               const std::vector<std::pair<std::string, std::string>>& env, StartedChild& child);

// Kills the child's process group and reaps the child, waiting for it to end.
void KillAndReap(StartedChild& child);

}  // namespace platform
