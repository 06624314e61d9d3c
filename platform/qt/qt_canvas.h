#pragma once
// The canvas on a QImage: the chart's off-screen image. Text and wide pens go through
// QPainter; 1-pixel lines, rectangles and the focus frame are written to the pixels
// directly so that they keep the canvas pixel rules exactly.

#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <optional>
#include <string>

#include "platform/canvas.h"
#include "platform/qt/line_raster.h"

class QtCanvas final : public gfx::Canvas {
  public:
    // Paints on `image` until destroyed; an image that is not 32-bit is converted first.
    explicit QtCanvas(QImage& image);
    ~QtCanvas() override;
    QtCanvas(const QtCanvas&) = delete;
    QtCanvas& operator=(const QtCanvas&) = delete;

    gfx::Size ClientSize() const override;
    void SetPen(const gfx::Pen& pen) override;
    void SetBrushColor(TColor color) override;
    void SetFont(const gfx::Font& font) override;
    const gfx::Font& CurrentFont() const override { return font_; }
    void SetClipRect(std::optional<gfx::Rect> clip) override;
    void FillRect(const gfx::Rect& r) override;
    void Rectangle(const gfx::Rect& r) override;
    void Line(gfx::Point from, gfx::Point to) override;
    void Polyline(std::span<const gfx::Point> points) override;
    gfx::Size TextExtent(std::string_view text) override;
    void TextOut(gfx::Point at, std::string_view text) override;
    void TextRect(const gfx::Rect& box, std::string_view text, gfx::TextAlign align) override;
    void DrawFocusRect(const gfx::Rect& r) override;

    // The family actually used for a requested one: itself when installed, else the
    // system's sans-serif.
    static QString ResolveFamily(const std::string& requested);
    static std::uint32_t PixelValue(TColor color);

  private:
    void DrawText(gfx::Point at, const QString& text, const gfx::Rect& clip);
    void WidePolyline(std::span<const gfx::Point> points);

    QImage& image_;
    raster::PixelBuffer buffer_;
    QPainter painter_;
    gfx::Pen pen_;
    TColor brush_ = clWhite;
    gfx::Font font_;
    QFont qfont_;
    std::optional<QFontMetrics> metrics_;
    gfx::Rect clip_;
};
