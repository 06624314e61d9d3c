// A handler may destroy the icon that raised it (its owner resets it, the program closes):
// nothing of the icon may be touched afterwards. The sanitizer build turns a fault here
// into a failure.
#include <functional>
#include <string>
#include <vector>

#include "tray/tests/tray_fixture.h"

namespace {

using namespace tray;

class DefaultItemMenu : public platform::TrayMenu {
  public:
    bool AutoPopup() const override { return true; }
    void ClickDefaultItem() override { ++clicks; }
    int clicks = 0;
};

class TrayLifetimeTest : public TrayFixture {
  protected:
    struct Case {
        std::string name;
        // Assigns a handler that destroys the icon, through Gone().
        std::function<void()> arm;
        // Makes the shell, the clock or the window raise that handler.
        std::function<void()> drive;
    };

    // A fresh, shown icon for each case.
    void Fresh() {
        tray.reset();  // first: the old icon unhooks from the shell it shares
        tray = std::make_unique<TTrayIcon>(shell.Handle(), clock, &window);
        tray->SetIconVisible(true);
        window.ShowNormal();
    }
    void Gone() { tray.reset(); }
    auto Notify() {
        return [this](TTrayIcon&) { Gone(); };
    }
    auto Mouse() {
        return [this](TTrayIcon&, TMouseButton, TShiftState, int, int) { Gone(); };
    }

    void Run(const std::vector<Case>& cases) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Fresh();
            c.arm();
            c.drive();
            EXPECT_EQ(tray, nullptr);
            // Nobody listens any more; the clock has nothing of the icon left to run.
            shell.Notify(Note::LeftDown);
            clock.Advance(5000);
        }
    }

    DefaultItemMenu menu;
};

TEST_F(TrayLifetimeTest, MouseHandlersMayDestroyTheIcon) {
    Run({
        {"double-click",
         [&] {
             tray->SetPopupMenu(&menu);
             tray->OnDblClick = Notify();
         },
         [&] { DoubleClick(); }},
        {"click on release", [&] { tray->OnClick = Notify(); }, [&] { Click(); }},
        {"left down", [&] { tray->OnMouseDown = Mouse(); }, [&] { shell.Notify(Note::LeftDown); }},
        {"right down",
         [&] {
             tray->SetPopupMenu(&menu);
             tray->OnMouseDown = Mouse();
         },
         [&] { shell.Notify(Note::RightDown); }},
        {"move", [&] { tray->OnMouseMove = [this](TTrayIcon&, TShiftState, int, int) { Gone(); }; },
         [&] { shell.Notify(Note::MouseMove); }},
        {"enter",
         [&] {
             tray->SetWantEnterExitEvents(true);
             tray->OnMouseEnter = Notify();
         },
         [&] { shell.Notify(Note::MouseMove); }},
    });
}

TEST_F(TrayLifetimeTest, TimerHandlersMayDestroyTheIcon) {
    Run({
        {"held-back click",
         [&] {
             tray->OnDblClick = [](TTrayIcon&) {};
             tray->OnClick = Notify();
         },
         [&] {
             Click();
             clock.Advance(shell.double_click_ms);
         }},
        {"cycle",
         [&] {
             tray->SetIconList({{"a.png"}, {"b.png"}});
             tray->SetCycleInterval(100);
             tray->SetCycleIcons(true);
             tray->OnCycle = [this](TTrayIcon&, int) { Gone(); };
         },
         [&] { clock.Advance(100); }},
        {"exit",
         [&] {
             tray->SetWantEnterExitEvents(true);
             tray->OnMouseExit = Notify();
         },
         [&] {
             shell.Notify(Note::MouseMove);
             shell.cursor = {400, 300};
             clock.Advance(20);
         }},
    });
}

TEST_F(TrayLifetimeTest, WindowAndBalloonHandlersMayDestroyTheIcon) {
    Run({
        {"start-up question",
         [&] {
             tray->OnStartup = [this](TTrayIcon&, bool& show) {
                 show = false;
                 Gone();
             };
         },
         [&] { tray->Loaded(); }},
        {"minimised into the tray",
         [&] {
             tray->SetMinimizeToTray(true);
             tray->OnMinimizeToTray = Notify();
         },
         [&] { window.UserMinimize(); }},
        {"balloon replaced",
         [&] {
             tray->ShowBalloon("Тревога", "T1 выше предела", biWarning, 10);
             tray->OnBalloonHintHide = Notify();
         },
         [&] { tray->ShowBalloon("Тревога", "T2 выше предела", biWarning, 10); }},
        {"balloon gone with the icon",
         [&] {
             tray->HideMainWindow();
             tray->ShowBalloon("Нет данных", "Контроллер молчит", biWarning, 10);
             tray->OnBalloonHintHide = Notify();
         },
         [&] { tray->SetIconVisible(false); }},
    });
}

}  // namespace
