// The about window under the mouse: links light up when pointed at, the free surface puts
// them out and closes the window when clicked, a click on a link opens its address.

#include "app/qt/about_form.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "platform/doubles/recording_url_opener.h"
#include "platform/qt/tests/qt_test_app.h"
#include "ui_about_form.h"

namespace {

const AboutAddresses kAddresses{"file:///p/README.md", "file:///p/chart/", "file:///p/serial/",
                                "file:///p/tray/"};

class AboutFormTest : public ::testing::Test {
  protected:
    AboutFormTest() {
        main_window.setGeometry(120, 90, 600, 420);
        main_window.show();
    }

    std::unique_ptr<TfAbout> Open(const AboutAddresses& addresses = kAddresses) {
        auto form = std::make_unique<TfAbout>(opener, addresses, &main_window);
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        return form;
    }

    static bool Lit(const QLabel& link) {
        return link.palette().color(QPalette::WindowText) == QColor(0, 0, 255) &&
               link.font().underline();
    }
    static bool Plain(const QLabel& link) {
        return link.palette().color(QPalette::WindowText) == QColor(Qt::black) &&
               !link.font().underline();
    }
    // A point of the dialog that no control covers.
    static QPoint FreeSurface(TfAbout& form) {
        for (int y = 2; y < form.height(); y += 2)
            for (int x = 2; x < form.width(); x += 2)
                if (!form.childAt(x, y)) return {x, y};
        ADD_FAILURE() << "no free surface";
        return {};
    }
    // The pointer moves over `w` in the dialog's window, as the window system reports it.
    static void MoveOver(TfAbout& form, QWidget* w, QPoint at = {}) {
        QTest::mouseMove(form.windowHandle(),
                         w->mapTo(&form, at.isNull() ? w->rect().center() : at));
    }

    QWidget main_window;
    platform::RecordingUrlOpener opener;
};

TEST_F(AboutFormTest, ShowsTheVersionTheLinksAndTheNote) {
    auto form = Open();
    Ui::TfAbout& ui = form->ui();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("О программе"));
    EXPECT_GE(form->width(), 298);
    EXPECT_GE(form->height(), 153);
    EXPECT_EQ(form->minimumSize(), form->maximumSize()) << "a fixed dialog";
    EXPECT_LE((form->geometry().center() - main_window.geometry().center()).manhattanLength(), 4);

    EXPECT_EQ(ui.Label1->text(), QStringLiteral("V1.24   04.06.2015"));
    const QStringList texts = {"file:///p/README.md", "file:///p/chart/", "file:///p/serial/",
                               "file:///p/tray/"};
    for (int i = 0; i < 4; ++i) {
        QLabel& link = *form->Links()[static_cast<std::size_t>(i)];
        EXPECT_EQ(link.text(), texts[i]);
        EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(Plain(link));
    }
    // The note lies on the dialog's own colour.
    EXPECT_EQ(ui.Edit1->palette().color(QPalette::Base), form->palette().color(QPalette::Window));
}

TEST_F(AboutFormTest, PointingLightsALinkAndTheFreeSurfacePutsAllOut) {
    auto form = Open();
    const auto& links = form->Links();
    MoveOver(*form, links[1]);
    EXPECT_TRUE(Lit(*links[1]));
    EXPECT_TRUE(Plain(*links[0]) && Plain(*links[2]) && Plain(*links[3]));
    MoveOver(*form, links[3]);
    EXPECT_TRUE(Lit(*links[1]) && Lit(*links[3])) << "a link stays lit until the free surface";

    MoveOver(*form, form->ui().Label8);
    EXPECT_TRUE(Lit(*links[1])) << "a caption is not the free surface";

    MoveOver(*form, form.get(), FreeSurface(*form));
    for (QLabel* link : links) EXPECT_TRUE(Plain(*link)) << link->objectName().toStdString();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(AboutFormTest, ClickingALinkOpensItsAddressQuietly) {
    auto form = Open();
    opener.succeed = false;
    QTest::mouseClick(form->Links()[2], Qt::LeftButton);
    QTest::mouseClick(form->Links()[0], Qt::LeftButton);
    EXPECT_EQ(opener.opened, (std::vector<std::string>{kAddresses.serial, kAddresses.home}));
    EXPECT_TRUE(form->isVisible()) << "a link that cannot open says nothing and closes nothing";
}

TEST_F(AboutFormTest, ALongAddressIsShortenedButOpensWhole) {
    AboutAddresses long_ones = kAddresses;
    long_ones.home = "file:///home/someone/.local/share/doc/incubator-monitor/README.md";
    auto form = Open(long_ones);
    QLabel& home = *form->Links()[0];
    EXPECT_LT(home.text().size(), QString::fromStdString(long_ones.home).size());
    EXPECT_TRUE(home.text().endsWith(QStringLiteral("README.md")));
    EXPECT_EQ(home.toolTip().toStdString(), long_ones.home);
    QTest::mouseClick(&home, Qt::LeftButton);
    EXPECT_EQ(opener.opened, std::vector<std::string>{long_ones.home});
}

TEST_F(AboutFormTest, ADocumentThatIsNotThereIsNoLink) {
    AboutAddresses some = kAddresses;
    some.chart.clear();
    auto form = Open(some);
    QLabel& chart = *form->Links()[1];
    EXPECT_FALSE(chart.text().startsWith(QStringLiteral("file:")));
    EXPECT_NE(chart.cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(chart.toolTip().isEmpty());
    MoveOver(*form, &chart);
    EXPECT_TRUE(Plain(chart));
    QTest::mouseClick(&chart, Qt::LeftButton);
    QTest::mouseClick(form->Links()[3], Qt::LeftButton);
    EXPECT_EQ(opener.opened, std::vector<std::string>{kAddresses.tray});
    EXPECT_TRUE(form->isVisible());
}

TEST_F(AboutFormTest, ClickingTheFreeSurfaceCloses) {
    auto form = Open();
    QTest::mouseClick(form->ui().Label7, Qt::LeftButton);
    EXPECT_TRUE(form->isVisible()) << "a caption is not the free surface";
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, FreeSurface(*form));
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(opener.opened.empty());
}

}  // namespace
