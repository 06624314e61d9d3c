#include "chart/qt/graph_m_widget.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "chart/tests/qt_test_app.h"

namespace {

QApplication& App() {
    return QtTestApp();
}

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kGreen = MakeColor(0, 160, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);

QRgb Rgb(TColor c) {
    return qRgb(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// The pixel of a value pair, by the chart's own layout after a paint.
QPoint PixelOf(const TGraphM& g, double x, double y) {
    const double kx = g.PlotWidth() * g.ZoomFactor() / (g.MaxXValue() - g.MinXValue());
    const double ky = g.PlotHeight() * g.ZoomFactor() / (g.MaxYValue() - g.MinYValue());
    return {
        g.PlotLeft() + static_cast<int>(std::nearbyint((x - g.ViewMinX()) * kx)),
        g.Height() - g.BottomMargin() - static_cast<int>(std::nearbyint((y - g.ViewMinY()) * ky))};
}

QRect PlotClip(const TGraphM& g) {
    return QRect(QPoint(g.PlotLeft(), 8),
                 QPoint(g.PlotLeft() + g.PlotWidth() - 1, g.Height() - g.BottomMargin() + 1));
}

void FillThreeCurves(TGraphM& g) {
    const TColor colours[3] = {kRed, kGreen, kBlue};
    for (int c = 0; c < 3; ++c) {
        TCurve& curve = g.Curves().Add();
        curve.SetColorGraph(colours[c]);
        for (int i = 0; i < 150; ++i) curve.AddPoint(i, 37 + 5 * std::sin(i * 0.1 + c) + c);
    }
    g.SetMaxXValue(150);
    g.SetMinYValue(20);
    g.SetMaxYValue(45);
}

TEST(GraphMWidget, CurvePixelsStayInsideThePlot) {
    App();
    GraphMWidget w;
    w.resize(500, 300);
    FillThreeCurves(w.Chart());
    QImage img = w.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(img.size(), QSize(500, 300));

    auto check = [&](const QImage& image) {
        const QRect plot = PlotClip(w.Chart());
        int inside[3] = {0, 0, 0};
        const TColor colours[3] = {kRed, kGreen, kBlue};
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                for (int c = 0; c < 3; ++c) {
                    if (image.pixel(x, y) != Rgb(colours[c])) continue;
                    ASSERT_TRUE(plot.contains(x, y)) << "curve " << c << " at " << x << "," << y;
                    ++inside[c];
                }
        for (int c = 0; c < 3; ++c) EXPECT_GT(inside[c], 100) << c;
    };
    check(img);
    // Zoomed in, most of each curve lies outside the view.
    w.Chart().SetScale(400);
    check(w.grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST(GraphMWidget, MarkerCoversExactlyFiveByFivePixels) {
    App();
    GraphMWidget w;
    w.resize(400, 260);
    TCurve& curve = w.Chart().Curves().Add();
    curve.SetColorGraph(kRed);
    curve.SetDetails(true);
    curve.AddPoint(20, 50);
    curve.AddPoint(60, 50);  // a horizontal line ending in the marker
    const QImage img = w.PaintImage();
    const QPoint m = PixelOf(w.Chart(), 60, 50);
    const QPoint start = PixelOf(w.Chart(), 20, 50);
    for (int dy = -4; dy <= 4; ++dy)
        for (int dx = -4; dx <= 4; ++dx) {
            const bool in_square = std::abs(dx) <= 2 && dy >= -2 && dy <= 2;
            const bool on_line = dy == 0 && dx < 0;
            const bool red = img.pixel(m.x() + dx, m.y() + dy) == Rgb(kRed);
            if (in_square || on_line) {
                EXPECT_TRUE(red) << dx << "," << dy;
            } else {
                EXPECT_FALSE(red) << dx << "," << dy;
            }
        }
    // Point 0 has no marker: only the line's first pixel.
    EXPECT_EQ(img.pixel(start.x(), start.y()), Rgb(kRed));
    EXPECT_NE(img.pixel(start.x(), start.y() - 1), Rgb(kRed));
    EXPECT_NE(img.pixel(start.x() - 1, start.y()), Rgb(kRed));
}

// Through the real canvas too, the degenerate charts paint, and no curve pixel lands
// outside the plot.
TEST(GraphMWidget, DegenerateChartsPaint) {
    App();
    auto no_red_outside = [](GraphMWidget& w) {
        const QImage img = w.PaintImage();
        const TGraphM& g = w.Chart();
        const QRect plot = PlotClip(g);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                if (img.pixel(x, y) == Rgb(kRed)) {
                    ASSERT_TRUE(plot.contains(x, y)) << x << "," << y;
                }
    };
    auto red_curve = [](GraphMWidget& w, std::initializer_list<std::pair<double, double>> pts) {
        TCurve& c = w.Chart().Curves().Add();
        c.SetColorGraph(kRed);
        c.SetThickLine(3);
        c.SetDetails(true);
        for (const auto& [x, y] : pts) c.AddPoint(x, y);
    };
    {
        GraphMWidget w;
        red_curve(w, {{0, 0}, {50, 0}, {100, 0}});
        w.Chart().SetMaxYValue(-5);
        no_red_outside(w);
    }
    {
        GraphMWidget w;
        w.resize(40, 40);
        red_curve(w, {{0, 10}, {50, 90}, {100, 20}});
        no_red_outside(w);
    }
    {
        GraphMWidget w;
        w.Chart().SetMinXValue(5);
        w.Chart().SetMaxXValue(5);
        w.Chart().SetMinYValue(37);
        w.Chart().SetMaxYValue(37);
        red_curve(w, {{5, 37}, {5, 37}});
        no_red_outside(w);
        w.Chart().SetScale(500);
        no_red_outside(w);
    }
    {
        GraphMWidget w;
        red_curve(w, {{0, 0}, {1, 100}, {2, 0}, {3, 100}});
        w.Chart().Curves().Items(0).SetDetails(false);  // a 3-pixel pen through QPainter
        w.PaintImage();
        w.Chart().SetScale(2147483647);
        no_red_outside(w);
    }
}

struct Window {
    Window() {
        App();
        auto* layout = new QVBoxLayout(&top);
        edit = new QLineEdit(&top);
        chart = new GraphMWidget(&top);
        chart->setMinimumSize(400, 260);
        layout->addWidget(edit);
        layout->addWidget(chart);
        FillThreeCurves(chart->Chart());
        top.show();
        top.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&top));
        edit->setFocus();
        QApplication::processEvents();
    }
    QWidget top;
    QLineEdit* edit = nullptr;
    GraphMWidget* chart = nullptr;
};

TEST(GraphMWidget, FirstClickFocusesThenClicksAndWheelZoom) {
    Window win;
    GraphMWidget& w = *win.chart;
    ASSERT_FALSE(w.hasFocus());
    const QPoint at(w.width() / 2, w.height() / 2);
    QTest::mouseClick(&w, Qt::LeftButton, {}, at);
    EXPECT_TRUE(w.hasFocus());
    EXPECT_EQ(w.Chart().Scale(), 100);
    QTest::mouseClick(&w, Qt::LeftButton, {}, at);
    EXPECT_EQ(w.Chart().Scale(), 200);
    EXPECT_EQ(w.Chart().Anchor(), (gfx::Point{at.x(), at.y()}));

    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(at), QPointF(w.mapToGlobal(at)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&w, &e);
    };
    wheel(-120);
    EXPECT_EQ(w.Chart().Scale(), 250);
    wheel(60);
    wheel(60);
    EXPECT_EQ(w.Chart().Scale(), 200);

    QTest::keyClick(&w, Qt::Key_Asterisk, Qt::KeypadModifier);
    EXPECT_EQ(w.Chart().Scale(), 100);
    QTest::keyClick(&w, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(w.Chart().Scale(), 200);
    const double min_x = w.Chart().ViewMinX();
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_LT(w.Chart().ViewMinX(), min_x);
    EXPECT_TRUE(w.hasFocus());  // the arrow did not move the focus
}

TEST(GraphMWidget, MouseMovesReachTheOwnerWithoutAButton) {
    Window win;
    int moves = 0;
    QPoint last;
    win.chart->Chart().OnMouseMove = [&](TGraphM&, TShiftState, int x, int y) {
        ++moves;
        last = QPoint(x, y);
    };
    QTest::mouseMove(win.chart, QPoint(100, 80));
    QApplication::processEvents();
    EXPECT_GE(moves, 1);
    EXPECT_EQ(last, QPoint(100, 80));
}

// Counts a widget's paint events and whether it had the focus at the last one.
struct PaintWatch : QObject {
    explicit PaintWatch(QWidget& w) : widget(w) { w.installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
            focused_at_last = widget.hasFocus();
        }
        return false;
    }
    QWidget& widget;
    int paints = 0;
    bool focused_at_last = false;
};

TEST(GraphMWidget, FocusChangeRepaintsWithAndWithoutTheFrame) {
    Window win;
    GraphMWidget& w = *win.chart;
    PaintWatch watch(w);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.Chart().PaintPending(); }));
    // Gaining and losing the focus each ask the chart for a paint, and the widget paints.
    for (bool gain : {true, false}) {
        const int paints = watch.paints;
        if (gain) {
            w.setFocus();
        } else {
            win.edit->setFocus();
        }
        ASSERT_EQ(w.hasFocus(), gain);
        EXPECT_TRUE(w.Chart().PaintPending()) << gain;
        EXPECT_TRUE(QTest::qWaitFor([&] { return watch.paints > paints; })) << gain;
        EXPECT_FALSE(w.Chart().PaintPending()) << gain;
        EXPECT_EQ(watch.focused_at_last, gain);
    }

    const QImage before = w.PaintImage();
    w.setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(w.hasFocus());
    const QImage focused = w.PaintImage();
    EXPECT_NE(before.pixel(0, 0), focused.pixel(0, 0));  // the dotted frame inverts it
    EXPECT_EQ(before.pixel(1, 0), focused.pixel(1, 0));
}

TEST(GraphMWidget, HintShowsThePointUnderTheCursor) {
    Window win;
    GraphMWidget& w = *win.chart;
    w.PaintImage();
    const TCurve& blue = w.Chart().Curves().Items(2);
    const QPoint p = PixelOf(w.Chart(), blue.XValues()[30], blue.YValues()[30]);
    auto hint_at = [&](QPoint at) {
        QHelpEvent e(QEvent::ToolTip, at, w.mapToGlobal(at));
        QApplication::sendEvent(&w, &e);
    };
    auto hidden = [] { return QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000); };

    hint_at(p);
    ASSERT_TRUE(QToolTip::isVisible());
    EXPECT_TRUE(QToolTip::text().startsWith("x:")) << QToolTip::text().toStdString();
    hint_at(QPoint(w.width() - 5, 12));  // far from every point
    EXPECT_TRUE(hidden());
    hint_at(p);
    ASSERT_TRUE(QToolTip::isVisible());
    w.Chart().SetShowHint(false);
    hint_at(p);
    EXPECT_TRUE(hidden());
}

}  // namespace
