#include "serial/serial_port_list.h"

#include "serial/serial_error.h"

void ListSerialPorts(std::vector<std::string>& list, const SerialPortRoots& roots) {
    std::vector<std::string> names;
    if (int e = ListSerialPortNames(names, roots)) throw ESerialPort(serial_error::kRegistry, e);
    list = std::move(names);
}
