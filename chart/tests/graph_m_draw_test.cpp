#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

#include "chart/curve_path.h"
#include "chart/graph_m.h"
#include "chart/tests/chart_test_support.h"
#include "platform/qt/line_raster.h"

namespace {

using Kind = DrawOp::Kind;
using gfx::TextAlign;

const std::vector<std::string> kLabels20To45 = {"20", "25", "30", "35", "40", "45"};

class ChartDraw : public ::testing::Test {
  protected:
    // 156 pixels high: a plot of 156 - 48 - 8 = 100 pixels, its bottom edge at y = 108.
    void SetUp() override { chart.SetBounds(320, 156); }

    gfx::Rect PlotClip() const {
        return {chart.PlotLeft(), 8, chart.PlotLeft() + chart.PlotWidth(),
                chart.Height() - chart.BottomMargin() + 2};
    }
    std::vector<DrawOp> Lines(const RecordingCanvas& c, TColor colour, gfx::PenStyle style) const {
        std::vector<DrawOp> out;
        for (const auto& op : c.OpsOf(Kind::Line))
            if (op.pen.color == colour && op.pen.style == style) out.push_back(op);
        return out;
    }
    TCurve& CurveWith(std::initializer_list<std::pair<double, double>> points) {
        TCurve& curve = chart.Curves().Add();
        for (const auto& [x, y] : points) curve.AddPoint(x, y);
        return curve;
    }

