#pragma once
// The serial ports of this machine, named as the port component opens them ("COMn" for
// /dev/ttyS(n-1), a bare name for another device in /dev, else the full path).

#include <string>
#include <vector>

struct SerialPortRoots {
    std::string sys = "/sys";  // sysfs
    std::string dev = "/dev";
};

// The terminals of /sys/class/tty that have a driver behind them, and the targets of the
// /dev/serial/by-id links, each once, sorted without letter case. Left out: the kernel
// console's devices and UART ports of unknown type (no hardware answered there). Returns 0, or
// the errno of a tty class folder that cannot be read.
int ListSerialPortNames(std::vector<std::string>& names, const SerialPortRoots& roots = {});
