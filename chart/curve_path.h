#pragma once
// A curve's points as pixel polylines for the canvas.
//
// Points are mapped value -> pixel, joined in their stored order and split into runs where
// a point is not a number. A segment with an end too far away for integer pixels is cut to
// a guard rectangle around the plot first. For a thin pen, consecutive points that fall in
// the same pixel column are reduced to the first, the lowest, the highest and the last of
// them: the segments between them are vertical and cover the same pixels, and the segments
// into and out of the column are unchanged, so the drawing is pixel for pixel the same.

#include <cstddef>
#include <span>
#include <vector>

#include "platform/canvas.h"

namespace chart {

// px = plot_left + nearest((x - view_min_x) kx), py = base_y - nearest((y - view_min_y) ky)
struct PixelMap {
    int plot_left = 0;
    int base_y = 0;
    double view_min_x = 0;
    double view_min_y = 0;
    double kx = 0;
    double ky = 0;
};

// Pixel coordinates up to this size are drawn as they are.
inline constexpr double kSafePixel = 1 << 24;

// The pixel of a value pair; false when it is not a safe pixel (too far off or not a number).
bool MapPoint(const PixelMap& map, double x, double y, gfx::Point& out);

// Reduces a polyline in place to its column extremes (see above); returns the new length.
std::size_t ThinColumns(std::span<gfx::Point> run);

class CurvePath {
  public:
    void Build(std::span<const double> xs, std::span<const double> ys, const PixelMap& map,
               const gfx::Rect& guard, bool thin);

    std::size_t RunCount() const { return ends_.size(); }
    std::span<const gfx::Point> Run(std::size_t i) const;

  private:
    void EndRun();

    std::vector<gfx::Point> points_;
    std::vector<std::size_t> ends_;
    std::size_t run_start_ = 0;
    bool thin_ = false;
};

}  // namespace chart
