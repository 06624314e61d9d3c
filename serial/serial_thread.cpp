#include "serial/serial_thread.h"

#include <chrono>

#include "platform/posix/thread_name.h"
#include "platform/serial_device_flags.h"
#include "serial/serial_event_mask.h"
#include "serial/serial_port.h"

void TDeliverySession::Deliver(const std::shared_ptr<TDeliverySession>& delivery,
                               TSerialEvent event, const SerialArrival& arrival) {
    TCustomSerialPort* port = delivery->port;
    if (port == nullptr || !port->FConnected || port->FSession != delivery->session) return;
    port->FArrival = arrival;
    port->RaiseEvent(event);
}

void TDeliverySession::Lost(const std::shared_ptr<TDeliverySession>& delivery) {
    TCustomSerialPort* port = delivery->port;
    if (port == nullptr || !port->FConnected || port->FSession != delivery->session) return;
    port->LineLost();
}

TSerialThread::TSerialThread(TCustomSerialPort& port, SerialDevice& device,
                             std::unique_ptr<SerialEventWaiter> waiter, unsigned session,
                             TSyncMethod sync, std::shared_ptr<TDeliverySession> delivery)
    : FComPort(port),
      device_(device),
      waiter_(std::move(waiter)),
      session_(session),
      sync_(sync),
      delivery_(std::move(delivery)),
      thread_([this](std::stop_token stop) { Execute(stop); }) {}

TSerialThread::~TSerialThread() {
    Stop();
}

void TSerialThread::Stop() {
    if (!thread_.joinable()) return;
    waiter_->Stop();
    thread_.request_stop();  // also gives up a hand-over that waits for the UI thread
    // A handler may start a read after ClosePort's cancel: cancel again until it is out.
    for (;;) {
        {
            std::unique_lock lock(finished_mutex_);
            if (finished_changed_.wait_for(lock, std::chrono::milliseconds(10),
                                           [this] { return finished_.load(); }))
                break;
        }
        device_.CancelTransfers();
    }
    thread_.join();
}

void TSerialThread::Execute(std::stop_token stop) {
    thread_id_ = std::this_thread::get_id();
    platform::NameThisThread("serial-events");
    try {
        for (;;) {
            const SerialEventWaiter::Result r = waiter_->Wait();
            if (r.kind == SerialEventWaiter::Result::Kind::Stopped) break;
            // A hang-up or a failed wait: nothing more will come through this device.
            if (r.kind == SerialEventWaiter::Result::Kind::Failed) {
                lost_ = true;
                break;
            }
            FEvents = MaskToEvents(r.events);
            if (!FEvents.Empty()) Dispatch(FEvents, r.arrival, stop);
            if (stop.stop_requested()) break;
        }
    } catch (const ESerialPort& e) {
        // A read of nothing after a readable report, EIO or ENXIO: the device went away.
        if (IsHangUpError(e.SystemCode()))
            lost_ = true;
        else
            fatal_ = std::current_exception();
    } catch (...) {
        fatal_ = std::current_exception();
    }
    // Errors are of no interest here: after a hang-up the purge fails.
    device_.Purge(SerialDevice::kPurgeRx | SerialDevice::kPurgeTx);
    // Closing already: the port needs no notice.
    if (lost_ && !stop.stop_requested())
        FComPort.ui_.post([delivery = delivery_] { TDeliverySession::Lost(delivery); });
    std::lock_guard lock(finished_mutex_);
    finished_ = true;
    finished_changed_.notify_all();
}

void TSerialThread::Dispatch(TSerialEvents events, const SerialArrival& arrival,
                             std::stop_token stop) {
    TCustomSerialPort& port = FComPort;
    const unsigned session = session_;
    switch (sync_) {
        case smThreadSync:
            port.ui_.runAndWait([&port, events, session,
                                 arrival] { port.RunEventHandlers(events, session, arrival); },
                                stop);
            break;
        case smWindowSync:
            for (TSerialEvent event : kEventDispatchOrder) {
                if (!events.Contains(event)) continue;
                port.ui_.post([delivery = delivery_, event, arrival] {
                    TDeliverySession::Deliver(delivery, event, arrival);
                });
            }
            break;
        case smNone:
            port.RunEventHandlers(events, session, arrival);
            break;
    }
}
