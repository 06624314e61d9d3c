// The main window as a user sees it: at its default and its minimum size, with the application
// font at 9, 11 and 12 points, no control leaves its parent, covers a sibling or is cut, every
// read-out shows its whole text and the chart keeps a usable plot; and it opens whole on a
// 1280 x 800 screen, frame included.
#include <QLineEdit>
#include <QScreen>
#include <QStyleOptionFrame>
#include <sstream>

#include "app/qt/fit_label.h"
#include "app/qt/tests/form1_fixture.h"
#include "chart/qt/graph_m_widget.h"
#include "engine/record_line.h"
#include "platform/qt/qt_canvas.h"

namespace {

// About seven grid lines over the default range of 50.
constexpr int kUsablePlotHeight = 100;

std::string Text(const QWidget* w, const QRect& r) {
    std::ostringstream s;
    s << (w ? w->objectName().toStdString() + " " : "") << r.x() << "," << r.y() << " " << r.width()
      << "x" << r.height();
    return s.str();
}

// Room for the text inside a line edit, as its style lays it out (2: the edit's own margin).
int EditTextRoom(QLineEdit& edit) {
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit);
    const QMargins m = edit.textMargins();
    return edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).width() -
           m.left() - m.right() - 2 * 2;
}

// What is wrong with the layout of the window's own controls (not the toolkit's internal
// children: viewports, scroll-bar containers, splitter handles), one line per fault.
std::string LayoutFaults(QWidget& window) {
    std::vector<QWidget*> controls;
    for (QWidget* w : window.findChildren<QWidget*>())
        if (!w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")) &&
            !w->isWindow() && w->isVisible())
            controls.push_back(w);
    std::string faults;
    for (QWidget* w : controls) {
        const QRect g = w->geometry();
        const QSize need = w->minimumSizeHint().expandedTo(w->minimumSize());
        if (!w->parentWidget()->rect().contains(g))
            faults += "\n  " + Text(w, g) + " leaves its parent";
        if (g.width() < need.width() || g.height() < need.height())
            faults += "\n  " + Text(w, g) + " is smaller than its minimum " +
                      Text(nullptr, QRect(QPoint(), need));
        auto* edit = qobject_cast<QLineEdit*>(w);
        if (edit && edit->fontMetrics().horizontalAdvance(edit->text()) > EditTextRoom(*edit))
            faults += "\n  " + Text(w, g) + " cuts \"" + edit->text().toStdString() + "\"";
        for (QWidget* other : controls)
            if (other->parentWidget() == w->parentWidget() && w < other &&
                g.intersects(other->geometry()))
                faults += "\n  " + Text(w, g) + " overlaps " + Text(other, other->geometry());
    }
    return faults;
}

bool ShowsWholeText(const QLabel& label) {
    const QRect room = label.contentsRect();
    return room.contains(
        label.fontMetrics().boundingRect(room, int(label.alignment()), label.text()));
}

class LayoutTest : public Form1Test, public ::testing::WithParamInterface<int> {
  protected:
    LayoutTest() : saved_font_(QApplication::font()) {
        QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), GetParam()));
    }
    ~LayoutTest() override {
        form.reset();
        QApplication::setFont(saved_font_);
    }

    // Sets the window's size (never below its minimum) and lets its layout settle.
    void SizeTo(QSize size) {
        form->resize(size);
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }

    // The longest texts in use: readings with rounding off, their record line under the
    // mouse, limits and heater values.
    void FillWithLongestTexts() {
        Ui::TForm1& ui = form->ui();
        ui.Panel1->setText(QStringLiteral("-12,5625°C"));
        ui.Panel2->setText(QStringLiteral("125,0625°C"));
        ui.LbT3HM->setText(QStringLiteral("-12,5625°C\n100%"));
        ui.LbCurrentStr->setText(
            QString::fromStdString(MakeRecordLine("-12,5625", "125,0625", "28,9", 100, "12345678",
                                                  {2026, 12, 31, 23, 59, 59}) +
                                   "    Стр. 87000"));
        for (QLineEdit* edit : {ui.EditT1H, ui.EditT2L, ui.EdOfsetNagreCurve})
            edit->setText(QStringLiteral("-125,5"));
    }

    void ExpectWhole(const char* where) {
        EXPECT_EQ(LayoutFaults(*form), "")
            << where << " at " << GetParam() << " pt, " << Text(form.get(), form->geometry());
        for (QLabel* label :
             {form->ui().Panel1, form->ui().Panel2, form->ui().LbT3HM, form->ui().LbCurrentStr})
            EXPECT_TRUE(ShowsWholeText(*label))
                << where << " at " << GetParam() << " pt: " << Text(label, label->contentsRect())
                << " cuts \"" << label->text().toStdString() << "\" in "
                << label->font().pointSizeF() << " pt";
    }

  private:
    QFont saved_font_;
};

