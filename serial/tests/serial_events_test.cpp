// The event thread and the delivery of events, against the in-memory device. The test's own
// thread is the UI thread: handed-over steps run only while it pumps.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <stdexcept>
#include <thread>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/serial_device_flags.h"
#include "serial/serial_port.h"
#include "serial/tests/event_log.h"

namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;

class SerialEvents : public ::testing::Test {
  protected:
    SerialEvents() {
        line = backend.AddPort("COM1");
        port.SetEvents(kAllSerialEvents);
    }

    // Pumps the UI thread until the log holds `n` entries.
    bool Pump(std::size_t n) {
        return ui.RunUntil([&] { return log.entries.size() >= n; }, 10s);
    }
    // Pumps until the event thread waits again with nothing queued.
    void Settle() {
        const int waits = line->Snapshot().waits;
        ui.RunUntil([&] { return line->Snapshot().waits > waits && ui.QueuedCount() == 0; }, 200ms);
        ui.RunPending();
    }

    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> line;
    QueuedUiThread ui;
    EventLog log;
    TSerialLink link;
    TSerialPort port{backend, ui};
};

TEST_F(SerialEvents, ReceivedBytesRaiseRxCharOnTheUiThreadWithTheQueuedCount) {
    std::thread::id handler_thread;
    std::vector<std::uint8_t> read;
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        handler_thread = std::this_thread::get_id();
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        EXPECT_EQ(p.ReadBytes(buf.data(), buf.size()), buf.size());
        read.insert(read.end(), buf.begin(), buf.end());
        log.entries.push_back("RxChar " + std::to_string(count));
    };
    port.OpenPort();
    line->Feed({1, 2, 3, 4, 5, 6, 7, 8, 9});
    ASSERT_TRUE(Pump(1));
    EXPECT_EQ(handler_thread, std::this_thread::get_id());
    EXPECT_THAT(log.Take(), ElementsAre("RxChar 9"));
    EXPECT_EQ(read.size(), 9u);
    line->Feed({10});
    ASSERT_TRUE(Pump(1));
    EXPECT_EQ(read.back(), 10);
}

TEST_F(SerialEvents, TheHandlerReadsWhenItsBytesCameAndHowQuietTheLineWasBefore) {
    for (const TSyncMethod sync : {smThreadSync, smWindowSync}) {
        port.SetSyncMethod(sync);
        std::vector<SerialArrival> arrivals;
        port.OnRxChar = [&](TCustomSerialPort& p, int count) {
            arrivals.push_back(p.RxArrival());
            std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
            p.ReadBytes(buf.data(), buf.size());
        };
        port.OpenPort();
        const std::chrono::milliseconds base = (sync + 1) * 10s;
        line->Feed({1, 2, 3}, base + 100ms);
        ASSERT_TRUE(ui.RunUntil([&] { return arrivals.size() == 1; }, 10s));
        line->Feed({4, 5}, base + 116ms);
        ASSERT_TRUE(ui.RunUntil([&] { return arrivals.size() == 2; }, 10s));
        line->Feed({6});  // no time: with the last bytes
        ASSERT_TRUE(ui.RunUntil([&] { return arrivals.size() == 3; }, 10s));
        port.ClosePort();
        EXPECT_EQ(arrivals[0].stamp, base + 100ms);
        EXPECT_EQ(arrivals[1].stamp, base + 116ms);
        EXPECT_EQ(arrivals[1].quiet, 16ms);
        EXPECT_EQ(arrivals[2].stamp, base + 116ms);
        EXPECT_EQ(arrivals[2].quiet, 0ms);
    }
}

TEST_F(SerialEvents, AReceiveEventWithAnEmptyQueueRaisesNothing) {
    log.Attach(port);
    log.Attach(link, "L");
    port.AddLink(&link);
    port.OpenPort();
    log.Take();
    line->RaiseEvents(serial_event::kRxChar | serial_event::kBreak);
    ASSERT_TRUE(Pump(1));
    Settle();
    EXPECT_THAT(log.Take(), ElementsAre("Break"));
    port.RemoveLink(&link);
}

TEST_F(SerialEvents, EventsOfOneWakeUpAreRaisedInTheFixedOrder) {
    // Fed before the open, so that the bytes' own receive event cannot wake the thread first.
    line->Feed({1, 2});
    port.OpenPort();
    log.Attach(port);
    line->SetModemLines(modem_line::kDsr);
    line->AddLineErrors(line_error::kFrame);
    line->RaiseEvents(0x05ff);  // every event, one wake-up
    ASSERT_TRUE(Pump(10));
    EXPECT_THAT(log.Take(), ElementsAre("Error 1", "RxChar 2", "TxEmpty", "Break", "Ring", "CTS 0",
                                        "DSR 1", "RxFlag", "RLSD 0", "Rx80Full"));
}

