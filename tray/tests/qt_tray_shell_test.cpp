// The Qt notification area with the tray icon component, on the offscreen platform (which
// has no notification area).
#include "platform/qt/qt_tray_shell.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/qt/qt_timer.h"
#include "platform/qt/qt_tray_main_window.h"
#include "platform/qt/qt_tray_menu.h"
#include "platform/qt/tests/qt_test_app.h"
#include "tray/tray_icon.h"

namespace {

using namespace tray;

constexpr int kDoubleClickMs = 200;

class QtTrayShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        QGuiApplication::styleHints()->setMouseDoubleClickInterval(kDoubleClickMs);
    }

    // A component on a Qt shell; `shell` is left pointing at the shell it owns.
    std::unique_ptr<TTrayIcon> MakeTray(platform::QtTrayShell::Options options = {},
                                        platform::TrayMainWindow* window = nullptr) {
        auto owned = std::make_unique<platform::QtTrayShell>(std::move(options));
        shell = owned.get();
        return std::make_unique<TTrayIcon>(std::move(owned), timers, window);
    }

    void Activate(QSystemTrayIcon::ActivationReason reason) {
        emit shell->trayIcon().activated(reason);
    }

    platform::QtTimerFactory timers;
    platform::QtTrayShell* shell = nullptr;
};

platform::QtTrayShell::Options AreaThere(const bool& there) {
    platform::QtTrayShell::Options options;
    options.area_available = [&there] { return there; };
    options.watch_interval_ms = 20;
    return options;
}

TEST_F(QtTrayShellTest, WithoutANotificationAreaEverythingFailsQuietly) {
    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
    QWidget window;
    window.show();
    platform::QtTrayMainWindow main_window(&window);
    {
        auto tray = MakeTray({}, &main_window);
        tray->SetHint("T1=37,5\rT2=37,4");
        tray->OnStartup = [](TTrayIcon&, bool& show) { show = false; };
        tray->Loaded();
        tray->SetIconVisible(true);
        EXPECT_FALSE(tray->IconShown());
        EXPECT_FALSE(tray->StartHidden());
        EXPECT_FALSE(tray->UpdateIcon());
        EXPECT_FALSE(tray->ShowBalloon("Нет данных", "Контроллер не отвечает", biWarning, 10));
        EXPECT_FALSE(tray->HideBalloon());

        EXPECT_FALSE(tray->HideMainWindow());
        EXPECT_FALSE(tray->MinimizeIntoTray());
        tray->SetMinimizeToTray(true);
        window.showMinimized();
        QTest::qWait(50);
        EXPECT_TRUE(window.isVisible());
        EXPECT_FALSE(shell->trayIcon().isVisible());
    }
    EXPECT_TRUE(window.isVisible());
}

TEST_F(QtTrayShellTest, TwoClicksWithinTheIntervalAreADoubleClick) {
    auto tray = MakeTray();
    int clicks = 0, doubles = 0;
    tray->OnClick = [&](TTrayIcon&) { ++clicks; };
    tray->OnDblClick = [&](TTrayIcon&) { ++doubles; };

    Activate(QSystemTrayIcon::Trigger);
    Activate(QSystemTrayIcon::Trigger);
    QTest::qWait(2 * kDoubleClickMs);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(clicks, 0);

    // A host that reports its own double-click after the two clicks: still one.
    Activate(QSystemTrayIcon::Trigger);
    Activate(QSystemTrayIcon::Trigger);
    Activate(QSystemTrayIcon::DoubleClick);
    QTest::qWait(2 * kDoubleClickMs);
    EXPECT_EQ(doubles, 2);

    // A host that reports a click and then a double-click for the second press.
    Activate(QSystemTrayIcon::Trigger);
    Activate(QSystemTrayIcon::DoubleClick);
    QTest::qWait(2 * kDoubleClickMs);
    EXPECT_EQ(doubles, 3);
    EXPECT_EQ(clicks, 0);
}

TEST_F(QtTrayShellTest, OneClickRaisesOnClickAfterTheInterval) {
    auto tray = MakeTray();
    int clicks = 0, doubles = 0;
    qint64 clicked_after = -1;
    QElapsedTimer since;
    tray->OnClick = [&](TTrayIcon&) {
        ++clicks;
        clicked_after = since.elapsed();
    };
    tray->OnDblClick = [&](TTrayIcon&) { ++doubles; };

    since.start();
    Activate(QSystemTrayIcon::Trigger);
    EXPECT_EQ(clicks, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 5000));
    EXPECT_GE(clicked_after, kDoubleClickMs);

    // Two clicks further apart than the interval are two clicks. The second comes only once
    // the first has been raised: on a loaded machine a fixed pause may not reach the timer.
    Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 2; }, 5000));
    Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 3; }, 5000));
    EXPECT_EQ(clicks, 3);
    EXPECT_EQ(doubles, 0);
}

