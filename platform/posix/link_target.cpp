#include "platform/posix/link_target.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

namespace platform {

std::string FollowLinks(std::string path) {
    // As many hops as the kernel allows before it reports a loop.
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        std::string target(PATH_MAX, '\0');
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n <= 0) break;
        target.resize(static_cast<std::size_t>(n));
        if (target.front() != '/') {
            const auto slash = path.find_last_of('/');
            if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
        }
        path = std::move(target);
    }
    return path;
}

}  // namespace platform
