#pragma once
// TGraphM: the two-dimensional line-chart control, without its window. It holds the curves,
// the published properties and the view state; it draws itself on a Canvas (DrawChart) and
// reacts to the input its window forwards (zoom, pan, point hint). The window (ChartHost)
// paints it when asked and tells it about focus changes.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "chart/chart_host.h"
#include "chart/chart_input.h"
#include "chart/curves.h"
#include "platform/canvas.h"

class TGraphM {
  public:
    using TScaleChangeEvent = std::function<void(TGraphM& Sender, int NewScale)>;
    using TMouseEvent =
        std::function<void(TGraphM& Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
    using TMouseMoveEvent = std::function<void(TGraphM& Sender, TShiftState Shift, int X, int Y)>;
    using TKeyEvent = std::function<void(TGraphM& Sender, chart::TKey& Key, TShiftState Shift)>;
    using TNotifyEvent = std::function<void(TGraphM& Sender)>;

    struct TValuePoint {
        double x = 0;
        double y = 0;
    };
    struct TFoundPoint {
        int curve = 0;
        std::size_t index = 0;
        double x = 0;
        double y = 0;
    };

    static constexpr int kDefaultWidth = 320;
    static constexpr int kDefaultHeight = 210;

    explicit TGraphM(ChartHost* host = nullptr);
    virtual ~TGraphM();
    TGraphM(const TGraphM&) = delete;
    TGraphM& operator=(const TGraphM&) = delete;

    void SetHost(ChartHost* host) { host_ = host; }

    // Published properties.
    TColor ColorAxis() const { return ColorAxis_; }
    void SetColorAxis(TColor value);
    double MinXValue() const { return MinXValue_; }
    void SetMinXValue(double value);
    double MaxXValue() const { return MaxXValue_; }
    void SetMaxXValue(double value);  // a negative value is stored as 0
    double MinYValue() const { return MinYValue_; }
    void SetMinYValue(double value);
    double MaxYValue() const { return MaxYValue_; }
    void SetMaxYValue(double value);  // a negative value is stored as 0
    bool GridX() const { return GridX_; }
    void SetGridX(bool value);
    bool GridY() const { return GridY_; }
    void SetGridY(bool value);
    TColor Color() const { return Color_; }
    void SetColor(TColor value);  // repaints even when equal
    TColor ColorGrid() const { return ColorGrid_; }
    void SetColorGrid(TColor value);
    int StepScale() const { return StepScale_; }
    void SetStepScale(int value);  // below 1 becomes 100
    TCurves& Curves();
    const TCurves& Curves() const;
    void SetCurves(const TCurves& value) { Curves().Assign(value); }
    int DecimalHint() const { return DecimalHint_; }
    void SetDecimalHint(int value);  // outside 0..6 is ignored
    bool ShowTextScale() const { return ShowTextScale_; }
    void SetShowTextScale(bool value);
    int Precision() const { return Precision_; }
    void SetPrecision(int value);  // outside 0..3 becomes 1
    bool Details() const { return Details_; }
    void SetDetails(bool value);
    bool ShowLegend() const { return ShowLegend_; }
    void SetShowLegend(bool value);
    bool ShowHint() const { return ShowHint_; }
    void SetShowHint(bool value) { ShowHint_ = value; }
    bool TabStop() const { return TabStop_; }
    void SetTabStop(bool value) { TabStop_ = value; }

    // Events; each is optional. The input events reach the owner before the chart's own
    // handling of the same input.
    TScaleChangeEvent OnScaleChange;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TNotifyEvent OnDblClick;

    // Size of the control in pixels.
    int Width() const { return Width_; }
    int Height() const { return Height_; }
    void SetBounds(int width, int height);

    // View state, read-only from outside.
    int Scale() const { return Scale_; }
    double ZoomFactor() const { return ZoomFactor_; }
    double ViewMinX() const { return ViewMinX_; }
    double ViewMaxX() const { return ViewMaxX_; }
    double ViewMinY() const { return ViewMinY_; }
    double ViewMaxY() const { return ViewMaxY_; }
    gfx::Point Anchor() const { return Anchor_; }
    int PlotLeft() const { return PlotLeft_; }
    int PlotWidth() const { return PlotWidth_; }
    int PlotHeight() const { return PlotHeight_; }
    int BottomMargin() const { return BottomMargin_; }
    double XPerPixel() const { return XPerPixel_; }
    double YPerPixel() const { return YPerPixel_; }
    gfx::Size XLabelBox() const { return XLabelBox_; }
    gfx::Size YLabelBox() const { return YLabelBox_; }
    bool DragArmed() const { return DragArmed_; }
    bool Dragged() const { return Dragged_; }
    TColor ScaleTextColor() const { return ScaleTextColor_; }

    // The item class of the curve collection.
    virtual TCurves::ItemFactory CurveClass() const;

    // A repaint request: marks the control for one later paint, however many requests
    // come before it.
    void Invalidate();
    bool PaintPending() const { return PaintPending_; }
    // The paint operation: draws the whole chart on `canvas` (the off-screen image).
    void Paint(gfx::Canvas& canvas);
    void DrawChart(gfx::Canvas& canvas);

    // The values under pixel P; P.x == -1 means the centre of the plot.
    TValuePoint PointToValue(gfx::Point P);
    void SetScale(int N);

    // Some curve holds more than one point.
    bool HasData() const;
    std::optional<TFoundPoint> FindPointAt(gfx::Point P);
    // The point hint for the cursor at P, or nullopt when no point is near it.
    std::optional<std::string> HintText(gfx::Point P);

    // Input from the window.
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void MouseMove(TShiftState Shift, int X, int Y);
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    // `delta` in the window system's units, 120 per notch; positive turns away from the user.
    void MouseWheel(int delta, TShiftState Shift, int X, int Y);
    void KeyDown(chart::TKey& Key, TShiftState Shift);
    void KeyUp(chart::TKey& Key, TShiftState Shift);
    void DblClick();
    // The window gained or lost the keyboard focus.
    void FocusChanged();
    // The arrow keys belong to the chart, not to focus navigation.
    static bool WantsKey(chart::TKey key);

  protected:
    // Creates the owned collection; called once, on the first use of Curves. (Not by the
    // constructor: there a derived chart's override would not be called.)
    virtual std::unique_ptr<TCurves> CreateCurves();
    void PanTo(gfx::Point P);

  private:
    bool Focused() const { return host_ && host_->Focused(); }
    void SetViewToRange();
    void WidenRangeToData();
    void DrawZoomText(gfx::Canvas& canvas);
    void DrawLegend(gfx::Canvas& canvas);
    bool LayoutY(gfx::Canvas& canvas, double& step, double& first);
    void DrawYAxis(gfx::Canvas& canvas, double step, double first);
    void DrawXAxis(gfx::Canvas& canvas);
    void DrawCurves(gfx::Canvas& canvas);
    void ZoomBy(int steps);

    ChartHost* host_;

    TColor ColorAxis_ = clBlack;
    double MinXValue_ = 0;
    double MaxXValue_ = 100;
    double MinYValue_ = 0;
    double MaxYValue_ = 100;
    bool GridX_ = true;
    bool GridY_ = true;
    TColor Color_ = clWhite;
    TColor ColorGrid_ = clSilver;
    int StepScale_ = 100;
    mutable std::unique_ptr<TCurves> Curves_;  // made by the first Curves()
    int DecimalHint_ = 1;
    bool ShowTextScale_ = true;
    int Precision_ = 1;
    bool Details_ = false;
    bool ShowLegend_ = false;
    bool ShowHint_ = true;
    bool TabStop_ = true;

    int Width_ = kDefaultWidth;
    int Height_ = kDefaultHeight;

    int Scale_ = 100;
    double ZoomFactor_ = 1.0;
    double ViewMinX_ = 0;
    double ViewMaxX_ = 0;
    double ViewMinY_ = 0;
    double ViewMaxY_ = 0;
    gfx::Point Anchor_{0, 0};
    int PlotLeft_ = 0;
    int PlotWidth_ = 0;
    int PlotHeight_ = 0;
    int BottomMargin_ = 48;
    double XPerPixel_ = 0;
    double YPerPixel_ = 0;
    gfx::Size XLabelBox_;
    gfx::Size YLabelBox_;
    bool DragArmed_ = false;
    bool Dragged_ = false;
    TColor ScaleTextColor_ = MakeColor(220, 220, 220);

    bool PaintPending_ = false;
    int WheelAccumulator_ = 0;
};
