#pragma once
// TCustomSerialPort / TSerialPort: a non-visual component that owns one serial port. It holds
// the line settings, opens and closes the device, applies the settings to it, runs the event
// thread while open and turns line events into its own events and link notifications.
//
// Every operation and property change belongs to the UI thread. The component never writes to
// the line.

#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "platform/serial_device.h"
#include "platform/ui_thread.h"
#include "serial/serial_buffer.h"
#include "serial/serial_error.h"
#include "serial/serial_flow_control.h"
#include "serial/serial_link.h"
#include "serial/serial_parity.h"
#include "serial/serial_request.h"
#include "serial/serial_timeouts.h"
#include "serial/serial_types.h"

class TSerialThread;
struct TDeliverySession;

class TCustomSerialPort {
  public:
    using TNotifyEvent = std::function<void(TCustomSerialPort& Sender)>;
    using TRxCharEvent = std::function<void(TCustomSerialPort& Sender, int Count)>;
    using TRxBufEvent =
        std::function<void(TCustomSerialPort& Sender, const std::uint8_t* Buffer, int Count)>;
    using TSerialSignalEvent = std::function<void(TCustomSerialPort& Sender, bool OnOff)>;
    using TSerialErrorEvent = std::function<void(TCustomSerialPort& Sender, TSerialErrors Errors)>;

    // `backend` opens the devices, `ui` is the thread the events are delivered on; both outlive
    // the port.
    TCustomSerialPort(SerialBackend& backend, UiThread& ui);
    virtual ~TCustomSerialPort();
    TCustomSerialPort(const TCustomSerialPort&) = delete;
    TCustomSerialPort& operator=(const TCustomSerialPort&) = delete;

    // --- properties
    const std::string& Name() const { return FName; }  // the component's name
    void SetName(std::string value) { FName = std::move(value); }
    // While loading, the stored flag; otherwise whether the device is open.
    bool Connected() const { return FLoading ? FLoadedConnected : FConnected; }
    void SetConnected(bool value);
    TBaudRate BaudRate() const { return FBaudRate; }
    void SetBaudRate(TBaudRate value);
    std::int32_t CustomBaudRate() const { return FCustomBaudRate; }
    void SetCustomBaudRate(std::int32_t value);
    const std::string& Port() const { return FPort; }
    // A different name reopens an open port.
    void SetPort(const std::string& value);
    TStopBits StopBits() const { return FStopBits; }
    void SetStopBits(TStopBits value);
    TDataBits DataBits() const { return FDataBits; }
    void SetDataBits(TDataBits value);
    bool DiscardNull() const { return FDiscardNull; }
    void SetDiscardNull(bool value);
    char EventChar() const { return FEventChar; }
    void SetEventChar(char value);
    // Read when the event thread starts: a change waits for the next open.
    TSerialEvents Events() const { return FEvents; }
    void SetEvents(TSerialEvents value) { FEvents = value; }
    TSyncMethod SyncMethod() const { return FSyncMethod; }
    // Raises "Cannot set property while connected" while open. A running event thread keeps
    // the method it started with.
    void SetSyncMethod(TSyncMethod value);
    TStoredGroups StoredGroups() const { return FStoredGroups; }
    void SetStoredGroups(TStoredGroups value) { FStoredGroups = value; }

    TSerialParity& Parity() { return FParity; }
    const TSerialParity& Parity() const { return FParity; }
    TSerialFlowControl& FlowControl() { return FFlowControl; }
    const TSerialFlowControl& FlowControl() const { return FFlowControl; }
    TSerialTimeouts& Timeouts() { return FTimeouts; }
    const TSerialTimeouts& Timeouts() const { return FTimeouts; }
    TSerialBuffer& Buffer() { return FBuffer; }
    const TSerialBuffer& Buffer() const { return FBuffer; }
    // Copy every field of the source, then re-apply the group once.
    void SetParity(const TSerialParity& value);
    void SetFlowControl(const TSerialFlowControl& value);
    void SetTimeouts(const TSerialTimeouts& value);
    void SetBuffer(const TSerialBuffer& value);

