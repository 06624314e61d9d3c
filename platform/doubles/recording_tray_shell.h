#pragma once
// A notification area for tests: records every call, keeps the icon as a desktop would
// (an icon is modified or deleted only after it was added, an add fails while the area is
// missing), lets the test raise notifications, and plays balloons: shown at once, timed out
// on the given clock after the balloon's time-out, or clicked by the test.

#include <memory>
#include <vector>

#include "platform/timer.h"
#include "platform/tray_shell.h"

namespace platform {

class RecordingTrayShell : public TrayShell {
  public:
    enum class Op { Add, Modify, Delete, SetVersion };
    struct Call {
        Op op;
        TrayIconRecord record;
        bool ok;
        unsigned version = 0;
    };
    struct MenuShown {
        TrayMenu* menu;
        TrayPoint at;
    };

    // Without a clock balloons never time out.
    explicit RecordingTrayShell(TimerFactory* clock = nullptr);
    ~RecordingTrayShell() override;

    void SetListener(TrayShellListener* listener) override { listener_ = listener; }
    bool AddIcon(const TrayIconRecord& record) override;
    bool ModifyIcon(const TrayIconRecord& record) override;
    bool DeleteIcon(const TrayIconRecord& record) override;
    bool SetVersion(const TrayIconRecord& record, unsigned version) override;
    void SetContextMenu(TrayMenu* menu) override { context_menu = menu; }
    void ShowMenu(TrayMenu& menu, TrayPoint at) override { menus_shown.push_back({&menu, at}); }
    TrayPoint CursorPos() const override { return cursor; }
    unsigned KeysDown() const override { return keys; }
    std::uint32_t DoubleClickTimeMs() const override { return double_click_ms; }

    // A shell to hand to the component that forwards to this one, so that the test keeps
    // this one (and can look at it after the component is gone).
    std::unique_ptr<TrayShell> Handle();

    // The test's side.
    void Notify(TrayNotification message);
    void ClickBalloon();
    // The area restarts (icons gone) or goes away; the listener is told.
    void Restart();
    void Lose();
    // An area that is missing fails every add.
    void SetAvailable(bool available) { available_ = available; }

    bool IconShown() const { return shown_; }
    bool BalloonShown() const { return balloon_up_; }
    // The icon as the desktop shows it now.
    const TrayIconRecord& Current() const { return current_; }
    std::size_t Count(Op op) const;
    const Call& Last() const { return calls.back(); }

    std::vector<Call> calls;
    std::vector<MenuShown> menus_shown;
    TrayMenu* context_menu = nullptr;
    TrayPoint cursor;
    unsigned keys = 0;
    std::uint32_t double_click_ms = 500;

  private:
    void Apply(const TrayIconRecord& record);
    void EndBalloon(TrayNotification why);
    void Tell(TrayNotification message);

    TrayShellListener* listener_ = nullptr;
    std::unique_ptr<Timer> balloon_timer_;
    bool available_ = true;
    bool shown_ = false;
    bool balloon_up_ = false;
    TrayIconRecord current_;
};

}  // namespace platform
