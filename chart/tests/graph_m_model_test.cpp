#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "chart/graph_m.h"
#include "chart/tests/chart_test_support.h"

namespace {

class ChartModel : public ::testing::Test {
  protected:
    // Clears the pending repaint, as a paint would.
    void Painted() { PaintOn(chart); }
    bool Repainted() const { return chart.PaintPending(); }

    FakeHost host;
    TGraphM chart{&host};
};

TEST_F(ChartModel, StartsWithTheDefaults) {
    EXPECT_EQ(chart.ColorAxis(), clBlack);
    EXPECT_EQ(chart.MinXValue(), 0);
    EXPECT_EQ(chart.MaxXValue(), 100);
    EXPECT_EQ(chart.MinYValue(), 0);
    EXPECT_EQ(chart.MaxYValue(), 100);
    EXPECT_TRUE(chart.GridX());
    EXPECT_TRUE(chart.GridY());
    EXPECT_EQ(chart.Color(), 0xFFFFFFu);
    EXPECT_EQ(chart.ColorGrid(), 0xC0C0C0u);
    EXPECT_EQ(chart.StepScale(), 100);
    EXPECT_EQ(chart.Curves().Count(), 0);
    EXPECT_EQ(chart.DecimalHint(), 1);
    EXPECT_TRUE(chart.ShowTextScale());
    EXPECT_EQ(chart.Precision(), 1);
    EXPECT_FALSE(chart.Details());
    EXPECT_FALSE(chart.ShowLegend());
    EXPECT_TRUE(chart.ShowHint());
    EXPECT_TRUE(chart.TabStop());
    EXPECT_EQ(chart.Width(), 320);
    EXPECT_EQ(chart.Height(), 210);
    EXPECT_EQ(chart.Scale(), 100);
    EXPECT_EQ(chart.ZoomFactor(), 1.0);
    EXPECT_EQ(chart.ViewMaxX(), 0);
    EXPECT_EQ(chart.ViewMaxY(), 0);
    EXPECT_EQ(chart.BottomMargin(), 48);
    EXPECT_EQ(chart.ScaleTextColor(), MakeColor(220, 220, 220));
    EXPECT_FALSE(chart.DragArmed());
    EXPECT_FALSE(chart.Dragged());
}

TEST_F(ChartModel, RangeMaximaAreNeverNegativeAndAnEqualValueDoesNotRepaint) {
    chart.SetMaxXValue(-5);
    EXPECT_EQ(chart.MaxXValue(), 0);
    chart.SetMaxYValue(-5);
    EXPECT_EQ(chart.MaxYValue(), 0);
    chart.SetMinYValue(-5);  // minima may be negative
    EXPECT_EQ(chart.MinYValue(), -5);

    Painted();
    chart.SetMaxXValue(0);
    chart.SetMinYValue(-5);
    chart.SetGridX(true);
    chart.SetColorGrid(clSilver);
    chart.SetPrecision(1);
    EXPECT_FALSE(Repainted());
    chart.SetMaxYValue(45);
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, RangeLimitsThatAreNotNumbersAreIgnored) {
    chart.SetMinXValue(std::nan(""));
    chart.SetMaxYValue(INFINITY);
    EXPECT_EQ(chart.MinXValue(), 0);
    EXPECT_EQ(chart.MaxYValue(), 100);
}

TEST_F(ChartModel, OutOfRangeSettingsFallBackOrAreIgnored) {
    chart.SetPrecision(7);
    EXPECT_EQ(chart.Precision(), 1);
    chart.SetPrecision(0);
    chart.SetPrecision(-1);
    EXPECT_EQ(chart.Precision(), 1);
    chart.SetPrecision(3);
    EXPECT_EQ(chart.Precision(), 3);

    chart.SetDecimalHint(4);
    chart.SetDecimalHint(9);
    EXPECT_EQ(chart.DecimalHint(), 4);
    chart.SetDecimalHint(-1);
    EXPECT_EQ(chart.DecimalHint(), 4);

    chart.SetStepScale(0);
    EXPECT_EQ(chart.StepScale(), 100);
    chart.SetStepScale(-3);
    EXPECT_EQ(chart.StepScale(), 100);
    chart.SetStepScale(25);
    EXPECT_EQ(chart.StepScale(), 25);
}

TEST_F(ChartModel, DecimalHintAndStepScaleAt100RepaintNothing) {
    Painted();
    chart.SetDecimalHint(3);
    chart.SetStepScale(50);
    EXPECT_FALSE(Repainted());
    chart.SetScale(150);
    Painted();
    chart.SetStepScale(40);
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, BackgroundColourRepaintsEvenWhenEqual) {
    Painted();
    chart.SetColor(clWhite);
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, LegendBandIs48UntilTheLegendIsSwitchedOffAgain) {
    EXPECT_EQ(chart.BottomMargin(), 48);
    chart.SetShowLegend(false);
    EXPECT_EQ(chart.BottomMargin(), 48);
    chart.SetShowLegend(true);
    EXPECT_EQ(chart.BottomMargin(), 48);
    chart.SetShowLegend(false);
    EXPECT_EQ(chart.BottomMargin(), 24);
}

TEST_F(ChartModel, PointsGrowAndClearInPairs) {
    TCurve& curve = chart.Curves().Add();
    curve.AddPoint(1, 10);
    curve.AddPoint(2, 20);
    ASSERT_EQ(curve.XValues().size(), 2u);
    ASSERT_EQ(curve.YValues().size(), 2u);
    EXPECT_EQ(curve.XValues()[1], 2);
    EXPECT_EQ(curve.YValues()[1], 20);
    curve.Clear();
    EXPECT_TRUE(curve.XValues().empty());
    EXPECT_TRUE(curve.YValues().empty());

    Painted();
    curve.Clear();  // already empty: still a repaint
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, CurveFieldsRepaintOnlyWhenTheyChange) {
    TCurve& curve = chart.Curves().Add();
    Painted();
    curve.SetColorGraph(clBlack);
    curve.SetThickLine(1);
    curve.SetDetails(false);
    curve.SetLegendName("");
    EXPECT_FALSE(Repainted());
    curve.SetColorGraph(0x0000FF);
    EXPECT_TRUE(Repainted());
    Painted();
    curve.SetLegendName("T1");
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, RepaintRequestsCoalesceIntoOnePaint) {
    TCurve& curve = chart.Curves().Add();
    Painted();
    const int before = host.paint_requests;
    chart.Curves().BeginUpdate();
    for (int i = 0; i < 500; ++i) curve.AddPoint(i, i);
    chart.Curves().EndUpdate();
    chart.SetMaxYValue(45);
    EXPECT_EQ(host.paint_requests, before + 1);
    Painted();
    chart.SetMaxYValue(50);
    EXPECT_EQ(host.paint_requests, before + 2);
}

// The focus frame comes and goes with the focus, so each change needs a paint.
TEST_F(ChartModel, FocusChangesAskForAPaint) {
    Painted();
    const int before = host.paint_requests;
    host.focused = false;
    chart.FocusChanged();
    EXPECT_TRUE(Repainted());
    EXPECT_EQ(host.paint_requests, before + 1);
    Painted();
    host.focused = true;
    chart.FocusChanged();
    EXPECT_EQ(host.paint_requests, before + 2);
    EXPECT_TRUE(PaintOn(chart).OpsOf(DrawOp::Kind::FocusRect).size() == 1);
}

TEST_F(ChartModel, UpdateBracketHoldsBackFieldChangesButNotPoints) {
    TCurve& curve = chart.Curves().Add();
    Painted();
    chart.Curves().BeginUpdate();
    curve.SetColorGraph(0xFF);
    EXPECT_FALSE(Repainted());
    curve.AddPoint(1, 1);
    EXPECT_TRUE(Repainted());
    Painted();
    chart.Curves().EndUpdate();
    EXPECT_TRUE(Repainted());
}

TEST_F(ChartModel, AssigningCurvesCopiesStyleButNotNamesOrPoints) {
    TCurves source(nullptr);
    TCurve& a = source.Add();
    a.SetColorGraph(0x123456);
    a.SetThickLine(3);
    a.SetDetails(true);
    a.SetLegendName("T1");
    a.AddPoint(1, 2);
    source.Add().SetColorGraph(0xFF);

    chart.Curves().Add();
    chart.Curves().Add();
    chart.Curves().Add();
    TCurves* owned = &chart.Curves();
    chart.SetCurves(source);
    EXPECT_EQ(&chart.Curves(), owned);
    ASSERT_EQ(chart.Curves().Count(), 2);
    const TCurve& copy = chart.Curves().Items(0);
    EXPECT_EQ(copy.ColorGraph(), 0x123456u);
    EXPECT_EQ(copy.ThickLine(), 3);
    EXPECT_TRUE(copy.Details());
    EXPECT_EQ(copy.LegendName(), "");
    EXPECT_EQ(copy.PointCount(), 0u);
    EXPECT_EQ(chart.Curves().Items(1).ColorGraph(), 0xFFu);
    EXPECT_EQ(copy.Collection(), owned);
    EXPECT_EQ(chart.Curves().Items(1).Index(), 1);
    EXPECT_THROW(chart.Curves().Items(2), std::out_of_range);
}

struct TaggedCurve : TCurve {
    using TCurve::TCurve;
    static std::unique_ptr<TCurve> Make(TCurves& c) { return std::make_unique<TaggedCurve>(&c); }
};

struct TaggedChart : TGraphM {
    TCurves::ItemFactory CurveClass() const override { return &TaggedCurve::Make; }
};

TEST(ChartCurveClass, NewCurvesAreOfTheChartsCurveClass) {
    TaggedChart chart;
    EXPECT_NE(dynamic_cast<TaggedCurve*>(&chart.Curves().Add()), nullptr);
    TCurves free(nullptr);
    EXPECT_EQ(dynamic_cast<TaggedCurve*>(&free.Add()), nullptr);
}

// A collection that counts the changes it passes on; made by a derived chart.
struct CountingCurves : TCurves {
    using TCurves::TCurves;
    int updates = 0;

