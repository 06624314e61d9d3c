// Opening, closing, applying settings and the line operations, against the in-memory device.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/serial_device_flags.h"
#include "serial/serial_port.h"
#include "serial/tests/event_log.h"

namespace {

using ::testing::ElementsAre;

class SerialPortTest : public ::testing::Test {
  protected:
    SerialPortTest() {
        line = backend.AddPort("COM1");
        log.Attach(port);
    }

    int ErrorIndexOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const ESerialPort& e) {
            message = e.what();
            return e.ErrorIndex();
        }
        return 0;
    }

    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> line;
    QueuedUiThread ui;
    TSerialLink link, other_link;  // outlive the port
    EventLog log;
    TSerialPort port{backend, ui};
    std::string message;
};

TEST_F(SerialPortTest, OpeningAMissingDeviceFailsWithItsSystemCode) {
    port.SetPort("COM7");
    EXPECT_EQ(ErrorIndexOf([&] { port.OpenPort(); }), 1);
    EXPECT_EQ(message, "Unable to open com port (win error code: 2)");
    EXPECT_FALSE(port.Connected());
    EXPECT_THAT(log.Take(), ElementsAre("BeforeOpen"));
}

TEST_F(SerialPortTest, OpeningAppliesEverySettingAndRaisesTheOpeningEvents) {
    log.Attach(link, "L");
    port.AddLink(&link);
    line->SetModemLines(modem_line::kCts | modem_line::kRlsd);
    port.SetBaudRate(br4800);
    port.Timeouts().SetReadInterval(300);
    port.Buffer().SetInputSize(4096);
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
    EXPECT_THAT(log.Take(), ElementsAre("BeforeOpen", "L.Conn 1", "AfterOpen", "L.CTS 1", "CTS 1",
                                        "L.DSR 0", "DSR 0", "L.RLSD 1", "RLSD 1"));
    const auto r = line->Snapshot();
    EXPECT_TRUE(r.open);
    ASSERT_TRUE(r.dcb.has_value());
    EXPECT_EQ(r.dcb->BaudRate, 4800u);
    ASSERT_TRUE(r.timeouts.has_value());
    EXPECT_EQ(r.timeouts->ReadIntervalTimeout, 300u);
    EXPECT_EQ(r.input_size, 4096u);
    EXPECT_EQ(r.output_size, 1024u);

    // Opening an open port does nothing.
    port.OpenPort();
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(line->Snapshot().opens, 1);
}

TEST_F(SerialPortTest, ClosingRaisesTheClosingEventsAndReleasesTheDevice) {
    log.Attach(link, "L");
    port.AddLink(&link);
    port.OpenPort();
    log.Take();
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_THAT(log.Take(), ElementsAre("L.CTS 0", "L.DSR 0", "L.RLSD 0", "CTS 0", "DSR 0",
                                        "RLSD 0", "BeforeClose", "L.Conn 0", "AfterClose"));
    port.ClosePort();
    EXPECT_TRUE(log.Take().empty());
}

TEST_F(SerialPortTest, SettingsReachAnOpenDeviceAtOnceUnlessDeferred) {
    port.OpenPort();
    const int applied = line->Snapshot().set_state_calls;
    port.SetDataBits(dbSeven);
    EXPECT_EQ(line->Snapshot().dcb->ByteSize, 7);
    port.SetDataBits(dbSeven);  // unchanged: not applied again
    port.Parity().SetBits(prNone);
    EXPECT_EQ(line->Snapshot().set_state_calls, applied + 1);
    // Writing a flow-control mode always applies.
    port.FlowControl().SetFlowControl(fcNone);
    EXPECT_EQ(line->Snapshot().set_state_calls, applied + 2);

    port.BeginSettingsUpdate();
    port.BeginSettingsUpdate();
    port.SetBaudRate(br115200);
    port.Timeouts().SetReadInterval(50);
    port.EndSettingsUpdate();
    EXPECT_EQ(line->Snapshot().dcb->BaudRate, 9600u);
    port.EndSettingsUpdate();
    EXPECT_EQ(line->Snapshot().dcb->BaudRate, 115200u);
    EXPECT_EQ(line->Snapshot().timeouts->ReadIntervalTimeout, 50u);
    EXPECT_EQ(port.UpdateDepth(), 0);

    // Unmatched: nothing happens and the depth stays 0.
    port.EndSettingsUpdate();
    EXPECT_EQ(port.UpdateDepth(), 0);
}

TEST_F(SerialPortTest, AClosedPortStoresSettingsWithoutTouchingADevice) {
    port.SetBaudRate(br57600);
    port.Buffer().SetInputSize(100);
    EXPECT_EQ(line->Snapshot().set_state_calls, 0);
    port.OpenPort();
    EXPECT_EQ(line->Snapshot().dcb->BaudRate, 57600u);
}

