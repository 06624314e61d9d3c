// Operations that would leave the port unconfigured, free the device under its event thread
// or wait for that thread from itself, against the in-memory device.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "serial/serial_port.h"

namespace {

using namespace std::chrono_literals;

bool Eventually(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

class SerialPortGuards : public ::testing::Test {
  protected:
    SerialPortGuards() {
        com1 = backend.AddPort("COM1");
        com2 = backend.AddPort("COM2");
    }

    // A receive handler on the UI thread that reads what waits and counts the events.
    void CountReceives() {
        port.OnRxChar = [this](TCustomSerialPort& p, int count) {
            std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
            p.ReadBytes(buf.data(), buf.size());
            ++receives;
        };
    }

    FakeSerialBackend backend;
    std::shared_ptr<FakeSerialLine> com1, com2;
    QueuedUiThread ui;
    TSerialPort port{backend, ui};
    int receives = 0;
};

TEST_F(SerialPortGuards, APortReopenedDuringADeferredUpdateIsClosedWhenTheUpdateFails) {
    port.OpenPort();
    com2->FailCall(FakeSerialCall::SetState, EINVAL);
    port.BeginSettingsUpdate();
    port.SetPort("COM2");  // closes COM1, opens COM2 without settings
    EXPECT_TRUE(com2->Snapshot().open);
    try {
        port.EndSettingsUpdate();
        FAIL() << "the failed apply was not reported";
    } catch (const ESerialPort& e) {
        EXPECT_EQ(e.ErrorIndex(), 7);
    }
    EXPECT_FALSE(port.Connected());
    EXPECT_FALSE(com2->Snapshot().open);
    EXPECT_EQ(port.UpdateDepth(), 0);
}

TEST_F(SerialPortGuards, APortOpenThroughoutADeferredUpdateStaysOpenWhenItFails) {
    port.OpenPort();
    com1->FailCall(FakeSerialCall::SetState, EINVAL);
    port.BeginSettingsUpdate();
    port.SetBaudRate(br115200);
    EXPECT_THROW(port.EndSettingsUpdate(), ESerialPort);
    EXPECT_TRUE(port.Connected());
    // A later failing update after a good one leaves it open too.
    com1->FailCall(FakeSerialCall::SetState, 0);
    port.BeginSettingsUpdate();
    port.SetPort("COM2");
    port.EndSettingsUpdate();
    com2->FailCall(FakeSerialCall::SetState, EINVAL);
    port.BeginSettingsUpdate();
    port.SetBaudRate(br1200);
    EXPECT_THROW(port.EndSettingsUpdate(), ESerialPort);
    EXPECT_TRUE(port.Connected());
}

TEST_F(SerialPortGuards, LoadingAnOpenPortKeepsItsDeviceAndThread) {
    CountReceives();
    port.OpenPort();
    port.BeginLoading();
    EXPECT_TRUE(port.Connected());
    port.SetConnected(true);
    port.EndLoading();
    EXPECT_EQ(com1->Snapshot().opens, 1);
    EXPECT_EQ(com1->Snapshot().watchers, 1);
    com1->Feed({1, 2, 3});
    EXPECT_TRUE(ui.RunUntil([&] { return receives == 1; }, 10s));
    port.ClosePort();
    EXPECT_FALSE(com1->Snapshot().open);
}

TEST_F(SerialPortGuards, ASyncMethodLoadedIntoAnOpenPortWaitsForTheNextOpen) {
    CountReceives();
    port.OpenPort();
    port.BeginLoading();
    port.SetSyncMethod(smWindowSync);
    port.EndLoading();
    EXPECT_EQ(port.SyncMethod(), smWindowSync);
    com1->Feed({1});
    EXPECT_TRUE(ui.RunUntil([&] { return receives == 1; }, 10s));
    port.ClosePort();
    port.OpenPort();
    com1->Feed({2});
    EXPECT_TRUE(ui.RunUntil([&] { return receives == 2; }, 10s));
    EXPECT_TRUE(ui.TakeReportedErrors().empty());
}

TEST_F(SerialPortGuards, AStoredFlagDoesNotCloseAnOpenPortAtTheEndOfLoading) {
    port.OpenPort();
    port.BeginLoading();
    port.SetConnected(false);
    EXPECT_FALSE(port.Connected());
    port.ClosePort();  // closes the device for real: the stored flag changes nothing here
    port.OpenPort();
    port.EndLoading();
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(com1->Snapshot().open);
}

TEST_F(SerialPortGuards, AHandlerOnTheEventThreadCannotCloseOrRenameThePort) {
    port.SetSyncMethod(smNone);
    std::atomic<int> close_error{0}, rename_error{0};
    std::atomic<bool> done{false};
    port.OnRxChar = [&](TCustomSerialPort& p, int count) {
        std::vector<std::uint8_t> buf(static_cast<std::size_t>(count));
        p.ReadBytes(buf.data(), buf.size());
        try {
            p.ClosePort();
        } catch (const ESerialPort& e) {
            close_error = e.ErrorIndex();
        }
        try {
            p.SetPort("COM2");
        } catch (const ESerialPort& e) {
            rename_error = e.ErrorIndex();
        }
        done = true;
    };
    port.OpenPort();
    com1->Feed({1});
    ASSERT_TRUE(Eventually([&] { return done.load(); }));
    EXPECT_EQ(close_error, 24);
    EXPECT_EQ(rename_error, 24);
    EXPECT_EQ(port.Port(), "COM1");
    EXPECT_TRUE(port.Connected());
    EXPECT_TRUE(port.EventThreadRunning());
    port.ClosePort();  // from the UI thread it closes as always
    EXPECT_FALSE(com1->Snapshot().open);
    EXPECT_STREQ(SerialErrorText(24), "Cannot close the port from its own event thread");
}

TEST(SerialPortGuardsDeathTest, DestroyingThePortFromItsEventThreadEndsTheProgramWithTheReason) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            FakeSerialBackend backend;
            auto line = backend.AddPort("COM1");
            QueuedUiThread ui;
            auto port = std::make_unique<TSerialPort>(backend, ui);
            port->SetSyncMethod(smNone);
            port->OnRxChar = [&](TCustomSerialPort&, int) { port.reset(); };
            port->OpenPort();
            line->Feed({1});
            std::this_thread::sleep_for(10s);
        },
        "Cannot close the port from its own event thread");
}

}  // namespace
