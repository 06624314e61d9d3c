#pragma once
// TTrayIcon: one icon in the desktop's notification area with its tip, balloon notices and
// pop-up menu; it turns the area's notifications into click, double-click, mouse and
// balloon events and hides and shows the program's main window (also minimising it into
// the notification area).
//
// Use: make it, set its properties and events as the window's stored form would, call
// Loaded() (the start-up question), then set IconVisible. At start the window is shown
// unless StartHidden().
//
// The main window is hidden only while the icon is shown: without a notification area the
// icon would be the only way back, so hiding is refused then, and a window hidden when the
// area goes away, or when IconVisible is switched off, is shown again.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/timer.h"
#include "platform/tray_shell.h"
#include "platform/tray_window.h"
#include "tray/click_sequence.h"
#include "tray/simple_timer.h"
#include "tray/tray_types.h"

class TTrayIcon : private platform::TrayShellListener {
  public:
    using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
    // x, y: the cursor in screen coordinates.
    using TMouseEvent = std::function<void(TTrayIcon& sender, TMouseButton button,
                                           TShiftState shift, int x, int y)>;
    using TMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;
    using TCycleEvent = std::function<void(TTrayIcon& sender, int NextIndex)>;
    using TStartupEvent = std::function<void(TTrayIcon& sender, bool& ShowMainForm)>;

    // `main_window` may be null: then the main-window operations do nothing.
    TTrayIcon(std::unique_ptr<platform::TrayShell> shell, platform::TimerFactory& timers,
              platform::TrayMainWindow* main_window = nullptr);
    ~TTrayIcon() override;
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // The start-up question and the icon settings, once the properties are set.
    void Loaded();

    // Shell operations; each result is the shell's success. A failure rolls nothing back.
    bool AddIcon();
    bool RemoveIcon();
    bool UpdateIcon();
    // `seconds` above 255 count as 255.
    bool ShowBalloon(std::string_view title, std::string_view text, TBalloonIconKind kind,
                     unsigned seconds);
    bool HideBalloon();

    void ShowMainWindow();
    // False, and the window left as it is, while the icon is not shown.
    bool HideMainWindow();
    bool MinimizeIntoTray();
    void ShowMenuAtCursor();

    // Whether the icon is in the notification area now (IconVisible is only the request).
    bool IconShown() const { return icon_shown_; }
    // The start-up question answered "not shown" and the icon is there to bring it back.
    bool StartHidden() const { return start_hidden_ && icon_shown_; }

    // The record as last prepared.
    const platform::TrayIconRecord& Record() const { return record_; }

    // Properties.
    bool DesignPreview() const { return design_preview_; }  // no effect at run time
    void SetDesignPreview(bool on) { design_preview_ = on; }
    const std::vector<platform::TrayImage>& IconList() const { return icon_list_; }
    void SetIconList(std::vector<platform::TrayImage> list);
    bool CycleIcons() const { return cycle_icons_; }
    void SetCycleIcons(bool on);
    std::uint32_t CycleInterval() const { return cycle_interval_; }
    void SetCycleInterval(std::uint32_t ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool on) { enabled_ = on; }
    const std::string& Hint() const { return hint_; }
    void SetHint(std::string hint);
    bool ShowHint() const { return show_hint_; }
    void SetShowHint(bool on);
    const platform::TrayImage& Icon() const { return icon_; }
    void SetIcon(platform::TrayImage icon);
    bool IconVisible() const { return icon_visible_; }
    void SetIconVisible(bool on);
    int IconIndex() const { return icon_index_; }
    void SetIconIndex(int index);
    platform::TrayMenu* PopupMenu() const { return popup_menu_; }
    void SetPopupMenu(platform::TrayMenu* menu);
    bool LeftPopup() const { return left_popup_; }
    void SetLeftPopup(bool on) { left_popup_ = on; }
    bool WantEnterExitEvents() const { return want_enter_exit_; }
    void SetWantEnterExitEvents(bool on);
    bool MinimizeToTray() const { return minimize_to_tray_; }
    void SetMinimizeToTray(bool on) { minimize_to_tray_ = on; }
    // 0: plain notifications, 1: the right button's release comes as a context-menu
    // notification. Sent to the shell by Loaded().
    int NotifyStyle() const { return notify_style_; }
    void SetNotifyStyle(int style) { notify_style_ = style == 1 ? 1 : 0; }

    // Events (an unassigned one is skipped); each passes this icon as sender.
    TNotifyEvent OnClick, OnDblClick;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TNotifyEvent OnMouseEnter, OnMouseExit;
    TCycleEvent OnCycle;
    TNotifyEvent OnBalloonHintShow, OnBalloonHintHide, OnBalloonHintTimeout, OnBalloonHintClick;
    TNotifyEvent OnMinimizeToTray;
    TStartupEvent OnStartup;

  protected:
    // One step per event, raising it.
    virtual void DoClick();
    virtual void DoDblClick();
    virtual void DoMouseDown(TMouseButton button, TShiftState shift, platform::TrayPoint at);
    virtual void DoMouseUp(TMouseButton button, TShiftState shift, platform::TrayPoint at);
    virtual void DoMouseMove(TShiftState shift, platform::TrayPoint at);
    virtual void DoMouseEnter();
    virtual void DoMouseExit();
    virtual void DoCycle(int next_index);
    virtual void DoBalloonHintShow();
    virtual void DoBalloonHintHide();
    virtual void DoBalloonHintTimeout();
    virtual void DoBalloonHintClick();
    virtual void DoMinimizeToTray();
    virtual void DoStartup(bool& show_main_form);

  private:
    void TrayNotify(platform::TrayNotification message) override;
    void TrayShellRestarted() override;
    void TrayShellLost() override;

    void PrepareRecord();
    // The record as sent; balloon fields go out once.
    platform::TrayIconRecord TakeRecord();
    void MouseNotification(platform::TrayNotification message);
    TShiftState Shift(unsigned button_flag) const;
    void ApplyCycleIcons();
    void ApplyEnterExit();
    void CycleStep();
    void ExitStep();
    void UserMinimized();
    bool MenuPopsUp() const { return popup_menu_ && popup_menu_->AutoPopup(); }

    // Cleared by the destructor. A handler may destroy the icon (its owner resets it):
    // code that raises an event holds a copy and touches nothing once it reads false.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);

    std::unique_ptr<platform::TrayShell> shell_;
    platform::TrayMainWindow* main_window_;
    platform::TrayIconRecord record_;

    bool design_preview_ = false;
    std::vector<platform::TrayImage> icon_list_;
    bool cycle_icons_ = false;
    std::uint32_t cycle_interval_ = 0;
    bool enabled_ = true;
    std::string hint_;
    bool show_hint_ = true;
    platform::TrayImage icon_;
    bool icon_visible_ = false;
    int icon_index_ = 0;
    platform::TrayMenu* popup_menu_ = nullptr;
    bool left_popup_ = false;
    bool want_enter_exit_ = false;
    bool minimize_to_tray_ = false;
    int notify_style_ = 0;

    bool icon_shown_ = false;
    bool start_hidden_ = false;
    bool mouse_has_left_ = true;
    platform::TrayPoint last_move_;

    TSimpleTimer cycle_timer_;
    TSimpleTimer exit_timer_;
    tray::ClickSequence clicks_;
};
