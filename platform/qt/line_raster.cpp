#include "platform/qt/line_raster.h"

#include "platform/segment_clip.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace raster {

namespace {

gfx::Rect Intersect(const gfx::Rect& a, const gfx::Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

gfx::Rect Visible(const PixelBuffer& buffer, const gfx::Rect& clip) {
    return Intersect(clip, {0, 0, buffer.width, buffer.height});
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

constexpr int kDotRun = 3;

bool Inside(const gfx::Rect& r, gfx::Point p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// Farther off, a segment is cut to the clip before its steps are counted.
bool Safe(gfx::Point p) {
    return std::llabs(p.x) <= gfx::kSafePixel && std::llabs(p.y) <= gfx::kSafePixel;
}

// Cuts a segment to `box`; false when it misses it.
bool CutTo(const gfx::Rect& box, gfx::Point& a, gfx::Point& b) {
    gfx::FarPoint fa{double(a.x), double(a.y)}, fb{double(b.x), double(b.y)};
    if (!gfx::ClipSegment(box, fa, fb)) return false;
    // Whole pixels inside the box.
    a = {static_cast<int>(fa.x), static_cast<int>(fa.y)};
    b = {static_cast<int>(fb.x), static_cast<int>(fb.y)};
    return true;
}

// The pixels of a chain of vertical segments in one column, without segments of no length:
// each covers its start and the way to its end but not the end itself, and the chain is
// unbroken, so together they cover every row from the lowest to the highest of its points,
// except its end where the chain reaches that end beyond the rows [lo, hi] of the points
// before it (and there only). Returns the first and last row covered.
std::pair<int, int> ColumnSpan(int lo, int hi, int end) {
    if (end > hi) return {lo, end - 1};
    if (end < lo) return {end + 1, hi};
    return {lo, hi};
}

// A segment whose ends are both visible: every pixel is, so no checks per pixel. Step 0
// has minor offset floor(n / 2n) = 0 and remainder n (see Segment).
[[gnu::always_inline]] inline void VisibleSegment(const PixelBuffer& buffer, gfx::Point a,
                                                  gfx::Point b, std::uint32_t value, bool dotted) {
    const int dx = b.x - a.x;
    const int dy = b.y - a.y;
    std::uint32_t* p = buffer.bits + std::ptrdiff_t{a.y} * buffer.stride + a.x;
    if (dx == 0 || dy == 0) {  // thinned curves, grid lines and ticks
        const std::ptrdiff_t stride =
            dx == 0 ? (dy > 0 ? buffer.stride : -buffer.stride) : (dx > 0 ? 1 : -1);
        const int n = std::abs(dx) + std::abs(dy);
        if (!dotted) {
            for (int i = n; i > 0; --i, p += stride) *p = value;
            return;
        }
        // Runs of kDotRun drawn, kDotRun left out.
        for (int i = 0; i < n; i += 2 * kDotRun) {
            std::uint32_t* const run = p + i * stride;
            for (int j = 0; j < std::min(kDotRun, n - i); ++j) run[j * stride] = value;
        }
        return;
    }
    const int n = std::max(std::abs(dx), std::abs(dy));
    const bool x_major = std::abs(dx) >= std::abs(dy);
    const int dminor = x_major ? dy : dx;
    const int step = (x_major ? dx : dy) > 0 ? 1 : -1;
    const std::ptrdiff_t major_stride = x_major ? step : step * buffer.stride;
    const std::ptrdiff_t minor_stride = x_major ? buffer.stride : 1;
    const int two_n = 2 * n;
    int rem = n;
    for (int i = 0, phase = 0; i < n; ++i) {
        if (!dotted || phase < kDotRun) *p = value;
        if (++phase == 2 * kDotRun) phase = 0;
        p += major_stride;
        rem += 2 * dminor;
        if (rem >= two_n) {
            rem -= two_n;
            p += minor_stride;
        } else if (rem < 0) {
            rem += two_n;
            p -= minor_stride;
        }
    }
}

// Steps i = 0 .. n-1 along the major axis; the minor coordinate at step i is
// floor((2 i d + n) / 2n) from the start, i.e. i d / n rounded half up.
void Segment(const PixelBuffer& buffer, const gfx::Rect& vis, gfx::Point a, gfx::Point b,
             std::uint32_t value, bool dotted) {
    if (vis.Empty()) return;
    if (!Safe(a) || !Safe(b)) {
        // Pixels of a segment this long are far apart; cutting it moves no visible pixel
        // by more than the rounding of the new end points.
        if (!CutTo({vis.left - 2, vis.top - 2, vis.right + 2, vis.bottom + 2}, a, b)) return;
    }
    const std::int64_t dx = std::int64_t{b.x} - a.x;
    const std::int64_t dy = std::int64_t{b.y} - a.y;
    const std::int64_t n = std::max(std::llabs(dx), std::llabs(dy));
    if (n == 0) return;
    const bool x_major = std::llabs(dx) >= std::llabs(dy);
    const std::int64_t dmajor = x_major ? dx : dy;
    const std::int64_t dminor = x_major ? dy : dx;
    const std::int64_t step = dmajor > 0 ? 1 : -1;
    const std::int64_t two_n = 2 * n;

    if (Inside(vis, a) && Inside(vis, b)) {
        VisibleSegment(buffer, a, b, value, dotted);
        return;
    }

    const std::int64_t major0 = x_major ? a.x : a.y;
    const std::int64_t minor0 = x_major ? a.y : a.x;
    const std::int64_t major_lo = x_major ? vis.left : vis.top;
    const std::int64_t major_hi = x_major ? vis.right : vis.bottom;  // exclusive
    const std::int64_t minor_lo = x_major ? vis.top : vis.left;
    const std::int64_t minor_hi = x_major ? vis.bottom : vis.right;  // exclusive

    // Steps whose major coordinate lies inside the clip.
    std::int64_t i0 = 0;
    std::int64_t i1 = n;  // exclusive
    if (step > 0) {
        i0 = std::max(i0, major_lo - major0);
        i1 = std::min(i1, major_hi - major0);
    } else {
        i0 = std::max(i0, major0 - major_hi + 1);
        i1 = std::min(i1, major0 - major_lo + 1);
    }
    // Narrow further by the minor coordinate, with a margin for the rounding.
    if (dminor != 0) {
        const double per = static_cast<double>(n) / static_cast<double>(dminor);
        double t0 = (static_cast<double>(minor_lo - minor0) - 1) * per;
        double t1 = (static_cast<double>(minor_hi - minor0) + 1) * per;
        if (t0 > t1) std::swap(t0, t1);
        i0 = std::max<std::int64_t>(i0, static_cast<std::int64_t>(std::floor(t0)) - 2);
        i1 = std::min<std::int64_t>(i1, static_cast<std::int64_t>(std::ceil(t1)) + 2);
    } else if (minor0 < minor_lo || minor0 >= minor_hi) {
        return;
    }
    if (i0 >= i1) return;

    const std::int64_t num = 2 * i0 * dminor + n;
    std::int64_t minor = minor0 + FloorDiv(num, two_n);
    std::int64_t rem = num - FloorDiv(num, two_n) * two_n;  // 0 <= rem < 2n
    std::int64_t major = major0 + i0 * step;
    for (std::int64_t i = i0; i < i1; ++i) {
        if (minor >= minor_lo && minor < minor_hi && (!dotted || (i / kDotRun) % 2 == 0)) {
            const std::int64_t x = x_major ? major : minor;
            const std::int64_t y = x_major ? minor : major;
            buffer.bits[y * buffer.stride + x] = value;
        }
        major += step;
        rem += 2 * dminor;
        if (rem >= two_n) {
            rem -= two_n;
            ++minor;
        } else if (rem < 0) {
            rem += two_n;
            --minor;
        }
    }
}

}  // namespace

void DrawLine(const PixelBuffer& buffer, const gfx::Rect& clip, gfx::Point from, gfx::Point to,
              std::uint32_t value, bool dotted) {
    Segment(buffer, Visible(buffer, clip), from, to, value, dotted);
}

void DrawPolyline(const PixelBuffer& buffer, const gfx::Rect& clip,
                  std::span<const gfx::Point> points, std::uint32_t value) {
    const gfx::Rect vis = Visible(buffer, clip);
    if (vis.Empty()) return;
    const std::size_t n = points.size();
    for (std::size_t i = 1; i < n;) {
        const gfx::Point a = points[i - 1], b = points[i];
        if (!Inside(vis, a) || !Inside(vis, b)) {
            Segment(buffer, vis, a, b, value, false);
            ++i;
            continue;
        }
        if (a.x != b.x) {
            VisibleSegment(buffer, a, b, value, false);
            ++i;
            continue;
        }
        // Visible vertical segments in a row, as a thinned curve has them in each pixel
        // column: their pixels are written once, as one span (see ColumnSpan).
        int lo = a.y, hi = a.y, end = a.y;
        bool moved = false;
        for (; i < n && points[i].x == a.x && Inside(vis, points[i]); ++i) {
            const int y = points[i].y;
            if (y == end) continue;  // a segment of no length draws nothing
            lo = std::min(lo, end);
            hi = std::max(hi, end);
            end = y;
            moved = true;
        }
        if (!moved) continue;
        const auto [from, to] = ColumnSpan(lo, hi, end);
        std::uint32_t* p = buffer.bits + std::ptrdiff_t{from} * buffer.stride + a.x;
        for (int y = from; y <= to; ++y, p += buffer.stride) *p = value;
    }
}

void FillRect(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r,
              std::uint32_t value) {
    const gfx::Rect v = Intersect(Visible(buffer, clip), r);
    if (v.Empty()) return;
    // The first row pixel by pixel, the others copied from it: the copy moves whole vectors,
    // the fill one pixel a store, which made clearing the chart its costliest step.
    std::uint32_t* const first = buffer.bits + std::ptrdiff_t{v.top} * buffer.stride + v.left;
    std::fill(first, first + v.Width(), value);
    const std::size_t bytes = static_cast<std::size_t>(v.Width()) * sizeof(std::uint32_t);
    for (int y = v.top + 1; y < v.bottom; ++y)
        std::memcpy(first + std::ptrdiff_t{y - v.top} * buffer.stride, first, bytes);
}

void OutlinedRect(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r,
                  std::uint32_t fill, std::uint32_t outline) {
    if (r.Empty()) return;
    FillRect(buffer, clip, r, outline);
    if (fill != outline)
        FillRect(buffer, clip, {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}, fill);
}

void InvertFocusFrame(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r) {
    if (r.Empty()) return;
    const gfx::Rect vis = Visible(buffer, clip);
    auto invert = [&](int x, int y) {
        if (x < vis.left || x >= vis.right || y < vis.top || y >= vis.bottom) return;
        if (((x + y) & 1) != 0) return;
        buffer.bits[static_cast<std::ptrdiff_t>(y) * buffer.stride + x] ^= 0x00FFFFFFu;
    };
    const int last_x = r.right - 1;
    const int last_y = r.bottom - 1;
    for (int x = std::max(r.left, vis.left); x <= std::min(last_x, vis.right - 1); ++x) {
        invert(x, r.top);
        if (last_y != r.top) invert(x, last_y);
    }
    for (int y = std::max(r.top + 1, vis.top); y <= std::min(last_y - 1, vis.bottom - 1); ++y) {
        invert(r.left, y);
        if (last_x != r.left) invert(last_x, y);
    }
}

}  // namespace raster
