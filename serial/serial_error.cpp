#include "serial/serial_error.h"

#include <array>

#include "common/text_format.h"

namespace {

constexpr std::array<const char*, 24> kMessages = {
    "Unable to open com port",
    "WriteFile function failed",
    "ReadFile function failed",
    "Invalid Async parameter",
    "PurgeComm function failed",
    "Unable to get async status",
    "SetCommState function failed",
    "SetCommTimeouts failed",
    "SetupComm function failed",
    "ClearCommError function failed",
    "GetCommModemStatus function failed",
    "EscapeCommFunction function failed",
    "TransmitCommChar function failed",
    "Cannot set property while connected",
    "EnumPorts function failed",
    "Failed to store settings",
    "Failed to load settings",
    "Link (un)registration failed",
    "Cannot change led state if ComPort is selected",
    "Cannot wait for event if event thread is created",
    "WaitForEvent method failed",
    "A component is linked to OnRxBuf event",
    "Registry error",
    "Cannot close the port from its own event thread",
};

std::string MessageFor(int index, int code) {
    std::string text = SerialErrorText(index);
    if (SerialErrorHasCode(index) && code != ESerialPort::kNoSystemCode)
        text += " (win error code: " + text::FormatInt(code) + ")";
    return text;
}

}  // namespace

const char* SerialErrorText(int index) {
    if (index < 1 || index > static_cast<int>(kMessages.size())) return "";
    return kMessages[static_cast<std::size_t>(index - 1)];
}

bool SerialErrorHasCode(int index) {
    return (index >= 1 && index <= 5) || (index >= 7 && index <= 12) || index == 23;
}

ESerialPort::ESerialPort(int error_index, int system_code)
    : std::runtime_error(MessageFor(error_index, system_code)),
      error_index_(error_index),
      system_code_(SerialErrorHasCode(error_index) ? system_code : kNoSystemCode) {}
