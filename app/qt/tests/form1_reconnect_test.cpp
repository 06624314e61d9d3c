// The main window when the adapter goes away and comes back, or a read fails, on the in-memory
// device and the virtual clock.
#include <cerrno>

#include "app/qt/tests/form1_fixture.h"
#include "engine/port_reopener.h"

namespace {

using namespace std::chrono_literals;
using test_packets::Eight;

class ReconnectTest : public Form1Test {
  protected:
    // Waits until the window has heard that the line is lost.
    void WaitUntilLost() {
        ASSERT_TRUE(ui_thread.RunUntil([&] { return !form->ComPort1().Connected(); }, 10s));
    }
    QString Caption() { return form->ui().SpBtnOpenCom->text(); }
    TLedState Lamp() { return form->ui().ComLed1->Led().State(); }
    int Attempts() { return line->Snapshot().open_attempts; }
    const std::string kLost = "Внимание!|" + PortReopener::LostText("COM7");
    const std::string kBack = "Внимание!|" + PortReopener::ReopenedText("COM7");
};

TEST_F(ReconnectTest, ALostAdapterIsToldOnceTriedEveryFiveSecondsAndStoppedByTheButton) {
    Open();
    Start();
    line->Unplug();
    WaitUntilLost();
    EXPECT_EQ(Lamp(), lsOff);
    EXPECT_EQ(Caption(), "Стоп");
    EXPECT_EQ(Balloons(), std::vector<std::string>{kLost});

    // The reset timer finds a closed port, and the attempts are silent.
    const int before = Attempts();
    clock.Advance(3 * PortReopener::kRetryMs);
    EXPECT_EQ(Attempts(), before + 3);
    EXPECT_EQ(Balloons().size(), 1u);

    line->PlugIn();
    clock.Advance(PortReopener::kRetryMs);
    ASSERT_TRUE(form->ComPort1().Connected());
    EXPECT_EQ(Lamp(), lsOn);
    EXPECT_EQ(Caption(), "Стоп");
    EXPECT_EQ(line->Snapshot().dtr, true);
    EXPECT_EQ(line->Snapshot().rts, false);
    EXPECT_EQ(Balloons(), (std::vector<std::string>{kLost, kBack}));
    Receive(Eight(0, 616, 590, 500));
    EXPECT_EQ(form->Display().Count(), 1u);

    // A read that finds the device gone is a lost line too, not an English warning.
    line->FailCall(FakeSerialCall::Read, EIO);
    line->Feed(Eight(0, 600, 590, 500));
    WaitUntilLost();
    EXPECT_FALSE(line->Snapshot().open);  // released at once
    EXPECT_EQ(Balloons(), (std::vector<std::string>{kLost, kBack, kLost}));

    // Stop ends the attempts; the port stays closed.
    line->FailCall(FakeSerialCall::Read, 0);
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_EQ(Caption(), "Старт");
    const int stopped = Attempts();
    clock.Advance(10 * PortReopener::kRetryMs);
    EXPECT_EQ(Attempts(), stopped);
    EXPECT_FALSE(form->ComPort1().Connected());
}

TEST_F(ReconnectTest, AStartWhoseLinesAreRefusedLeavesThePortClosedAndStopped) {
    Open();
    form->SetPortName("COM7");
    line->FailCall(FakeSerialCall::SetDtr, EIO);
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_EQ(Caption(), "Старт");
    EXPECT_FALSE(form->ComPort1().Connected());
    EXPECT_FALSE(line->Snapshot().open);
    EXPECT_EQ(Lamp(), lsOff);
    EXPECT_EQ(Balloons().size(), 1u);
    // Once the lines are taken, the next Start opens it.
    line->FailCall(FakeSerialCall::SetDtr, 0);
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_EQ(Caption(), "Стоп");
    EXPECT_TRUE(form->ComPort1().Connected());
}

TEST_F(ReconnectTest, APortMissingAtStartWithOpenStartIsWarnedOnceAndTriedUntilItAppears) {
    std::ofstream(ConfigPath(), std::ios::binary) << "[ComPort1]\r\nPort=COM7\r\nOpenStart=1\r\n";
    line->Unplug();
    Open();
    EXPECT_EQ(Caption(), "Стоп");
    EXPECT_EQ(Lamp(), lsOff);
    ASSERT_EQ(Balloons().size(), 1u);
    EXPECT_EQ(Balloons()[0].substr(0, Balloons()[0].find('\n')),
              "Внимание!|Не могу открыть порт: COM7");
    clock.Advance(2 * PortReopener::kRetryMs);
    EXPECT_EQ(Balloons().size(), 1u);

    line->PlugIn();
    clock.Advance(PortReopener::kRetryMs);
    EXPECT_EQ(Lamp(), lsOn);
    EXPECT_EQ(Balloons().back(), kBack);
    Receive(Eight(0, 600, 590, 500));
    EXPECT_EQ(form->Display().Count(), 1u);
}

TEST_F(Form1Test, AFailedReadLeavesTheWatchdogAndTheResetTimerRunning) {
    Configure("[ComPort1]\nSignalOffData=1\n");
    Open();
    Start();
    line->FailCall(FakeSerialCall::Read, EPROTO);
    line->Feed(Eight(0, 600, 590, 500));
    ASSERT_TRUE(ui_thread.RunUntil([&] { return Balloons().size() == 1; }, 10s));
    EXPECT_NE(Balloons()[0].find("ReadFile function failed"), std::string::npos);

    // The reset timer runs once and then waits for the next bytes.
    const std::size_t timers = clock.ActiveTimers();
    clock.Advance(500);
    EXPECT_EQ(clock.ActiveTimers(), timers - 1);
    clock.Advance(2500);
    ASSERT_EQ(Balloons().size(), 2u);
    EXPECT_EQ(Balloons()[1], "Внимание!|Нет данных от инкубатора.");
}

}  // namespace