    int UpdateDepth() const { return FUpdateDepth; }
    bool HasRxDataLink() const { return FHasRxDataLink; }
    // Whether this open has an event thread, also after it ended while the port stays open.
    bool ThreadCreated() const { return FThread != nullptr; }
    // Whether the event thread still delivers: a handler's exception ends it while the port
    // stays open; a lost line ends it until the port has closed itself.
    bool EventThreadRunning() const;
    // The handler's exception that ended delivery; null while the thread runs, after a lost
    // line and when no thread exists.
    std::exception_ptr EventThreadError() const;
    // When the events being raised came, and how quiet the line was before them, as the event
    // thread's wait saw it: the receive handler tells by it a packet's late bytes from the next
    // packet's first ones, whenever it gets to run.
    const SerialArrival& RxArrival() const { return FArrival; }

    // Loading from a stored description: settings are only stored, and a stored Connected opens
    // the port when loading ends (an open failure goes to the application's error report). An
    // open port stays open and keeps its event thread as it is until it is closed.
    void BeginLoading();
    void EndLoading();
    bool Loading() const { return FLoading; }

    // --- operations
    void OpenPort();
    void ClosePort();
    // Blocking read through one request; returns the bytes read.
    std::size_t ReadBytes(std::uint8_t* buffer, std::size_t count);
    // Starts a read; returns the bytes read so far.
    std::size_t StartRead(std::uint8_t* buffer, std::size_t count, TSerialRequest* request);
    // Completes a request as the time-outs say; returns the bytes transferred.
    std::size_t WaitForRequest(TSerialRequest* request);
    void CancelTransfers();
    void PurgeBuffers(bool input, bool output);
    void SetDtrLine(bool on);
    void SetRtsLine(bool on);
    int PendingInputCount();
    TLineSignals ModemSignals();
    TSerialErrors TakeLineErrors();
    void BeginSettingsUpdate();
    void EndSettingsUpdate();
    virtual void ApplyAllSettings();
    virtual void ApplyLineSettings();
    virtual void ApplyTimeoutSettings();
    virtual void ApplyBufferSettings();
    // Raise "Link (un)registration failed" for a link already (or not) registered.
    void AddLink(TSerialLink* link);
    void RemoveLink(TSerialLink* link);
    // A companion that follows the port asks to be told when the port is destroyed: `notice`
    // runs once from the destructor, after the port has closed. `owner` identifies the request;
    // asking again replaces it. A companion that goes first removes its request.
    void FreeNotification(const void* owner, std::function<void(TCustomSerialPort&)> notice);
    void RemoveFreeNotification(const void* owner);

    // --- persistence of the StoredGroups, in the section named after the component.
    // skIniFile: `location` is the file's path. skRegistry: there is no registry here; it fails
    // as the operation does when its store cannot be opened. Every failure is reported as
    // "Failed to store settings" / "Failed to load settings". Restoring defers the settings
    // and applies them at once at its end, also after a failure.
    void SaveSettings(TStoreKind kind, const std::string& location);
    void RestoreSettings(TStoreKind kind, const std::string& location);
    // One write of the file. Reading keeps a setting whose key is missing.
    virtual void SaveToIniFile(platform::IniFile& ini);
    virtual void LoadFromIniFile(const platform::IniFile& ini);

    // --- events
    TNotifyEvent OnAfterOpen, OnAfterClose, OnBeforeOpen, OnBeforeClose;
    TRxCharEvent OnRxChar;
    TRxBufEvent OnRxBuf;
    TNotifyEvent OnTxEmpty, OnBreak, OnRing, OnRxFlag, OnRx80Full;
    TSerialSignalEvent OnCTSChange, OnDSRChange, OnRLSDChange;
    TSerialErrorEvent OnError;
    // The device went away while the port was open (an adapter pulled out, a hang-up): the
    // port has closed itself, with the closing events, and released the device.
    TNotifyEvent OnConnectionLost;