TEST_F(SerialPortTest, ARefusedSettingKeepsTheNewValueAndReportsTheSystemCode) {
    port.OpenPort();
    line->FailCall(FakeSerialCall::SetState, EINVAL);
    EXPECT_EQ(ErrorIndexOf([&] { port.Parity().SetBits(prEven); }), 7);
    EXPECT_EQ(message, "SetCommState function failed (win error code: 22)");
    EXPECT_EQ(port.Parity().Bits(), prEven);
    EXPECT_TRUE(port.Connected());

    line->FailCall(FakeSerialCall::SetTimeouts, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.Timeouts().SetReadInterval(10); }), 8);
    line->FailCall(FakeSerialCall::SetupQueues, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.Buffer().SetOutputSize(10); }), 9);
}

TEST_F(SerialPortTest, AnOpenThatCannotConfigureTheDeviceLeavesThePortClosed) {
    line->FailCall(FakeSerialCall::SetState, EINVAL);
    EXPECT_EQ(ErrorIndexOf([&] { port.OpenPort(); }), 7);
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_FALSE(line->Snapshot().watching);
    EXPECT_THAT(log.Take(), ElementsAre("BeforeOpen"));

    line->FailCall(FakeSerialCall::SetState, 0);
    port.OpenPort();
    EXPECT_TRUE(port.Connected());
}

TEST_F(SerialPortTest, AnOpenWhoseEventWatchFailsLeavesThePortClosed) {
    line->FailCall(FakeSerialCall::WatchEvents, EMFILE);
    EXPECT_EQ(ErrorIndexOf([&] { port.OpenPort(); }), 1);
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(line->Snapshot().open);
}

TEST_F(SerialPortTest, ChangingThePortNameReopens) {
    backend.AddPort("COM2");
    port.OpenPort();
    log.Take();
    port.SetPort("COM1");
    EXPECT_TRUE(log.Take().empty());
    port.SetPort("COM2");
    EXPECT_THAT(log.Take(), ElementsAre("CTS 0", "DSR 0", "RLSD 0", "BeforeClose", "AfterClose",
                                        "BeforeOpen", "AfterOpen", "CTS 0", "DSR 0", "RLSD 0"));
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_TRUE(port.Connected());
    // Names compare with letter case.
    EXPECT_EQ(ErrorIndexOf([&] { port.SetPort("com2"); }), 1);
    EXPECT_FALSE(port.Connected());
}

TEST_F(SerialPortTest, TheSyncMethodIsFrozenWhileOpen) {
    port.SetSyncMethod(smWindowSync);
    port.OpenPort();
    EXPECT_EQ(ErrorIndexOf([&] { port.SetSyncMethod(smNone); }), 14);
    EXPECT_EQ(message, "Cannot set property while connected");
    EXPECT_EQ(port.SyncMethod(), smWindowSync);
    port.SetSyncMethod(smWindowSync);  // the same value is no change
    port.ClosePort();
    port.SetSyncMethod(smNone);
    EXPECT_EQ(port.SyncMethod(), smNone);
}

TEST_F(SerialPortTest, LineOperationsReachTheDeviceAndFailOnceClosed) {
    port.OpenPort();
    port.SetDtrLine(true);
    port.SetRtsLine(false);
    port.PurgeBuffers(true, true);
    port.PurgeBuffers(false, false);
    auto r = line->Snapshot();
    EXPECT_EQ(r.dtr, true);
    EXPECT_EQ(r.rts, false);
    ASSERT_GE(r.purges.size(), 2u);
    EXPECT_EQ(r.purges[r.purges.size() - 2], SerialDevice::kPurgeRx | SerialDevice::kPurgeTx);
    EXPECT_EQ(r.purges.back(), 0u);

    line->FailCall(FakeSerialCall::SetDtr, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.SetDtrLine(true); }), 12);
    line->FailCall(FakeSerialCall::ModemStatus, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.ModemSignals(); }), 11);
    line->FailCall(FakeSerialCall::InputQueueLength, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.PendingInputCount(); }), 10);

    port.ClosePort();
    EXPECT_EQ(ErrorIndexOf([&] { port.PurgeBuffers(true, true); }), 5);
    EXPECT_EQ(message, "PurgeComm function failed (win error code: 9)");
    EXPECT_EQ(ErrorIndexOf([&] { port.SetDtrLine(true); }), 12);
    EXPECT_EQ(ErrorIndexOf([&] { port.TakeLineErrors(); }), 10);
    std::uint8_t buf[4];
    EXPECT_EQ(ErrorIndexOf([&] { port.ReadBytes(buf, 4); }), 3);
}