TEST_F(SerialEvents, LinksHearOfSignalsActivityAndRings) {
    port.OpenPort();
    log.Attach(link, "L");
    port.AddLink(&link);
    line->SetModemLines(modem_line::kCts);
    line->Feed({1});
    line->RaiseEvents(serial_event::kCts | serial_event::kRing | serial_event::kTxEmpty |
                      serial_event::kRxFlag);
    ASSERT_TRUE(Pump(6));
    EXPECT_THAT(log.Take(),
                ElementsAre("L.Rx 1", "L.Tx 0", "L.TxDrained", "L.Ring", "L.CTS 1", "L.RxFlag"));
    port.RemoveLink(&link);
}

TEST_F(SerialEvents, ParityErrorsReachOnErrorOnlyWhenCheckingParity) {
    log.Attach(port);
    port.OpenPort();
    log.Take();
    line->AddLineErrors(line_error::kParity);
    line->RaiseEvents(serial_event::kErr | serial_event::kBreak);
    ASSERT_TRUE(Pump(1));
    EXPECT_THAT(log.Take(), ElementsAre("Break"));

    port.Parity().SetCheck(true);
    line->AddLineErrors(line_error::kParity | line_error::kOverrun);
    line->RaiseEvents(serial_event::kErr);
    ASSERT_TRUE(Pump(1));
    TSerialErrors expected{ceRxParity, ceOverrun};
    EXPECT_THAT(log.Take(), ElementsAre("Error " + std::to_string(expected.ToBits())));
}

TEST_F(SerialEvents, AnRxDataLinkTakesTheBytesInsteadOfRxChar) {
    log.Attach(port);
    std::vector<std::uint8_t> got;
    link.OnRxData = [&](TCustomSerialPort&, const std::uint8_t* b, int n) { got.assign(b, b + n); };
    port.AddLink(&link);
    port.OpenPort();
    log.Take();
    line->Feed({7, 8, 9});
    ASSERT_TRUE(Pump(1));
    Settle();
    EXPECT_THAT(log.Take(), ElementsAre("RxBuf 3"));
    EXPECT_EQ(got, (std::vector<std::uint8_t>{7, 8, 9}));
    port.RemoveLink(&link);
}

TEST_F(SerialEvents, AnExceptionFromRxCharEndsDeliveryUntilThePortIsReopened) {
    int calls = 0;
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        ++calls;
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        p.ReadBytes(buf.data(), buf.size());
        if (calls == 1) throw std::runtime_error("handler failed");
    };
    port.OpenPort();
    line->Feed({1});
    ASSERT_TRUE(ui.RunUntil([&] { return calls == 1; }, 10s));
    ASSERT_TRUE(ui.RunUntil([&] { return !port.EventThreadRunning(); }, 10s));
    EXPECT_THROW(std::rethrow_exception(port.EventThreadError()), std::runtime_error);
    EXPECT_FALSE(line->Snapshot().purges.empty());  // the thread's exit purge
    line->Feed({2});
    ui.RunUntil([] { return false; }, 100ms);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(ui.TakeReportedErrors().empty());

    port.ClosePort();
    port.OpenPort();
    line->Feed({3});
    ASSERT_TRUE(ui.RunUntil([&] { return calls == 2; }, 10s));
}

TEST_F(SerialEvents, ClosingWhileTheThreadWaitsForTheUiThreadDoesNotHang) {
    int calls = 0;
    port.OnRxChar = [&](TCustomSerialPort&, int) { ++calls; };
    port.OpenPort();
    line->Feed({1});
    // The hand-over is queued but the UI thread is busy closing.
    while (ui.QueuedCount() == 0) std::this_thread::sleep_for(1ms);
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
    ui.RunPending();
    EXPECT_EQ(calls, 0);
    // The thread purged both queues on its way out.
    const auto purges = line->Snapshot().purges;
    ASSERT_FALSE(purges.empty());
    EXPECT_EQ(purges.back(), SerialDevice::kPurgeRx | SerialDevice::kPurgeTx);
}

