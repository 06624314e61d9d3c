#include "chart/axis_step.h"

#include <algorithm>
#include <cmath>

#include "common/text_format.h"
#include "common/utf8.h"

namespace chart {

namespace {
// The walk to the first value takes at most 10 mag / (0.001 mag) steps.
constexpr int kMaxFirstSteps = 20000;
}  // namespace

double StepMagnitude(double t) {
    const auto n = static_cast<int>(text::Utf8Length(text::FormatFixed(t, 0)));
    return std::pow(10.0, n - 1);
}

std::optional<double> TableStep(double mag, double t) {
    for (double e : kStepTable)
        if (mag * e >= t) return mag * e;
    return std::nullopt;
}

std::optional<double> FirstGridValue(double vmin, double mag, double step) {
    if (!std::isfinite(vmin) || !std::isfinite(step) || step <= 0) return std::nullopt;
    const double decade = 10 * mag;
    double first = std::trunc(vmin / decade) * decade;
    if (!std::isfinite(first)) return std::nullopt;
    int walked = 0;
    if (vmin >= 0) {
        while (first < vmin) {
            const double next = first + step;
            if (next == first || ++walked > kMaxFirstSteps) return std::nullopt;
            first = next;
        }
    } else {
        while (vmin + step <= first) {
            const double next = first - step;
            if (next == first || ++walked > kMaxFirstSteps) return std::nullopt;
            first = next;
        }
    }
    return first;
}

int LabelDigits(double step) {
    if (-0.01 < step && step < 0.01) return 3;
    if (-0.1 < step && step < 0.1) return 2;
    if (-1 < step && step < 1) return 1;
    return 0;
}

gfx::Size MeasureLabels(gfx::Canvas& canvas, double a, double b, int d) {
    const gfx::Size sa = canvas.TextExtent(text::FormatFixed(a, d));
    const gfx::Size sb = canvas.TextExtent(text::FormatFixed(b, d));
    return {std::max(sa.width, sb.width) + 10, sa.height};
}

}  // namespace chart
