#pragma once
// The serial ports of this machine, named as the port component opens them ("COMn" for
// /dev/ttyS(n-1), a bare name for another device in /dev, else the full path).

#include <string>
#include <vector>

struct SerialPortRoots {
    std::string sys = "/sys";  // sysfs
    std::string dev = "/dev";
};

// The links of /dev/serial/by-id (full paths: they keep their name when an adapter is plugged
// in again, its kernel name may not) and the terminals of /sys/class/tty that have a driver
// behind them and no such link, each once, sorted without letter case. Left out: links to
// nothing, the kernel console's devices and UART ports of unknown type (no hardware answered
// there). Returns 0, or the errno of a tty class folder that cannot be read.
int ListSerialPortNames(std::vector<std::string>& names, const SerialPortRoots& roots = {});

// The kernel's name of the device that the absolute path `name` links to ("ttyUSB0" for a
// /dev/serial/by-id link); empty when `name` is no link or leads nowhere.
std::string KernelDeviceName(const std::string& name);
