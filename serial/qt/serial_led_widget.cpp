#include "serial/qt/serial_led_widget.h"

#include <QEvent>
#include <QPainter>

#include "platform/qt/qt_timer.h"

TSerialLedWidget::TSerialLedWidget(QWidget* parent)
    : QWidget(parent),
      own_timers_(std::make_unique<platform::QtTimerFactory>()),
      led_(*own_timers_) {
    Init();
}

TSerialLedWidget::TSerialLedWidget(platform::TimerFactory& timers, QWidget* parent)
    : QWidget(parent), led_(timers) {
    Init();
}

TSerialLedWidget::~TSerialLedWidget() {
    led_.SetRepaintHooks({}, {});
}

void TSerialLedWidget::Init() {
    resize(TSerialLed::kDefaultSize, TSerialLed::kDefaultSize);
    led_.SetEnabled(isEnabled());
    // A port notice may come in the middle of OpenPort on this thread: paint at once rather
    // than running the event loop there, which would re-enter other handlers.
    led_.SetRepaintHooks([this] { update(); }, [this] { repaint(); });
}

QSize TSerialLedWidget::sizeHint() const {
    return {TSerialLed::kDefaultSize, TSerialLed::kDefaultSize};
}

QImage TSerialLedWidget::ToImage(const TLedBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    return QImage(reinterpret_cast<const uchar*>(bitmap.Pixels.data()), bitmap.Width, bitmap.Height,
                  bitmap.Width * 4, QImage::Format_ARGB32)
        .copy();
}

TLedBitmap TSerialLedWidget::FromImage(const QImage& image) {
    TLedBitmap bitmap;
    if (image.isNull()) return bitmap;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    bitmap.Width = argb.width();
    bitmap.Height = argb.height();
    bitmap.Pixels.reserve(static_cast<std::size_t>(bitmap.Width * bitmap.Height));
    for (int y = 0; y < bitmap.Height; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        bitmap.Pixels.insert(bitmap.Pixels.end(), row, row + bitmap.Width);
    }
    return bitmap;
}

void TSerialLedWidget::paintEvent(QPaintEvent*) {
    const QRect r = contentsRect();
    const TSerialLed::Paint paint = led_.PaintIn({r.left(), r.top(), r.width(), r.height()});
    if (paint.glyph == nullptr || paint.glyph->Empty()) return;
    QPainter painter(this);
    painter.drawImage(QPoint(paint.at.X, paint.at.Y), ToImage(*paint.glyph));
}

void TSerialLedWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) led_.SetEnabled(isEnabled());
    QWidget::changeEvent(event);
}
