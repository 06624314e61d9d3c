#pragma once
// Rounding to the nearest integer, ties to even, as a double (infinity and NaN pass
// through). Adding and removing 1.5 x 2^52 rounds in the current (nearest-even) mode without
// a library call; beyond 2^51 every double is already whole.

#include <cmath>

namespace chart {

inline double Nearest(double v) {
    constexpr double kShift = 6755399441055744.0;                         // 1.5 x 2^52
    if (std::fabs(v) < 2251799813685248.0) return (v + kShift) - kShift;  // |v| < 2^51
    return v;
}

}  // namespace chart
