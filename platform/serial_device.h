#pragma once
// A serial communications device as the port component sees it: exclusive open of a named
// device, line settings, read time-outs, queue sizes, purging, DTR/RTS, input-queue length,
// modem lines, line errors and an event wait that a stop signal ends at once.
//
// Every call returns 0 on success or an errno value; the component turns failures into its
// own exception with that code.

#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// A hang-up: the device went away (a USB adapter pulled out, the master of a pseudo-terminal
// closed).
inline bool IsHangUpError(int error) {
    return error == EIO || error == ENXIO || error == ENODEV;
}

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

// One read in progress: filled by StartRead, completed by FinishRead.
struct SerialReadOp {
    std::uint8_t* buffer = nullptr;
    std::size_t wanted = 0;
    std::size_t done = 0;
    bool complete = false;
    std::chrono::steady_clock::time_point started{};
    std::chrono::steady_clock::time_point last_byte{};
};

// The event wait of the port's event thread. Stop() is the stop signal: it may be called from
// any thread and ends the current and every later Wait at once.
class SerialEventWaiter {
  public:
    struct Result {
        enum class Kind { Events, Stopped, Failed };
        Kind kind = Kind::Stopped;
        std::uint16_t events = 0;  // serial_event flags, never empty for Kind::Events
        int error = 0;             // for Kind::Failed
    };

    virtual ~SerialEventWaiter() = default;
    // Blocks until at least one watched event, the stop signal or a failure of the device.
    virtual Result Wait() = 0;
    virtual void Stop() = 0;
};

class SerialDevice {
  public:
    enum PurgeFlags : unsigned { kPurgeRx = 1, kPurgeTx = 2 };

    virtual ~SerialDevice() = default;

    virtual int SetState(const SerialDcb& dcb) = 0;
    virtual int SetTimeouts(const SerialCommTimeouts& timeouts) = 0;
    virtual int SetupQueues(std::uint32_t input_size, std::uint32_t output_size) = 0;
    virtual int Purge(unsigned flags) = 0;
    // Aborts transfers in progress on other threads: a waiting FinishRead returns ECANCELED.
    // Transfers started afterwards are not affected.
    virtual int CancelTransfers() = 0;
    virtual int SetDtr(bool on) = 0;
    virtual int SetRts(bool on) = 0;
    virtual int InputQueueLength(std::size_t& count) = 0;
    virtual int ModemStatus(unsigned& lines) = 0;  // modem_line flags
    // Line errors since the last call (line_error flags); the call clears them.
    virtual int TakeErrors(unsigned& errors) = 0;

    // Takes the bytes already waiting, never blocks; sets op.complete when the read is over.
    virtual int StartRead(SerialReadOp& op) = 0;
    // Waits as the read time-outs say until the read is over, or until CancelTransfers.
    virtual int FinishRead(SerialReadOp& op) = 0;

    // Starts watching the given serial_event flags for the event thread. Safe to use from that
    // thread while the other calls run on another; the device outlives the waiter.
    virtual std::unique_ptr<SerialEventWaiter> WatchEvents(std::uint16_t events, int& error) = 0;
};

// Opens devices by port name.
class SerialBackend {
  public:
    virtual ~SerialBackend() = default;
    // Exclusive open; on failure returns null and sets `error`.
    virtual std::unique_ptr<SerialDevice> Open(const std::string& port, int& error) = 0;
};
