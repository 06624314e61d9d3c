// The main window, the start-up question and the notification area coming and going.
#include "tray/tray_icon.h"

void TTrayIcon::Loaded() {
    if (main_window_) {
        bool show_main_form = true;
        const auto alive = alive_;
        DoStartup(show_main_form);
        if (!*alive) return;
        if (!show_main_form) {
            start_hidden_ = true;
            HideMainWindow();
        }
    }
    UpdateIcon();
    if (icon_visible_)
        AddIcon();
    else
        RemoveIcon();
    ApplyCycleIcons();
    ApplyEnterExit();
    shell_->SetVersion(record_, notify_style_ == 1 ? 3 : 0);
}

void TTrayIcon::ShowMainWindow() {
    if (main_window_) main_window_->ShowNormal();
}

bool TTrayIcon::HideMainWindow() {
    if (!main_window_ || !icon_shown_) return false;
    main_window_->Hide();
    return true;
}

bool TTrayIcon::MinimizeIntoTray() {
    // The icon first: the window is hidden only once there is a way back.
    SetIconVisible(true);
    return HideMainWindow();
}

void TTrayIcon::UserMinimized() {
    if (!minimize_to_tray_) return;
    SetIconVisible(true);
    if (!icon_shown_) return;  // stays minimised, with its taskbar button
    const auto alive = alive_;
    DoMinimizeToTray();
    if (*alive) MinimizeIntoTray();
}

void TTrayIcon::TrayShellRestarted() {
    icon_shown_ = false;
    if (icon_visible_) AddIcon();
}

void TTrayIcon::TrayShellLost() {
    icon_shown_ = false;
    if (main_window_ && !main_window_->IsVisible()) ShowMainWindow();
}
