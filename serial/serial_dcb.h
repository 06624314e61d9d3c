#pragma once
// The line settings of a port as the device receives them.

#include "platform/serial_device_settings.h"

class TCustomSerialPort;

SerialDcb MakeDcb(const TCustomSerialPort& port);
SerialCommTimeouts MakeCommTimeouts(const TCustomSerialPort& port);
