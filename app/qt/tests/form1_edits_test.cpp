// The limit edits, the edit menu and the chart's mouse read-out, driven with real input.
#include <QLabel>
#include <QLineEdit>
#include <QTextBlock>

#include "chart/nearest.h"

#include "app/qt/form_hint.h"
#include "app/qt/tests/form1_fixture.h"
#include "engine/record_line.h"

namespace {

class EditTest : public Form1Test {
  protected:
    QLineEdit* Focus(QLineEdit* edit) {
        edit->setFocus(Qt::MouseFocusReason);
        edit->selectAll();
        EXPECT_TRUE(edit->hasFocus());
        return edit;
    }
    void Type(QLineEdit* edit, const char* text) {
        QTest::keyClicks(edit, QString::fromUtf8(text));
    }
    void Tab(QWidget* w) { QTest::keyClick(w, Qt::Key_Tab); }
};

TEST_F(EditTest, TypingATemperatureTakesOneDecimal) {
    Open();
    QLineEdit* edit = Focus(form->ui().EditT1H);
    Type(edit, "37.5");
    EXPECT_EQ(edit->text(), "37,5");
    EXPECT_EQ(form->Limits().LimitT1Hi, 375);
    Type(edit, "1");
    EXPECT_EQ(edit->text(), "37,5");
    Type(edit, "x-");
    EXPECT_EQ(edit->text(), "37,5");
}

TEST_F(EditTest, LeavingTemperatureEditsCompletesOrRefusesTheirTexts) {
    Open();
    QLineEdit* edit = Focus(form->ui().EditT1H);
    Type(edit, "37");
    Tab(edit);
    EXPECT_EQ(edit->text(), "37,0");
    EXPECT_EQ(form->Limits().LimitT1Hi, 370);

    dialogs.AnswerMessage(platform::MessageResult::Ok);
    Focus(edit);
    Type(edit, "55");
    Tab(edit);
    EXPECT_EQ(dialogs.Last().text, "Не в диапазоне (0..50.0)  \"55,0\"");
    EXPECT_EQ(dialogs.Last().parent, form.get());
    EXPECT_EQ(edit->text(), "0,0");
    EXPECT_EQ(form->Limits().LimitT1Hi, 0);
}

TEST_F(EditTest, LeavingAHumidityEditAbove99ResetsItTo50) {
    Open();
    QLineEdit* edit = Focus(form->ui().EditT3H);
    Type(edit, "1.20");  // the point is refused
    EXPECT_EQ(edit->text(), "120");
    dialogs.AnswerMessage(platform::MessageResult::Ok);
    Tab(edit);
    EXPECT_EQ(dialogs.Last().text, "Не в диапазоне (0..99)  \"120\"");
    EXPECT_EQ(edit->text(), "50");
    EXPECT_EQ(form->Limits().LimitHMHi, 50);
    EXPECT_EQ(dialogs.Unanswered(), 0u);
}

TEST_F(EditTest, EnterMovesThroughTheLimitEditsInTurn) {
    Open();
    QTest::keyClick(Focus(form->ui().EditT3L), Qt::Key_Return);
    EXPECT_TRUE(form->ui().EditT1H->hasFocus());
    QTest::keyClick(form->ui().EditT1H, Qt::Key_Enter);
    EXPECT_TRUE(form->ui().EditT1L->hasFocus());
}

TEST_F(EditTest, CopyingAChannelGivesOneValuePerLine) {
    Open();
    form->ui().Memo1->setPlainText(
        "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56\n\n");
    form->ui().NCopyT1->trigger();
    EXPECT_EQ(clipboard.text, "37,5\r\n\r\n");
    form->ui().NCopyHM->trigger();
    EXPECT_EQ(clipboard.text, "55\r\n\r\n");
}

TEST_F(EditTest, ClickingInTheDisplayShowsTheLineNumber) {
    Open();
    form->ui().Memo1->setPlainText("a\nb\nc\nd");
    QPlainTextEdit* memo = form->ui().Memo1;
    const QRect third = memo->cursorRect(QTextCursor(memo->document()->findBlockByNumber(2)));
    QTest::mouseClick(memo->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(form->StatusPanel().text(), "Строка 3");
}

TEST_F(EditTest, ClearEmptiesTheDisplayAndTheTemperatureCurves) {
    Open();
    for (int i = 0; i < 3; ++i) form->Button1Click();
    ASSERT_EQ(form->Display().Count(), 3u);
    form->ui().NClear->trigger();
    EXPECT_EQ(form->Display().Count(), 0u);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).PointCount(), 0u);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kHM).PointCount(), 3u);  // until a refill
    // The next line is the first again, in the display and in the history.
    form->Button1Click();
    ASSERT_EQ(form->Display().Count(), 1u);
    EXPECT_EQ(form->GraphM1().Curves().Items(curve::kT1).PointCount(), 1u);
}

TEST_F(EditTest, TheMouseOverTheChartReadsTheSampleUnderIt) {
    Configure("[Temperature]\nShowWindow=1\n");
    Open();
    for (int i = 0; i < 1000; ++i) form->Button1Click();
    ASSERT_EQ(form->Window().WindowStart, 850);
    // The pixel column whose value rounds to X = 10.
    GraphMWidget* chart = form->ui().GraphM1;
    int x = 0;
    while (x < chart->width() && chart::Nearest(form->GraphM1().PointToValue({x, 50}).x) != 10) ++x;
    ASSERT_LT(x, chart->width());
    QTest::mouseMove(chart, QPoint(x, 50));
    EXPECT_TRUE(form->ui().LbCurrentStr->text().endsWith("    Стр. 861"));
    EXPECT_EQ(form->ui().LbCurrentStr->text().toStdString(),
              form->Display().Line(860) + "    Стр. 861");
    EXPECT_TRUE(form->FormHint().isVisible());
    EXPECT_EQ(form->FormHint().pos(), chart->mapToGlobal(QPoint(x + 20, 30)));
    QTest::mouseMove(form->ui().centralwidget, QPoint(2, 2));
    EXPECT_FALSE(form->FormHint().isVisible());
}

}  // namespace
