#include "chart/curve_path.h"

#include <algorithm>
#include <cmath>

#include "chart/nearest.h"

namespace chart {

namespace {

struct Pixel {
    double x = 0;
    double y = 0;
    bool finite = false;
    bool safe = false;
};

Pixel Map(const PixelMap& m, double x, double y) {
    Pixel p;
    p.x = m.plot_left + Nearest((x - m.view_min_x) * m.kx);
    p.y = m.base_y - Nearest((y - m.view_min_y) * m.ky);
    p.finite = std::isfinite(p.x) && std::isfinite(p.y);
    p.safe = p.finite && std::fabs(p.x) <= kSafePixel && std::fabs(p.y) <= kSafePixel;
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
    std::size_t out = 0;
    auto emit = [&](gfx::Point p) {
        if (out > 0 && run[out - 1] == p) return;  // a zero-length segment draws nothing
        run[out++] = p;
    };
    std::size_t i = 0;
    while (i < run.size()) {
        std::size_t j = i + 1;
        std::size_t lo = i, hi = i;
        while (j < run.size() && run[j].x == run[i].x) {
            if (run[j].y < run[lo].y) lo = j;
            if (run[j].y > run[hi].y) hi = j;
            ++j;
        }
        const std::size_t last = j - 1;
        const gfx::Point first_p = run[i], lo_p = run[lo], hi_p = run[hi], last_p = run[last];
        emit(first_p);
        const std::size_t a = std::min(lo, hi), b = std::max(lo, hi);
        const gfx::Point a_p = a == lo ? lo_p : hi_p;
        const gfx::Point b_p = a == lo ? hi_p : lo_p;
        if (a != i && a != last) emit(a_p);
        if (b != a && b != i && b != last) emit(b_p);
        if (last != i) emit(last_p);
        i = j;
    }
    return out;
}

void CurvePath::Build(std::span<const double> xs, std::span<const double> ys, const PixelMap& map,
                      const gfx::Rect& guard, bool thin) {
    points_.clear();
    ends_.clear();
    run_start_ = 0;
    thin_ = thin;
    const std::size_t n = std::min(xs.size(), ys.size());
    if (n == 0) return;
    Pixel prev = Map(map, xs[0], ys[0]);
    for (std::size_t i = 1; i < n; ++i) {
        const Pixel cur = Map(map, xs[i], ys[i]);
        if (!prev.finite || !cur.finite) {
            EndRun();
        } else if (prev.safe && cur.safe) {
            if (points_.size() == run_start_) points_.push_back(ToPoint(prev));
            points_.push_back(ToPoint(cur));
        } else {
            EndRun();
            Pixel a = prev, b = cur;
            if (Cut(guard, a, b)) {
                points_.push_back(ToPoint(a));
                points_.push_back(ToPoint(b));
                EndRun();
            }
        }
        prev = cur;
    }
    EndRun();
}

void CurvePath::EndRun() {
    std::size_t size = points_.size() - run_start_;
    if (size == 0) return;
    if (thin_) {
        size = ThinColumns(std::span(points_).subspan(run_start_));
        points_.resize(run_start_ + size);
    }
    if (size < 2) {
        points_.resize(run_start_);
        return;
    }
    ends_.push_back(points_.size());
    run_start_ = points_.size();
}

std::span<const gfx::Point> CurvePath::Run(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::span(points_).subspan(begin, ends_[i] - begin);
}

}  // namespace chart
