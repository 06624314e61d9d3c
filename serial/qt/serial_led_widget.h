#pragma once
// The lamp on a form: a 25 x 25 widget without a background of its own that paints the
// lamp's glyph. The lamp logic is TSerialLed; this widget only draws it.

#include <QImage>
#include <QWidget>
#include <memory>

#include "platform/timer.h"
#include "serial/serial_led.h"

class TSerialLedWidget : public QWidget {
  public:
    // With Qt timers of its own.
    explicit TSerialLedWidget(QWidget* parent = nullptr);
    // With timers from `timers`, which outlives the widget.
    explicit TSerialLedWidget(platform::TimerFactory& timers, QWidget* parent = nullptr);
    ~TSerialLedWidget() override;

    TSerialLed& Led() { return led_; }
    QSize sizeHint() const override;

    static QImage ToImage(const TLedBitmap& bitmap);
    static TLedBitmap FromImage(const QImage& image);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Init();

    std::unique_ptr<platform::TimerFactory> own_timers_;
    TSerialLed led_;
};
