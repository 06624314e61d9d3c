#pragma once
// A canvas that draws nothing and records every primitive with its geometry and the pen,
// brush, font and clip it was drawn with. Text is measured with a fixed metric, so tests
// check geometry exactly without fonts:
//   width  = characters x (size / 2 + 2), plus one pixel per character when bold
//   height = size + 5
// (Tahoma 8: 6 x 13 per character; Arial 10: 7 x 15; Arial 20 bold: 13 x 25).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"

struct DrawOp {
    enum class Kind { FillRect, Rectangle, Line, Polyline, TextOut, TextRect, FocusRect };

    Kind kind = Kind::Line;
    gfx::Pen pen;
    TColor brush = clWhite;
    gfx::Font font;
    std::optional<gfx::Rect> clip;
    gfx::Rect rect;                  // FillRect, Rectangle, TextRect box, FocusRect
    std::vector<gfx::Point> points;  // Line (two), Polyline, TextOut (one)
    std::string text;
    gfx::TextAlign align = gfx::TextAlign::taLeft;
};

class RecordingCanvas final : public gfx::Canvas {
  public:
    explicit RecordingCanvas(gfx::Size size = {320, 210}) : size_(size) {}

    static int CharWidth(const gfx::Font& font);
    static int TextHeight(const gfx::Font& font);

    gfx::Size ClientSize() const override { return size_; }
    void SetPen(const gfx::Pen& pen) override { pen_ = pen; }
    void SetBrushColor(TColor color) override { brush_ = color; }
    void SetFont(const gfx::Font& font) override { font_ = font; }
    const gfx::Font& CurrentFont() const override { return font_; }
    void SetClipRect(std::optional<gfx::Rect> clip) override { clip_ = clip; }
    void FillRect(const gfx::Rect& r) override;
    void Rectangle(const gfx::Rect& r) override;
    void Line(gfx::Point from, gfx::Point to) override;
    void Polyline(std::span<const gfx::Point> points) override;
    gfx::Size TextExtent(std::string_view text) override;
    void TextOut(gfx::Point at, std::string_view text) override;
    void TextRect(const gfx::Rect& box, std::string_view text, gfx::TextAlign align) override;
    void DrawFocusRect(const gfx::Rect& r) override;

    const std::vector<DrawOp>& Ops() const { return ops_; }
    std::vector<DrawOp> OpsOf(DrawOp::Kind kind) const;
    // Text operations (TextOut and TextRect) in drawing order.
    std::vector<DrawOp> Texts() const;
    // The first text operation drawing exactly `text`, or nullptr.
    const DrawOp* FindText(std::string_view text) const;
    void Clear() { ops_.clear(); }

  private:
    DrawOp& Record(DrawOp::Kind kind);

    gfx::Size size_;
    gfx::Pen pen_;
    TColor brush_ = clWhite;
    gfx::Font font_;
    std::optional<gfx::Rect> clip_;
    std::vector<DrawOp> ops_;
};
