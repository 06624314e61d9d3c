#include "platform/segment_clip.h"

#include <algorithm>
#include <cmath>

namespace gfx {

// Liang-Barsky; false when the segment misses the box. With one end far away, a point
// computed from that end loses the box's coordinates to rounding (at 1e17 a double steps by
// 16), so each plane's crossing is taken both as t from `a` and as s = 1 - t from `b`, each
// from its own end's distance to the plane, and each cut point from the end nearer to it.
bool ClipSegment(const Rect& box, FarPoint& a, FarPoint& b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double plane[4] = {double(box.left), double(box.right), double(box.top),
                             double(box.bottom)};
    const double p[4] = {-dx, dx, -dy, dy};
    const double qa[4] = {a.x - plane[0], plane[1] - a.x, a.y - plane[2], plane[3] - a.y};
    const double qb[4] = {b.x - plane[0], plane[1] - b.x, b.y - plane[2], plane[3] - b.y};
    // Where the segment enters the box (t0 from a, s0 from b) and where it leaves (t1, s1),
    // with the plane crossed there; -1 for the segment's own end.
    double t0 = 0, s0 = 1, t1 = 1, s1 = 0;
    int t0_at = -1, s0_at = -1, t1_at = -1, s1_at = -1;
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0) {
            if (qa[k] < 0) return false;
            continue;
        }
        const double t = qa[k] / p[k], s = -qb[k] / p[k];
        auto keep = [k](bool better, double v, double& best, int& best_at) {
            if (!better) return;
            best = v;
            best_at = k;
        };
        if (p[k] < 0) {
            keep(t > t0, t, t0, t0_at);
            keep(s < s0, s, s0, s0_at);
        } else {
            keep(t < t1, t, t1, t1_at);
            keep(s > s1, s, s1, s1_at);
        }
    }
    // Compared where the parameters are small, and so exact enough.
    const bool enters_near_a = t0 <= 0.5, leaves_near_a = s1 > 0.5;
    if (enters_near_a ? !(t0 <= t1) : !(s0 >= s1)) return false;
    const FarPoint from_a = a, from_b = b;
    auto at = [&](bool near_a, double t, double s, int k) {
        if (k < 0) return near_a ? from_a : from_b;
        FarPoint cut;
        cut.x = near_a ? from_a.x + t * dx : from_b.x - s * dx;
        cut.y = near_a ? from_a.y + t * dy : from_b.y - s * dy;
        // On the plane crossed exactly; the other coordinate rounded, and kept in the box
        // where rounding (of a nearly parallel line, or of two far ends) puts it outside.
        (k < 2 ? cut.x : cut.y) = plane[k];
        cut.x = std::clamp(std::round(cut.x), plane[0], plane[1]);
        cut.y = std::clamp(std::round(cut.y), plane[2], plane[3]);
        return cut;
    };
    a = at(enters_near_a, t0, s0, enters_near_a ? t0_at : s0_at);
    b = at(leaves_near_a, t1, s1, leaves_near_a ? t1_at : s1_at);
    return std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y);
}

}  // namespace gfx
