#include "app/chart_view.h"

#include <vector>

#include "chart/nearest.h"
#include "common/text_format.h"
#include "common/text_parse.h"
#include "engine/record_line.h"

void SetUpMainChart(TGraphM& chart) {
    const TColor stored[curve::kCount] = {clBlack, 33023,   8421440, 0x800080,
                                          clBlack, clBlack, clBlack};
    TCurves& curves = chart.Curves();
    curves.BeginUpdate();
    curves.Clear();
    for (TColor color : stored) curves.Add().SetColorGraph(color);
    curves.EndUpdate();
    chart.SetMaxXValue(150);
    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    chart.SetShowTextScale(false);
    chart.SetShowHint(false);
}

FillChartResult FillChart(TGraphM& chart, int E, int L, const DisplayLines& lines,
                          const SampleHistory& history, const CurveSelection& selection,
                          std::string_view offset_text, std::string_view height_text,
                          ChartWindow& window) {
    FillChartResult result;
    const std::optional<double> offset = text::ParseDouble(offset_text);
    const std::optional<double> height = text::ParseDouble(height_text);
    result.offset_ok = offset.has_value();
    result.height_ok = height.has_value();
    const bool heater = selection.heater && offset && height;

    const std::string end_line = lines.Line(static_cast<std::size_t>(std::max(E, 0)));
    result.end_time = get_time(end_line);
    result.end_date = get_date(end_line);

    window.WindowStart = E;
    window.WindowEnd = E;
    window.length = L;
    if (E - L - 1 > 0) {
        window.WindowStart = E - L + 1;
        const std::string begin_line = lines.Line(static_cast<std::size_t>(window.WindowStart));
        result.begin.emplace(get_time(begin_line), get_date(begin_line));
    }

    TCurves& curves = chart.Curves();
    curves.BeginUpdate();
    for (int c : {curve::kT1, curve::kT2, curve::kT3, curve::kHeater, curve::kHM})
        curves.Items(c).Clear();

    // The part of the window that lies inside the history.
    const long long first = static_cast<long long>(E) - L + 1;
    const long long lo = std::max(first, 0LL);
    const long long hi = std::min<long long>(static_cast<long long>(E),
                                             static_cast<long long>(HISTORY_CAPACITY) - 1);
    if (lo <= hi) {
        const std::vector<bool> empty =
            lines.EmptyLines(static_cast<std::size_t>(lo), static_cast<std::size_t>(hi - lo + 1));
        for (long long i = lo; i <= hi; ++i) {
            if (empty[static_cast<std::size_t>(i - lo)]) continue;
            const double x = static_cast<double>(i - first);
            const auto k = static_cast<std::size_t>(i);
            if (selection.t1) curves.Items(curve::kT1).AddPoint(x, history.HistT1[k]);
            if (selection.t2) curves.Items(curve::kT2).AddPoint(x, history.HistT2[k]);
            if (selection.t3) curves.Items(curve::kT3).AddPoint(x, history.HistT3[k]);
            if (selection.hm) curves.Items(curve::kHM).AddPoint(x, history.HistHM[k]);
            if (heater)
                curves.Items(curve::kHeater).AddPoint(x, *height * history.HistHeater[k] + *offset);
        }
    }
    curves.EndUpdate();
    return result;
}

void ApplyVerticalRange(TGraphM& chart, int pos_y, int pos_y_max, int gain_y) {
    const double a = (pos_y_max - pos_y) / 10.0;
    const double b = gain_y / 10.0;
    chart.SetMinYValue(a - 20 + b);
    chart.SetMaxYValue(a + 30 - b);
    chart.SetScale(100);
    chart.SetScale(101);
}

void ApplyWindowLength(TGraphM& chart, int x_scale) {
    chart.SetMaxXValue(x_scale + 50);
    chart.SetScale(100);
    chart.SetScale(101);
}

void DrawCrossHair(TGraphM& chart, double vx, double vy, bool shown) {
    TCurve& vertical = chart.Curves().Items(curve::kCrossV);
    TCurve& horizontal = chart.Curves().Items(curve::kCrossH);
    vertical.Clear();
    horizontal.Clear();
    if (!shown) return;
    vertical.AddPoint(vx, 0);
    vertical.AddPoint(vx, chart.MaxYValue());
    horizontal.AddPoint(0, vy);
    horizontal.AddPoint(chart.MaxXValue(), vy);
}

HintTexts HintFor(std::string_view line) {
    return {get_time(line), "T1=" + get_T1(line), "T2=" + get_T2(line), "T3=" + get_T3(line)};
}

namespace {

std::string LineAt(const DisplayLines& lines, long long i) {
    return i < 0 ? std::string() : lines.Line(static_cast<std::size_t>(i));
}

}  // namespace

MouseReadout ReadoutAt(double vx, double vy, const ChartWindow& window, const DisplayLines& lines) {
    MouseReadout readout;
    const double near = chart::Nearest(vx);
    if (!(near > -1e15 && near < 1e15)) {  // far outside, or not a number: nothing under it
        readout.current = text::FormatPattern(vy, 1);
        return readout;
    }
    const long long x = static_cast<long long>(near);
    const long long i = window.WindowStart + x;
    if (i < window.WindowEnd) {
        const std::string line = LineAt(lines, i);
        readout.current = line + "    Стр. " + text::FormatInt(i + 1);
        readout.hint = HintFor(line);
        return readout;
    }
    // Past the window's start index: the sample drawn under the mouse, counted back from the
    // newest one at X = L - 1.
    readout.current = text::FormatPattern(vy, 1);
    const long long j = window.WindowEnd - (window.length - 1 - x);
    if (j >= 0 && j <= window.WindowEnd) readout.hint = HintFor(LineAt(lines, j));
    return readout;
}

std::string HistoryHint(const DisplayLines& lines, int position) {
    return LineAt(lines, position) + "\r\nстрока " + text::FormatInt(position) + ", всего " +
           text::FormatInt(static_cast<long long>(lines.Count()));
}
