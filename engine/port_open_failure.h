#pragma once
// The warning shown when the port cannot be opened: the fixed first line with the port's
// name and, where the system's error says why, a second line a user can act on.

#include <functional>
#include <optional>
#include <string>

class ESerialPort;

// The group that owns a device file, when it can be read.
using DeviceGroupLookup = std::function<std::optional<std::string>(const std::string& path)>;
std::optional<std::string> DeviceFileGroup(const std::string& path);

// The second line for a failed open with this errno; empty when the error tells no cause the
// user could act on. `device_group` names the device's group for a refused access.
std::string PortOpenFailureReason(int system_code, const std::optional<std::string>& device_group);

// "Не могу открыть порт: " and the port's name; for a failed open whose error is known, a line
// break and the reason. The group is looked up only for a refused access.
std::string PortOpenFailureText(const std::string& port, const ESerialPort& error,
                                const DeviceGroupLookup& lookup = DeviceFileGroup);
// Without an error of the port: the first line alone.
std::string PortOpenFailureText(const std::string& port);
