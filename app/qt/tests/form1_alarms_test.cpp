// Alarm supervision on virtual time: blinking, flashing, the repeating sound, the
// acknowledgements and the no-data watchdog.
#include <QLabel>

#include "app/qt/tests/form1_fixture.h"

namespace {

using test_packets::Eight;

// T1 = 39,0 (raw 624): at the default upper limit, which counts.
const test_packets::Bytes kHotT1 = Eight(0, 624, 590, 500);

class AlarmTest : public Form1Test {
  protected:
    bool Red(QWidget* panel) {
        return panel->palette().color(panel->backgroundRole()) == QColor(255, 0, 0);
    }
};

TEST_F(AlarmTest, ALimitCrossingBlinksThePanelAndFlashesOncePerTurnToRed) {
    Open();
    Start();
    Receive(kHotT1);
    EXPECT_TRUE(form->Alarms().AlarmT1);
    QWidget* panel = form->ui().Panel1;
    std::vector<bool> states;
    for (int tick = 0; tick < 4; ++tick) {
        clock.Advance(700);
        states.push_back(Red(panel));
    }
    EXPECT_EQ(states, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(alert.flashes, 2);
    EXPECT_FALSE(Red(form->ui().Panel2));
    EXPECT_EQ(Balloons().back(), "Температура T1|За пределами допустимых значений!");
}

TEST_F(AlarmTest, TheSoundRepeatsUntilTheAlarmIsAcknowledged) {
    Configure("[Alarm]\nSound=alarm.wav\n");
    Open();
    Start();
    Receive(kHotT1);
    clock.Advance(3000);
    clock.Advance(3000);
    EXPECT_EQ(sound.Played(), (std::vector<std::string>{"alarm.wav", "alarm.wav"}));
    QTest::mouseDClick(form->ui().Panel1, Qt::LeftButton);
    EXPECT_FALSE(form->Alarms().AlarmT1);
    clock.Advance(3000);
    EXPECT_EQ(sound.Played().size(), 2u);
    clock.Advance(700);
    EXPECT_FALSE(Red(form->ui().Panel1));
}

TEST_F(AlarmTest, ADisabledChannelStaysSilentAndDark) {
    Configure("[Alarm]\nT1_enable=0\n");
    Open();
    Start();
    Receive(kHotT1);
    EXPECT_TRUE(form->Alarms().AlarmT1);  // latched all the same
    clock.Advance(3000);
    EXPECT_FALSE(Red(form->ui().Panel1));
    EXPECT_TRUE(sound.Played().empty());
    EXPECT_EQ(alert.flashes, 0);
    EXPECT_TRUE(Balloons().empty());
}

TEST_F(AlarmTest, HumidityIsAcknowledgedByItsLabelAndAllByTheMenu) {
    Open();
    Start();
    Receive(Eight(0, 560, 590, 500));  // below the humidity table: HM -1 raises its alarm
    Receive(kHotT1);
    ASSERT_TRUE(form->Alarms().AlarmHM);
    QTest::mouseClick(form->ui().LbT3HM, Qt::LeftButton);
    EXPECT_FALSE(form->Alarms().AlarmHM);
    EXPECT_TRUE(form->Alarms().AlarmT1);
    form->ui().N21->trigger();
    EXPECT_FALSE(form->Alarms().AlarmT1);
}

TEST_F(AlarmTest, TheWatchdogWarnsEveryThreeSecondsAboutTheClosedPort) {
    Configure("[ComPort1]\nSignalOffData=1\n");
    Open();
    clock.Advance(3000);
    clock.Advance(3000);
    const std::vector<std::string> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 2u);
    EXPECT_EQ(balloons[0], "Внимание!|Нет данных от инкубатора.\nНе открыт ком порт \"COM1\".");
    EXPECT_FALSE(form->Alarms().AlarmNoData);  // no sound asked for
}

TEST_F(AlarmTest, NoDataSoundsUntilABlockArrives) {
    Configure("[ComPort1]\nSignalOffData=1\nSignalOffDataSound=1\n");
    Open();
    Start();
    clock.Advance(3000);
    EXPECT_TRUE(form->Alarms().AlarmNoData);
    EXPECT_EQ(sound.Played().size(), 1u);
    Receive({0x01});  // a partial packet is data all the same
    EXPECT_FALSE(form->Alarms().AlarmNoData);
    clock.Advance(2999);
    EXPECT_EQ(sound.Played().size(), 1u);
}

}  // namespace

namespace {

TEST_F(AlarmTest, WithoutANotificationAreaARepeatedAlarmIsOneNotice) {
    tray.SetAvailable(false);
    Open();
    Start();
    Receive(kHotT1);
    clock.Advance(700 * 15);  // the first notice at 700 ms stays up for ten seconds
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].title, "Температура T1");
    clock.Advance(700);  // it has timed out: shown again
    EXPECT_EQ(notifier.notices.size(), 2u);
}

}  // namespace
