#include "platform/qt/qt_canvas.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <memory>

namespace {

// The application lives for the test run only, so that it is gone before Qt's globals are.
int argc = 1;
char name[] = "qt_canvas_test";
char* argv[] = {name, nullptr};
std::unique_ptr<QGuiApplication> app;

struct QtAppEnvironment : ::testing::Environment {
    void SetUp() override { app = std::make_unique<QGuiApplication>(argc, argv); }
    void TearDown() override { app.reset(); }
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

void EnsureApp() {
    ASSERT_NE(app, nullptr);
}

constexpr TColor kRed = MakeColor(255, 0, 0);
constexpr TColor kBlue = MakeColor(0, 0, 255);

QImage White(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    return img;
}

bool IsWhite(const QImage& img, int x, int y) {
    return img.pixel(x, y) == 0xFFFFFFFFu;
}

TEST(QtCanvas, ColourValuesAreBlueGreenRed) {
    EnsureApp();
    QImage img = White(4, 4);
    {
        QtCanvas c(img);
        c.SetBrushColor(kRed);
        c.FillRect({0, 0, 2, 4});
        c.SetBrushColor(kBlue);
        c.FillRect({2, 0, 4, 4});
    }
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(3, 3), qRgb(0, 0, 255));
}

TEST(QtCanvas, ThinLinesAndRectanglesKeepThePixelRules) {
    EnsureApp();
    QImage img = White(30, 30);
    {
        QtCanvas c(img);
        c.SetPen({kRed, 1, gfx::PenStyle::psSolid});
        c.Line({10, 2}, {2, 2});  // leftwards: 10 drawn, 2 not
        c.Line({25, 20}, {25, 5});
        c.SetBrushColor(kBlue);
        c.Rectangle({5, 10, 10, 14});
    }
    EXPECT_FALSE(IsWhite(img, 10, 2));
    EXPECT_FALSE(IsWhite(img, 3, 2));
    EXPECT_TRUE(IsWhite(img, 2, 2));
    EXPECT_FALSE(IsWhite(img, 25, 20));
    EXPECT_TRUE(IsWhite(img, 25, 5));
    EXPECT_EQ(img.pixel(5, 10), qRgb(255, 0, 0));  // outline in the pen colour
    EXPECT_EQ(img.pixel(9, 13), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(6, 11), qRgb(0, 0, 255));  // inside in the brush colour
    EXPECT_TRUE(IsWhite(img, 10, 12));
    EXPECT_TRUE(IsWhite(img, 7, 14));
}

TEST(QtCanvas, ClipHoldsForLinesFillsWideLinesAndText) {
    EnsureApp();
    QImage img = White(60, 40);
    {
        QtCanvas c(img);
        c.SetClipRect(gfx::Rect{10, 10, 30, 30});
        c.SetPen({kRed, 1, gfx::PenStyle::psSolid});
        c.Line({0, 15}, {59, 15});
        c.SetPen({kRed, 5, gfx::PenStyle::psSolid});
        const gfx::Point pts[] = {{0, 25}, {59, 25}, {59, 0}};
        c.Polyline(pts);
        c.SetBrushColor(kBlue);
        c.FillRect({0, 0, 60, 12});
        c.TextOut({0, 0}, "WWWWWWWWWWWW");
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x) {
            if (x < 10 || x >= 30 || y < 10 || y >= 30) {
                ASSERT_TRUE(IsWhite(img, x, y)) << x << "," << y;
            }
        }
    EXPECT_FALSE(IsWhite(img, 10, 15));
    EXPECT_FALSE(IsWhite(img, 29, 25));
}

TEST(QtCanvas, WideLinesHaveRoundEndsCoveringBothEndPoints) {
    EnsureApp();
    QImage img = White(30, 30);
    {
        QtCanvas c(img);
        c.SetPen({kRed, 4, gfx::PenStyle::psSolid});
        c.Line({5, 15}, {24, 15});
    }
    EXPECT_FALSE(IsWhite(img, 5, 15));
    EXPECT_FALSE(IsWhite(img, 24, 15));
    EXPECT_FALSE(IsWhite(img, 15, 13));
    EXPECT_FALSE(IsWhite(img, 15, 16));
    EXPECT_TRUE(IsWhite(img, 15, 10));
}

TEST(QtCanvas, TextSitsInItsCellOverTheBrushAndAlignsInItsBox) {
    EnsureApp();
    QImage img = White(200, 60);
    gfx::Size extent;
    {
        QtCanvas c(img);
        c.SetFont({"Tahoma", 8, false, kRed});
        extent = c.TextExtent("25,5");
        c.SetBrushColor(kBlue);
        c.TextRect({0, 30, 100, 30 + extent.height}, "25,5", gfx::TextAlign::taRight);
    }
    ASSERT_GT(extent.width, 0);
    ASSERT_GT(extent.height, 0);
    // The cell ends at the box's right edge and is filled with the brush.
    const int left = 100 - extent.width;
    EXPECT_TRUE(IsWhite(img, left - 1, 31));
    EXPECT_TRUE(IsWhite(img, 100, 31));
    int red = 0, blue = 0;
    for (int y = 30; y < 30 + extent.height; ++y)
        for (int x = left; x < 100; ++x) {
            const QRgb p = img.pixel(x, y);
            if (qRed(p) > 128 && qBlue(p) < 128) ++red;
            if (p == qRgb(0, 0, 255)) ++blue;
            ASSERT_FALSE(IsWhite(img, x, y)) << x << "," << y;
        }
    EXPECT_GT(red, 5);
    EXPECT_GT(blue, 5);
}

// Stripes under the text, so that glyph edges blend with more than one colour.
QImage Striped(int w, int h) {
    QImage img = White(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; x += 3) img.setPixel(x, y, qRgb(40 * (y % 5), 200, 90));
    return img;
}

// Laid-out texts kept between canvases draw what QPainter::drawText draws, in every face
// the chart uses, for labels, the zoom text and legend names (Cyrillic, kerning pairs).
TEST(QtCanvas, KeptTextLayoutsDrawWhatDrawTextDraws) {
    EnsureApp();
    const gfx::Font fonts[] = {{"Tahoma", 8, false, kRed},
                               {"Arial", 20, true, MakeColor(220, 220, 220)},
                               {"Arial", 10, false, clBlack},
                               {"No Such Family 1234", 9, true, kBlue}};
    const char* texts[] = {"0",       "37,6",      "-0,125",    "1000000",
                           "М: 150%", "AVAWTo fi", "Влажность", "x:12,5, 37,6"};
    QtTextCache cache;
    for (int pass = 0; pass < 2; ++pass) {  // the second pass draws from the cache
        for (const gfx::Font& font : fonts)
            for (const char* text : texts) {
                const QString s = QString::fromUtf8(text);
                QImage want = Striped(260, 50), got = Striped(260, 50);
                QFont qfont(QtCanvas::ResolveFamily(font.name));
                qfont.setPointSize(font.size);
                qfont.setBold(font.bold);
                const QFontMetrics metrics(qfont, &want);
                {
                    QPainter p(&want);
                    p.fillRect(7, 9, metrics.horizontalAdvance(s), metrics.height(),
                               QColor(0, 0, 255));
                    p.setFont(qfont);
                    p.setPen(QColor(ColorRed(font.color), ColorGreen(font.color),
                                    ColorBlue(font.color)));
                    p.drawText(7, 9 + metrics.ascent(), s);
                }
                gfx::Size extent;
                {
                    QtCanvas c(got, &cache);
                    c.SetFont(font);
                    c.SetBrushColor(kBlue);
                    extent = c.TextExtent(text);
                    c.TextOut({7, 9}, text);
                }
                EXPECT_EQ(extent.width, metrics.horizontalAdvance(s)) << text;
                EXPECT_EQ(extent.height, metrics.height()) << text;
                ASSERT_TRUE(got == want) << font.name << " " << font.size << ": " << text;
            }
    }
}

TEST(QtCanvas, TextRectCutsTextAtTheBox) {
    EnsureApp();
    QImage img = White(200, 40);
    {
        QtCanvas c(img);
        c.SetBrushColor(kBlue);
        c.TextRect({10, 10, 30, 14}, "0123456789", gfx::TextAlign::taLeft);
    }
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 10 && x < 30 && y >= 10 && y < 14;
            ASSERT_EQ(IsWhite(img, x, y), !inside) << x << "," << y;
        }
}

