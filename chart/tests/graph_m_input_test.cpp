#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "chart/graph_m.h"
#include "chart/tests/chart_test_support.h"

namespace {

using chart::TKey;
namespace keys = chart::keys;

// A 320 x 156 chart over 0..100 on both axes, painted once: PlotLeft 60, PlotWidth 237,
// plot 100 pixels high with its bottom edge at y = 108.
class ChartInput : public ::testing::Test {
  protected:
    void SetUp() override {
        chart.SetBounds(320, 156);
        TCurve& curve = chart.Curves().Add();
        for (int i = 0; i <= 100; i += 10) curve.AddPoint(i, 50);
        chart.OnScaleChange = [this](TGraphM&, int scale) { reported.push_back(scale); };
        PaintOn(chart);
        ASSERT_EQ(chart.PlotLeft(), 60);
        ASSERT_EQ(chart.PlotWidth(), 237);
    }
    void Click(TMouseButton button, int x, int y) {
        const TShiftState held = button == TMouseButton::mbLeft ? TShiftState{ssLeft} : 0u;
        chart.MouseDown(button, held, x, y);
        chart.MouseUp(button, 0, x, y);
    }
    void Press(TKey key, TShiftState shift = 0) { chart.KeyDown(key, shift); }
    double ViewWidthX() const { return chart.ViewMaxX() - chart.ViewMinX(); }
    double ViewHeightY() const { return chart.ViewMaxY() - chart.ViewMinY(); }

