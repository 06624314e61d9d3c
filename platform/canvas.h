#pragma once
// A drawing surface with the pixel rules of the window system the chart was designed for.
//
// Coordinates are pixels, origin top left, y downwards. Every implementation keeps these
// rules, so that geometry computed by the chart means the same pixels everywhere:
// - A rectangle {left, top, right, bottom} covers the pixels left..right-1 and top..bottom-1:
//   its left and top edge are inside, its right and bottom edge are not. The same holds for
//   a filled rectangle, an outlined rectangle (outline included), the clip rectangle and a
//   text box. A rectangle with right <= left or bottom <= top covers nothing.
// - A line of a 1-pixel pen covers its start pixel and leaves out its end pixel; a line
//   from a point to itself draws nothing. A polyline is its segments in order, each drawn
//   by that rule, so every vertex but the last is drawn. Which pixels a segment covers
//   depends only on its two end points, never on what was drawn before it.
// - A dotted 1-pixel line draws runs of 3 pixels and leaves out runs of 3, starting with a
//   drawn run at its first pixel.
// - A pen wider than 1 pixel draws solid lines with round ends and round joins.
// - Text is drawn from the top left of its cell over a background of the brush colour that
//   fills the cell (the text's measured extent).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// The window system's colour value: hex 00BBGGRR.
using TColor = std::uint32_t;

constexpr TColor MakeColor(int red, int green, int blue) {
    return static_cast<TColor>((red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16));
}
constexpr int ColorRed(TColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int ColorGreen(TColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int ColorBlue(TColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clSilver = 0xC0C0C0;

namespace gfx {

// Pixel coordinates within +-kSafePixel are drawn as they are: far beyond any surface, yet
// sums and doubles of a few stay well inside an int. What lies farther is cut to the plot or
// held to this range before it is drawn.
inline constexpr int kSafePixel = 1 << 24;

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool Empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle { psSolid, psDot };

struct Pen {
    TColor color = clBlack;
    int width = 1;  // below 1 draws as 1
    PenStyle style = PenStyle::psSolid;
    friend bool operator==(const Pen&, const Pen&) = default;
};

struct Font {
    std::string name = "Tahoma";
    int size = 8;  // points
    bool bold = false;
    TColor color = clBlack;
    friend bool operator==(const Font&, const Font&) = default;
};

enum class TextAlign { taLeft, taCenter, taRight };

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual Size ClientSize() const = 0;

    virtual void SetPen(const Pen& pen) = 0;
    virtual void SetBrushColor(TColor color) = 0;
    virtual void SetFont(const Font& font) = 0;
    virtual const Font& CurrentFont() const = 0;
    // Restricts all later drawing to `clip` (within the surface); nullopt lifts it.
    virtual void SetClipRect(std::optional<Rect> clip) = 0;

    // Fills with the brush colour, no outline.
    virtual void FillRect(const Rect& r) = 0;
    // Fills with the brush colour and outlines, one pixel wide, in the pen colour.
    virtual void Rectangle(const Rect& r) = 0;
    virtual void Line(Point from, Point to) = 0;
    virtual void Polyline(std::span<const Point> points) = 0;

    virtual Size TextExtent(std::string_view text) = 0;
    virtual void TextOut(Point at, std::string_view text) = 0;
    // One line of text aligned horizontally in `box`, at its top, cut off at its edges.
    virtual void TextRect(const Rect& box, std::string_view text, TextAlign align) = 0;

    // The dotted focus frame: inverts every other pixel along the edges of `r`.
    virtual void DrawFocusRect(const Rect& r) = 0;
};

}  // namespace gfx
