#pragma once
// What the chart needs from the window that shows it.

class ChartHost {
  public:
    virtual ~ChartHost() = default;
    // Marks the window for painting; the paint itself comes later, once.
    virtual void RequestPaint() = 0;
    virtual bool Focused() const = 0;
    // Visible and enabled, so that it may take the keyboard focus.
    virtual bool CanFocus() const = 0;
    virtual void TakeFocus() = 0;
};