TEST_F(QtTrayShellTest, ContextAndMiddleClicksAndTheMenuOpenedOnce) {
    auto tray = MakeTray();
    QMenu menu;
    menu.addAction("Показать");
    platform::QtTrayMenu tray_menu(&menu);
    tray->SetPopupMenu(&tray_menu);
    EXPECT_EQ(shell->trayIcon().contextMenu(), &menu);

    std::vector<TMouseButton> downs, ups;
    tray->OnMouseDown = [&](TTrayIcon&, TMouseButton b, TShiftState, int, int) {
        downs.push_back(b);
    };
    tray->OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState, int, int) { ups.push_back(b); };

    Activate(QSystemTrayIcon::Context);  // the desktop opens the menu itself
    EXPECT_FALSE(menu.isVisible());
    Activate(QSystemTrayIcon::MiddleClick);
    EXPECT_EQ(downs, (std::vector<TMouseButton>{mbRight, mbMiddle}));
    EXPECT_EQ(ups, (std::vector<TMouseButton>{mbRight, mbMiddle}));

    tray->SetLeftPopup(true);  // the left button's menu is ours to open
    Activate(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(menu.isVisible());
    menu.hide();
}

TEST_F(QtTrayShellTest, BalloonIsReportedShownThenTimedOutOrClicked) {
    bool area = true;
    auto tray = MakeTray(AreaThere(area));
    int shown = 0, timeouts = 0, clicks = 0;
    tray->OnBalloonHintShow = [&](TTrayIcon&) { ++shown; };
    tray->OnBalloonHintTimeout = [&](TTrayIcon&) { ++timeouts; };
    tray->OnBalloonHintClick = [&](TTrayIcon&) { ++clicks; };

    tray->SetHint("T1=37,5\rT2=37,4");
    tray->SetIconVisible(true);
    ASSERT_TRUE(tray->IconShown());
    EXPECT_EQ(shell->trayIcon().toolTip(), "T1=37,5\nT2=37,4");
    EXPECT_FALSE(shell->trayIcon().icon().isNull());  // a stand-in for a missing icon

    QElapsedTimer since;
    since.start();
    EXPECT_TRUE(tray->ShowBalloon("Нет данных", "Контроллер молчит", biWarning, 1));
    EXPECT_EQ(shown, 0);  // reported from the event loop, not from inside the call
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown == 1; }, 1000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return timeouts == 1; }, 5000));
    EXPECT_GE(since.elapsed(), 1000);

    EXPECT_TRUE(tray->ShowBalloon("Тревога", "T1 выше предела", biUser, 1));
    emit shell->trayIcon().messageClicked();
    QTest::qWait(1300);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(timeouts, 1);
    EXPECT_EQ(shown, 2);
}

TEST_F(QtTrayShellTest, ABalloonRemovedWithItsIconInTheSameTurnIsReportedShownThenHidden) {
    bool area = true;
    auto tray = MakeTray(AreaThere(area));
    std::vector<std::string> events;
    tray->OnBalloonHintShow = [&](TTrayIcon&) { events.push_back("shown"); };
    tray->OnBalloonHintHide = [&](TTrayIcon&) { events.push_back("hidden"); };
    tray->OnBalloonHintTimeout = [&](TTrayIcon&) { events.push_back("timed out"); };
    tray->SetIconVisible(true);
    ASSERT_TRUE(tray->ShowBalloon("Ошибка порта", "Порт COM1 не открыт", biWarning, 1));
    tray->SetIconVisible(false);
    QTest::qWait(1200);
    EXPECT_EQ(events, (std::vector<std::string>{"shown", "hidden"}));
}

TEST_F(QtTrayShellTest, UpdatesLoadTheIconOnlyWhenItsSourceChanges) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString red = dir.filePath("red.png"), blue = dir.filePath("blue.png");
    for (const auto& [path, colour] : {std::pair{red, Qt::red}, std::pair{blue, Qt::blue}}) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(path));
    }
    bool area = true;
    auto tray = MakeTray(AreaThere(area));
    tray->SetIcon({red.toStdString()});
    tray->SetIconVisible(true);
    ASSERT_TRUE(tray->IconShown());
    const qint64 loaded = shell->trayIcon().icon().cacheKey();

    // The main window sets the hint on every packet; balloons come with alarms.
    tray->SetHint("T1=37,5");
    tray->SetHint("T1=37,6");
    EXPECT_TRUE(tray->ShowBalloon("Тревога", "T1 выше предела", biWarning, 10));
    EXPECT_EQ(shell->trayIcon().toolTip(), "T1=37,6");
    EXPECT_EQ(shell->trayIcon().icon().cacheKey(), loaded);

    tray->SetIcon({blue.toStdString()});
    EXPECT_NE(shell->trayIcon().icon().cacheKey(), loaded);
    EXPECT_EQ(shell->trayIcon().icon().pixmap(16).toImage().pixelColor(8, 8), QColor(Qt::blue));
}

TEST_F(QtTrayShellTest, AnAreaThatComesLaterGetsTheIconAndOneThatGoesGivesTheWindowBack) {
    bool area = false;
    QWidget window;
    window.show();
    platform::QtTrayMainWindow main_window(&window);
    auto tray = MakeTray(AreaThere(area), &main_window);
    tray->SetIconVisible(true);
    EXPECT_FALSE(tray->IconShown());

    area = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray->IconShown(); }, 5000));
    EXPECT_TRUE(tray->HideMainWindow());
    EXPECT_FALSE(window.isVisible());

    area = false;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !tray->IconShown(); }, 5000));
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