    FakeHost host;
    TGraphM chart{&host};
    std::vector<int> reported;
};

TEST_F(ChartInput, SetScaleWithTheCurrentValueDoesNothing) {
    chart.SetScale(100);
    EXPECT_TRUE(reported.empty());
    EXPECT_FALSE(chart.PaintPending());
}

TEST_F(ChartInput, ZoomNearEitherEndStaysInsideTheRange) {
    Click(TMouseButton::mbLeft, 60, 58);  // x = 0
    EXPECT_EQ(chart.Scale(), 200);
    EXPECT_EQ(chart.ViewMinX(), 0);
    EXPECT_DOUBLE_EQ(ViewWidthX(), 50);
    EXPECT_DOUBLE_EQ(ViewHeightY(), 50);
    EXPECT_EQ(reported, std::vector<int>{200});

    chart.MouseDown(TMouseButton::mbMiddle, 0, 0, 0);
    chart.MouseUp(TMouseButton::mbMiddle, 0, 0, 0);
    EXPECT_EQ(chart.Scale(), 100);
    PaintOn(chart);
    Click(TMouseButton::mbLeft, 297, 108);  // x = 100, y = 0
    EXPECT_EQ(chart.ViewMaxX(), 100);
    EXPECT_DOUBLE_EQ(chart.ViewMinX(), 50);
    EXPECT_EQ(chart.ViewMinY(), 0);
    EXPECT_DOUBLE_EQ(chart.ViewMaxY(), 50);
}

TEST_F(ChartInput, ZoomCentresOnTheClickedValue) {
    const auto v = chart.PointToValue({150, 60});
    Click(TMouseButton::mbLeft, 150, 60);
    EXPECT_DOUBLE_EQ((chart.ViewMinX() + chart.ViewMaxX()) / 2, v.x);
    EXPECT_DOUBLE_EQ((chart.ViewMinY() + chart.ViewMaxY()) / 2, v.y);
    EXPECT_EQ(chart.Anchor(), (gfx::Point{150, 60}));
}

TEST_F(ChartInput, ZoomOutBelow100Reports100) {
    chart.SetScale(150);
    Click(TMouseButton::mbRight, 150, 60);
    EXPECT_EQ(chart.Scale(), 100);
    EXPECT_EQ(reported, (std::vector<int>{150, 100}));
    EXPECT_EQ(chart.ViewMinX(), 0);
    EXPECT_EQ(chart.ViewMaxX(), 100);
    chart.SetScale(50);  // runs, though the scale stays
    EXPECT_EQ(reported.back(), 100);
    EXPECT_EQ(reported.size(), 3u);
}

TEST_F(ChartInput, At100PercentArrowsMinusAndDragDoNothing) {
    Press(keys::kLeft);
    Press(keys::kDown, ssCtrl);
    Press(keys::kSubtract);
    chart.MouseDown(TMouseButton::mbLeft, ssLeft, 150, 60);
    chart.MouseMove(ssLeft, 170, 70);
    EXPECT_FALSE(chart.Dragged());
    EXPECT_EQ(chart.Scale(), 100);
    EXPECT_EQ(chart.ViewMinX(), 0);
    EXPECT_EQ(chart.ViewMaxY(), 100);
    EXPECT_TRUE(reported.empty());
}

TEST_F(ChartInput, KeypadPlusZoomsAroundThePlotCentreAndMultiplyResets) {
    Press(keys::kAdd);
    EXPECT_EQ(chart.Scale(), 200);
    EXPECT_EQ(chart.Anchor(), (gfx::Point{-1, 0}));
    const double cx = (237 / 2) * 100.0 / 237;
    EXPECT_DOUBLE_EQ(chart.ViewMinX(), cx - 25);
    EXPECT_DOUBLE_EQ(chart.ViewMinY(), 25);
    Press(keys::kSubtract);
    EXPECT_EQ(chart.Scale(), 100);
    Press(keys::kAdd);
    Press(keys::kAdd);
    Press(keys::kMultiply);
    EXPECT_EQ(chart.Scale(), 100);
    EXPECT_EQ(chart.ViewMinX(), 0);
}

TEST_F(ChartInput, ArrowMovesTheContentTenPixels) {
    Press(keys::kAdd);
    PaintOn(chart);
    const double min_x = chart.ViewMinX(), min_y = chart.ViewMinY();
    std::vector<int> before = reported;
    Press(keys::kRight);
    // The paint at 200 % measured narrower labels: PlotWidth x 2 / 100 pixels per unit.
    // The view moves left, the content right.
    const double kx = chart.PlotWidth() * 2 / 100.0;
    EXPECT_NEAR(chart.ViewMinX(), min_x - 10 / kx, 1e-9);
    Press(keys::kUp);
    EXPECT_NEAR(chart.ViewMinY(), min_y - 10 / 2.0, 1e-9);
    EXPECT_EQ(reported, before);  // panning is no zoom
    EXPECT_DOUBLE_EQ(ViewWidthX(), 50);
}

TEST_F(ChartInput, CtrlArrowsPageAndStopAtTheLimits) {
    Press(keys::kAdd);
    for (int i = 0; i < 5; ++i) Press(keys::kRight, ssCtrl);
    EXPECT_EQ(chart.ViewMinX(), 0);
    EXPECT_DOUBLE_EQ(chart.ViewMaxX(), 50);
    for (int i = 0; i < 5; ++i) Press(keys::kLeft, ssCtrl);
    EXPECT_EQ(chart.ViewMaxX(), 100);
    EXPECT_DOUBLE_EQ(chart.ViewMinX(), 50);

    // Ctrl+Down moves the content down a plot height (50 units at 200 %), Ctrl+Up up.
    Press(keys::kMultiply);
    Press(keys::kAdd);
    ASSERT_DOUBLE_EQ(chart.ViewMinY(), 25);
    Press(keys::kDown, ssCtrl);
    EXPECT_EQ(chart.ViewMaxY(), 100);
    EXPECT_DOUBLE_EQ(chart.ViewMinY(), 50);
    Press(keys::kUp, ssCtrl);
    EXPECT_DOUBLE_EQ(chart.ViewMinY(), 0);
    Press(keys::kUp, ssCtrl);
    EXPECT_EQ(chart.ViewMinY(), 0);
    EXPECT_DOUBLE_EQ(chart.ViewMaxY(), 50);
}

TEST_F(ChartInput, DragPansAndItsReleaseDoesNotZoom) {
    Press(keys::kAdd);
    const double min_x = chart.ViewMinX();
    chart.MouseDown(TMouseButton::mbLeft, ssLeft, 150, 60);
    EXPECT_TRUE(chart.DragArmed());
    chart.MouseMove(0, 170, 60);  // nothing held: no drag
    EXPECT_FALSE(chart.Dragged());
    chart.MouseMove(ssLeft, 160, 60);
    EXPECT_TRUE(chart.Dragged());
    EXPECT_NEAR(chart.ViewMinX(), min_x - 10 / 4.74, 1e-9);
    chart.MouseMove(ssLeft, 170, 60);  // each move pans from the previous position
    EXPECT_NEAR(chart.ViewMinX(), min_x - 20 / 4.74, 1e-9);
    chart.MouseUp(TMouseButton::mbLeft, 0, 170, 60);
    EXPECT_EQ(chart.Scale(), 200);
    EXPECT_FALSE(chart.Dragged());
    EXPECT_FALSE(chart.DragArmed());
    Click(TMouseButton::mbLeft, 170, 60);  // the next click zooms again
    EXPECT_EQ(chart.Scale(), 300);
}

TEST_F(ChartInput, FirstClickOnAnUnfocusedChartOnlyFocusesIt) {
    host.focused = false;
    Click(TMouseButton::mbLeft, 150, 60);
    EXPECT_EQ(host.focus_taken, 1);
    EXPECT_EQ(chart.Scale(), 100);
    Click(TMouseButton::mbLeft, 150, 60);
    EXPECT_EQ(chart.Scale(), 200);
    EXPECT_EQ(host.focus_taken, 1);

    host.focused = false;
    host.can_focus = false;  // hidden or disabled: the click acts at once
    Click(TMouseButton::mbLeft, 150, 60);
    EXPECT_EQ(chart.Scale(), 300);
}

TEST_F(ChartInput, WithoutDataMouseAndWheelAreIgnoredButKeysStillZoom) {
    chart.Curves().Items(0).Clear();
    chart.Curves().Items(0).AddPoint(1, 1);
    EXPECT_FALSE(chart.HasData());
    Click(TMouseButton::mbLeft, 150, 60);
    chart.MouseWheel(-120, 0, 150, 60);
    EXPECT_EQ(chart.Scale(), 100);
    EXPECT_FALSE(chart.DragArmed());
    Press(keys::kAdd);
    EXPECT_EQ(chart.Scale(), 200);
}

TEST_F(ChartInput, WheelZoomsHalfAStepPerNotchAndAddsUpSmallDeltas) {
    chart.MouseDown(TMouseButton::mbLeft, ssLeft, 150, 60);
    chart.MouseWheel(-120, 0, 100, 50);
    EXPECT_EQ(chart.Scale(), 150);
    EXPECT_EQ(chart.Anchor(), (gfx::Point{100, 50}));
    EXPECT_FALSE(chart.DragArmed());
    chart.MouseWheel(120, 0, 100, 50);
    EXPECT_EQ(chart.Scale(), 100);

    for (int i = 0; i < 3; ++i) chart.MouseWheel(-30, 0, 100, 50);
    EXPECT_EQ(chart.Scale(), 100);
    chart.MouseWheel(-30, 0, 100, 50);
    EXPECT_EQ(chart.Scale(), 150);

    chart.MouseWheel(-60, 0, 100, 50);
    chart.MouseWheel(60, 0, 100, 50);  // turning back starts afresh
    EXPECT_EQ(chart.Scale(), 150);
    chart.MouseWheel(60, 0, 100, 50);
    EXPECT_EQ(chart.Scale(), 100);

    chart.MouseWheel(-360, 0, 100, 50);  // three notches in one event
    EXPECT_EQ(chart.Scale(), 250);
}

TEST_F(ChartInput, OwnerEventsComeFirstAndMaySwallowAKey) {
    std::vector<std::string> log;
    chart.OnMouseDown = [&](TGraphM& g, TMouseButton, TShiftState, int x, int y) {
        log.push_back("down " + std::to_string(x) + "," + std::to_string(y) + " " +
                      std::to_string(g.Scale()));
    };
    chart.OnMouseUp = [&](TGraphM& g, TMouseButton, TShiftState, int, int) {
        log.push_back("up " + std::to_string(g.Scale()));
    };
    chart.OnMouseMove = [&](TGraphM&, TShiftState s, int x, int y) {
        log.push_back("move " + std::to_string(s) + " " + std::to_string(x) + "," +
                      std::to_string(y));
    };
    chart.OnDblClick = [&](TGraphM&) { log.push_back("dbl"); };
    chart.OnKeyUp = [&](TGraphM&, TKey& k, TShiftState) {
        log.push_back("keyup " + std::to_string(k));
    };
    chart.OnKeyDown = [&](TGraphM&, TKey& k, TShiftState) {
        if (k == keys::kAdd) k = keys::kNone;
    };
    Click(TMouseButton::mbLeft, 150, 60);
    chart.MouseMove(ssShift, 5, 6);
    chart.DblClick();
    TKey up = keys::kLeft;
    chart.KeyUp(up, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"down 150,60 100", "up 100", "move 1 5,6", "dbl",
                                             "keyup 37"}));
    EXPECT_EQ(chart.Scale(), 200);
    Press(keys::kAdd);
    EXPECT_EQ(chart.Scale(), 200);
}

