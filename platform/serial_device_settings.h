#pragma once
// What a serial device is set to: line settings and read time-outs.

#include <cstdint>

// Line settings in the shape of the Win32 DCB record; members that the component never sets
// are left out.
struct SerialDcb {
    enum : std::uint8_t { kDtrControlDisable = 0, kDtrControlEnable = 1, kDtrControlHandshake = 2 };
    enum : std::uint8_t {
        kRtsControlDisable = 0,
        kRtsControlEnable = 1,
        kRtsControlHandshake = 2,
        kRtsControlToggle = 3
    };

    std::uint32_t DCBlength = 0;
    std::uint32_t BaudRate = 0;
    std::uint8_t fBinary = 0;
    std::uint8_t fParity = 0;
    std::uint8_t fOutxCtsFlow = 0;
    std::uint8_t fOutxDsrFlow = 0;
    std::uint8_t fDtrControl = 0;
    std::uint8_t fDsrSensitivity = 0;
    std::uint8_t fTXContinueOnXoff = 0;
    std::uint8_t fOutX = 0;
    std::uint8_t fInX = 0;
    std::uint8_t fErrorChar = 0;
    std::uint8_t fNull = 0;
    std::uint8_t fRtsControl = 0;
    std::uint8_t fAbortOnError = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;    // 0 none, 1 odd, 2 even, 3 mark, 4 space
    std::uint8_t StopBits = 0;  // 0 one, 1 one and a half, 2 two
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EvtChar = 0;

    bool operator==(const SerialDcb&) const = default;
};

// Read time-outs in milliseconds, with the Win32 meaning; kMaxTimeout is the all-ones value.
struct SerialCommTimeouts {
    static constexpr std::uint32_t kMaxTimeout = 0xFFFFFFFFu;
    std::uint32_t ReadIntervalTimeout = kMaxTimeout;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;

    bool operator==(const SerialCommTimeouts&) const = default;
};
