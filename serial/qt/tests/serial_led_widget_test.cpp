// The lamp widget on the offscreen platform: what it paints and when.
#include <gtest/gtest.h>

#include <QImage>
#include <QPixmap>
#include <QTest>

#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"
#include "platform/qt/tests/qt_test_app.h"
#include "serial/qt/serial_led_widget.h"
#include "serial/serial_port.h"

namespace {

class CountingLedWidget : public TSerialLedWidget {
  public:
    using TSerialLedWidget::TSerialLedWidget;
    int paints = 0;

  protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        TSerialLedWidget::paintEvent(event);
    }
};

QRgb CentreOf(QWidget& w) {
    return w.grab().toImage().pixel(12, 12);
}

TEST(SerialLedWidget, PaintsTheKindsLampLitOrUnlitInTheMiddle) {
    platform::VirtualClock clock;
    TSerialLedWidget w(clock);
    EXPECT_EQ(w.size(), QSize(25, 25));
    w.Led().SetKind(lkGreenLight);
    w.Led().SetState(lsOn);
    const QRgb lit = CentreOf(w);
    EXPECT_GT(qGreen(lit), 200);
    EXPECT_LT(qRed(lit), qGreen(lit));
    w.Led().SetState(lsOff);
    const QRgb unlit = CentreOf(w);
    EXPECT_LT(qGreen(unlit), 150);
    // The lamp sits in the middle: the corners of the control stay unpainted.
    const QImage image = w.grab().toImage();
    EXPECT_EQ(image.pixel(12, 12), unlit);
    EXPECT_NE(image.pixel(2, 2), unlit);

    w.Led().SetState(lsOn);
    w.setEnabled(false);
    EXPECT_FALSE(w.Led().Enabled());
    EXPECT_EQ(CentreOf(w), unlit);
}

TEST(SerialLedWidget, APortNoticePaintsAtOnceWithoutTheEventLoop) {
    platform::VirtualClock clock;
    FakeSerialBackend backend;
    backend.AddPort("COM1");
    QueuedUiThread ui;
    TSerialPort port(backend, ui);
    CountingLedWidget w(clock);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.Led().SetComPort(&port);
    int during_open = -1;
    port.OnAfterOpen = [&](TCustomSerialPort&) { during_open = w.paints; };
    const int before = w.paints;
    port.OpenPort();
    EXPECT_GT(during_open, before);
}

TEST(SerialLedWidget, ImagesConvertBothWays) {
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(qRgba(10, 20, 30, 255));
    image.setPixel(2, 1, qRgba(200, 100, 50, 0));
    const TLedBitmap b = TSerialLedWidget::FromImage(image);
    ASSERT_EQ(b.Width, 3);
    EXPECT_EQ(b.At(0, 0), 0xFF0A141Eu);
    EXPECT_EQ(TSerialLedWidget::ToImage(b), image);
}

}  // namespace
