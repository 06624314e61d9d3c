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

// The pixel of a value pair; false when it is not a safe pixel (too far off or not a number).
bool MapPoint(const PixelMap& map, double x, double y, gfx::Point& out);

// Reduces a polyline in place to its column extremes (see above); returns the new length.
std::size_t ThinColumns(std::span<gfx::Point> run);

// Collects consecutive points of one pixel column and hands on its first, lowest, highest
// and last point, in their order. The last column of a run that ends on an extreme it left
// before ends one pixel short of it instead, so that the extreme's pixel is drawn.
class ColumnReducer {
  public:
    template <typename Sink>
    [[gnu::always_inline]] void Add(gfx::Point p, Sink&& sink) {
        if (open_ && p.x == x_) {
            // Selects rather than branches: the order of noisy values is unpredictable.
            ++count_;
            const bool lower = p.y < lo_y_;
            lo_y_ = lower ? p.y : lo_y_;
            lo_at_ = lower ? count_ : lo_at_;
            const bool higher = p.y > hi_y_;
            hi_y_ = higher ? p.y : hi_y_;
            hi_at_ = higher ? count_ : hi_at_;
            // Where the trailing stretch of equal values began.
            settled_at_ = p.y == last_y_ ? settled_at_ : count_;
            last_y_ = p.y;
            return;
        }
        Flush(sink);
        open_ = true;
        x_ = p.x;
        first_y_ = lo_y_ = hi_y_ = last_y_ = p.y;
        count_ = lo_at_ = hi_at_ = settled_at_ = 0;
    }

    // Hands on the open column; more points of the same run follow in another column.
    template <typename Sink>
    [[gnu::always_inline]] void Flush(Sink&& sink) {
        Emit(sink, false);
    }

    // Hands on the open column as the last of its run.
    template <typename Sink>
    void Finish(Sink&& sink) {
        Emit(sink, true);
    }

  private:
    template <typename Sink>
    [[gnu::always_inline]] void Emit(Sink&& sink, bool run_ends) {
        if (!open_) return;
        open_ = false;
        sink(gfx::Point{x_, first_y_});
        const bool lo_first = lo_at_ <= hi_at_;
        const int a_y = lo_first ? lo_y_ : hi_y_, b_y = lo_first ? hi_y_ : lo_y_;
        const unsigned a_at = lo_first ? lo_at_ : hi_at_, b_at = lo_first ? hi_at_ : lo_at_;
        // The last two points handed on.
        int prev_y = first_y_, before_y = first_y_;
        unsigned prev_at = 0;
        if (a_at != 0 && a_at != count_) {
            sink(gfx::Point{x_, a_y});
            prev_y = a_y;
            prev_at = a_at;
        }
        if (b_at != a_at && b_at != 0 && b_at != count_) {
            sink(gfx::Point{x_, b_y});
            before_y = prev_y;
            prev_y = b_y;
            prev_at = b_at;
        }
        if (count_ == 0) return;
        if (run_ends && prev_at != 0 && last_y_ == prev_y && prev_at < settled_at_) {
            // The run ends on an extreme that it left and came back to, so the full line
            // draws that pixel; ending the thinned line there would leave it out (a line
            // leaves out its end pixel). A step back towards the point before covers it and
            // nothing else: that pixel is already on the line.
            sink(gfx::Point{x_, prev_y + (before_y < prev_y ? -1 : 1)});
            return;
        }
        sink(gfx::Point{x_, last_y_});
    }

    bool open_ = false;
    int x_ = 0;
    int first_y_ = 0, lo_y_ = 0, hi_y_ = 0, last_y_ = 0;
    unsigned count_ = 0;  // index of the latest point in the column
    unsigned lo_at_ = 0;
    unsigned hi_at_ = 0;
    unsigned settled_at_ = 0;
};

class CurvePath {
  public:
    // `reduce_columns`: the pen is thin enough (one pixel) for the points of a pixel column
    // to be reduced to its first, lowest, highest and last.
    void Build(std::span<const double> xs, std::span<const double> ys, const PixelMap& map,
               const gfx::Rect& guard, bool reduce_columns);

    std::size_t RunCount() const { return ends_.size(); }
    std::span<const gfx::Point> Run(std::size_t i) const;

  private:
    std::vector<gfx::Point> buffer_;  // kept between builds; only grows
    std::vector<std::size_t> ends_;   // end of each run in buffer_
};

}  // namespace chart