  protected:
    virtual void CreateHandle();
    virtual void DestroyHandle();

    virtual void DoAfterClose();
    virtual void DoAfterOpen();
    virtual void DoBeforeClose();
    virtual void DoBeforeOpen();
    virtual void DoRxChar(int Count);
    virtual void DoRxBuf(const std::uint8_t* Buffer, int Count);
    virtual void DoTxEmpty();
    virtual void DoBreak();
    virtual void DoRing();
    virtual void DoRxFlag();
    virtual void DoCTS(bool OnOff);
    virtual void DoDSR(bool OnOff);
    virtual void DoError(TSerialErrors Errors);
    virtual void DoRLSD(bool OnOff);
    virtual void DoRx80Full();
    virtual void DoConnectionLost();

  private:
    friend class TSerialThread;
    friend struct TDeliverySession;

    // The collected events of one wake-up, in the fixed order. Stops when a handler closed the
    // port (or closed and opened it again: `session` is that of the wake-up).
    void RunEventHandlers(TSerialEvents events, unsigned session, const SerialArrival& arrival);
    void RaiseEvent(TSerialEvent event);
    // The event thread's notice that the line of the current open was lost.
    void LineLost();
    void ReceiveStep();
    void SignalChanged(TLineSignal line, bool on);

    bool CanApply() const;
    // Refuses an operation that would wait for the event thread from that thread itself.
    void RefuseOnEventThread() const;
    // The open device, or the table error `index` when the port is closed.
    SerialDevice& DeviceFor(int index);
    void StopThread();
    // Stops the event thread and frees the device without the closing events (their handler
    // failed, or the port is being destroyed).
    void ReleaseQuietly();
    template <typename Slot, typename... Args>
    void NotifyLinks(Slot TSerialLink::*slot, Args&&... args);
    void RecomputeHasRxDataLink();

    SerialBackend& backend_;
    UiThread& ui_;

    std::string FName;
    bool FConnected = false;
    TBaudRate FBaudRate = br9600;
    std::int32_t FCustomBaudRate = 9600;
    std::string FPort = "COM1";
    TSerialParity FParity{this};
    TStopBits FStopBits = sbOneStopBit;
    TDataBits FDataBits = dbEight;
    bool FDiscardNull = false;
    char FEventChar = 0;
    TSerialEvents FEvents = kAllSerialEvents;
    TSerialBuffer FBuffer{this};
    TSerialFlowControl FFlowControl{this};
    TSerialTimeouts FTimeouts{this};
    TSyncMethod FSyncMethod = smThreadSync;
    TStoredGroups FStoredGroups{sgBasic};
    int FUpdateDepth = 0;
    bool FLoading = false;
    bool FLoadedConnected = false;  // the Connected flag stored while loading
    bool FSettingsPending = false;  // opened while settings were deferred, none applied yet
    bool FHasRxDataLink = false;
    unsigned FSession = 0;   // counts opens
    SerialArrival FArrival;  // of the wake-up whose events are being raised
    std::vector<TSerialLink*> FLinks;
    std::vector<std::pair<const void*, std::function<void(TCustomSerialPort&)>>> FFreeNotices;

    std::unique_ptr<SerialDevice> FHandle;
    std::shared_ptr<TDeliverySession> FDelivery;  // while the event thread exists
    std::unique_ptr<TSerialThread> FThread;
};

template <typename Slot, typename... Args>
void TCustomSerialPort::NotifyLinks(Slot TSerialLink::*slot, Args&&... args) {
    // By index: a slot may register or remove links.
    for (std::size_t i = 0; i < FLinks.size(); ++i) {
        // A copy: the slot's owner may refill its link from inside the call.
        const Slot callback = FLinks[i]->*slot;
        if (callback) callback(*this, args...);
    }
}

class TSerialPort : public TCustomSerialPort {
  public:
    using TCustomSerialPort::TCustomSerialPort;
};
