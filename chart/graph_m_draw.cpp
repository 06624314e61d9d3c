// TGraphM's paint routine and the pixel -> value transform.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "chart/axis_step.h"
#include "chart/curve_path.h"
#include "chart/graph_m.h"
#include "chart/marker_rule.h"
#include "chart/nearest.h"
#include "common/text_format.h"

namespace {

const gfx::Font kLabelFont{"Tahoma", 8, false, clBlack};
constexpr gfx::Pen kBlackPen{clBlack, 1, gfx::PenStyle::psSolid};
// A pen wider than this is drawn this wide: wider only costs time, the plot is not bigger.
constexpr int kMaxPenWidth = 4096;

// a / b, or 0 when that is no number (an empty range, a plot of no pixels).
double Ratio(double a, double b) {
    const double r = a / b;
    return std::isfinite(r) ? r : 0.0;
}

// A pixel count computed from a double, held to the safe range; what is no number counts
// as 0 (a conversion of NaN to int is undefined).
int ToPixel(double v) {
    constexpr double kLimit = gfx::kSafePixel;
    if (std::isnan(v)) return 0;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

// A value per pixel that grid steps can be measured in: neither infinite nor, for a span
// too small to show, rounded down to 0.
bool UsableValuePerPixel(double v) {
    return std::isfinite(v) && v > 0;
}

int ClampPixel(std::int64_t v) {
    constexpr std::int64_t kLimit = gfx::kSafePixel;
    return static_cast<int>(std::clamp(v, -kLimit, kLimit));
}

}  // namespace

TGraphM::TValuePoint TGraphM::PointToValue(gfx::Point P) {
    const int W = Width_, H = Height_;
    PlotHeight_ = H - BottomMargin_ - 8;
    const double ky = PlotHeight_ * ZoomFactor_ / (MaxYValue_ - MinYValue_);
    PlotLeft_ = YLabelBox_.width + 20;
    PlotWidth_ = W - PlotLeft_ - XLabelBox_.width / 2 - 3;
    const double kx = PlotWidth_ * ZoomFactor_ / (MaxXValue_ - MinXValue_);
    if (P.x == -1) P = {PlotLeft_ + PlotWidth_ / 2, H - BottomMargin_ - PlotHeight_ / 2};
    return {ViewMinX_ + Ratio(P.x - PlotLeft_, kx), ViewMinY_ + Ratio(H - BottomMargin_ - P.y, ky)};
}

void TGraphM::DrawChart(gfx::Canvas& c) {
    const int W = Width_, H = Height_;
    c.SetClipRect(std::nullopt);
    c.SetPen(kBlackPen);
    c.SetBrushColor(Color_);
    c.FillRect({0, 0, W, H});
    c.SetFont(kLabelFont);
    if (Focused()) c.DrawFocusRect({0, 0, W, H});
    if (ShowTextScale_) DrawZoomText(c);
    if (ShowLegend_) DrawLegend(c);

    PlotLeft_ = 20;
    c.SetPen(kBlackPen);
    if (Curves().Count() == 0 || Scale_ == 100) {
        if (Curves().Count() > 0) WidenRangeToData();
        SetViewToRange();
    }

    double step = 0, first = 0;
    if (ViewMaxY_ > ViewMinY_ && LayoutY(c, step, first)) {
        DrawYAxis(c, step, first);
    } else {
        c.Line({20, H - 20}, {20, 2});
    }
    DrawXAxis(c);
    DrawCurves(c);
    c.SetClipRect(std::nullopt);
    c.SetBrushColor(Color_);
}

void TGraphM::SetViewToRange() {
    ViewMinX_ = MinXValue_;
    ViewMaxX_ = MaxXValue_;
    ViewMinY_ = MinYValue_;
    ViewMaxY_ = MaxYValue_;
}

// At 100 % the range grows to take in every point (values that are no number take no part).
void TGraphM::WidenRangeToData() {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    double min_x = kInf, max_x = -kInf, min_y = kInf, max_y = -kInf;
    bool several = false;
    for (int i = 0; i < Curves().Count(); ++i) {
        const TCurve& curve = Curves().Items(i);
        if (curve.PointCount() == 0) continue;
        several = several || curve.PointCount() > 1;
        for (double x : curve.XValues()) {
            if (!std::isfinite(x)) continue;
            min_x = std::min(min_x, x);
            max_x = std::max(max_x, x);
        }
        for (double y : curve.YValues()) {
            if (!std::isfinite(y)) continue;
            min_y = std::min(min_y, y);
            max_y = std::max(max_y, y);
        }
    }
    if (!several) return;
    if (max_y > MaxYValue_) MaxYValue_ = max_y;
    if (min_y < MinYValue_) MinYValue_ = min_y;
    if (max_x > MaxXValue_) MaxXValue_ = max_x;
    if (min_x < MinXValue_) MinXValue_ = min_x;
}

void TGraphM::DrawZoomText(gfx::Canvas& c) {
    const gfx::Font saved = c.CurrentFont();
    const TColor colour = Color_ == clWhite ? ScaleTextColor_ : clWhite;
    c.SetFont({"Arial", 20, true, colour});
    const std::string text = "М: " + text::FormatInt(Scale_) + "%";
    c.TextOut({Width_ - c.TextExtent(text).width - 30, 10}, text);
    c.SetFont(saved);
}

void TGraphM::DrawLegend(gfx::Canvas& c) {
    const int H = Height_;
    const gfx::Font saved = c.CurrentFont();
    c.SetFont({"Arial", 10, false, clBlack});
    std::int64_t total = 0;
    for (int i = 0; i < Curves().Count(); ++i)
        total += c.TextExtent(Curves().Items(i).LegendName()).width + 30;
    int m = ClampPixel(Width_ / 2 - total / 2);
    for (int i = 0; i < Curves().Count(); ++i) {
        const TCurve& curve = Curves().Items(i);
        const chart::MarkerStyle style = chart::MarkerRule(Details_, curve);
        c.SetPen(
            {curve.ColorGraph(), std::min(style.pen_width, kMaxPenWidth), gfx::PenStyle::psSolid});
        c.SetBrushColor(curve.ColorGraph());
        c.Line({m, H - 14}, {m + 16, H - 14});
        if (style.markers) {
            c.Rectangle({ClampPixel(std::int64_t{m} + 8 - style.a),
                         ClampPixel(std::int64_t{H} - 13 - style.b),
                         ClampPixel(std::int64_t{m} + 9 + style.a),
                         ClampPixel(std::int64_t{H} - 13 + style.b)});
        }
        c.SetBrushColor(Color_);
        c.TextOut({m + 20, H - 22}, curve.LegendName());
        m = ClampPixel(std::int64_t{m} + c.TextExtent(curve.LegendName()).width + 30);
    }
    c.SetFont(saved);
    c.SetBrushColor(Color_);
}

// The Y layout, which also places the plot. False when the axis has no usable step: a
// plot of no height, or a value per pixel of 0 or beyond the step table.
bool TGraphM::LayoutY(gfx::Canvas& c, double& step, double& first) {
    const int W = Width_, H = Height_;
    PlotHeight_ = H - BottomMargin_ - 8;
    YPerPixel_ = (ViewMaxY_ - ViewMinY_) / PlotHeight_;
    YLabelBox_ = chart::MeasureLabels(c, ViewMinY_, ViewMaxY_, Precision_);
    XLabelBox_ = chart::MeasureLabels(c, ViewMinX_, ViewMaxX_, Precision_);
    PlotLeft_ = YLabelBox_.width + 20;
    PlotWidth_ = W - PlotLeft_ - XLabelBox_.width / 2 - 3;
    if (PlotHeight_ <= 0 || !UsableValuePerPixel(YPerPixel_)) return false;

    double t = YPerPixel_ * 14;
    const double mag = chart::StepMagnitude(t);
    if (Precision_ == 0 && t < 1) t = 1;
    const auto found = chart::TableStep(mag, t);
    if (!found) return false;
    const auto start = chart::FirstGridValue(ViewMinY_, mag, *found);
    if (!start) return false;
    step = *found;
    first = *start;
    return true;
}

void TGraphM::DrawYAxis(gfx::Canvas& c, double step, double first) {
    const int base = Height_ - BottomMargin_;
    const int right = PlotLeft_ + PlotWidth_;
    const int offset =
        first > ViewMinY_ ? std::abs(ToPixel(chart::Nearest((first - ViewMinY_) / YPerPixel_))) : 0;
    const int digits = chart::LabelDigits(step);
    const int h = YLabelBox_.height;
    // A step spans at least 14 pixels, so a plot has fewer labels than pixels; the bound
    // only matters when the step is lost in the rounding of huge values.
    const int max_labels = PlotHeight_ + 2;
    double v = first;
    for (int k = 0; v <= ViewMaxY_ && k <= max_labels; ++k, v += step) {
        const int y = base - ToPixel(chart::Nearest(k * step / YPerPixel_)) - offset;
        if (GridY_) {
            c.SetPen({ColorGrid_, 1, gfx::PenStyle::psDot});
            c.Line({right, y}, {PlotLeft_, y});
            c.SetPen(kBlackPen);
        }
        c.Line({PlotLeft_, y}, {PlotLeft_ - 4, y});
        c.TextRect({PlotLeft_ - 6 - YLabelBox_.width, y - h / 2, PlotLeft_ - 6, y + h / 2},
                   text::FormatFixed(v, digits), gfx::TextAlign::taRight);
    }
    c.SetPen({ColorAxis_, 1, gfx::PenStyle::psSolid});
    c.Line({PlotLeft_, base}, {right, base});
    c.Line({PlotLeft_, base - PlotHeight_}, {right, base - PlotHeight_});
    c.SetPen(kBlackPen);
}

void TGraphM::DrawXAxis(gfx::Canvas& c) {
    const int W = Width_, H = Height_;
    const int base = H - BottomMargin_;
    const int top = base - PlotHeight_;
    const int right = PlotLeft_ + PlotWidth_;
    bool drawn = false;
    if (ViewMaxX_ > ViewMinX_ && PlotWidth_ > 0) {
        XPerPixel_ = (ViewMaxX_ - ViewMinX_) / PlotWidth_;
        const double t = (XLabelBox_.width + 2) * XPerPixel_;
        const double mag = chart::StepMagnitude(t);
        const auto step = chart::TableStep(mag, t);
        const auto first =
            step ? chart::FirstGridValue(ViewMinX_, mag, *step) : std::optional<double>();
        if (UsableValuePerPixel(XPerPixel_) && step && first) {
            drawn = true;
            const int offset =
                *first > ViewMinX_
                    ? std::abs(ToPixel(chart::Nearest((*first - ViewMinX_) / XPerPixel_)))
                    : 0;
            const int digits = chart::LabelDigits(*step);
            const int half = XLabelBox_.width / 2;
            const int max_labels = PlotWidth_ + 2;
            double v = *first;
            for (int k = 0; v <= ViewMaxX_ && k <= max_labels; ++k, v += *step) {
                const int x = ToPixel(chart::Nearest(k * *step / XPerPixel_)) + PlotLeft_ + offset;
                if (GridX_) {
                    c.SetPen({ColorGrid_, 1, gfx::PenStyle::psDot});
                    c.Line({x, top}, {x, base});
                    c.SetPen(kBlackPen);
                }
                c.Line({x, base}, {x, base + 4});
                c.TextRect({x - half, base + 8, x + half, base + 8 + XLabelBox_.height},
                           text::FormatFixed(v, digits), gfx::TextAlign::taCenter);
            }
            c.SetPen({ColorAxis_, 1, gfx::PenStyle::psSolid});
            c.Line({PlotLeft_, base}, {PlotLeft_, top});
            c.Line({right, base}, {right, top});
            c.SetPen(kBlackPen);
        }
    }
    if (!drawn) c.Line({20, H - 20}, {W - 2, H - 20});
}

void TGraphM::DrawCurves(gfx::Canvas& c) {
    if (Curves().Count() == 0) return;
    const int H = Height_;
    const gfx::Rect clip{PlotLeft_, 8, PlotLeft_ + PlotWidth_, H - BottomMargin_ + 2};
    c.SetClipRect(clip);
    chart::PixelMap map;
    map.plot_left = PlotLeft_;
    map.base_y = H - BottomMargin_;
    map.view_min_x = ViewMinX_;
    map.view_min_y = ViewMinY_;
    map.kx = Ratio(PlotWidth_ * ZoomFactor_, MaxXValue_ - MinXValue_);
    map.ky = Ratio(PlotHeight_ * ZoomFactor_, MaxYValue_ - MinYValue_);
    if (clip.Empty()) return;

    chart::CurvePath path;
    for (int i = 0; i < Curves().Count(); ++i) {
        const TCurve& curve = Curves().Items(i);
        if (curve.PointCount() < 2) continue;
        const chart::MarkerStyle style = chart::MarkerRule(Details_, curve);
        const int pen_width = std::clamp(style.pen_width, 1, kMaxPenWidth);
        c.SetPen({curve.ColorGraph(), pen_width, gfx::PenStyle::psSolid});
        c.SetBrushColor(curve.ColorGraph());
        // Line and markers share one colour, so drawing all markers before the line gives
        // the pixels of drawing each marker just before the segment that ends at it.
        if (style.markers) {
            const auto& xs = curve.XValues();
            const auto& ys = curve.YValues();
            for (std::size_t k = 1; k < xs.size(); ++k) {
                gfx::Point p;
                if (!chart::MapPoint(map, xs[k], ys[k], p)) continue;
                const gfx::Rect r{ClampPixel(std::int64_t{p.x} - style.a),
                                  ClampPixel(std::int64_t{p.y} - style.a),
                                  ClampPixel(std::int64_t{p.x} + style.b),
                                  ClampPixel(std::int64_t{p.y} + style.b)};
                if (r.right <= clip.left || r.left >= clip.right || r.bottom <= clip.top ||
                    r.top >= clip.bottom)
                    continue;
                c.Rectangle(r);
            }
        }
        const int margin = 16 + pen_width;
        const gfx::Rect guard{clip.left - margin, clip.top - margin, clip.right + margin,
                              clip.bottom + margin};
        const bool reduce_columns = !style.markers && pen_width == 1;
        path.Build(curve.XValues(), curve.YValues(), map, guard, reduce_columns);
        for (std::size_t r = 0; r < path.RunCount(); ++r) c.Polyline(path.Run(r));
    }
}
