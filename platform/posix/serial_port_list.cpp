#include "platform/posix/serial_port_list.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string ReadFirstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// "ttyS3" is COM4 for the port component; other names stay as they are.
std::string PortNameOf(const std::string& device) {
    if (device.size() > 4 && device.compare(0, 4, "ttyS") == 0 &&
        std::all_of(device.begin() + 4, device.end(),
                    [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
        device.size() < 12)
        return "COM" + std::to_string(std::stoul(device.substr(4)) + 1);
    return device;
}

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::set<std::string> ConsoleDevices(const fs::path& tty_class) {
    std::istringstream words(ReadFirstLine(tty_class / "console" / "active"));
    return {std::istream_iterator<std::string>(words), std::istream_iterator<std::string>()};
}

}  // namespace

int ListSerialPortNames(std::vector<std::string>& names, const SerialPortRoots& roots) {
    names.clear();
    const fs::path tty_class = fs::path(roots.sys) / "class" / "tty";
    const fs::path dev = roots.dev;
    const std::set<std::string> console = ConsoleDevices(tty_class);
    std::set<std::string> devices;  // names in the device folder

    std::error_code ec;
    fs::directory_iterator it(tty_class, ec);
    if (ec) return ec.value();
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) return ec.value();
        const std::string name = it->path().filename().string();
        std::error_code e;
        if (!fs::exists(it->path() / "device" / "driver", e)) continue;
        if (console.count(name) != 0) continue;
        // A UART port of type 0 has no chip behind it (the legacy ttyS ports of most PCs).
        if (ReadFirstLine(it->path() / "type") == "0") continue;
        devices.insert(name);
    }

    // Each adapter under its stable name; its kernel name is then not listed a second time.
    std::vector<std::string> links;
    const fs::path by_id = dev / "serial" / "by-id";
    for (fs::directory_iterator link(by_id, ec), end; !ec && link != end; link.increment(ec)) {
        std::error_code e;
        const fs::path target = fs::read_symlink(link->path(), e);
        if (e) continue;
        const fs::path full = (target.is_absolute() ? target : by_id / target).lexically_normal();
        if (!fs::exists(full, e)) continue;  // the adapter was just pulled out
        if (full.parent_path() == dev.lexically_normal()) {
            const std::string name = full.filename().string();
            if (console.count(name) != 0) continue;
            devices.erase(name);
        }
        links.push_back(link->path().lexically_normal().string());
    }

    for (const std::string& d : devices) names.push_back(PortNameOf(d));
    names.insert(names.end(), links.begin(), links.end());
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return Lower(a) < Lower(b);
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return 0;
}

std::string KernelDeviceName(const std::string& name) {
    std::error_code e;
    const fs::path path = name;
    if (!path.is_absolute() || !fs::is_symlink(path, e)) return {};
    const fs::path device = fs::canonical(path, e);
    return e ? std::string() : device.filename().string();
}
