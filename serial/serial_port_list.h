#pragma once
// The system's serial ports for the port list of the setup dialog.

#include <string>
#include <vector>

#include "platform/posix/serial_port_list.h"

// Replaces the list with the port names, sorted without letter case. When the system's
// device list cannot be read: "Registry error" with the system code.
void ListSerialPorts(std::vector<std::string>& list, const SerialPortRoots& roots = {});
