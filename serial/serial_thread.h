#pragma once
// TSerialThread: while a port is open with events enabled, waits for line events and hands
// each wake-up's set of events to the port, as its SyncMethod says:
//   smThreadSync: run on the UI thread, this thread blocking until the handlers have run;
//   smWindowSync: one queued call per event, this thread going on at once;
//   smNone:       run here (closing the port from such a handler is refused: it would wait for
//                 itself).
// An exception from the handlers (smThreadSync, smNone) ends the loop: the thread keeps it and
// raises no further events; the port stays open. A lost line ends it too, and is never waited
// on again: a hang-up of the device, a failed wait, or a handler's exception whose system code
// says the device went away. The thread then hands a "lost" notice of its session to the UI
// thread, where the port closes itself and raises OnConnectionLost. On its way out it purges
// both queues.

#include <atomic>
#include <condition_variable>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/serial_device.h"
#include "serial/serial_types.h"

class TCustomSerialPort;

// The token that queued steps of the event thread carry (smWindowSync's events, the lost
// notice): one open of the port. A queued step reaches the port only while the token still
// points at it (ClosePort clears it) and the port is still in that open.
struct TDeliverySession {
    TCustomSerialPort* port = nullptr;
    unsigned session = 0;

    // Raises one queued event, or drops it when its session is over. `arrival` is that of the
    // wake-up that collected it.
    static void Deliver(const std::shared_ptr<TDeliverySession>& delivery, TSerialEvent event,
                        const SerialArrival& arrival);
    // The line of that session was lost: the port closes and says so, unless the session is
    // over.
    static void Lost(const std::shared_ptr<TDeliverySession>& delivery);
};

class TSerialThread {
  public:
    // `sync` and `delivery` are fixed for the thread's life.
    TSerialThread(TCustomSerialPort& port, SerialDevice& device,
                  std::unique_ptr<SerialEventWaiter> waiter, unsigned session, TSyncMethod sync,
                  std::shared_ptr<TDeliverySession> delivery);
    ~TSerialThread();  // stops and waits
    TSerialThread(const TSerialThread&) = delete;
    TSerialThread& operator=(const TSerialThread&) = delete;

    // Sets StopSignal and waits until the thread has ended, aborting the reads that a handler
    // running on the thread (smNone) waits in meanwhile.
    void Stop();
    bool Finished() const { return finished_.load(); }
    // Whether the caller runs on this thread (a handler under smNone).
    bool IsCurrentThread() const { return thread_id_.load() == std::this_thread::get_id(); }
    // The exception that ended the loop, once the thread has finished; none for a lost line.
    std::exception_ptr FatalException() const { return finished_.load() ? fatal_ : nullptr; }

  private:
    void Execute(std::stop_token stop);
    void Dispatch(TSerialEvents events, const SerialArrival& arrival, std::stop_token stop);

    TCustomSerialPort& FComPort;
    SerialDevice& device_;
    std::unique_ptr<SerialEventWaiter> waiter_;
    const unsigned session_;
    const TSyncMethod sync_;
    const std::shared_ptr<TDeliverySession> delivery_;
    std::atomic<std::thread::id> thread_id_{};
    TSerialEvents FEvents;  // collected by the last wait
    std::exception_ptr fatal_;
    bool lost_ = false;  // the line was lost
    std::atomic<bool> finished_{false};
    std::mutex finished_mutex_;
    std::condition_variable finished_changed_;
    std::jthread thread_;  // last: starts once the rest is built
};