TEST_F(ChartInput, ArrowKeysBelongToTheChart) {
    EXPECT_TRUE(TGraphM::WantsKey(keys::kLeft));
    EXPECT_TRUE(TGraphM::WantsKey(keys::kDown));
    EXPECT_FALSE(TGraphM::WantsKey(keys::kAdd));
}

class ChartHint : public ChartInput {
  protected:
    gfx::Point PixelOf(double x, double y) const {
        return {60 + static_cast<int>(std::nearbyint(x * 2.37)),
                108 - static_cast<int>(std::nearbyint(y))};
    }
};

TEST_F(ChartHint, TheHigherNumberedCurveWins) {
    TCurve& second = chart.Curves().Add();
    second.AddPoint(90, 90);
    second.AddPoint(50.3, 50.5);  // within 100 / 160 in x and 100 / 26 in y
    second.AddPoint(50.1, 50);    // also near, but not the first near point
    const auto found = chart.FindPointAt(PixelOf(50, 50));
    ASSERT_TRUE(found);
    EXPECT_EQ(found->curve, 1);
    EXPECT_EQ(found->index, 1u);
    EXPECT_EQ(chart.HintText(PixelOf(50, 50)), "x:50,3, 50,5");
    chart.SetDecimalHint(2);
    EXPECT_EQ(chart.HintText(PixelOf(50, 50)), "x:50,30, 50,50");
}

TEST_F(ChartHint, NothingNearOrHintsOffGivesNoHint) {
    EXPECT_FALSE(chart.HintText(PixelOf(50, 90)));
    const auto on_curve = chart.FindPointAt(PixelOf(30, 50));
    ASSERT_TRUE(on_curve);
    EXPECT_EQ(on_curve->curve, 0);
    EXPECT_EQ(on_curve->x, 30);
    chart.SetShowHint(false);
    EXPECT_FALSE(chart.HintText(PixelOf(30, 50)));
}

TEST_F(ChartHint, ZeroToleranceStillFindsAnExactPoint) {
    chart.Curves().Clear();
    TCurve& c = chart.Curves().Add();
    c.AddPoint(5, 37);
    c.AddPoint(5, 37);
    chart.SetMinXValue(5);
    chart.SetMaxXValue(5);
    chart.SetMinYValue(37);
    chart.SetMaxYValue(37);
    PaintOn(chart);
    EXPECT_EQ(chart.HintText({100, 50}), "x:5,0, 37,0");
}

}  // namespace
