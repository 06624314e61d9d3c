#include "chart/marker_rule.h"

namespace chart {

MarkerStyle MarkerRule(bool chart_details, const TCurve& curve) {
    const bool d = chart_details || curve.Details();
    const int thick = curve.ThickLine();
    if (thick >= 2 && d) return {true, thick / 2, thick - thick / 2, 1};
    if (d) return {true, 2, 3, thick};
    return {false, 0, 0, thick};
}

}  // namespace chart
