#pragma once
// Readable axis steps: the step table, the step for a value span, the first grid value,
// the decimals of a label and the size of the widest label.

#include <array>
#include <optional>

#include "platform/canvas.h"

namespace chart {

inline constexpr std::array<double, 13> kStepTable = {0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1,
                                                      0.2,   0.5,   1,     2,    5,    10};

// 10 to the power (characters of fixed(t, 0)) - 1.
double StepMagnitude(double t);

// mag x the first table entry e with mag x e >= t; nullopt when there is none (t too large,
// infinite or not a number).
std::optional<double> TableStep(double mag, double t);

// The first grid value at or above `vmin`, reached from truncate(vmin / 10 mag) x 10 mag by
// repeated addition (vmin >= 0) or subtraction of `step`; nullopt when the walk cannot
// reach it (a step lost in the rounding of huge values).
std::optional<double> FirstGridValue(double vmin, double mag, double step);

// Decimals of the labels for a step: 3, 2, 1 or 0.
int LabelDigits(double step);

// Width (the wider of fixed(a, d) and fixed(b, d), plus 10) and height of axis labels in
// the canvas's current font.
gfx::Size MeasureLabels(gfx::Canvas& canvas, double a, double b, int d);

}  // namespace chart
