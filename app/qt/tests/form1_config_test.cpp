// The configuration as the main window reads it at creation and writes it at close.
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>

#include "app/qt/tests/form1_fixture.h"
#include "platform/ini_file.h"

namespace {

class ConfigTest : public Form1Test {
  protected:
    void Write(const std::string& text) { std::ofstream(ConfigPath(), std::ios::binary) << text; }
    platform::IniFile Ini() const { return platform::IniFile(ConfigPath()); }
};

TEST_F(ConfigTest, WithoutAFileTheWindowTakesTheDefaults) {
    Open();
    EXPECT_EQ(form->x(), 100);
    EXPECT_EQ(form->y(), 100);
    EXPECT_EQ(form->size(), QSize(584, 703));
    EXPECT_EQ(form->ui().EditT1H->text(), "39,0");
    EXPECT_EQ(form->ui().EditT1L->text(), "35,0");
    EXPECT_EQ(form->ui().EditT2H->text(), "39,0");
    EXPECT_EQ(form->ui().EditT2L->text(), "35,0");
    EXPECT_EQ(form->ui().EditT3H->text(), "90");
    EXPECT_EQ(form->ui().EditT3L->text(), "30");  // the design text is 40
    EXPECT_EQ(form->Limits().LimitHMLow, 30);
    EXPECT_EQ(form->TimerSaveFile().Interval(), 600000u);
    EXPECT_TRUE(form->TimerSaveFile().IsActive());
    EXPECT_EQ(form->TimerAlarmSound().Interval(), 3000u);
    EXPECT_EQ(form->ComPort1().BaudRate(), br4800);
}

TEST_F(ConfigTest, AtFirstStartTheChartShowsTheIncubationReadingsAndAStoredRangeStays) {
    Open();  // 25 to 75: T1 and T2 near 37,5, T3 near 29, the humidity from 40 to 75 %
    EXPECT_EQ(form->GraphM1().MinYValue(), 25);
    EXPECT_EQ(form->GraphM1().MaxYValue(), 75);
    form.reset();
    Write("[ScrollBar]\r\nGainY=120\r\nPosY=200\r\n");
    Open();
    EXPECT_EQ(form->GraphM1().MinYValue(), 42);
    EXPECT_EQ(form->GraphM1().MaxYValue(), 68);
}

TEST_F(ConfigTest, HandWrittenValuesAreRead) {
    Write(
        "[Alarm]\r\nTimeSound=0x1E\r\nT1_HI=385\r\n[LogFile]\r\nTime=0\r\n"
        "[ComPort1]\r\nPort=COM7\r\nBaudRate=9600\r\n[Color]\r\nT2=255\r\n");
    Open();
    EXPECT_EQ(form->TimerAlarmSound().Interval(), 30000u);
    EXPECT_EQ(form->ui().EditT1H->text(), "38,5");
    EXPECT_EQ(form->Limits().LimitT1Hi, 385);
    EXPECT_FALSE(form->TimerSaveFile().IsActive());
    EXPECT_EQ(form->ComPort1().Port(), "COM7");
    EXPECT_EQ(form->ComPort1().BaudRate(), br9600);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT2).ColorGraph(), 255u);
}

TEST_F(ConfigTest, TimerPeriodsAreHeldWithinATimersRangeNeverWrapped) {
    // 71583 minutes are 2^32 ms and 12.7 s; 4294968 s are 2^32 ms and 0.7 s.
    Write("[LogFile]\nTime=71583\n[Alarm]\nTimeSound=4294968\n");
    Open();
    EXPECT_EQ(form->TimerSaveFile().Interval(), 2147483647u);  // a timer's longest
    EXPECT_EQ(form->TimerAlarmSound().Interval(), 2147483647u);
    form.reset();
    // A negative period is no autosave, not one that never comes while lines pile up for it.
    Write("[LogFile]\nTime=-3\n[Alarm]\nTimeSound=0\n");
    Open();
    EXPECT_EQ(form->TimerAlarmSound().Interval(), 1000u);
    form->Button1Click();
    EXPECT_TRUE(form->SaveBuffer().empty());
}

TEST_F(ConfigTest, ClosingMaximisedKeepsTheLastNormalSize) {
    Open();
    form->resize(700, 500);
    form->showMaximized();
    form->close();
    EXPECT_EQ(Ini().ReadInteger("Form", "InitMax", -1), 1);
    EXPECT_FALSE(Ini().Read("Form", "Width"));
    EXPECT_EQ(Ini().ReadString("ComPort1", "BaudRate", ""), "4800");
    EXPECT_EQ(Ini().ReadInteger("Alarm", "T1_HI", 0), 390);
}

TEST_F(ConfigTest, ClosingFromTheTrayKeepsTheNormalSize) {
    Write("[Form]\nMinToTrey=1\n");
    Open();
    form->show();
    form->resize(700, 560);
    form->showMinimized();
    QTRY_VERIFY(!form->isVisible());
    form->close();
    EXPECT_EQ(Ini().ReadInteger("Form", "Width", -1), 700);
    EXPECT_EQ(Ini().ReadInteger("Form", "Height", -1), 560);
}

TEST_F(ConfigTest, AColourIsKeptAtOnceALimitOnlyAtClose) {
    Open();
    dialogs.AnswerColor(0x123456);
    QTest::mouseClick(form->ui().LbColorT1, Qt::LeftButton);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).ColorGraph(), 0x123456u);
    QLineEdit* edit = form->ui().EditT1H;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, "37,5");
    ASSERT_EQ(form->Limits().LimitT1Hi, 375);
    form.reset();  // ended abnormally: no close
    EXPECT_EQ(Ini().ReadInteger("Color", "T1", -1), 0x123456);
    EXPECT_FALSE(Ini().Read("Alarm", "T1_HI"));

    dialogs.AnswerColor(std::nullopt);  // a cancelled dialog writes nothing
    Open();
    QTest::mouseClick(form->ui().LbGirdColor, Qt::LeftButton);
    EXPECT_FALSE(Ini().Read("Color", "Gird"));
}

TEST_F(ConfigTest, OtherSectionsCommentsAndLetterCasesSurviveAClose) {
    Write("; written by hand\r\n[mine]\r\nkeep=1\r\n\r\n[ALARM]\r\nt1_hi=380\r\nOther=x\r\n");
    Open();
    EXPECT_EQ(form->Limits().LimitT1Hi, 380);
    form->close();
    const std::string text = ReadFile(ConfigPath());
    EXPECT_EQ(
        text.rfind(
            "; written by hand\r\n[mine]\r\nkeep=1\r\n\r\n[ALARM]\r\nt1_hi=380\r\nOther=x\r\n", 0),
        0u)
        << text;
}

}  // namespace
