// The main window over a QWidget, minimised into the tray on the offscreen platform.
#include "platform/qt/qt_tray_main_window.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <memory>

#include "platform/doubles/recording_tray_shell.h"
#include "platform/qt/qt_timer.h"
#include "platform/qt/tests/qt_test_app.h"
#include "tray/tray_icon.h"

namespace {

class QtTrayMainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();
        window->show();
        tray.SetIconVisible(true);
    }

    platform::QtTimerFactory timers;
    platform::RecordingTrayShell shell;  // a notification area that is there
    std::unique_ptr<QWidget> window = std::make_unique<QWidget>();
    platform::QtTrayMainWindow main_window{window.get()};
    TTrayIcon tray{shell.Handle(), timers, &main_window};
};

// Counts the window-state changes a widget is told of.
class StateChanges : public QObject {
  public:
    explicit StateChanges(QWidget* w) { w->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange) ++count;
        return false;
    }
    int count = 0;
};

TEST_F(QtTrayMainWindowTest, MinimisingIntoTheTrayOnlyHidesAndShowsBackNormal) {
    int events = 0;
    tray.OnMinimizeToTray = [&](TTrayIcon&) { ++events; };
    tray.SetMinimizeToTray(true);

    window->showMinimized();
    EXPECT_TRUE(window->isVisible());  // not from inside the state change
    StateChanges changes(window.get());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
    QTest::qWait(20);
    EXPECT_EQ(events, 1);
    // A state change of the hidden window would map it again under a window manager: an
    // empty frame left on the desktop.
    EXPECT_EQ(changes.count, 0);

    tray.ShowMainWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());

    // "Скрыть" and back, from the normal state.
    changes.count = 0;
    EXPECT_TRUE(tray.HideMainWindow());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(changes.count, 0);
    tray.ShowMainWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(QtTrayMainWindowTest, AMaximisedWindowComesBackMaximised) {
    tray.SetMinimizeToTray(true);
    window->showMaximized();
    window->setWindowState(window->windowState() | Qt::WindowMinimized);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isVisible(); }, 2000));
    tray.ShowMainWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->isMinimized());
    EXPECT_TRUE(window->isMaximized());
}

TEST_F(QtTrayMainWindowTest, WithoutMinimizeToTrayAMinimisedWindowStaysMinimised) {
    window->showMinimized();
    QTest::qWait(50);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isMinimized());

    tray.ShowMainWindow();
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(QtTrayMainWindowTest, AWindowDestroyedFirstIsLeftAlone) {
    window.reset();
    EXPECT_FALSE(main_window.IsVisible());
    tray.ShowMainWindow();
    tray.HideMainWindow();
    EXPECT_FALSE(main_window.IsVisible());
}

}  // namespace
