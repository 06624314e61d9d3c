// Packets into the main window, as they come from the controller.
#include <QLabel>
#include <QScrollBar>

#include "app/qt/tests/form1_fixture.h"
#include "engine/record_line.h"

namespace {

using test_packets::Eight;
using test_packets::Nine;

// T1 raw 600, T2 raw 586, T3 28,0, HM 55, no outputs.
const test_packets::Bytes kExample = Nine(0x00, 600, 586, 280, 55);

TEST_F(Form1Test, APacketReachesTheReadoutsDisplayHistoryChartAndTrayTip) {
    Configure("[Programm]\nSHT10=1\n");
    Open();
    Start();
    Receive(kExample);
    Receive(Nine(0x02, 616, 586, 280, 56));

    EXPECT_EQ(form->ui().Panel1->text(), "38,5°C");
    EXPECT_EQ(form->ui().Panel2->text(), "36,6°C");
    EXPECT_EQ(form->ui().LbT3HM->text(), "28°C\n56%");
    ASSERT_EQ(form->Display().Count(), 2u);
    EXPECT_EQ(form->Display().Line(0),
              "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=________  06.12.26 12:34:56");
    EXPECT_EQ(get_outs(LastLine()), "_2______");
    EXPECT_EQ(form->History().HistT1[1], 38.5);
    EXPECT_EQ(form->History().HistHeater[1], 1);

    const TCurve& t1 = form->GraphM1().Curves().Items(curve::kT1);
    ASSERT_EQ(t1.PointCount(), 2u);
    EXPECT_EQ(t1.XValues()[1], 149);  // the newest sample at X = L - 1
    EXPECT_EQ(t1.YValues()[1], 38.5);
    EXPECT_EQ(form->ui().ScrollBarAllGraf->maximum(), 1);
    EXPECT_EQ(form->ui().ScrollBarAllGraf->value(), 1);
    EXPECT_TRUE(form->ui().ScrollBarAllGraf->toolTip().endsWith("строка 1, всего 2"));
    EXPECT_EQ(form->ui().LabelEndPoint->text(), "12:34:56");
    EXPECT_EQ(form->TrayIcon1().Hint(), "T1=38,5°C\rT2=36,6°C\rT3=28°C\n56%");
}

TEST_F(Form1Test, TwoPacketsInOneReadGiveTwoLines) {
    Open();
    Start();
    test_packets::Bytes two = Eight(0, 600, 590, 500);
    const test_packets::Bytes second = Eight(2, 610, 590, 500);
    two.insert(two.end(), second.begin(), second.end());
    Receive(two);
    ASSERT_EQ(form->Display().Count(), 2u);
    EXPECT_EQ(get_T1(form->Display().Line(1)), "38,1");
}

TEST_F(Form1Test, ABadChecksumGivesOneBalloonAndNoLine) {
    Configure("[Programm]\nSHT10=1\n");
    Open();
    Start();
    test_packets::Bytes bad = kExample;
    bad[1] ^= 0x01;
    Receive(bad);
    EXPECT_EQ(form->Display().Count(), 0u);
    EXPECT_EQ(Balloons(),
              (std::vector<std::string>{"Ошибка в данных!|Не совпадает контрольная сумма."}));
}

TEST_F(Form1Test, StartWithAMissingPortWarnsAndStaysStopped) {
    Open();
    form->SetPortName("COM9");
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_EQ(form->ui().SpBtnOpenCom->text(), "Старт");
    const std::vector<std::string> balloons = Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    // The first line as it always was, then why, in the user's words.
    EXPECT_EQ(balloons[0].substr(0, balloons[0].find('\n')),
              "Внимание!|Не могу открыть порт: COM9");
    EXPECT_NE(balloons[0].find("\nУстройство не найдено"), std::string::npos);
}

TEST_F(Form1Test, TheLampIsLitWhileThePortIsOpen) {
    Open();
    EXPECT_EQ(form->ui().ComLed1->Led().State(), lsOff);
    Start();
    EXPECT_EQ(form->ui().SpBtnOpenCom->text(), "Стоп");
    EXPECT_EQ(form->ui().ComLed1->Led().State(), lsOn);
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_FALSE(form->ComPort1().Connected());
    EXPECT_EQ(form->ui().SpBtnOpenCom->text(), "Старт");
    EXPECT_EQ(form->ui().ComLed1->Led().State(), lsOff);
}

TEST_F(Form1Test, WarningsFallBackToTheNotificationServiceAndThenTheStatusBar) {
    tray.SetAvailable(false);  // no notification area
    Open();
    form->SetPortName("COM9");
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    ASSERT_EQ(notifier.notices.size(), 1u);
    EXPECT_EQ(notifier.notices[0].text.substr(0, notifier.notices[0].text.find('\n')),
              "Не могу открыть порт: COM9");

    notifier.available = false;  // and no notification service either
    form->SetPortName("COM8");
    QTest::mouseClick(form->ui().SpBtnOpenCom, Qt::LeftButton);
    EXPECT_TRUE(form->StatusWarning().text().startsWith("Внимание! — Не могу открыть порт: COM8 "));
    EXPECT_TRUE(Balloons().empty());
}

TEST_F(Form1Test, TheLineThatFillsTheHistoryEmptiesTheDisplay) {
    Open();
    Start();
    QStringList lines;
    for (std::size_t i = 0; i + 1 < HISTORY_CAPACITY; ++i) lines << QStringLiteral("x");
    form->ui().Memo1->setPlainText(lines.join('\n'));
    ASSERT_EQ(form->Display().Count(), HISTORY_CAPACITY - 1);
    Receive(Eight(0, 600, 590, 500));
    EXPECT_EQ(form->Display().Count(), 0u);
    EXPECT_EQ(form->History().HistT1[HISTORY_CAPACITY - 1], 37.5);
    // Autosaved before the display was emptied.
    EXPECT_NE(ReadFile(folder / "log" / "2026-12-06.txt").find("T1=37,5"), std::string::npos);
    EXPECT_TRUE(form->SaveBuffer().empty());
    Receive(Eight(0, 616, 590, 500));  // the history starts again at entry 0
    EXPECT_EQ(form->History().HistT1[0], 38.5);
    EXPECT_EQ(form->Display().Count(), 1u);
}

TEST_F(Form1Test, AnAdaptersChunksMakeOnePacketAndASilenceBeginsTheNext) {
    Configure("[Programm]\nSHT10=1\n");
    Open();
    Start();
    Receive({kExample.begin(), kExample.begin() + 4});
    clock.Advance(16);
    Receive({kExample.begin() + 4, kExample.end()});
    // Part of a packet whose other bytes were lost, then the next packet after a silence.
    Receive({kExample.begin(), kExample.begin() + 5});
    clock.Advance(100);
    Receive(Nine(0x02, 616, 586, 280, 56));
    EXPECT_EQ(form->Display().Count(), 2u);
    EXPECT_EQ(get_T1(LastLine()), "38,5");
    EXPECT_TRUE(Balloons().empty());
}

TEST_F(Form1Test, TheResetTimerDropsAPartialPacket) {
    Configure("[Programm]\nSHT10=1\n");
    Open();
    Start();
    Receive({kExample.begin(), kExample.begin() + 5});
    clock.Advance(600);  // silence inside a packet
    Receive(kExample);
    EXPECT_EQ(form->Display().Count(), 1u);
    EXPECT_EQ(get_T1(LastLine()), "37,5");
}

}  // namespace
