#pragma once
// The canvas on a QImage: the chart's off-screen image. Text and wide pens go through
// QPainter; 1-pixel lines, rectangles and the focus frame are written to the pixels
// directly so that they keep the canvas pixel rules exactly.

#include <QFont>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QImage>
#include <QList>
#include <QPainter>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/canvas.h"
#include "platform/qt/line_raster.h"

// Fonts and laid-out texts kept from one canvas to the next: laying out a label costs more
// than drawing it, and a chart draws the same labels on every paint.
class QtTextCache {
  public:
    struct Text {
        int width = 0;
        qreal baseline = 0;  // of the glyph runs, from the top of the layout
        QList<QGlyphRun> runs;
    };
    struct Face {
        QFont font;
        int ascent = 0;
        int height = 0;
        std::map<std::string, Text, std::less<>> texts;
    };

    // The face of a canvas font on a device of the given resolution, made on first use.
    Face& FaceOf(const gfx::Font& font, QPaintDevice& device);
    // `text` laid out in `face`, made on first use.
    const Text& TextOf(Face& face, std::string_view text, QPaintDevice& device);

  private:
    struct FaceKey {
        std::string name;
        int size = 0;
        bool bold = false;
        int dpi_x = 0, dpi_y = 0;
        auto operator<=>(const FaceKey&) const = default;
    };
    std::map<FaceKey, Face> faces_;
};

class QtCanvas final : public gfx::Canvas {
  public:
    // Paints on `image` until destroyed; an image that is not 32-bit is converted first.
    // Texts are laid out through `cache` when given (it must outlive the canvas), else
    // through a cache of the canvas's own.
    explicit QtCanvas(QImage& image, QtTextCache* cache = nullptr);
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
    void DrawText(gfx::Point at, const QtTextCache::Text& text, const gfx::Rect& clip);
    void WidePolyline(std::span<const gfx::Point> points);
    void ClipPainter(const gfx::Rect& clip);

    QImage& image_;
    raster::PixelBuffer buffer_;
    QPainter painter_;
    std::unique_ptr<QtTextCache> own_cache_;
    QtTextCache* cache_;
    gfx::Pen pen_;
    TColor brush_ = clWhite;
    gfx::Font font_;
    QtTextCache::Face* face_ = nullptr;
    gfx::Rect clip_;
    std::optional<gfx::Rect> painter_clip_;  // none set yet
};
