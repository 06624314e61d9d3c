#include "chart/curve_path.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "chart/nearest.h"
#include "platform/segment_clip.h"

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
    p.safe = std::fabs(p.x) <= gfx::kSafePixel && std::fabs(p.y) <= gfx::kSafePixel;
    return p;
}

gfx::Point ToPoint(const Pixel& p) {
    return {static_cast<int>(p.x), static_cast<int>(p.y)};
}

// The far cut of a segment with an end that is not a safe pixel.
bool Cut(const gfx::Rect& box, Pixel& a, Pixel& b) {
    gfx::FarPoint fa{a.x, a.y}, fb{b.x, b.y};
    if (!gfx::ClipSegment(box, fa, fb)) return false;
    a = {fa.x, fa.y, true};
    b = {fb.x, fb.y, true};
    return true;
}

// Maps a block of points to pixels, two at a time in vector registers (the compiler does
// not vectorise the scalar form). Rounds without the check of Nearest for huge values: past
// 2^51 the result is no longer exact, but such a pixel is far from safe either way, and a
// safe one is exact. False when some point is not a safe pixel.
bool MapBlock(const PixelMap& m, const double* xs, const double* ys, std::size_t count, int* px,
              int* py) {
    using Doubles = double __attribute__((vector_size(16)));
    using Ints = int __attribute__((vector_size(8)));
    constexpr double kShift = 6755399441055744.0;  // 1.5 x 2^52, as in Nearest
    // Unsafe values, and what is no number, are held just outside the safe range, where the
    // conversion to int is defined and the check below still finds them.
    constexpr double kOut = gfx::kSafePixel + 1.0;
    constexpr int kSafe = gfx::kSafePixel;
    const Doubles shift = {kShift, kShift}, high = {kOut, kOut}, low = -high;
    const Doubles left = {double(m.plot_left), double(m.plot_left)};
    const Doubles base = {double(m.base_y), double(m.base_y)};
    const Doubles min_x = {m.view_min_x, m.view_min_x}, min_y = {m.view_min_y, m.view_min_y};
    const Doubles kx = {m.kx, m.kx}, ky = {m.ky, m.ky};
    Ints bad = {0, 0};
    auto map = [&](Doubles x, Doubles y, Ints& ix, Ints& iy) {
        x = left + (((x - min_x) * kx + shift) - shift);
        y = base - (((y - min_y) * ky + shift) - shift);
        x = x > low ? x : low;  // false for what is no number
        x = x < high ? x : high;
        y = y > low ? y : low;
        y = y < high ? y : high;
        ix = __builtin_convertvector(x, Ints);
        iy = __builtin_convertvector(y, Ints);
        bad |= (ix > kSafe) | (ix < -kSafe) | (iy > kSafe) | (iy < -kSafe);
    };
    std::size_t k = 0;
    for (; k + 2 <= count; k += 2) {
        Doubles x, y;
        std::memcpy(&x, xs + k, sizeof x);
        std::memcpy(&y, ys + k, sizeof y);
        Ints ix, iy;
        map(x, y, ix, iy);
        std::memcpy(px + k, &ix, sizeof ix);
        std::memcpy(py + k, &iy, sizeof iy);
    }
    if (k < count) {
        Ints ix, iy;
        map(Doubles{xs[k], xs[k]}, Doubles{ys[k], ys[k]}, ix, iy);
        px[k] = ix[0];
        py[k] = iy[0];
    }
    return (bad[0] | bad[1]) == 0;
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
                                       const PixelMap& map, const gfx::Rect& guard,
                                       bool reduce_columns) {
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
        if (reduce_columns && used > run_start && out[used - 1] == p) return;
        out[used++] = p;
    };
    auto add = [&](gfx::Point p) {
        if (reduce_columns) {
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

    // Blocks of safe points after a safe one take the short way; the others go point by
    // point, with the cuts of far segments.
    constexpr std::size_t kBlock = 256;
    int bx[kBlock], by[kBlock];
    Pixel prev = Map(map, xs[0], ys[0]);
    for (std::size_t i = 1; i < n;) {
        const std::size_t count = std::min(kBlock, n - i);
        if (prev.safe && MapBlock(map, xs.data() + i, ys.data() + i, count, bx, by)) {
            if (!in_run) {
                in_run = true;
                add(ToPoint(prev));
            }
            if (reduce_columns) {
                // A copy in registers while the block lasts.
                ColumnReducer local = column;
                for (std::size_t k = 0; k < count; ++k) local.Add({bx[k], by[k]}, push);
                column = local;
            } else {
                for (std::size_t k = 0; k < count; ++k) out[used++] = {bx[k], by[k]};
            }
            prev = {double(bx[count - 1]), double(by[count - 1]), true};
            i += count;
            continue;
        }
        for (const std::size_t block_end = i + count; i < block_end; ++i) {
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
    }
    end_run();
}

std::span<const gfx::Point> CurvePath::Run(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
    return std::span(buffer_).subspan(begin, ends_[i] - begin);
}

}  // namespace chart
