#pragma once
// A serial communications device as the port component sees it: exclusive open of a named
// device, line settings, read time-outs, queue sizes, purging, DTR/RTS, input-queue length,
// modem lines, line errors and an event wait that a stop signal ends at once.
//
// Every call returns 0 on success or an errno value; the component turns failures into its
// own exception with that code.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/serial_device_settings.h"
#include "platform/serial_event_waiter.h"
#include "platform/serial_read_op.h"

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
