#pragma once
// A claim on a folder for as long as a process runs: flock(2) on a lock file. The kernel frees
// the lock when the process ends, however it ends (a kill, a crash, a power cut), so a file
// left behind never keeps the next start out; the file itself is never removed, since removing
// it would let two processes lock two different files of the same name. The holder writes a
// text of its own into the file, for whoever finds the folder taken.

#include <string>
#include <string_view>
#include <utility>

#include "platform/posix/unique_fd.h"

namespace platform {

class FolderLock {
  public:
    FolderLock() = default;  // holds nothing
    // Takes over a descriptor that holds the lock.
    explicit FolderLock(UniqueFd fd) : fd_(std::move(fd)) {}
    bool Held() const { return fd_.Valid(); }

  private:
    UniqueFd fd_;
};

struct FolderLockAttempt {
    FolderLock lock;     // held when taken
    int error = 0;       // EWOULDBLOCK while another process holds it; else why it failed
    std::string holder;  // what the other process wrote (EWOULDBLOCK), maybe empty
};

// Locks the file at `path` (made when missing; its folder must exist) without waiting, and
// writes `holder` into it. A symbolic link or anything but a plain file there is refused
// (ELOOP, EINVAL). The descriptor is closed on exec: programs started later never hold it.
FolderLockAttempt TryLockFile(const std::string& path, std::string_view holder);

}  // namespace platform
