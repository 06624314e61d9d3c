// Clipboard and web links on the offscreen platform.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QObject>
#include <QUrl>

#include "platform/qt/qt_clipboard.h"
#include "platform/qt/qt_url_opener.h"
#include "platform/qt/tests/qt_test_app.h"

namespace {

class UrlCatcher : public QObject {
    Q_OBJECT

  public slots:
    void open(const QUrl& url) { urls.push_back(url); }

  public:
    QList<QUrl> urls;
};

TEST(QtClipboard, TextGoesToTheDesktopClipboardAndBack) {
    TestApp();
    platform::QtClipboard clipboard;
    clipboard.SetText("T1\t37,5\r\nВлажность 55");
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "T1\t37,5\r\nВлажность 55");
    QGuiApplication::clipboard()->setText("из другой программы");
    EXPECT_EQ(clipboard.Text(), "из другой программы");
}

class QtUrlOpenerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        QDesktopServices::setUrlHandler("https", &catcher, "open");
        QDesktopServices::setUrlHandler("http", &catcher, "open");
    }
    void TearDown() override {
        QDesktopServices::unsetUrlHandler("https");
        QDesktopServices::unsetUrlHandler("http");
    }
    UrlCatcher catcher;
    platform::QtUrlOpener opener;
};

TEST_F(QtUrlOpenerTest, AddressesGoToTheDesktopsHandler) {
    EXPECT_TRUE(opener.Open("https://example.com/инкубатор?x=1&y=2"));
    EXPECT_TRUE(opener.Open("  www.example.com/serial  "));
    ASSERT_EQ(catcher.urls.size(), 2);
    EXPECT_EQ(catcher.urls[0], QUrl("https://example.com/инкубатор?x=1&y=2"));
    EXPECT_EQ(catcher.urls[1], QUrl("http://www.example.com/serial"));
}

TEST_F(QtUrlOpenerTest, NothingToOpenIsFalse) {
    EXPECT_FALSE(opener.Open(""));
    EXPECT_FALSE(opener.Open("   "));
    EXPECT_TRUE(catcher.urls.isEmpty());
}

}  // namespace

#include "qt_small_services_test.moc"
