#include "chart/graph_m.h"

#include <cmath>

TGraphM::TGraphM(ChartHost* host) : host_(host) {}

TGraphM::~TGraphM() = default;

std::unique_ptr<TCurves> TGraphM::CreateCurves() {
    return std::make_unique<TCurves>(this);
}

TCurves& TGraphM::Curves() {
    if (!Curves_) {
        Curves_ = CreateCurves();
        if (!Curves_) Curves_ = TGraphM::CreateCurves();  // an override that made none
    }
    return *Curves_;
}

// Making the collection does not change what the chart shows, so a const chart may too.
const TCurves& TGraphM::Curves() const {
    return const_cast<TGraphM*>(this)->Curves();
}

TCurves::ItemFactory TGraphM::CurveClass() const {
    return &TCurve::Create;
}

void TGraphM::Invalidate() {
    if (PaintPending_) return;
    PaintPending_ = true;
    if (host_) host_->RequestPaint();
}

void TGraphM::Paint(gfx::Canvas& canvas) {
    PaintPending_ = false;
    DrawChart(canvas);
}

bool TGraphM::HasData() const {
    for (int i = 0; i < Curves().Count(); ++i)
        if (Curves().Items(i).PointCount() > 1) return true;
    return false;
}

void TGraphM::SetBounds(int width, int height) {
    if (width == Width_ && height == Height_) return;
    Width_ = width;
    Height_ = height;
    Invalidate();
}

void TGraphM::SetColorAxis(TColor value) {
    if (value == ColorAxis_) return;
    ColorAxis_ = value;
    Invalidate();
}

// A range limit that is not a number would poison every later layout; it is ignored.
void TGraphM::SetMinXValue(double value) {
    if (value == MinXValue_ || !std::isfinite(value)) return;
    MinXValue_ = value;
    Invalidate();
}

void TGraphM::SetMaxXValue(double value) {
    if (value == MaxXValue_ || !std::isfinite(value)) return;
    MaxXValue_ = value < 0 ? 0 : value;
    Invalidate();
}

void TGraphM::SetMinYValue(double value) {
    if (value == MinYValue_ || !std::isfinite(value)) return;
    MinYValue_ = value;
    Invalidate();
}

void TGraphM::SetMaxYValue(double value) {
    if (value == MaxYValue_ || !std::isfinite(value)) return;
    MaxYValue_ = value < 0 ? 0 : value;
    Invalidate();
}

void TGraphM::SetGridX(bool value) {
    if (value == GridX_) return;
    GridX_ = value;
    Invalidate();
}

void TGraphM::SetGridY(bool value) {
    if (value == GridY_) return;
    GridY_ = value;
    Invalidate();
}

void TGraphM::SetColor(TColor value) {
    Color_ = value;
    Invalidate();
}

void TGraphM::SetColorGrid(TColor value) {
    if (value == ColorGrid_) return;
    ColorGrid_ = value;
    Invalidate();
}

void TGraphM::SetStepScale(int value) {
    if (value == StepScale_) return;
    StepScale_ = value < 1 ? 100 : value;
    if (Scale_ > 100) Invalidate();
}

void TGraphM::SetDecimalHint(int value) {
    if (value < 0 || value > 6) return;
    DecimalHint_ = value;
}

void TGraphM::SetShowTextScale(bool value) {
    if (value == ShowTextScale_) return;
    ShowTextScale_ = value;
    Invalidate();
}

void TGraphM::SetPrecision(int value) {
    if (value == Precision_) return;
    Precision_ = (value < 0 || value > 3) ? 1 : value;
    Invalidate();
}

void TGraphM::SetDetails(bool value) {
    if (value == Details_) return;
    Details_ = value;
    Invalidate();
}

void TGraphM::SetShowLegend(bool value) {
    if (value == ShowLegend_) return;
    ShowLegend_ = value;
    BottomMargin_ = value ? 48 : 24;
    Invalidate();
}

void TGraphM::FocusChanged() {
    Invalidate();
}
