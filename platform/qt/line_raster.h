#pragma once
// Thin lines, filled rectangles and the focus frame written straight into 32-bit pixels,
// keeping the canvas pixel rules exactly (start pixel in, end pixel out). QPainter's aliased
// lines do not keep them: it normalises a line's direction and may draw either end, so the
// Qt canvas draws 1-pixel lines through this. No Qt types here, so it is tested alone.

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/canvas.h"

namespace raster {

struct PixelBuffer {
    std::uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
    std::ptrdiff_t stride = 0;  // pixels from one row to the next
};

// `clip` is cut to the buffer by every call.
void DrawLine(const PixelBuffer& buffer, const gfx::Rect& clip, gfx::Point from, gfx::Point to,
              std::uint32_t value, bool dotted);

void DrawPolyline(const PixelBuffer& buffer, const gfx::Rect& clip,
                  std::span<const gfx::Point> points, std::uint32_t value);

void FillRect(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r,
              std::uint32_t value);

// Filled with `fill`, its edge pixels in `outline`.
void OutlinedRect(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r,
                  std::uint32_t fill, std::uint32_t outline);

// Inverts (XOR 0xFFFFFF) the edge pixels of `r` whose x + y is even.
void InvertFocusFrame(const PixelBuffer& buffer, const gfx::Rect& clip, const gfx::Rect& r);

}  // namespace raster