  protected:
    void Update() override {
        ++updates;
        TCurves::Update();
    }
};

struct CountingChart : TGraphM {
    using TGraphM::TGraphM;
    int created = 0;

  protected:
    std::unique_ptr<TCurves> CreateCurves() override {
        ++created;
        return std::make_unique<CountingCurves>(this);
    }
};

TEST(ChartCurveClass, ADerivedChartsCreateCurvesMakesTheCollection) {
    FakeHost host;
    CountingChart chart(&host);
    auto* curves = dynamic_cast<CountingCurves*>(&chart.Curves());
    ASSERT_NE(curves, nullptr);
    EXPECT_EQ(curves->Owner(), &chart);
    chart.Curves().Add().SetColorGraph(0xFF);
    EXPECT_GE(curves->updates, 1);
    EXPECT_TRUE(chart.PaintPending());
    const CountingChart& same = chart;
    EXPECT_EQ(&same.Curves(), curves);
    EXPECT_EQ(chart.created, 1);

    // Used first by a paint, or read through a const chart, it is the derived one too.
    CountingChart painted(&host);
    PaintOn(painted);
    EXPECT_EQ(painted.created, 1);
    EXPECT_NE(dynamic_cast<CountingCurves*>(&painted.Curves()), nullptr);
    const CountingChart read;
    EXPECT_NE(dynamic_cast<const CountingCurves*>(&read.Curves()), nullptr);
}

TEST(ChartCurveClass, CurvesWithoutAChartNeedNoRepaint) {
    TCurves free(nullptr);
    TCurve& c = free.Add();
    c.AddPoint(1, 1);
    c.SetColorGraph(5);
    free.Delete(0);
    EXPECT_EQ(free.Count(), 0);
    TCurve loose;
    loose.AddPoint(1, 2);
    EXPECT_EQ(loose.Index(), -1);
    EXPECT_EQ(loose.PointCount(), 1u);
}

}  // namespace
