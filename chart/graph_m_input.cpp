// TGraphM's zoom and pan, and its reaction to mouse, wheel and keys.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "chart/graph_m.h"

using chart::TKey;

namespace {

int Saturated(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, INT_MIN, INT_MAX));
}

// Keeps a view of width w inside lo .. hi, preferring its lower end.
void KeepInRange(double& vmin, double& vmax, double lo, double hi, double w) {
    if (vmin < lo) {
        vmin = lo;
        vmax = lo + w;
    }
    if (vmax > hi) {
        vmax = hi;
        vmin = hi - w;
    }
}

void CentreView(double& vmin, double& vmax, double lo, double hi, double centre, double zoom) {
    double w = (hi - lo) / zoom;
    vmin = centre - w / 2;
    vmax = centre + w / 2;
    w = vmax - vmin;
    KeepInRange(vmin, vmax, lo, hi, w);
}

void ShiftView(double& vmin, double& vmax, double lo, double hi, double by) {
    const double w = vmax - vmin;
    vmin += by;
    vmax += by;
    KeepInRange(vmin, vmax, lo, hi, w);
}

// A wheel that keeps turning one way never piles up more than this many notches.
constexpr int kMaxPendingWheel = 10 * chart::kWheelDelta;

}  // namespace

void TGraphM::SetScale(int N) {
    if (N == Scale_) return;
    const TValuePoint c = PointToValue(Anchor_);
    Scale_ = N < 100 ? 100 : N;
    ZoomFactor_ = Scale_ / 100.0;
    CentreView(ViewMinX_, ViewMaxX_, MinXValue_, MaxXValue_, c.x, ZoomFactor_);
    CentreView(ViewMinY_, ViewMaxY_, MinYValue_, MaxYValue_, c.y, ZoomFactor_);
    if (OnScaleChange) OnScaleChange(*this, Scale_);
    Invalidate();
}

void TGraphM::PanTo(gfx::Point P) {
    const TValuePoint a = PointToValue(Anchor_);
    const TValuePoint p = PointToValue(P);
    ShiftView(ViewMinX_, ViewMaxX_, MinXValue_, MaxXValue_, a.x - p.x);
    ShiftView(ViewMinY_, ViewMaxY_, MinYValue_, MaxYValue_, a.y - p.y);
    Anchor_ = P;
    Invalidate();
}

void TGraphM::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(*this, Button, Shift, X, Y);
    if (!HasData()) return;
    Anchor_ = {X, Y};
    if (Button == TMouseButton::mbLeft) DragArmed_ = true;
}

void TGraphM::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(*this, Shift, X, Y);
    if (Shift == 0 || !DragArmed_ || Scale_ <= 100) return;
    if (gfx::Point{X, Y} == Anchor_) return;
    Dragged_ = true;
    PanTo({X, Y});
}

void TGraphM::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(*this, Button, Shift, X, Y);
    // The first click on an unfocused chart only gives it the focus.
    if (host_ && !host_->Focused() && host_->CanFocus()) {
        host_->TakeFocus();
        return;
    }
    if (!HasData()) return;
    if (Dragged_) {
        Dragged_ = false;
        DragArmed_ = false;
        return;
    }
    DragArmed_ = false;
    Anchor_ = {X, Y};
    switch (Button) {
        case TMouseButton::mbLeft:
            SetScale(Saturated(std::int64_t{Scale_} + StepScale_));
            break;
        case TMouseButton::mbRight:
            SetScale(Saturated(std::int64_t{Scale_} - StepScale_));
            break;
        case TMouseButton::mbMiddle:
            SetScale(100);
            break;
    }
}

void TGraphM::MouseWheel(int delta, TShiftState, int X, int Y) {
    if (!HasData()) return;
    Anchor_ = {X, Y};
    DragArmed_ = false;
    // Small deltas (touchpads) add up to whole notches; turning back starts afresh.
    if (WheelAccumulator_ != 0 && (delta < 0) != (WheelAccumulator_ < 0)) WheelAccumulator_ = 0;
    WheelAccumulator_ =
        std::clamp(WheelAccumulator_ + std::clamp(delta, -kMaxPendingWheel, kMaxPendingWheel),
                   -kMaxPendingWheel, kMaxPendingWheel);
    while (WheelAccumulator_ <= -chart::kWheelDelta) {
        WheelAccumulator_ += chart::kWheelDelta;
        SetScale(Saturated(std::int64_t{Scale_} + StepScale_ / 2));
    }
    while (WheelAccumulator_ >= chart::kWheelDelta) {
        WheelAccumulator_ -= chart::kWheelDelta;
        SetScale(Saturated(std::int64_t{Scale_} - StepScale_ / 2));
    }
}

void TGraphM::KeyDown(TKey& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(*this, Key, Shift);
    const int W = Width_, H = Height_;
    const gfx::Point C{PlotLeft_ + (W - PlotLeft_) / 2, (H - BottomMargin_) / 2};
    const bool ctrl = (Shift & ssCtrl) != 0;
    const int across = ctrl ? W - PlotLeft_ - 10 : 10;
    const int down = ctrl ? H - BottomMargin_ - 8 : 10;
    auto pan = [&](gfx::Point to) {
        if (Scale_ <= 100) return;
        Anchor_ = C;
        PanTo(to);
    };
    switch (Key) {
        case chart::keys::kLeft:
            pan({C.x - across, C.y});
            break;
        case chart::keys::kRight:
            pan({C.x + across, C.y});
            break;
        case chart::keys::kUp:
            pan({C.x, C.y - down});
            break;
        case chart::keys::kDown:
            pan({C.x, C.y + down});
            break;
        case chart::keys::kMultiply:
            SetScale(100);
            break;
        case chart::keys::kAdd:
            Anchor_ = {-1, 0};
            SetScale(Saturated(std::int64_t{Scale_} + StepScale_));
            break;
        case chart::keys::kSubtract:
            if (Scale_ > 100) {
                Anchor_ = {-1, 0};
                SetScale(Saturated(std::int64_t{Scale_} - StepScale_));
            }
            break;
        default:
            break;
    }
}

void TGraphM::KeyUp(TKey& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(*this, Key, Shift);
}

void TGraphM::DblClick() {
    if (OnDblClick) OnDblClick(*this);
}

bool TGraphM::WantsKey(TKey key) {
    return key == chart::keys::kLeft || key == chart::keys::kRight || key == chart::keys::kUp ||
           key == chart::keys::kDown;
}
