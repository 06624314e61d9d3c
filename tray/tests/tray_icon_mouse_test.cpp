// The notification area's mouse notifications turned into the icon's events.
#include <string>
#include <vector>

#include "tray/tests/tray_fixture.h"

namespace {

using namespace tray;

class StubMenu : public platform::TrayMenu {
  public:
    bool AutoPopup() const override { return auto_popup; }
    void ClickDefaultItem() override { ++default_clicks; }
    bool auto_popup = true;
    int default_clicks = 0;
};

class TrayMouseTest : public TrayFixture {
  protected:
    void SetUp() override {
        tray->SetIconVisible(true);
        tray->OnClick = [this](TTrayIcon& sender) {
            EXPECT_EQ(&sender, tray.get());
            log.push_back("click@" + std::to_string(clock.Now()));
        };
        tray->OnDblClick = [this](TTrayIcon&) { log.push_back("dbl"); };
    }
    std::vector<std::string> log;
};

TEST_F(TrayMouseTest, WithADoubleClickHandlerAClickWaitsForTheDoubleClickTime) {
    shell.double_click_ms = 400;
    Click();
    clock.Advance(399);
    EXPECT_TRUE(log.empty());
    clock.Advance(1);
    clock.Advance(5000);
    EXPECT_EQ(log, (std::vector<std::string>{"click@400"}));
}

TEST_F(TrayMouseTest, WithoutADoubleClickHandlerAClickIsRaisedOnRelease) {
    tray->OnDblClick = nullptr;
    shell.Notify(Note::LeftDown);
    EXPECT_TRUE(log.empty());
    shell.Notify(Note::LeftUp);
    EXPECT_EQ(log, (std::vector<std::string>{"click@0"}));
    clock.Advance(5000);
    EXPECT_EQ(log.size(), 1u);
}

TEST_F(TrayMouseTest, ADoubleClickRaisesOnlyTheDoubleClick) {
    DoubleClick();
    clock.Advance(5000);
    EXPECT_EQ(log, (std::vector<std::string>{"dbl"}));

    // The next single click is a click again.
    Click();
    clock.Advance(5000);
    EXPECT_EQ(log, (std::vector<std::string>{"dbl", "click@5500"}));
}

TEST_F(TrayMouseTest, AButtonHeldPastTheDoubleClickTimeClicksOnRelease) {
    shell.Notify(Note::LeftDown);
    clock.Advance(2000);
    EXPECT_TRUE(log.empty());
    shell.Notify(Note::LeftUp);
    EXPECT_EQ(log, (std::vector<std::string>{"click@2000"}));
}

TEST_F(TrayMouseTest, DisabledIconIgnoresTheMouseButNotBalloons) {
    int mouse = 0, balloon = 0;
    tray->OnMouseDown = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { ++mouse; };
    tray->OnMouseUp = [&](TTrayIcon&, TMouseButton, TShiftState, int, int) { ++mouse; };
    tray->OnMouseMove = [&](TTrayIcon&, TShiftState, int, int) { ++mouse; };
    tray->OnBalloonHintShow = [&](TTrayIcon&) { ++balloon; };
    tray->OnBalloonHintHide = [&](TTrayIcon&) { ++balloon; };
    tray->OnBalloonHintTimeout = [&](TTrayIcon&) { ++balloon; };
    tray->OnBalloonHintClick = [&](TTrayIcon&) { ++balloon; };
    tray->SetEnabled(false);

    DoubleClick();
    for (Note n : {Note::MouseMove, Note::RightDown, Note::RightUp, Note::MiddleDown,
                   Note::MiddleUp, Note::ContextMenu})
        shell.Notify(n);
    clock.Advance(5000);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(mouse, 0);

    for (Note n :
         {Note::BalloonShow, Note::BalloonHide, Note::BalloonTimeout, Note::BalloonUserClick})
        shell.Notify(n);
    EXPECT_EQ(balloon, 4);
}

TEST_F(TrayMouseTest, ButtonEventsCarryButtonKeysAndCursor) {
    struct Press {
        bool down;
        TMouseButton button;
        TShiftState shift;
        int x, y;
        bool operator==(const Press&) const = default;
    };
    std::vector<Press> presses;
    tray->OnMouseDown = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
        presses.push_back({true, b, s, x, y});
    };
    tray->OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState s, int x, int y) {
        presses.push_back({false, b, s, x, y});
    };
    shell.cursor = {1850, 1060};
    shell.keys = platform::kKeyShift | platform::kKeyCtrl;
    Click();
    shell.keys = platform::kKeyAlt;
    shell.Notify(Note::MiddleDown);
    shell.Notify(Note::MiddleUp);
    shell.keys = 0;
    shell.Notify(Note::RightDown);
    shell.Notify(Note::RightUp);
    shell.Notify(Note::ContextMenu);  // style 0: the right button's release was enough

    const TShiftState left = ssLeft | ssShift | ssCtrl;
    const TShiftState middle = ssMiddle | ssAlt;
    EXPECT_EQ(presses, (std::vector<Press>{{true, mbLeft, left, 1850, 1060},
                                           {false, mbLeft, left, 1850, 1060},
                                           {true, mbMiddle, middle, 1850, 1060},
                                           {false, mbMiddle, middle, 1850, 1060},
                                           {true, mbRight, ssRight, 1850, 1060},
                                           {false, mbRight, ssRight, 1850, 1060}}));
}

