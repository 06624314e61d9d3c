#include "app/window_placement.h"

#include <algorithm>
#include <cstdint>

namespace placement {

namespace {

// Overlap of the window with its frame and an area, in square pixels.
std::int64_t Overlap(const Bounds& w, const Frame& f, const Area& a) {
    const std::int64_t left = std::max<std::int64_t>(w.left, a.left);
    const std::int64_t top = std::max<std::int64_t>(w.top, a.top);
    const std::int64_t right = std::min<std::int64_t>(
        std::int64_t{w.left} + f.left + w.width + f.right, std::int64_t{a.left} + a.width);
    const std::int64_t bottom = std::min<std::int64_t>(
        std::int64_t{w.top} + f.top + w.height + f.bottom, std::int64_t{a.top} + a.height);
    return right > left && bottom > top ? (right - left) * (bottom - top) : 0;
}

// One axis: the content's extent and the frame's start, held to [area_start, area_start +
// area_extent).
void FitAxis(int& start, int& extent, int frame_before, int frame_after, int area_start,
             int area_extent, int minimum) {
    extent = std::max(extent, minimum);  // the toolkit will not make it smaller
    const int room = area_extent - frame_before - frame_after;
    if (extent > room) extent = std::max(room, minimum);
    const int outer = frame_before + extent + frame_after;
    const int last = area_start + area_extent - outer;
    start = std::max(area_start, std::min(start, last));
}

}  // namespace

Area ScreenFor(const Bounds& window, const Frame& frame, const std::vector<Area>& screens,
               std::size_t primary) {
    Area best = screens.at(primary);
    std::int64_t most = 0;
    for (const Area& a : screens) {
        const std::int64_t overlap = Overlap(window, frame, a);
        if (overlap > most) {
            most = overlap;
            best = a;
        }
    }
    return best;
}

Bounds FitToScreen(const Bounds& window, const Frame& frame, const Area& screen, int min_width,
                   int min_height) {
    Bounds b = window;
    FitAxis(b.left, b.width, frame.left, frame.right, screen.left, screen.width, min_width);
    FitAxis(b.top, b.height, frame.top, frame.bottom, screen.top, screen.height, min_height);
    return b;
}

}  // namespace placement