TEST(QtCanvas, MissingFontFamiliesFallBackToAnInstalledOne) {
    EnsureApp();
    const QString family = QtCanvas::ResolveFamily("No Such Family 1234");
    EXPECT_FALSE(family.isEmpty());
    EXPECT_TRUE(QFontDatabase::hasFamily(family));
    EXPECT_TRUE(QFontDatabase::hasFamily(QtCanvas::ResolveFamily("Arial")));
}

TEST(QtCanvas, FocusRectangleIsDottedAndInverts) {
    EnsureApp();
    QImage img = White(10, 10);
    {
        QtCanvas c(img);
        c.DrawFocusRect({0, 0, 10, 10});
    }
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_TRUE(IsWhite(img, 1, 0));
    EXPECT_EQ(img.pixel(9, 9), qRgb(0, 0, 0));
    EXPECT_TRUE(IsWhite(img, 5, 5));
}

TEST(QtCanvas, ConvertsAnImageThatIsNot32Bit) {
    EnsureApp();
    QImage img(8, 8, QImage::Format_RGB16);
    img.fill(Qt::white);
    {
        QtCanvas c(img);
        c.SetBrushColor(kRed);
        c.FillRect({0, 0, 4, 4});
    }
    EXPECT_EQ(img.format(), QImage::Format_RGB32);
    EXPECT_EQ(img.pixel(1, 1), qRgb(255, 0, 0));
}

}  // namespace
