#include "engine/port_open_failure.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/posix/port_path.h"
#include "serial/serial_error.h"

std::optional<std::string> DeviceFileGroup(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    long size = ::sysconf(_SC_GETGR_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<std::size_t>(size > 0 ? size : 16384));
    group entry{};
    group* found = nullptr;
    while (::getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) == ERANGE)
        buffer.resize(buffer.size() * 2);
    if (found == nullptr || found->gr_name == nullptr) return std::nullopt;
    return std::string(found->gr_name);
}

std::string PortOpenFailureReason(int system_code, const std::optional<std::string>& device_group) {
    switch (system_code) {
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return "Устройство не найдено: проверьте, подключён ли адаптер и верно ли указано "
                   "имя порта.";
        case EACCES:
        case EPERM:
            if (device_group && !device_group->empty())
                return "Нет прав доступа к порту: добавьте пользователя в группу «" +
                       *device_group + "» и войдите в систему заново.";
            return "Нет прав доступа к порту: добавьте пользователя в группу, которой "
                   "принадлежит устройство, и войдите в систему заново.";
        case EBUSY:
        case EAGAIN:  // also EWOULDBLOCK: another program holds the lock
            return "Порт занят другой программой: закройте её и попробуйте снова.";
        default:
            return {};
    }
}

std::string PortOpenFailureText(const std::string& port) {
    return "Не могу открыть порт: " + port;
}

std::string PortOpenFailureText(const std::string& port, const ESerialPort& error,
                                const DeviceGroupLookup& lookup) {
    std::string text = PortOpenFailureText(port);
    // Only the open itself tells why; other steps' codes say nothing a user could act on.
    if (error.ErrorIndex() != serial_error::kOpen || error.SystemCode() < 0) return text;
    const int code = error.SystemCode();
    std::optional<std::string> group;
    if ((code == EACCES || code == EPERM) && lookup) group = lookup(ResolvePortPath(port, "/dev"));
    const std::string reason = PortOpenFailureReason(code, group);
    if (!reason.empty()) text += "\n" + reason;
    return text;
}
