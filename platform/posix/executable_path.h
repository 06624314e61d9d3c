#pragma once
// Where the running program lives. Started from the desktop, the working directory is the
// user's home folder, so files that belong to the program are found through these instead.

#include <string>

namespace platform {

// The running executable's full path from /proc/self/exe; empty when it cannot be read.
std::string ExecutablePath();

// The folder part of `path` ("/opt/app/monitor" -> "/opt/app"; "/monitor" -> "/"); empty
// when `path` has no folder part.
std::string FolderOf(const std::string& path);

}  // namespace platform
