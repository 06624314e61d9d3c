#pragma once
// The main window's chart: the sliding window of samples it shows, the vertical range and
// window length set by the scroll bars, the cross-hair and the read-out of the sample under
// the mouse.

#include <optional>
#include <string>
#include <string_view>

#include "chart/graph_m.h"
#include "engine/display_lines.h"
#include "engine/sample_history.h"

// The curves of the main window's chart, by index.
namespace curve {
inline constexpr int kT1 = 0;
inline constexpr int kT2 = 1;
inline constexpr int kT3 = 2;
inline constexpr int kHeater = 3;
inline constexpr int kCrossV = 4;
inline constexpr int kCrossH = 5;
inline constexpr int kHM = 6;
inline constexpr int kCount = 7;
}  // namespace curve

// Sets up the seven curves and the chart's stored settings.
void SetUpMainChart(TGraphM& chart);

// Which curves are filled (the curve menu and the heater check box).
struct CurveSelection {
    bool t1 = true;
    bool t2 = true;
    bool t3 = true;
    bool hm = true;
    bool heater = false;
};

// The window of samples last charted.
struct ChartWindow {
    int WindowStart = 0;
    int WindowEnd = 0;
    int length = 150;  // L of the last refill
};

struct FillChartResult {
    std::string end_time, end_date;  // LabelEndPoint caption and hint
    // LabelBeginPoint's new caption and hint; none: it keeps its text.
    std::optional<std::pair<std::string, std::string>> begin;
    // A heater text that is not a number leaves the heater curve empty; the edit is marked.
    bool offset_ok = true;
    bool height_ok = true;
};

// Refills curves T1, T2, T3, heater and HM with the L samples that end at record line E;
// the newest sample sits at X = L - 1.
FillChartResult FillChart(TGraphM& chart, int E, int L, const DisplayLines& lines,
                          const SampleHistory& history, const CurveSelection& selection,
                          std::string_view offset_text, std::string_view height_text,
                          ChartWindow& window);

// The vertical range from the two vertical scroll bars, then the view reset to 101 %.
void ApplyVerticalRange(TGraphM& chart, int pos_y, int pos_y_max, int gain_y);
// The window length from the horizontal scale bar, then the view reset to 101 %.
void ApplyWindowLength(TGraphM& chart, int x_scale);

// The cross-hair through the value point (vx, vy); cleared when `shown` is false.
void DrawCrossHair(TGraphM& chart, double vx, double vy, bool shown);

// The four labels of the floating read-out window.
struct HintTexts {
    std::string time, t1, t2, t3;  // "12:34:56", "T1=37,5", ...
};
HintTexts HintFor(std::string_view line);

// What the mouse over the chart at value (vx, vy) reads.
struct MouseReadout {
    std::string current;  // LbCurrentStr
    // The sample under the mouse for the floating window; none: hide it.
    std::optional<HintTexts> hint;
};
MouseReadout ReadoutAt(double vx, double vy, const ChartWindow& window, const DisplayLines& lines);

// The history scroll bar's hint for `position`.
std::string HistoryHint(const DisplayLines& lines, int position);
