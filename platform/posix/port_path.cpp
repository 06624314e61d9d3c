#include "platform/posix/port_path.h"

#include <cctype>

namespace {

// n >= 1 of a "COMn" name (any letter case), or 0.
unsigned long ComNumber(const std::string& port) {
    if (port.size() < 4 || port.size() > 12) return 0;
    for (std::size_t i = 0; i < 3; ++i)
        if (std::toupper(static_cast<unsigned char>(port[i])) != "COM"[i]) return 0;
    unsigned long n = 0;
    for (std::size_t i = 3; i < port.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(port[i]))) return 0;
        n = n * 10 + static_cast<unsigned long>(port[i] - '0');
    }
    return n;
}

}  // namespace

std::string ResolvePortPath(const std::string& port, const std::string& device_dir) {
    if (!port.empty() && port.front() == '/') return port;
    std::string dir = device_dir;
    if (dir.empty() || dir.back() != '/') dir += '/';
    if (const unsigned long n = ComNumber(port); n >= 1)
        return dir + "ttyS" + std::to_string(n - 1);
    return dir + port;
}
