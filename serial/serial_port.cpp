// Properties, opening and closing, and applying the settings.
#include "serial/serial_port.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/serial_device_flags.h"
#include "serial/serial_dcb.h"
#include "serial/serial_event_mask.h"
#include "serial/serial_thread.h"

TCustomSerialPort::TCustomSerialPort(SerialBackend& backend, UiThread& ui)
    : backend_(backend), ui_(ui) {}

TCustomSerialPort::~TCustomSerialPort() {
    // Destroyed by a handler on the event thread (smNone), the port would free what that thread
    // still runs in: end the program with the reason rather than hang or crash later.
    if (FThread && FThread->IsCurrentThread()) {
        std::fputs("ESerialPort: ", stderr);
        std::fputs(SerialErrorText(serial_error::kCloseFromEventThread), stderr);
        std::fputs("\n", stderr);
        std::abort();
    }
    try {
        ClosePort();
    } catch (...) {
        // A handler of the closing events failed: close without them.
    }
    ReleaseQuietly();
    // Each companion forgets the port; one may remove the requests of others meanwhile.
    while (!FFreeNotices.empty()) {
        auto notice = std::move(FFreeNotices.front().second);
        FFreeNotices.erase(FFreeNotices.begin());
        if (notice) notice(*this);
    }
}

// --- properties

void TCustomSerialPort::SetConnected(bool value) {
    if (FLoading) {
        FLoadedConnected = value;
        return;
    }
    if (value == FConnected) return;
    if (value)
        OpenPort();
    else
        ClosePort();
}

void TCustomSerialPort::BeginLoading() {
    if (!FLoading) FLoadedConnected = FConnected;
    FLoading = true;
}

void TCustomSerialPort::EndLoading() {
    if (!FLoading) return;
    FLoading = false;
    // Already open: replacing the device would pull it from under the running event thread.
    if (!FLoadedConnected || FConnected) return;
    try {
        OpenPort();
    } catch (...) {
        ui_.post([error = std::current_exception()] { std::rethrow_exception(error); });
    }
}