TEST_P(LayoutTest, NothingOverlapsOrIsCutFromTheMinimumSizeUp) {
    Open();
    FitLabel& panel = *form->ui().Panel1;
    const double design = panel.font().pointSizeF();
    FillWithLongestTexts();
    SizeTo({584, 703});
    ExpectWhole("default size");
    SizeTo(form->minimumSize());
    ExpectWhole("minimum size");
    EXPECT_LT(panel.font().pointSizeF(), design);
    // A style passed down from the window while a read-out is shrunk keeps its design size.
    QFont italic = form->font();
    italic.setItalic(true);
    form->setFont(italic);
    SizeTo({1200, 900});
    ExpectWhole("large size");
    panel.setText(QStringLiteral("37,5°C"));  // room again: back to the design size
    EXPECT_EQ(panel.font().pointSizeF(), design);
    EXPECT_TRUE(panel.font().italic());
}

TEST_P(LayoutTest, AtTheMinimumSizeTheChartHasAUsablePlotAndDrawsOnlyInItsRectangle) {
    Open();
    Start();
    for (int i = 0; i < 30; ++i) Receive(test_packets::Eight(0x02, 37 * 16 + i % 8, 600, 460));
    SizeTo(form->minimumSize());
    const QSize size = form->ui().GraphM1->size();
    // Painted with its own size on a larger image: the margin must stay untouched.
    QImage image(size + QSize(40, 40), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    {
        QtCanvas canvas(image);
        form->GraphM1().Paint(canvas);
    }
    int outside = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x >= size.width() || y >= size.height()) &&
                image.pixel(x, y) != QColor(Qt::magenta).rgb())
                ++outside;
    EXPECT_EQ(outside, 0) << "pixels drawn beyond the chart's " << size.width() << "x"
                          << size.height();
    EXPECT_GE(form->GraphM1().PlotHeight(), kUsablePlotHeight);
}

INSTANTIATE_TEST_SUITE_P(ApplicationFont, LayoutTest, ::testing::Values(9, 11, 12));

TEST_F(Form1Test, TheWindowOpensWholeOnTheScreenFrameIncluded) {
    const struct {
        const char* form;
        QSize size;  // kept where it fits, else empty
    } cases[] = {
        {"", QSize(584, 703)},  // 100 + 703 + the frame end below this screen
        {"[Form]\nLeft=2500\nTop=900\nWidth=700\nHeight=540\n", QSize(700, 540)},
        {"[Form]\nLeft=-3000\nTop=-50\nWidth=640\nHeight=560\n", QSize(640, 560)},
        {"[Form]\nLeft=0\nTop=0\nWidth=3000\nHeight=2000\n", QSize()},
    };
    for (const auto& c : cases) {
        std::ofstream(ConfigPath(), std::ios::binary) << c.form;
        Open();
        QApplication::processEvents();
        const QRect screen = form->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(form->frameGeometry()))
            << c.form << ": " << Text(form.get(), form->frameGeometry());
        if (c.size.isValid()) {
            EXPECT_EQ(form->size(), c.size) << c.form;
        }
        form.reset();
    }
}

}  // namespace
