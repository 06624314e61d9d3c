#pragma once
// The flag sets a serial device reports in (line events, modem lines, line errors), and which
// of its error codes mean that it went away.

#include <cerrno>
#include <cstdint>

// A hang-up: the device went away (a USB adapter pulled out, the master of a pseudo-terminal
// closed).
inline bool IsHangUpError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

// Line events a device can report; a set is held in 16 bits.
namespace serial_event {
inline constexpr std::uint16_t kRxChar = 0x0001;
inline constexpr std::uint16_t kRxFlag = 0x0002;
inline constexpr std::uint16_t kTxEmpty = 0x0004;
inline constexpr std::uint16_t kCts = 0x0008;
inline constexpr std::uint16_t kDsr = 0x0010;
inline constexpr std::uint16_t kRlsd = 0x0020;
inline constexpr std::uint16_t kBreak = 0x0040;
inline constexpr std::uint16_t kErr = 0x0080;
inline constexpr std::uint16_t kRing = 0x0100;
inline constexpr std::uint16_t kRx80Full = 0x0400;
}  // namespace serial_event

// Input line states.
namespace modem_line {
inline constexpr unsigned kCts = 0x01;
inline constexpr unsigned kDsr = 0x02;
inline constexpr unsigned kRing = 0x04;
inline constexpr unsigned kRlsd = 0x08;
}  // namespace modem_line

// Line error flags.
namespace line_error {
inline constexpr unsigned kFrame = 0x01;
inline constexpr unsigned kParity = 0x02;
inline constexpr unsigned kOverrun = 0x04;  // the UART lost bytes
inline constexpr unsigned kRxOver = 0x08;   // the input queue was full
inline constexpr unsigned kBreak = 0x10;
inline constexpr unsigned kTxFull = 0x20;
inline constexpr unsigned kIo = 0x40;
inline constexpr unsigned kMode = 0x80;
}  // namespace line_error
