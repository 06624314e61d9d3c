#pragma once
// Shared by the chart's Qt-free tests: a window stand-in and painting on the recording canvas.

#include <vector>

#include "chart/chart_host.h"
#include "chart/graph_m.h"
#include "platform/doubles/recording_canvas.h"

struct FakeHost : ChartHost {
    int paint_requests = 0;
    bool focused = true;
    bool can_focus = true;
    int focus_taken = 0;

    void RequestPaint() override { ++paint_requests; }
    bool Focused() const override { return focused; }
    bool CanFocus() const override { return can_focus; }
    void TakeFocus() override {
        ++focus_taken;
        focused = true;
    }
};

inline RecordingCanvas PaintOn(TGraphM& chart) {
    RecordingCanvas canvas({chart.Width(), chart.Height()});
    chart.Paint(canvas);
    return canvas;
}

// The Y labels (right-aligned) or the X labels (centred) of a recorded paint.
inline std::vector<DrawOp> Labels(const RecordingCanvas& canvas, gfx::TextAlign align) {
    std::vector<DrawOp> out;
    for (const auto& op : canvas.OpsOf(DrawOp::Kind::TextRect))
        if (op.align == align) out.push_back(op);
    return out;
}

inline std::vector<std::string> Texts(const std::vector<DrawOp>& ops) {
    std::vector<std::string> out;
    for (const auto& op : ops) out.push_back(op.text);
    return out;
}
