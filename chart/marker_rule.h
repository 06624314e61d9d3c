#pragma once
// How a curve is drawn in the legend and the plot: pen width and point markers.

#include "chart/curves.h"

namespace chart {

struct MarkerStyle {
    bool markers = false;
    int a = 0;  // a marker covers px - a .. px + b - 1
    int b = 0;
    int pen_width = 1;
};

// Detail mode (the chart's or the curve's Details) marks every point: a thick curve then
// becomes a thin line with ThickLine-sized squares, a thin one gets 5 x 5 squares.
MarkerStyle MarkerRule(bool chart_details, const TCurve& curve);

}  // namespace chart
