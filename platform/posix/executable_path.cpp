#include "platform/posix/executable_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string_view>
#include <vector>

namespace platform {

std::string ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return {};
        if (static_cast<std::size_t>(n) < buffer.size()) {
            std::string path(buffer.data(), static_cast<std::size_t>(n));
            // An executable replaced while running (a package upgrade) reads with this
            // suffix; the new file at the same path is still this program.
            constexpr std::string_view kDeleted = " (deleted)";
            struct stat st;
            if (path.ends_with(kDeleted) && stat(path.c_str(), &st) != 0)
                path.resize(path.size() - kDeleted.size());
            return path;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace platform