TEST_F(TrayMouseTest, NotifyStyleOneTakesTheContextMenuNotificationAsTheRightRelease) {
    int ups = 0;
    tray->OnMouseUp = [&](TTrayIcon&, TMouseButton b, TShiftState, int, int) {
        if (b == mbRight) ++ups;
    };
    tray->SetNotifyStyle(1);
    tray->Loaded();
    EXPECT_EQ(shell.Last().op, Op::SetVersion);
    EXPECT_EQ(shell.Last().version, 3u);
    shell.Notify(Note::RightUp);
    EXPECT_EQ(ups, 0);
    shell.Notify(Note::ContextMenu);
    shell.Notify(Note::KeySelect);
    EXPECT_EQ(ups, 2);
}

TEST_F(TrayMouseTest, MenuOpensAtTheCursorOnItsButton) {
    StubMenu menu;
    tray->SetPopupMenu(&menu);
    EXPECT_EQ(shell.context_menu, &menu);
    shell.cursor = {10, 20};

    shell.Notify(Note::RightDown);
    ASSERT_EQ(shell.menus_shown.size(), 1u);
    EXPECT_EQ(shell.menus_shown[0].menu, &menu);
    EXPECT_EQ(shell.menus_shown[0].at, (platform::TrayPoint{10, 20}));

    Click();  // the left button opens it only with LeftPopup
    EXPECT_EQ(shell.menus_shown.size(), 1u);
    tray->SetLeftPopup(true);
    shell.Notify(Note::LeftDown);
    EXPECT_EQ(shell.menus_shown.size(), 2u);

    menu.auto_popup = false;
    shell.Notify(Note::RightDown);
    EXPECT_EQ(shell.menus_shown.size(), 2u);
}

TEST_F(TrayMouseTest, DoubleClickChoosesTheMenusDefaultItemUnlessTheLeftButtonPopsUp) {
    StubMenu menu;
    tray->SetPopupMenu(&menu);
    DoubleClick();
    EXPECT_EQ(menu.default_clicks, 1);
    tray->SetLeftPopup(true);
    DoubleClick();
    EXPECT_EQ(menu.default_clicks, 1);
}

TEST_F(TrayMouseTest, EnterAndExitFollowTheCursorWhenWanted) {
    std::vector<std::string> moves;
    tray->OnMouseEnter = [&](TTrayIcon&) { moves.push_back("enter"); };
    tray->OnMouseExit = [&](TTrayIcon&) { moves.push_back("exit@" + std::to_string(clock.Now())); };
    tray->OnMouseMove = [&](TTrayIcon&, TShiftState, int x, int) {
        moves.push_back("move" + std::to_string(x));
    };

    shell.cursor = {5, 5};
    shell.Notify(Note::MouseMove);
    clock.Advance(100);
    EXPECT_EQ(moves, (std::vector<std::string>{"move5"}));  // not wanted: no enter, no exit

    tray->SetWantEnterExitEvents(true);
    moves.clear();
    shell.Notify(Note::MouseMove);
    shell.cursor = {6, 5};
    shell.Notify(Note::MouseMove);
    clock.Advance(100);  // the cursor stays where it last moved: still inside
    shell.cursor = {300, 5};
    clock.Advance(20);
    clock.Advance(100);
    shell.cursor = {5, 5};
    shell.Notify(Note::MouseMove);
    EXPECT_EQ(moves,
              (std::vector<std::string>{"enter", "move5", "move6", "exit@220", "enter", "move5"}));
}

}  // namespace