void TCustomSerialPort::SetBaudRate(TBaudRate value) {
    if (value == FBaudRate) return;
    FBaudRate = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetCustomBaudRate(std::int32_t value) {
    if (value == FCustomBaudRate) return;
    FCustomBaudRate = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetPort(const std::string& value) {
    if (value == FPort) return;
    if (FConnected && !FLoading) RefuseOnEventThread();
    FPort = value;
    if (FConnected && !FLoading) {
        ClosePort();
        OpenPort();
    }
}

void TCustomSerialPort::SetStopBits(TStopBits value) {
    if (value == FStopBits) return;
    FStopBits = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetDataBits(TDataBits value) {
    if (value == FDataBits) return;
    FDataBits = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetDiscardNull(bool value) {
    if (value == FDiscardNull) return;
    FDiscardNull = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetEventChar(char value) {
    if (value == FEventChar) return;
    FEventChar = value;
    ApplyLineSettings();
}

void TCustomSerialPort::SetSyncMethod(TSyncMethod value) {
    if (value == FSyncMethod) return;
    if (FConnected && !FLoading) throw ESerialPort(serial_error::kConnected);
    FSyncMethod = value;
}

void TCustomSerialPort::SetParity(const TSerialParity& value) {
    FParity.Assign(value);
    ApplyLineSettings();
}

void TCustomSerialPort::SetFlowControl(const TSerialFlowControl& value) {
    FFlowControl.Assign(value);
    ApplyLineSettings();
}

void TCustomSerialPort::SetTimeouts(const TSerialTimeouts& value) {
    FTimeouts.Assign(value);
    ApplyTimeoutSettings();
}

void TCustomSerialPort::SetBuffer(const TSerialBuffer& value) {
    FBuffer.Assign(value);
    ApplyBufferSettings();
}

// --- opening and closing

void TCustomSerialPort::CreateHandle() {
    int error = 0;
    FHandle = backend_.Open(FPort, error);
    if (!FHandle) throw ESerialPort(serial_error::kOpen, error);
}

void TCustomSerialPort::DestroyHandle() {
    FHandle.reset();
}

void TCustomSerialPort::OpenPort() {
    if (FConnected) return;
    DoBeforeOpen();
    CreateHandle();
    FConnected = true;
    ++FSession;
    // Deferred settings reach the device at EndSettingsUpdate; until then it is only raw.
    FSettingsPending = FUpdateDepth > 0;
    try {
        ApplyAllSettings();
        if (!FEvents.Empty()) {
            int error = 0;
            auto waiter = FHandle->WatchEvents(EventsToMask(FEvents), error);
            if (!waiter) throw ESerialPort(serial_error::kOpen, error);
            FDelivery = std::make_shared<TDeliverySession>(TDeliverySession{this, FSession});
            FThread = std::make_unique<TSerialThread>(*this, *FHandle, std::move(waiter), FSession,
                                                      FSyncMethod, FDelivery);
        }
    } catch (...) {
        StopThread();
        DestroyHandle();
        FConnected = false;
        throw;
    }
    DoAfterOpen();
}

bool TCustomSerialPort::EventThreadRunning() const {
    return FThread && !FThread->Finished();
}

std::exception_ptr TCustomSerialPort::EventThreadError() const {
    return FThread ? FThread->FatalException() : nullptr;
}

void TCustomSerialPort::StopThread() {
    if (FThread) FThread->Stop();
    FThread.reset();
    if (FDelivery) FDelivery->port = nullptr;
    FDelivery.reset();
}

void TCustomSerialPort::RefuseOnEventThread() const {
    if (FThread && FThread->IsCurrentThread())
        throw ESerialPort(serial_error::kCloseFromEventThread);
}

void TCustomSerialPort::ClosePort() {
    if (!FConnected) return;
    // Under smNone a handler runs on the event thread, which closing waits for.
    RefuseOnEventThread();
    DoBeforeClose();
    // A device that went away cannot cancel anything, and must still be closed.
    if (int e = FHandle->CancelTransfers(); e != 0 && !IsHangUpError(e))
        throw ESerialPort(serial_error::kPurge, e);
    StopThread();
    DestroyHandle();
    FConnected = false;
    FSettingsPending = false;
    DoAfterClose();
}

void TCustomSerialPort::ReleaseQuietly() {
    if (!FConnected) return;
    StopThread();
    DestroyHandle();
    FConnected = false;
    FSettingsPending = false;
}

void TCustomSerialPort::LineLost() {
    // At once: the dead device must not hold its claim until somebody closes the port, or the
    // next open of the same device fails.
    try {
        ClosePort();
    } catch (...) {
        // A closing handler failed: release the device all the same, and still tell.
        if (FConnected) {
            ReleaseQuietly();
            try {
                DoAfterClose();  // the lamp goes out
            } catch (...) {
            }
        }
        DoConnectionLost();
        throw;
    }
    DoConnectionLost();
}

// --- applying the settings

bool TCustomSerialPort::CanApply() const {
    return FConnected && FHandle && FUpdateDepth == 0 && !FLoading;
}

void TCustomSerialPort::BeginSettingsUpdate() {
    ++FUpdateDepth;
}

void TCustomSerialPort::EndSettingsUpdate() {
    if (FUpdateDepth < 1) return;
    if (--FUpdateDepth != 0) return;
    try {
        ApplyAllSettings();
    } catch (...) {
        // A port opened meanwhile has none of its settings: it must not stay open like that.
        if (FSettingsPending && FConnected) {
            try {
                ClosePort();
            } catch (...) {
                // The settings failure is the one to report.
            }
        }
        throw;
    }
    FSettingsPending = false;
}

void TCustomSerialPort::ApplyAllSettings() {
    ApplyBufferSettings();
    ApplyLineSettings();
    ApplyTimeoutSettings();
}

void TCustomSerialPort::ApplyLineSettings() {
    if (!CanApply()) return;
    if (int e = FHandle->SetState(MakeDcb(*this))) throw ESerialPort(serial_error::kSetState, e);
}

void TCustomSerialPort::ApplyTimeoutSettings() {
    if (!CanApply()) return;
    if (int e = FHandle->SetTimeouts(MakeCommTimeouts(*this)))
        throw ESerialPort(serial_error::kSetTimeouts, e);
}

void TCustomSerialPort::ApplyBufferSettings() {
    if (!CanApply()) return;
    if (int e = FHandle->SetupQueues(static_cast<std::uint32_t>(FBuffer.InputSize()),
                                     static_cast<std::uint32_t>(FBuffer.OutputSize())))
        throw ESerialPort(serial_error::kSetupComm, e);
}