    FakeHost host;
    TGraphM chart{&host};
};

TEST_F(ChartDraw, YAxisOf20To45On100PixelsIsLabelledEveryFive) {
    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    const RecordingCanvas c = PaintOn(chart);

    EXPECT_EQ(chart.PlotHeight(), 100);
    EXPECT_DOUBLE_EQ(chart.YPerPixel(), 0.25);
    // "20,0" / "45,0" at 6 pixels a character, plus 10.
    EXPECT_EQ(chart.YLabelBox(), (gfx::Size{34, 13}));
    EXPECT_EQ(chart.PlotLeft(), 54);
    // X labels "0,0" / "100,0": box 40 wide; 320 - 54 - 20 - 3.
    EXPECT_EQ(chart.PlotWidth(), 243);

    const auto labels = Labels(c, TextAlign::taRight);
    ASSERT_EQ(Texts(labels), kLabels20To45);
    for (int k = 0; k < 6; ++k) {
        const int y = 108 - 20 * k;
        EXPECT_EQ(labels[k].rect, (gfx::Rect{14, y - 6, 48, y + 6})) << k;
        EXPECT_EQ(labels[k].font.name, "Tahoma");
        EXPECT_EQ(labels[k].font.size, 8);
    }
    const auto grid = Lines(c, clSilver, gfx::PenStyle::psDot);
    ASSERT_GE(grid.size(), 6u);
    EXPECT_EQ(grid[0].points, (std::vector<gfx::Point>{{297, 108}, {54, 108}}));
    EXPECT_EQ(grid[5].points, (std::vector<gfx::Point>{{297, 8}, {54, 8}}));
    const auto solid = Lines(c, clBlack, gfx::PenStyle::psSolid);
    EXPECT_EQ(solid[0].points, (std::vector<gfx::Point>{{54, 108}, {50, 108}}));  // tick
}

TEST_F(ChartDraw, FrameEdgesUseTheAxisColour) {
    chart.SetColorAxis(0x0000FF);
    PaintOn(chart);
    const RecordingCanvas c = PaintOn(chart);
    const auto edges = Lines(c, 0x0000FF, gfx::PenStyle::psSolid);
    const int l = chart.PlotLeft(), r = l + chart.PlotWidth();
    ASSERT_EQ(edges.size(), 4u);
    EXPECT_EQ(edges[0].points, (std::vector<gfx::Point>{{l, 108}, {r, 108}}));
    EXPECT_EQ(edges[1].points, (std::vector<gfx::Point>{{l, 8}, {r, 8}}));
    EXPECT_EQ(edges[2].points, (std::vector<gfx::Point>{{l, 108}, {l, 8}}));
    EXPECT_EQ(edges[3].points, (std::vector<gfx::Point>{{r, 108}, {r, 8}}));
}

TEST_F(ChartDraw, XAxisIsLabelledCentredUnderTicks) {
    const RecordingCanvas c = PaintOn(chart);
    // 100 / 243 per pixel, one label (40 + 2 pixels) spans 17.3: mag 10, step 20.
    const auto labels = Labels(c, TextAlign::taCenter);
    ASSERT_EQ(Texts(labels), (std::vector<std::string>{"0", "20", "40", "60", "80", "100"}));
    const int plot_left = chart.PlotLeft();
    for (int k = 0; k < 6; ++k) {
        const int x = static_cast<int>(std::nearbyint(k * 20 / chart.XPerPixel())) + plot_left;
        EXPECT_EQ(labels[k].rect, (gfx::Rect{x - 20, 116, x + 20, 129})) << k;
    }
    chart.SetGridX(false);
    chart.SetGridY(false);
    EXPECT_TRUE(Lines(PaintOn(chart), clSilver, gfx::PenStyle::psDot).empty());
}

TEST_F(ChartDraw, NarrowRangeGetsFinerStepsUnlessPrecisionIsZero) {
    chart.SetMinYValue(36.3);
    chart.SetMaxYValue(37.1);
    RecordingCanvas c = PaintOn(chart);
    EXPECT_NEAR(chart.YPerPixel(), 0.008, 1e-12);
    EXPECT_EQ(Texts(Labels(c, TextAlign::taRight)),
              (std::vector<std::string>{"36,4", "36,6", "36,8", "37,0"}));

    chart.SetPrecision(0);
    c = PaintOn(chart);
    EXPECT_EQ(Texts(Labels(c, TextAlign::taRight)), (std::vector<std::string>{"37"}));
    EXPECT_EQ(chart.YLabelBox().width, 2 * 6 + 10);  // "36" / "37"
}

TEST_F(ChartDraw, NegativeMinimumStartsAtTheFirstStepAboveIt) {
    chart.SetBounds(320, 206);  // plot 150 pixels: 3.7 / 150 x 14 = 0.35, step 0.5
    chart.SetMinYValue(-3.7);
    chart.SetMaxYValue(0);
    const RecordingCanvas c = PaintOn(chart);
    const auto labels = Labels(c, TextAlign::taRight);
    ASSERT_EQ(labels.size(), 8u);
    EXPECT_EQ(labels.front().text, "-3,5");
    EXPECT_EQ(labels.back().text, "0,0");
    // (-3.5 + 3.7) / (3.7 / 150) = 8.1 pixels above the bottom edge at 158.
    EXPECT_EQ(labels.front().rect.top, 150 - 6);
}

TEST_F(ChartDraw, MarkersFollowTheMarkerRuleAndSkipPointZero) {
    TCurve& thin = CurveWith({{0, 50}, {10, 60}, {20, 50}});
    thin.SetDetails(true);
    thin.SetColorGraph(0x0000FF);
    TCurve& thick = CurveWith({{0, 30}, {10, 20}});
    thick.SetThickLine(3);
    thick.SetDetails(true);
    thick.SetColorGraph(0x00FF00);
    TCurve& plain = CurveWith({{0, 70}, {10, 80}});
    plain.SetThickLine(3);
    const RecordingCanvas c = PaintOn(chart);

    // Range 0..100 on both axes: PlotLeft 60, 237 / 100 pixels per x unit, 1 per y unit.
    ASSERT_EQ(chart.PlotLeft(), 60);
    ASSERT_EQ(chart.PlotWidth(), 237);
    const auto rects = c.OpsOf(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 3u);
    EXPECT_EQ(rects[0].rect, (gfx::Rect{84 - 2, 48 - 2, 84 + 3, 48 + 3}));  // (10, 60)
    EXPECT_EQ(rects[1].rect, (gfx::Rect{107 - 2, 58 - 2, 107 + 3, 58 + 3}));
    EXPECT_EQ(rects[0].brush, 0x0000FFu);
    EXPECT_EQ(rects[0].pen.color, 0x0000FFu);
    EXPECT_EQ(rects[2].rect, (gfx::Rect{84 - 1, 88 - 1, 84 + 2, 88 + 2}));  // 3 x 3
    EXPECT_EQ(rects[2].pen.width, 1);

    const auto lines = c.OpsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].points, (std::vector<gfx::Point>{{60, 58}, {84, 48}, {107, 58}}));
    EXPECT_EQ(lines[1].pen.width, 1);  // thick in detail mode: a thin line
    EXPECT_EQ(lines[2].pen.width, 3);
    EXPECT_EQ(lines[2].pen.color, clBlack);
    for (const auto& op : lines) EXPECT_EQ(op.clip, PlotClip());
}

TEST_F(ChartDraw, ChartDetailsMarkEveryCurve) {
    CurveWith({{0, 50}, {10, 60}});
    chart.SetDetails(true);
    const auto rects = PaintOn(chart).OpsOf(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect.Width(), 5);
    EXPECT_EQ(rects[0].rect.Height(), 5);
}

