// The main window through the icon: start-up, hiding, showing, minimising into the tray.
#include "tray/tests/tray_fixture.h"

namespace {

using TrayWindowTest = TrayFixture;

// The program's start: the stored form is loaded, then the creation handler makes the
// icon visible, then the window is shown unless it starts hidden.
void Start(TTrayIcon& tray, platform::FakeTrayMainWindow& window) {
    tray.Loaded();
    tray.SetIconVisible(true);
    if (!tray.StartHidden()) window.ShowNormal();
}

TEST_F(TrayWindowTest, StartupAnswerFalseKeepsTheMainWindowHidden) {
    int asked = 0;
    tray->OnStartup = [&](TTrayIcon& sender, bool& show) {
        EXPECT_EQ(&sender, tray.get());
        EXPECT_TRUE(show);
        ++asked;
        show = false;
    };
    Start(*tray, window);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(tray->StartHidden());
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.shows, 0);

    // The icon is the way back.
    tray->OnDblClick = [](TTrayIcon& t) { t.ShowMainWindow(); };
    DoubleClick();
    EXPECT_TRUE(window.visible);
}

TEST_F(TrayWindowTest, StartupAnswerTrueOrNoHandlerShowsTheMainWindow) {
    Start(*tray, window);
    EXPECT_FALSE(tray->StartHidden());
    EXPECT_TRUE(window.visible);

    platform::RecordingTrayShell other_shell;
    platform::FakeTrayMainWindow other_window;
    TTrayIcon other(other_shell.Handle(), clock, &other_window);
    int asked = 0;
    other.OnStartup = [&](TTrayIcon&, bool& show) {
        ++asked;
        show = true;
    };
    Start(other, other_window);
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(other_shell.IconShown());
    EXPECT_FALSE(other.StartHidden());
    EXPECT_TRUE(other_window.visible);
    EXPECT_EQ(other_window.hides, 0);
}

TEST_F(TrayWindowTest, WithoutANotificationAreaTheWindowStartsShownAndCannotBeHidden) {
    shell.SetAvailable(false);
    tray->OnStartup = [](TTrayIcon&, bool& show) { show = false; };
    Start(*tray, window);
    EXPECT_TRUE(tray->IconVisible());
    EXPECT_FALSE(tray->IconShown());
    EXPECT_FALSE(tray->StartHidden());
    EXPECT_TRUE(window.visible);

    EXPECT_FALSE(tray->HideMainWindow());
    EXPECT_FALSE(tray->MinimizeIntoTray());
    EXPECT_TRUE(window.visible);

    // An area that appears later gets the icon; then hiding works.
    shell.Restart();
    EXPECT_TRUE(tray->IconShown());
    EXPECT_TRUE(tray->HideMainWindow());
    EXPECT_FALSE(window.visible);
}

TEST_F(TrayWindowTest, HideAndShowMainWindow) {
    Start(*tray, window);
    EXPECT_TRUE(tray->HideMainWindow());
    EXPECT_FALSE(window.visible);
    EXPECT_TRUE(tray->HideMainWindow());  // hidden already: still hidden, still the icon
    EXPECT_FALSE(window.visible);
    EXPECT_TRUE(shell.IconShown());
    tray->ShowMainWindow();
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(window.minimized);
}

TEST_F(TrayWindowTest, MinimisingWithMinimizeToTrayHidesTheWindowAndLeavesTheIcon) {
    int events = 0;
    tray->OnMinimizeToTray = [&](TTrayIcon&) { ++events; };
    Start(*tray, window);

    window.UserMinimize();  // off: an ordinary minimised window
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(window.minimized);
    EXPECT_EQ(events, 0);

    tray->SetMinimizeToTray(true);
    window.ShowNormal();
    window.UserMinimize();
    EXPECT_EQ(events, 1);
    EXPECT_FALSE(window.visible);
    EXPECT_FALSE(window.minimized);
    EXPECT_TRUE(shell.IconShown());

    tray->ShowMainWindow();  // back in the normal state
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(window.minimized);
}

TEST_F(TrayWindowTest, MinimisingIntoAMissingNotificationAreaLeavesTheWindowMinimised) {
    int events = 0;
    tray->OnMinimizeToTray = [&](TTrayIcon&) { ++events; };
    tray->SetMinimizeToTray(true);
    shell.SetAvailable(false);
    window.ShowNormal();
    window.UserMinimize();
    EXPECT_EQ(events, 0);
    EXPECT_TRUE(window.visible);
    EXPECT_TRUE(window.minimized);
    EXPECT_TRUE(tray->IconVisible());  // asked for, so it comes when the area does
    shell.Restart();
    EXPECT_TRUE(shell.IconShown());
}

TEST_F(TrayWindowTest, AWindowHiddenWhenTheAreaGoesAwayIsShownAgain) {
    Start(*tray, window);
    tray->HideMainWindow();
    shell.Lose();
    EXPECT_FALSE(tray->IconShown());
    EXPECT_TRUE(window.visible);
    EXPECT_FALSE(tray->HideMainWindow());
}

TEST_F(TrayWindowTest, RemovingTheIconShowsAHiddenWindowAgain) {
    Start(*tray, window);
    tray->SetIconVisible(false);  // shown window: left as it is
    EXPECT_EQ(window.shows, 1);

    tray->SetIconVisible(true);
    tray->HideMainWindow();
    tray->SetIconVisible(false);
    EXPECT_FALSE(shell.IconShown());
    EXPECT_TRUE(window.visible);
    EXPECT_EQ(window.shows, 2);
    EXPECT_FALSE(tray->HideMainWindow());
}

TEST_F(TrayWindowTest, DestructionLeavesAHiddenWindowHidden) {
    Start(*tray, window);
    tray->HideMainWindow();
    tray.reset();  // the program is closing
    EXPECT_FALSE(shell.IconShown());
    EXPECT_FALSE(window.visible);
    EXPECT_EQ(window.shows, 1);
}

TEST_F(TrayWindowTest, DestructionRemovesTheIconAndLetsGoOfTheWindow) {
    Start(*tray, window);
    EXPECT_TRUE(window.HasMinimizeHandler());
    bool late_event = false;
    tray->OnBalloonHintHide = [&](TTrayIcon&) { late_event = true; };
    tray->ShowBalloon("Тревога", "T1 выше предела", biWarning, 10);
    tray.reset();
    EXPECT_FALSE(late_event);  // the balloon went with the icon, unreported
    EXPECT_FALSE(shell.IconShown());
    EXPECT_FALSE(window.HasMinimizeHandler());
    shell.Notify(Note::LeftDown);  // nobody listens any more
    window.UserMinimize();
}

TEST_F(TrayWindowTest, WithoutAMainWindowThereIsNoStartupQuestion) {
    platform::RecordingTrayShell lone_shell;
    TTrayIcon lone(lone_shell.Handle(), clock);
    bool asked = false;
    lone.OnStartup = [&](TTrayIcon&, bool&) { asked = true; };
    lone.Loaded();
    lone.SetIconVisible(true);
    EXPECT_FALSE(asked);
    EXPECT_TRUE(lone_shell.IconShown());
    EXPECT_FALSE(lone.StartHidden());
    EXPECT_FALSE(lone.HideMainWindow());
    EXPECT_FALSE(lone.MinimizeIntoTray());
    lone.ShowMainWindow();  // nothing to show, and no crash
    lone.SetIconVisible(false);
    EXPECT_FALSE(lone_shell.IconShown());
}

}  // namespace