TEST_F(SerialPortTest, ReadingTakesTheWaitingBytesAndReportsAnEmptiedQueue) {
    log.Attach(link, "L");
    port.AddLink(&link);
    port.SetEvents({});
    port.OpenPort();
    log.Take();
    line->Feed({1, 2, 3, 4, 5});
    std::uint8_t buf[8] = {};
    EXPECT_EQ(port.ReadBytes(buf, 3), 3u);
    EXPECT_EQ(buf[2], 3);
    EXPECT_TRUE(log.Take().empty());
    EXPECT_EQ(port.ReadBytes(buf, 8), 2u);
    EXPECT_EQ(buf[1], 5);
    EXPECT_THAT(log.Take(), ElementsAre("L.Rx 0"));

    EXPECT_EQ(ErrorIndexOf([&] { port.StartRead(buf, 1, nullptr); }), 4);
    EXPECT_EQ(message, "Invalid Async parameter");
    EXPECT_EQ(ErrorIndexOf([&] { port.WaitForRequest(nullptr); }), 4);
    line->FailCall(FakeSerialCall::Read, EIO);
    EXPECT_EQ(ErrorIndexOf([&] { port.ReadBytes(buf, 1); }), 3);
}

TEST_F(SerialPortTest, ACompletedRequestWithADataCopyIsShownToTheLinks) {
    std::vector<int> sizes;
    link.OnTxData = [&](TCustomSerialPort&, const std::uint8_t*, int n) { sizes.push_back(n); };
    port.AddLink(&link);
    port.OpenPort();
    auto request = InitRequest();
    request->Data = {1, 2, 3};
    EXPECT_EQ(port.WaitForRequest(request.get()), 0u);
    EXPECT_EQ(sizes, std::vector<int>{3});
    FreeRequest(request);
    EXPECT_EQ(request, nullptr);
}

TEST_F(SerialPortTest, LinksRegisterOnce) {
    TSerialLink& a = link;
    TSerialLink& b = other_link;
    port.AddLink(&a);
    EXPECT_EQ(ErrorIndexOf([&] { port.AddLink(&a); }), 18);
    EXPECT_EQ(message, "Link (un)registration failed");
    EXPECT_EQ(ErrorIndexOf([&] { port.RemoveLink(&b); }), 18);
    EXPECT_EQ(ErrorIndexOf([&] { port.AddLink(nullptr); }), 18);
    EXPECT_FALSE(port.HasRxDataLink());
    b.OnRxData = [](TCustomSerialPort&, const std::uint8_t*, int) {};
    port.AddLink(&b);
    EXPECT_TRUE(port.HasRxDataLink());
    port.RemoveLink(&b);
    EXPECT_FALSE(port.HasRxDataLink());
}

TEST_F(SerialPortTest, WithoutEventsThereIsNoThread) {
    port.SetEvents({});
    port.OpenPort();
    EXPECT_FALSE(port.ThreadCreated());
    EXPECT_EQ(line->Snapshot().watchers, 0);
    line->Feed({1, 2});
    EXPECT_EQ(ui.RunPending(), 0u);
    port.ClosePort();
    EXPECT_FALSE(port.Connected());
}

TEST_F(SerialPortTest, TheThreadWatchesTheEnabledEvents) {
    port.SetEvents({evRxChar, evCTS});
    port.OpenPort();
    EXPECT_TRUE(port.ThreadCreated());
    EXPECT_EQ(line->Snapshot().watched, serial_event::kRxChar | serial_event::kCts);
    // A change waits for the next open.
    port.SetEvents({evRxChar});
    EXPECT_EQ(line->Snapshot().watched, serial_event::kRxChar | serial_event::kCts);
    port.ClosePort();
    port.OpenPort();
    EXPECT_EQ(line->Snapshot().watched, serial_event::kRxChar);
}

TEST_F(SerialPortTest, ALoadedConnectedFlagOpensWhenLoadingEnds) {
    port.BeginLoading();
    port.SetConnected(true);
    port.SetBaudRate(br4800);
    EXPECT_FALSE(line->Snapshot().open);
    port.EndLoading();
    EXPECT_TRUE(port.Connected());
    EXPECT_EQ(line->Snapshot().dcb->BaudRate, 4800u);
}

TEST_F(SerialPortTest, AFailedOpenAtTheEndOfLoadingGoesToTheErrorReport) {
    port.BeginLoading();
    port.SetPort("COM9");
    port.SetConnected(true);
    EXPECT_NO_THROW(port.EndLoading());
    EXPECT_FALSE(port.Connected());
    ui.RunPending();
    const auto errors = ui.TakeReportedErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(errors[0]), ESerialPort);
}

TEST_F(SerialPortTest, DestroyingAnOpenPortClosesIt) {
    {
        TSerialPort other(backend, ui);
        other.SetPort("COM1");
        other.OpenPort();
        EXPECT_TRUE(line->Snapshot().open);
    }
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_FALSE(line->Snapshot().watching);
}

}  // namespace