TEST_F(ChartDraw, CurveOfOnePointIsNeitherDrawnNorMarked) {
    CurveWith({{10, 60}}).SetDetails(true);
    const RecordingCanvas c = PaintOn(chart);
    EXPECT_TRUE(c.OpsOf(Kind::Polyline).empty());
    EXPECT_TRUE(c.OpsOf(Kind::Rectangle).empty());
}

TEST_F(ChartDraw, PointsOfAThinCurveAreReducedPerColumnButNotWithMarkers) {
    TCurve& curve = chart.Curves().Add();
    for (int i = 0; i < 5000; ++i) curve.AddPoint(i / 50.0, 50 + 40 * std::sin(i * 0.37));
    RecordingCanvas c = PaintOn(chart);
    auto lines = c.OpsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_LE(lines[0].points.size(), 4u * 238);
    EXPECT_GE(lines[0].points.size(), 2u * 100);

    curve.SetDetails(true);
    c = PaintOn(chart);
    lines = c.OpsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].points.size(), 5000u);
    EXPECT_EQ(c.OpsOf(Kind::Rectangle).size(), 4999u);
}

// The last column of the curve lies inside the plot and ends on the top it reached before:
// the reduced line must still draw that pixel, as the full one does.
TEST_F(ChartDraw, ReducedCurveDrawsThePixelsOfTheFullOne) {
    const TCurve& curve = CurveWith({{10, 50}, {20.1, 50}, {20.2, 60}, {20.3, 55}, {20.35, 60}});
    const RecordingCanvas c = PaintOn(chart);
    const gfx::Rect clip = PlotClip();
    const int w = chart.Width(), h = chart.Height();
    std::vector<std::uint32_t> drawn(w * h, 0), full(w * h, 0);
    for (const auto& op : c.OpsOf(Kind::Polyline))
        raster::DrawPolyline({drawn.data(), w, h, w}, clip, op.points, 1);

    chart::PixelMap map;
    map.plot_left = chart.PlotLeft();
    map.base_y = h - chart.BottomMargin();
    map.view_min_x = chart.ViewMinX();
    map.view_min_y = chart.ViewMinY();
    map.kx = chart.PlotWidth() / 100.0;
    map.ky = chart.PlotHeight() / 100.0;
    std::vector<gfx::Point> points;
    for (std::size_t i = 0; i < curve.PointCount(); ++i) {
        gfx::Point p;
        ASSERT_TRUE(chart::MapPoint(map, curve.XValues()[i], curve.YValues()[i], p));
        points.push_back(p);
    }
    ASSERT_EQ(points[1].x, points[4].x);  // one column
    raster::DrawPolyline({full.data(), w, h, w}, clip, points, 1);
    const std::size_t top = static_cast<std::size_t>(points[4].y) * w + points[4].x;
    EXPECT_NE(full[top], 0u);
    EXPECT_TRUE(drawn == full);
}

TEST_F(ChartDraw, ZoomTextIsLightGreyOnWhiteAndWhiteOtherwise) {
    RecordingCanvas c = PaintOn(chart);
    const DrawOp* text = c.FindText("М: 100%");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->font.color, MakeColor(220, 220, 220));
    EXPECT_EQ(text->font.name, "Arial");
    EXPECT_EQ(text->font.size, 20);
    EXPECT_TRUE(text->font.bold);
    // 7 characters of 13 pixels.
    EXPECT_EQ(text->points[0], (gfx::Point{320 - 91 - 30, 10}));

    chart.SetColor(0x202020);
    c = PaintOn(chart);
    ASSERT_NE(c.FindText("М: 100%"), nullptr);
    EXPECT_EQ(c.FindText("М: 100%")->font.color, clWhite);

    chart.SetShowTextScale(false);
    EXPECT_EQ(PaintOn(chart).FindText("М: 100%"), nullptr);
}

