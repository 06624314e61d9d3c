// TGraphM's point hint: the stored point near the cursor.
#include <algorithm>
#include <cmath>

#include "chart/graph_m.h"
#include "common/text_format.h"

namespace {

bool Near(double a, double b, double tolerance) {
    if (tolerance == 0) tolerance = std::max(std::min(std::fabs(a), std::fabs(b)) * 1e-12, 1e-12);
    return std::fabs(a - b) <= tolerance;
}

double Tolerance(double span, int pixels) {
    if (pixels == 0) return 0;
    const double t = span / pixels;
    return std::isfinite(t) ? t : 0;
}

}  // namespace

std::optional<TGraphM::TFoundPoint> TGraphM::FindPointAt(gfx::Point P) {
    const TValuePoint c = PointToValue(P);
    const double tol_x = Tolerance(ViewMaxX_ - ViewMinX_, Width_ / 2);
    const double tol_y = Tolerance(ViewMaxY_ - ViewMinY_, Height_ / 6);
    std::optional<TFoundPoint> found;
    // A later curve's match replaces an earlier one's.
    for (int i = 0; i < Curves().Count(); ++i) {
        const TCurve& curve = Curves().Items(i);
        if (curve.PointCount() < 2) continue;
        const auto& xs = curve.XValues();
        const auto& ys = curve.YValues();
        for (std::size_t k = 0; k < xs.size(); ++k) {
            if (Near(xs[k], c.x, tol_x) && Near(ys[k], c.y, tol_y)) {
                found = TFoundPoint{i, k, xs[k], ys[k]};
                break;
            }
        }
    }
    return found;
}

std::optional<std::string> TGraphM::HintText(gfx::Point P) {
    if (!ShowHint_) return std::nullopt;
    const auto found = FindPointAt(P);
    if (!found) return std::nullopt;
    return "x:" + text::FormatFixed(found->x, DecimalHint_) + ", " +
           text::FormatFixed(found->y, DecimalHint_);
}
