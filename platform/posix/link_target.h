#pragma once
// Where a chain of symbolic links ends, also when its last target does not exist (a dangling
// link names the file to create). A path that is no link comes back as it is. Writers that
// replace a file follow it, so that a link keeps pointing at the file they update.

#include <string>

namespace platform {

std::string FollowLinks(std::string path);

}  // namespace platform