TEST_F(ChartDraw, LegendLaysOutLinesMarkersAndNames) {
    chart.SetShowLegend(true);
    TCurve& a = CurveWith({});
    a.SetLegendName("T1");
    a.SetColorGraph(0x0000FF);
    TCurve& b = CurveWith({});
    b.SetLegendName("HM");
    b.SetDetails(true);
    const RecordingCanvas c = PaintOn(chart);
    // Arial 10: 7 pixels a character. L = 2 x (14 + 30) = 88, m = 160 - 44 = 116.
    const int H = 156;
    const auto lines = c.OpsOf(Kind::Line);
    EXPECT_EQ(lines[0].points, (std::vector<gfx::Point>{{116, H - 14}, {132, H - 14}}));
    EXPECT_EQ(lines[0].pen.color, 0x0000FFu);
    EXPECT_EQ(lines[1].points, (std::vector<gfx::Point>{{160, H - 14}, {176, H - 14}}));
    const auto rects = c.OpsOf(Kind::Rectangle);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_EQ(rects[0].rect, (gfx::Rect{166, H - 16, 171, H - 10}));
    const DrawOp* t1 = c.FindText("T1");
    ASSERT_NE(t1, nullptr);
    EXPECT_EQ(t1->points[0], (gfx::Point{136, H - 22}));
    EXPECT_EQ(t1->brush, clWhite);
    EXPECT_EQ(t1->font.size, 10);
    EXPECT_EQ(c.FindText("HM")->points[0], (gfx::Point{180, H - 22}));
}

TEST_F(ChartDraw, FocusFrameOnlyWithTheFocus) {
    host.focused = true;
    EXPECT_EQ(PaintOn(chart).OpsOf(Kind::FocusRect).size(), 1u);
    EXPECT_EQ(PaintOn(chart).OpsOf(Kind::FocusRect)[0].rect, (gfx::Rect{0, 0, 320, 156}));
    host.focused = false;
    EXPECT_TRUE(PaintOn(chart).OpsOf(Kind::FocusRect).empty());
}

TEST_F(ChartDraw, RangeWidensToTheDataAt100PercentOnly) {
    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    CurveWith({});
    CurveWith({{5, 10}, {6, 50}, {7, 30}});
    PaintOn(chart);
    EXPECT_EQ(chart.MinYValue(), 10);
    EXPECT_EQ(chart.MaxYValue(), 50);
    EXPECT_EQ(chart.MinXValue(), 0);
    EXPECT_EQ(chart.MaxXValue(), 100);
    EXPECT_EQ(chart.ViewMinY(), 10);
    EXPECT_EQ(chart.ViewMaxY(), 50);

    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    chart.SetScale(101);
    PaintOn(chart);
    EXPECT_EQ(chart.MinYValue(), 20);
    EXPECT_EQ(chart.MaxYValue(), 45);
}

TEST_F(ChartDraw, SinglePointCurvesDoNotWidenTheRange) {
    chart.SetMaxYValue(45);
    CurveWith({{5, 1000}});
    PaintOn(chart);
    EXPECT_EQ(chart.MaxYValue(), 45);
}

TEST_F(ChartDraw, PointToValueAtTheCentreAndTheBottomLeftCorner) {
    PaintOn(chart);
    const int l = chart.PlotLeft(), w = chart.PlotWidth();
    const auto corner = chart.PointToValue({l, 108});
    EXPECT_DOUBLE_EQ(corner.x, 0);
    EXPECT_DOUBLE_EQ(corner.y, 0);
    const auto centre = chart.PointToValue({-1, 0});
    EXPECT_DOUBLE_EQ(centre.x, (w / 2) * 100.0 / w);
    EXPECT_DOUBLE_EQ(centre.y, 50);
    const auto same = chart.PointToValue({l + w / 2, 108 - 50});
    EXPECT_DOUBLE_EQ(same.x, centre.x);
    EXPECT_DOUBLE_EQ(same.y, centre.y);
}

// Degenerate sizes and ranges: every paint ends, draws the fallback line of the broken
// axis and puts no curve pixel outside the plot.

TEST_F(ChartDraw, EmptyYRangeDrawsTheFallbackLine) {
    CurveWith({{0, 0}, {50, 0}, {100, 0}});
    chart.SetMaxYValue(-5);
    ASSERT_EQ(chart.MaxYValue(), 0);
    const RecordingCanvas c = PaintOn(chart);
    EXPECT_TRUE(Labels(c, TextAlign::taRight).empty());
    const auto solid = Lines(c, clBlack, gfx::PenStyle::psSolid);
    ASSERT_FALSE(solid.empty());
    EXPECT_EQ(solid[0].points, (std::vector<gfx::Point>{{20, 156 - 20}, {20, 2}}));
    for (const auto& op : c.OpsOf(Kind::Polyline)) {
        ASSERT_TRUE(op.clip);
        EXPECT_EQ(*op.clip, PlotClip());
    }
}

