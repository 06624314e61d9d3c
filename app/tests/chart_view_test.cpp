#include "app/chart_view.h"

#include <gtest/gtest.h>

#include "common/text_format.h"
#include "engine/record_line.h"

namespace {

// n record lines; line i reads T1 = 30 + i/100 at second i.
struct Display {
    VectorDisplayLines lines;
    SampleHistory history;
    explicit Display(int n) {
        for (int i = 0; i < n; ++i) {
            const double t1 = 30 + i / 100.0;
            LocalDateTime when{2026, 12, 6, 12, (i / 60) % 60, i % 60};
            lines.lines.push_back(MakeRecordLine(text::FormatPattern(t1, 1), "36,6", "28,0", 55,
                                                 i % 2 ? "_2______" : "________", when));
            history.Store(static_cast<std::size_t>(i), {t1, 36.6, 28.0, 55, i % 2 == 1});
        }
    }
};

struct Chart {
    TGraphM chart;
    Chart() { SetUpMainChart(chart); }
    const TCurve& Curve(int i) { return chart.Curves().Items(i); }
};

TEST(FillChart, ShortHistoryStartsFurtherRight) {
    Display d(10);
    Chart c;
    ChartWindow w;
    const FillChartResult r = FillChart(c.chart, 9, 150, d.lines, d.history, {}, "38,0", "0,5", w);
    EXPECT_EQ(w.WindowStart, 9);
    EXPECT_EQ(w.WindowEnd, 9);
    EXPECT_FALSE(r.begin);  // LabelBeginPoint keeps its text
    EXPECT_EQ(r.end_time, "12:00:09");
    ASSERT_EQ(c.Curve(curve::kT1).PointCount(), 10u);
    EXPECT_EQ(c.Curve(curve::kT1).XValues().front(), 140);
    EXPECT_EQ(c.Curve(curve::kT1).XValues().back(), 149);
    EXPECT_DOUBLE_EQ(c.Curve(curve::kT1).YValues().back(), 30.09);
    EXPECT_EQ(c.Curve(curve::kHM).PointCount(), 10u);
    EXPECT_EQ(c.Curve(curve::kHeater).PointCount(), 0u);  // heater box not ticked
}

TEST(FillChart, LongHistoryAndEmptyLinesAndUncheckedCurves) {
    Display d(1000);
    d.lines.lines[900].clear();
    Chart c;
    ChartWindow w;
    CurveSelection s;
    s.hm = false;
    const FillChartResult r = FillChart(c.chart, 999, 150, d.lines, d.history, s, "38,0", "0,5", w);
    EXPECT_EQ(w.WindowStart, 850);
    EXPECT_EQ(w.WindowEnd, 999);
    ASSERT_TRUE(r.begin);
    EXPECT_EQ(r.begin->first, get_time(d.lines.lines[850]));
    EXPECT_EQ(r.begin->second, "06.12.26");
    EXPECT_EQ(c.Curve(curve::kT1).PointCount(), 149u);  // line 900 is empty
    EXPECT_EQ(c.Curve(curve::kHM).PointCount(), 0u);
}

TEST(FillChart, HeaterCurveAndBadHeaterTexts) {
    Display d(4);
    Chart c;
    ChartWindow w;
    CurveSelection s;
    s.heater = true;
    FillChart(c.chart, 3, 150, d.lines, d.history, s, "38,0", "0,5", w);
    const auto& heater = c.Curve(curve::kHeater).YValues();
    EXPECT_EQ(heater, (std::vector<double>{38.0, 38.5, 38.0, 38.5}));

    // A typo charts the rest and leaves the heater curve empty, without an error.
    const FillChartResult r = FillChart(c.chart, 3, 150, d.lines, d.history, s, "38,x", "0,5", w);
    EXPECT_FALSE(r.offset_ok);
    EXPECT_TRUE(r.height_ok);
    EXPECT_EQ(c.Curve(curve::kHeater).PointCount(), 0u);
    EXPECT_EQ(c.Curve(curve::kT1).PointCount(), 4u);
}

TEST(FillChart, NeverReadsPastTheHistory) {
    VectorDisplayLines lines;
    lines.lines.assign(HISTORY_CAPACITY + 100, "T1=1  T2=2  T3=3  HM=4  OUT=________  a b");
    SampleHistory history;
    Chart c;
    ChartWindow w;
    const int last = static_cast<int>(lines.lines.size()) - 1;
    FillChart(c.chart, last, 150, lines, history, {}, "38,0", "0,5", w);
    EXPECT_EQ(c.Curve(curve::kT1).PointCount(), 50u);  // only those below the capacity
}

TEST(MouseReadout, ReadsTheSampleUnderTheMouse) {
    Display d(1000);
    ChartWindow w{850, 999, 150};
    const MouseReadout r = ReadoutAt(10.4, 37.5, w, d.lines);
    EXPECT_EQ(r.current, d.lines.lines[860] + "    Стр. 861");
    ASSERT_TRUE(r.hint);
    EXPECT_EQ(r.hint->t1, "T1=" + get_T1(d.lines.lines[860]));
    EXPECT_EQ(r.hint->time, get_time(d.lines.lines[860]));

    // The newest sample, drawn at X = L - 1, reads as itself; the status shows the value.
    const MouseReadout newest = ReadoutAt(149, 5, w, d.lines);
    EXPECT_EQ(newest.current, "05,0");
    ASSERT_TRUE(newest.hint);
    EXPECT_EQ(newest.hint->time, get_time(d.lines.lines[999]));
    EXPECT_FALSE(ReadoutAt(151, 5, w, d.lines).hint);  // right of the newest sample
}

TEST(MouseReadout, ShortHistoryReadsItsOldestSample) {
    Display d(10);
    ChartWindow w{9, 9, 150};
    const MouseReadout oldest = ReadoutAt(140, 37.5, w, d.lines);
    EXPECT_EQ(oldest.current, "37,5");
    ASSERT_TRUE(oldest.hint);
    EXPECT_EQ(oldest.hint->time, "12:00:00");
    EXPECT_FALSE(ReadoutAt(139, 37.5, w, d.lines).hint);  // left of the oldest
    EXPECT_TRUE(ReadoutAt(-1e300, 1, w, d.lines).current == "01,0");
}

TEST(ChartRanges, GainAndPositionExtremes) {
    Chart c;
    ApplyVerticalRange(c.chart, 700, 700, 0);
    EXPECT_DOUBLE_EQ(c.chart.MinYValue(), -20);
    EXPECT_DOUBLE_EQ(c.chart.MaxYValue(), 30);
    ApplyVerticalRange(c.chart, 200, 700, 240);
    EXPECT_DOUBLE_EQ(c.chart.MinYValue(), 54);
    EXPECT_DOUBLE_EQ(c.chart.MaxYValue(), 56);
    EXPECT_EQ(c.chart.Scale(), 101);
    ApplyWindowLength(c.chart, 1000);
    EXPECT_DOUBLE_EQ(c.chart.MaxXValue(), 1050);
    EXPECT_EQ(c.chart.Scale(), 101);
}

TEST(HistoryHint, LineAndPosition) {
    Display d(3);
    EXPECT_EQ(HistoryHint(d.lines, 2), d.lines.lines[2] + "\r\nстрока 2, всего 3");
}

}  // namespace
