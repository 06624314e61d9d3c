#include "platform/qt/qt_canvas.h"

#include <QFontDatabase>
#include <QPen>
#include <QPoint>
#include <QTextLayout>
#include <algorithm>
#include <map>
#include <mutex>
#include <vector>

namespace {

QColor ToQColor(TColor c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QRect ToQRect(const gfx::Rect& r) {
    return QRect(r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height()));
}

gfx::Rect Intersect(const gfx::Rect& a, const gfx::Rect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

bool Is32Bit(QImage::Format f) {
    return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
           f == QImage::Format_ARGB32_Premultiplied;
}

}  // namespace

QtTextCache::Face& QtTextCache::FaceOf(const gfx::Font& font, QPaintDevice& device) {
    FaceKey key{font.name, font.size, font.bold, device.logicalDpiX(), device.logicalDpiY()};
    const auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    Face face;
    face.font = QFont(QtCanvas::ResolveFamily(font.name));
    face.font.setPointSize(std::max(1, font.size));
    face.font.setBold(font.bold);
    const QFontMetrics metrics(face.font, &device);
    face.ascent = metrics.ascent();
    face.height = metrics.height();
    return faces_.emplace(std::move(key), std::move(face)).first->second;
}

const QtTextCache::Text& QtTextCache::TextOf(Face& face, std::string_view text,
                                             QPaintDevice& device) {
    if (const auto it = face.texts.find(text); it != face.texts.end()) return it->second;
    // Labels change with the view; a face that collected this many starts over.
    if (face.texts.size() >= 4096) face.texts.clear();
    const QString s = FromUtf8(text);
    Text out;
    out.width = QFontMetrics(face.font, &device).horizontalAdvance(s);
    QTextLayout layout(s, face.font, &device);
    layout.beginLayout();
    const QTextLine line = layout.createLine();
    layout.endLayout();
    if (line.isValid()) {
        out.baseline = line.ascent();
        out.runs = layout.glyphRuns();
    }
    return face.texts.emplace(std::string(text), std::move(out)).first->second;
}

QtCanvas::QtCanvas(QImage& image, QtTextCache* cache) : image_(image) {
    if (!Is32Bit(image_.format())) image_ = image_.convertToFormat(QImage::Format_RGB32);
    // Take the pixel pointer before the painter starts, so that no later detach moves it.
    buffer_.bits = reinterpret_cast<std::uint32_t*>(image_.bits());
    buffer_.width = image_.width();
    buffer_.height = image_.height();
    buffer_.stride = image_.bytesPerLine() / 4;
    clip_ = {0, 0, buffer_.width, buffer_.height};
    painter_.begin(&image_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
    if (cache == nullptr) {
        own_cache_ = std::make_unique<QtTextCache>();
        cache = own_cache_.get();
    }
    cache_ = cache;
    SetFont(font_);
}

QtCanvas::~QtCanvas() {
    painter_.end();
}

std::uint32_t QtCanvas::PixelValue(TColor c) {
    return 0xFF000000u | (std::uint32_t(ColorRed(c)) << 16) | (std::uint32_t(ColorGreen(c)) << 8) |
           std::uint32_t(ColorBlue(c));
}

QString QtCanvas::ResolveFamily(const std::string& requested) {
    // Asking the font database costs more than a whole chart; the answer never changes.
    static std::mutex mutex;
    static std::map<std::string, QString> known;
    const std::lock_guard lock(mutex);
    if (const auto it = known.find(requested); it != known.end()) return it->second;
    QString family = QString::fromStdString(requested);
    if (!QFontDatabase::hasFamily(family)) {
        QFont sans;
        sans.setStyleHint(QFont::SansSerif);
        sans.setFamily(QStringLiteral("sans-serif"));
        family = QFontInfo(sans).family();
    }
    known.emplace(requested, family);
    return family;
}

gfx::Size QtCanvas::ClientSize() const {
    return {buffer_.width, buffer_.height};
}

void QtCanvas::SetPen(const gfx::Pen& pen) {
    pen_ = pen;
}

void QtCanvas::SetBrushColor(TColor color) {
    brush_ = color;
}

void QtCanvas::SetFont(const gfx::Font& font) {
    const bool same_face =
        face_ && font.name == font_.name && font.size == font_.size && font.bold == font_.bold;
    font_ = font;
    if (!same_face) face_ = &cache_->FaceOf(font, image_);
}

// Whatever draws through the painter sets the clip, pen and brush it needs first, so the
// painter's state is never saved and restored (that cost more than drawing a label).
void QtCanvas::ClipPainter(const gfx::Rect& clip) {
    if (painter_clip_ == clip) return;
    painter_.setClipRect(ToQRect(clip));
    painter_clip_ = clip;
}

void QtCanvas::SetClipRect(std::optional<gfx::Rect> clip) {
    const gfx::Rect all{0, 0, buffer_.width, buffer_.height};
    clip_ = clip ? Intersect(*clip, all) : all;
}

void QtCanvas::FillRect(const gfx::Rect& r) {
    raster::FillRect(buffer_, clip_, r, PixelValue(brush_));
}

void QtCanvas::Rectangle(const gfx::Rect& r) {
    raster::OutlinedRect(buffer_, clip_, r, PixelValue(brush_), PixelValue(pen_.color));
}

void QtCanvas::Line(gfx::Point from, gfx::Point to) {
    if (pen_.width > 1) {
        const gfx::Point pts[2] = {from, to};
        WidePolyline(pts);
        return;
    }
    raster::DrawLine(buffer_, clip_, from, to, PixelValue(pen_.color),
                     pen_.style == gfx::PenStyle::psDot);
}

void QtCanvas::Polyline(std::span<const gfx::Point> points) {
    if (pen_.width > 1) {
        WidePolyline(points);
        return;
    }
    if (pen_.style == gfx::PenStyle::psDot) {
        for (std::size_t i = 1; i < points.size(); ++i)
            raster::DrawLine(buffer_, clip_, points[i - 1], points[i], PixelValue(pen_.color),
                             true);
        return;
    }
    raster::DrawPolyline(buffer_, clip_, points, PixelValue(pen_.color));
}

void QtCanvas::WidePolyline(std::span<const gfx::Point> points) {
    if (points.size() < 2 || clip_.Empty()) return;
    QPen pen(ToQColor(pen_.color));
    pen.setWidth(pen_.width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    if (pen_.style == gfx::PenStyle::psDot) pen.setDashPattern({3, 3});
    std::vector<QPoint> qpoints;
    qpoints.reserve(points.size());
    for (const auto& p : points) qpoints.emplace_back(p.x, p.y);
    ClipPainter(clip_);
    painter_.setPen(pen);
    painter_.setBrush(Qt::NoBrush);
    painter_.drawPolyline(qpoints.data(), static_cast<int>(qpoints.size()));
}

gfx::Size QtCanvas::TextExtent(std::string_view text) {
    return {cache_->TextOf(*face_, text, image_).width, face_->height};
}

void QtCanvas::DrawText(gfx::Point at, const QtTextCache::Text& text, const gfx::Rect& clip) {
    if (clip.Empty()) return;
    const gfx::Rect cell{at.x, at.y, at.x + text.width, at.y + face_->height};
    raster::FillRect(buffer_, clip, cell, PixelValue(brush_));
    ClipPainter(clip);
    painter_.setPen(ToQColor(font_.color));
    // The runs' baseline moved to where the font's whole-pixel ascent puts it.
    const QPointF origin(at.x, at.y + face_->ascent - text.baseline);
    for (const QGlyphRun& run : text.runs) painter_.drawGlyphRun(origin, run);
}

void QtCanvas::TextOut(gfx::Point at, std::string_view text) {
    DrawText(at, cache_->TextOf(*face_, text, image_), clip_);
}

void QtCanvas::TextRect(const gfx::Rect& box, std::string_view text, gfx::TextAlign align) {
    const QtTextCache::Text& t = cache_->TextOf(*face_, text, image_);
    int x = box.left;
    if (align == gfx::TextAlign::taRight) x = box.right - t.width;
    if (align == gfx::TextAlign::taCenter) x = box.left + (box.Width() - t.width) / 2;
    DrawText({x, box.top}, t, Intersect(clip_, box));
}

void QtCanvas::DrawFocusRect(const gfx::Rect& r) {
    raster::InvertFocusFrame(buffer_, clip_, r);
}
