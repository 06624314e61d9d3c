// Reading and the line operations.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

#include "serial/serial_event_mask.h"
#include "serial/serial_port.h"

SerialDevice& TCustomSerialPort::DeviceFor(int index) {
    // A closed port touches no device.
    if (!FHandle) throw ESerialPort(index, EBADF);
    return *FHandle;
}

std::size_t TCustomSerialPort::ReadBytes(std::uint8_t* buffer, std::size_t count) {
    auto request = InitRequest();
    StartRead(buffer, count, request.get());
    const std::size_t done = WaitForRequest(request.get());
    FreeRequest(request);
    return done;
}

std::size_t TCustomSerialPort::StartRead(std::uint8_t* buffer, std::size_t count,
                                         TSerialRequest* request) {
    if (request == nullptr) throw ESerialPort(serial_error::kAsyncParameter);
    SerialDevice& device = DeviceFor(serial_error::kRead);
    request->Kind = rkRead;
    const auto now = std::chrono::steady_clock::now();
    request->Op = SerialReadOp{buffer, buffer ? count : 0, 0, false, now, now};
    request->Started = true;
    if (int e = device.StartRead(request->Op)) throw ESerialPort(serial_error::kRead, e);
    return request->Op.done;
}

std::size_t TCustomSerialPort::WaitForRequest(TSerialRequest* request) {
    if (request == nullptr) throw ESerialPort(serial_error::kAsyncParameter);
    const int index = request->Kind == rkWrite ? serial_error::kWrite : serial_error::kRead;
    if (request->Started && !request->Op.complete) {
        if (int e = DeviceFor(index).FinishRead(request->Op)) throw ESerialPort(index, e);
    }
    // Only links hear of the input's end: without them the port is not asked.
    if (request->Kind == rkRead && !FLinks.empty() && PendingInputCount() == 0) {
        NotifyLinks(&TSerialLink::OnRxActivity, false);
    } else if (!request->Data.empty()) {
        NotifyLinks(&TSerialLink::OnTxData, request->Data.data(),
                    static_cast<int>(request->Data.size()));
    }
    return request->Op.done;
}

void TCustomSerialPort::CancelTransfers() {
    if (int e = DeviceFor(serial_error::kPurge).CancelTransfers())
        throw ESerialPort(serial_error::kPurge, e);
}

void TCustomSerialPort::PurgeBuffers(bool input, bool output) {
    unsigned flags = 0;
    if (input) flags |= SerialDevice::kPurgeRx;
    if (output) flags |= SerialDevice::kPurgeTx;
    if (int e = DeviceFor(serial_error::kPurge).Purge(flags))
        throw ESerialPort(serial_error::kPurge, e);
}

void TCustomSerialPort::SetDtrLine(bool on) {
    if (int e = DeviceFor(serial_error::kEscape).SetDtr(on))
        throw ESerialPort(serial_error::kEscape, e);
}

void TCustomSerialPort::SetRtsLine(bool on) {
    if (int e = DeviceFor(serial_error::kEscape).SetRts(on))
        throw ESerialPort(serial_error::kEscape, e);
}

int TCustomSerialPort::PendingInputCount() {
    std::size_t count = 0;
    if (int e = DeviceFor(serial_error::kClearCommError).InputQueueLength(count))
        throw ESerialPort(serial_error::kClearCommError, e);
    return static_cast<int>(std::min<std::size_t>(count, INT_MAX));
}

TLineSignals TCustomSerialPort::ModemSignals() {
    unsigned lines = 0;
    if (int e = DeviceFor(serial_error::kModemStatus).ModemStatus(lines))
        throw ESerialPort(serial_error::kModemStatus, e);
    return ModemLinesToSet(lines);
}

TSerialErrors TCustomSerialPort::TakeLineErrors() {
    unsigned errors = 0;
    if (int e = DeviceFor(serial_error::kClearCommError).TakeErrors(errors))
        throw ESerialPort(serial_error::kClearCommError, e);
    return LineErrorsToSet(errors, FParity.Check());
}
