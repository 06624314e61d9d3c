#include "chart/curve_path.h"

#include <algorithm>
#include <cmath>

#include "chart/nearest.h"

namespace chart {

namespace {

struct Pixel {
    double x = 0;
    double y = 0;
    bool safe = false;  // finite and small enough for int
    bool Finite() const { return std::isfinite(x) && std::isfinite(y); }
};

[[gnu::always_inline]] inline Pixel Map(const PixelMap& m, double x, double y) {
    Pixel p;
    p.x = m.plot_left + Nearest((x - m.view_min_x) * m.kx);
    p.y = m.base_y - Nearest((y - m.view_min_y) * m.ky);
    // Comparisons with NaN are false, so this also rules out what is no number.
    p.safe = std::fabs(p.x) <= kSafePixel && std::fabs(p.y) <= kSafePixel;
    return p;
}

gfx::Point ToPoint(const Pixel& p) {
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

// Liang-Barsky; false when the segment misses the box.
bool Cut(const gfx::Rect& box, Pixel& a, Pixel& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t0 = 0, t1 = 1;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - box.left, box.right - a.x, a.y - box.top, box.bottom - a.y};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (q[k] < 0) return false;
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0) {
            t0 = std::max(t0, t);
        } else {
            t1 = std::min(t1, t);
        }
    }
    if (!(t0 <= t1)) return false;
    const Pixel from = a;
    a.x = std::round(from.x + t0 * dx);
    a.y = std::round(from.y + t0 * dy);
    b.x = std::round(from.x + t1 * dx);
    b.y = std::round(from.y + t1 * dy);
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y);
}

}  // namespace

bool MapPoint(const PixelMap& map, double x, double y, gfx::Point& out) {
    const Pixel p = Map(map, x, y);
    if (!p.safe) return false;
    out = ToPoint(p);
    return true;
}

std::size_t ThinColumns(std::span<gfx::Point> run) {
    // Output never overtakes input: a column gives at most as many points as it holds.
    std::size_t out = 0;
    auto sink = [&](gfx::Point p) {
        if (out > 0 && run[out - 1] == p) return;  // a zero-length segment draws nothing
        run[out++] = p;
    };
    ColumnReducer column;
    for (const gfx::Point p : run) column.Add(p, sink);
    column.Finish(sink);
    return out;
}

// Flattened: with every helper inlined the column state stays in registers, which more
// than halves the time per point.
[[gnu::flatten]] void CurvePath::Build(std::span<const double> xs, std::span<const double> ys,
                                       const PixelMap& map, const gfx::Rect& guard, bool thin) {
    ends_.clear();
    const std::size_t n = std::min(xs.size(), ys.size());
    if (n < 2) return;
    // A point enters a run at most once; a far segment adds two cut ends.
    if (buffer_.size() < 3 * n) buffer_.resize(3 * n);
    // Locals, so that the per-point work stays in registers.
    gfx::Point* const out = buffer_.data();
    std::size_t used = 0, run_start = 0;
    bool in_run = false;
    ColumnReducer column;
    auto push = [&](gfx::Point p) {
        // A zero-length segment draws nothing.
        if (thin && used > run_start && out[used - 1] == p) return;
        out[used++] = p;
    };
    auto add = [&](gfx::Point p) {
        if (thin) {
            column.Add(p, push);
        } else {
            out[used++] = p;
        }
    };
    auto end_run = [&] {
        column.Finish(push);
        in_run = false;
        if (used - run_start < 2) {
            used = run_start;
            return;
        }
        ends_.push_back(used);
        run_start = used;
    };

    Pixel prev = Map(map, xs[0], ys[0]);
    for (std::size_t i = 1; i < n; ++i) {
        const Pixel cur = Map(map, xs[i], ys[i]);
        if (prev.safe && cur.safe) {
            if (!in_run) {
                in_run = true;
                add(ToPoint(prev));
            }
            add(ToPoint(cur));
        } else {
            end_run();
            Pixel a = prev, b = cur;
            if (prev.Finite() && cur.Finite() && Cut(guard, a, b)) {
                push(ToPoint(a));
                push(ToPoint(b));
                end_run();
            }
        }
        prev = cur;
    }
    end_run();
}

std::span<const gfx::Point> CurvePath::Run(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::span(buffer_).subspan(begin, ends_[i] - begin);
}

}  // namespace chart
