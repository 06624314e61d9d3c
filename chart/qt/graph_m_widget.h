#pragma once
// The chart's window: a focusable QWidget that owns a TGraphM, paints it through an
// off-screen QImage copied in one operation (kept while the size stays), and forwards mouse, wheel,
// key, focus and tool-tip events to it. It takes the focus on tab or when the chart asks for it (on
// the release of a first click), never on a mouse press.

#include <QImage>
#include <QWidget>

#include "chart/chart_host.h"
#include "chart/graph_m.h"
#include "platform/qt/qt_canvas.h"

class GraphMWidget : public QWidget, private ChartHost {
  public:
    explicit GraphMWidget(QWidget* parent = nullptr);

    TGraphM& Chart() { return chart_; }
    const TGraphM& Chart() const { return chart_; }

    // TabStop of the chart and the widget's focus policy together.
    void SetTabStop(bool value);

    // Draws the chart afresh into an image the size of the widget (what a paint shows).
    QImage PaintImage();

  protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

  private:
    void RequestPaint() override;
    bool Focused() const override;
    bool CanFocus() const override;
    void TakeFocus() override;

    void ShowHintAt(const QPoint& local, const QPoint& global);
    // Draws the chart into image_; false when the widget has no pixels.
    bool Repaint();

    TGraphM chart_;
    QImage image_;
    QtTextCache text_cache_;
};
