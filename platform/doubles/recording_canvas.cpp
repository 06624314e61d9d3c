#include "platform/doubles/recording_canvas.h"

#include "common/utf8.h"

int RecordingCanvas::CharWidth(const gfx::Font& font) {
    return font.size / 2 + 2 + (font.bold ? 1 : 0);
}

int RecordingCanvas::TextHeight(const gfx::Font& font) {
    return font.size + 5;
}

DrawOp& RecordingCanvas::Record(DrawOp::Kind kind) {
    DrawOp& op = ops_.emplace_back();
    op.kind = kind;
    op.pen = pen_;
    op.brush = brush_;
    op.font = font_;
    op.clip = clip_;
    return op;
}

void RecordingCanvas::FillRect(const gfx::Rect& r) {
    Record(DrawOp::Kind::FillRect).rect = r;
}

void RecordingCanvas::Rectangle(const gfx::Rect& r) {
    Record(DrawOp::Kind::Rectangle).rect = r;
}

void RecordingCanvas::Line(gfx::Point from, gfx::Point to) {
    Record(DrawOp::Kind::Line).points = {from, to};
}

void RecordingCanvas::Polyline(std::span<const gfx::Point> points) {
    Record(DrawOp::Kind::Polyline).points.assign(points.begin(), points.end());
}

gfx::Size RecordingCanvas::TextExtent(std::string_view text) {
    return {static_cast<int>(text::Utf8Length(text)) * CharWidth(font_), TextHeight(font_)};
}

void RecordingCanvas::TextOut(gfx::Point at, std::string_view text) {
    DrawOp& op = Record(DrawOp::Kind::TextOut);
    op.points = {at};
    op.text = std::string(text);
}

void RecordingCanvas::TextRect(const gfx::Rect& box, std::string_view text, gfx::TextAlign align) {
    DrawOp& op = Record(DrawOp::Kind::TextRect);
    op.rect = box;
    op.text = std::string(text);
    op.align = align;
}

void RecordingCanvas::DrawFocusRect(const gfx::Rect& r) {
    Record(DrawOp::Kind::FocusRect).rect = r;
}

std::vector<DrawOp> RecordingCanvas::OpsOf(DrawOp::Kind kind) const {
    std::vector<DrawOp> out;
    for (const auto& op : ops_)
        if (op.kind == kind) out.push_back(op);
    return out;
}

std::vector<DrawOp> RecordingCanvas::Texts() const {
    std::vector<DrawOp> out;
    for (const auto& op : ops_)
        if (op.kind == DrawOp::Kind::TextOut || op.kind == DrawOp::Kind::TextRect)
            out.push_back(op);
    return out;
}

const DrawOp* RecordingCanvas::FindText(std::string_view text) const {
    for (const auto& op : ops_)
        if ((op.kind == DrawOp::Kind::TextOut || op.kind == DrawOp::Kind::TextRect) &&
            op.text == text)
            return &op;
    return nullptr;
}