// A span so small that its value per pixel is 0 has no step either.
TEST_F(ChartDraw, SpansBelowAValuePerPixelDrawTheFallbackLines) {
    for (int precision : {1, 0}) {
        chart.SetPrecision(precision);
        chart.SetMinYValue(0);
        chart.SetMaxYValue(5e-324);
        RecordingCanvas c = PaintOn(chart);
        EXPECT_TRUE(Labels(c, TextAlign::taRight).empty()) << precision;
        auto solid = Lines(c, clBlack, gfx::PenStyle::psSolid);
        ASSERT_FALSE(solid.empty());
        EXPECT_EQ(solid[0].points, (std::vector<gfx::Point>{{20, 156 - 20}, {20, 2}}));

        chart.SetMaxYValue(100);
        chart.SetMaxXValue(5e-324);
        c = PaintOn(chart);
        EXPECT_FALSE(Labels(c, TextAlign::taRight).empty());
        EXPECT_TRUE(Labels(c, TextAlign::taCenter).empty()) << precision;
        solid = Lines(c, clBlack, gfx::PenStyle::psSolid);
        ASSERT_FALSE(solid.empty());
        EXPECT_EQ(solid.back().points, (std::vector<gfx::Point>{{20, 156 - 20}, {318, 156 - 20}}));
        chart.SetMaxXValue(100);
    }
}

TEST_F(ChartDraw, TinyControlPaintsOnlyFallbacks) {
    CurveWith({{0, 10}, {50, 60}, {100, 20}}).SetDetails(true);
    chart.SetBounds(40, 40);
    const RecordingCanvas c = PaintOn(chart);
    EXPECT_TRUE(c.OpsOf(Kind::Polyline).empty());
    EXPECT_TRUE(c.OpsOf(Kind::Rectangle).empty());
    EXPECT_TRUE(Labels(c, TextAlign::taRight).empty());
    const auto solid = Lines(c, clBlack, gfx::PenStyle::psSolid);
    ASSERT_GE(solid.size(), 2u);
    EXPECT_EQ(solid[0].points, (std::vector<gfx::Point>{{20, 20}, {20, 2}}));
    EXPECT_EQ(solid[1].points, (std::vector<gfx::Point>{{20, 20}, {38, 20}}));
}

TEST_F(ChartDraw, SinglePointViewPaintsAndConvertsFinitely) {
    chart.SetMinXValue(5);
    chart.SetMaxXValue(5);
    chart.SetMinYValue(37);
    chart.SetMaxYValue(37);
    CurveWith({{5, 37}, {5, 37}});
    RecordingCanvas c = PaintOn(chart);
    EXPECT_TRUE(Labels(c, TextAlign::taRight).empty());
    EXPECT_TRUE(Labels(c, TextAlign::taCenter).empty());
    const auto v = chart.PointToValue({100, 50});
    EXPECT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
    chart.SetScale(300);
    c = PaintOn(chart);
    EXPECT_EQ(chart.ViewMinX(), 5);
    EXPECT_EQ(chart.ViewMaxY(), 37);
}

TEST_F(ChartDraw, RangesBeyondTheStepTableDrawFallbacks) {
    chart.SetMinYValue(-1e308);
    chart.SetMaxYValue(1e308);  // the span overflows to infinity
    chart.SetMaxXValue(1e300);
    CurveWith({{0, 0}, {1e300, 1e308}});
    const RecordingCanvas c = PaintOn(chart);
    EXPECT_TRUE(Labels(c, TextAlign::taRight).empty());
    for (const auto& op : c.OpsOf(Kind::Polyline))
        for (const auto& p : op.points) EXPECT_LE(std::abs(p.x) + std::abs(p.y), 1 << 26);
}

TEST_F(ChartDraw, ValuesThatAreNoNumberBreakTheLine) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    CurveWith({{0, 10}, {10, 20}, {nan, 30}, {30, inf}, {40, 40}, {50, 50}, {60, 60}});
    const RecordingCanvas c = PaintOn(chart);
    EXPECT_EQ(chart.MaxYValue(), 100);  // no number took part in the widening
    const auto lines = c.OpsOf(Kind::Polyline);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].points.size(), 2u);
    EXPECT_EQ(lines[1].points.size(), 3u);
}

TEST_F(ChartDraw, ExtremeZoomKeepsPixelsInIntegerRange) {
    TCurve& curve = chart.Curves().Add();
    for (int i = 0; i <= 100; ++i) curve.AddPoint(i, i % 2 ? 0 : 100);
    PaintOn(chart);
    chart.SetScale(INT_MAX);
    const RecordingCanvas c = PaintOn(chart);
    for (const auto& op : c.OpsOf(Kind::Polyline))
        for (const auto& p : op.points) {
            EXPECT_LE(std::abs(p.x), 1 << 25);
            EXPECT_LE(std::abs(p.y), 1 << 25);
        }
    EXPECT_FALSE(c.OpsOf(Kind::Polyline).empty());
}

}  // namespace
