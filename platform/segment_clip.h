#pragma once
// Cutting a line segment to a rectangle, for segments whose ends lie too far off for integer
// pixel arithmetic. Used by the chart for curves and by the pixel writer for lines.

#include "platform/canvas.h"

namespace gfx {

// A pixel position that may lie anywhere, far beyond what an int holds.
struct FarPoint {
    double x = 0;
    double y = 0;
};

// Cuts the segment a-b to `box`, edges included. A cut end lies on the edge it crosses and
// is rounded to a whole pixel inside the box; an end inside the box stays as it is. False
// when the segment misses the box. Each cut is computed from the end nearer to it, so an
// end at 1e17 or beyond (where a double steps by 16 and more) does not move the cut.
bool ClipSegment(const Rect& box, FarPoint& a, FarPoint& b);

}  // namespace gfx