TEST_F(SerialEvents, AHandlerMayCloseThePort) {
    log.Attach(port);
    port.OnRxChar = [&](TCustomSerialPort& p, int) {
        log.entries.push_back("RxChar");
        p.ClosePort();
    };
    port.OpenPort();
    log.Take();
    line->Feed({1});
    line->RaiseEvents(serial_event::kBreak);
    ASSERT_TRUE(ui.RunUntil([&] { return !port.Connected(); }, 10s));
    ui.RunPending();
    // Nothing of the same wake-up is raised after the close.
    EXPECT_THAT(log.Take(),
                ElementsAre("RxChar", "CTS 0", "DSR 0", "RLSD 0", "BeforeClose", "AfterClose"));
}

TEST_F(SerialEvents, AHangUpClosesThePortAtOnceAndTellsOfTheLostLineOnce) {
    log.Attach(port);
    port.OpenPort();
    log.Take();
    line->HangUp();
    ASSERT_TRUE(ui.RunUntil([&] { return !port.Connected(); }, 10s));
    ui.RunUntil([] { return false; }, 50ms);
    EXPECT_THAT(log.Take(),
                ElementsAre("CTS 0", "DSR 0", "RLSD 0", "BeforeClose", "AfterClose", "Lost"));
    // The dead device is released: nothing holds it against the next open.
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_FALSE(line->Snapshot().watching);
    EXPECT_FALSE(port.EventThreadRunning());
    EXPECT_FALSE(port.EventThreadError());
    EXPECT_TRUE(ui.TakeReportedErrors().empty());

    int calls = 0;
    port.OnRxChar = [&](TCustomSerialPort&, int) { ++calls; };
    port.OpenPort();
    line->Feed({1});
    ASSERT_TRUE(ui.RunUntil([&] { return calls == 1; }, 10s));
}

TEST_F(SerialEvents, TheThreadCountsAsCreatedUntilCloseEvenAfterItEnded) {
    EXPECT_FALSE(port.ThreadCreated());
    port.OnRxChar = [](TCustomSerialPort&, int) { throw std::runtime_error("handler failed"); };
    port.OpenPort();
    EXPECT_TRUE(port.ThreadCreated());
    line->Feed({1});
    ASSERT_TRUE(ui.RunUntil([&] { return !port.EventThreadRunning(); }, 10s));
    EXPECT_TRUE(port.ThreadCreated());
    port.ClosePort();
    EXPECT_FALSE(port.ThreadCreated());

    line->FailCall(FakeSerialCall::WatchEvents, EMFILE);
    EXPECT_THROW(port.OpenPort(), ESerialPort);
    EXPECT_FALSE(port.ThreadCreated());
    line->FailCall(FakeSerialCall::WatchEvents, 0);
    port.SetEvents({});
    port.OpenPort();
    EXPECT_FALSE(port.ThreadCreated());
}

TEST_F(SerialEvents, WindowSyncPostsEachEventAndKeepsGoingAfterAHandlerFails) {
    port.SetSyncMethod(smWindowSync);
    int calls = 0;
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        ++calls;
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        p.ReadBytes(buf.data(), buf.size());
        throw std::runtime_error("handler failed");
    };
    port.OnBreak = [&](TCustomSerialPort&) { ++calls; };
    port.OpenPort();
    line->Feed({1});
    line->RaiseEvents(serial_event::kBreak);
    ASSERT_TRUE(ui.RunUntil([&] { return calls >= 2; }, 10s));
    line->Feed({2});
    ASSERT_TRUE(ui.RunUntil([&] { return calls >= 3; }, 10s));
    EXPECT_GE(ui.TakeReportedErrors().size(), 2u);
}

TEST_F(SerialEvents, WindowSyncDropsEventsQueuedBeforeTheClose) {
    port.SetSyncMethod(smWindowSync);
    int calls = 0;
    port.OnBreak = [&](TCustomSerialPort&) { ++calls; };
    port.OpenPort();
    line->RaiseEvents(serial_event::kBreak);
    while (ui.QueuedCount() == 0) std::this_thread::sleep_for(1ms);
    port.ClosePort();
    port.OpenPort();  // a new session: the old event is not its own
    ui.RunPending();
    EXPECT_EQ(calls, 0);
}

TEST_F(SerialEvents, WithoutSyncHandlersRunOnTheEventThread) {
    port.SetSyncMethod(smNone);
    std::atomic<bool> elsewhere{false};
    std::atomic<int> calls{0};
    const auto ui_thread = std::this_thread::get_id();
    port.OnBreak = [&](TCustomSerialPort&) {
        elsewhere = std::this_thread::get_id() != ui_thread;
        ++calls;
    };
    port.OpenPort();
    line->RaiseEvents(serial_event::kBreak);
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (calls == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(elsewhere);
    EXPECT_EQ(ui.QueuedCount(), 0u);
}

}  // namespace
