// The notification area's notifications to the icon.
#include "tray/tray_icon.h"

using platform::TrayNotification;
using namespace tray;

void TTrayIcon::TrayNotify(TrayNotification message) {
    switch (message) {
        // Balloon notifications arrive whether or not the icon is Enabled.
        case TrayNotification::BalloonShow:
            DoBalloonHintShow();
            return;
        case TrayNotification::BalloonHide:
            DoBalloonHintHide();
            return;
        case TrayNotification::BalloonTimeout:
            DoBalloonHintTimeout();
            return;
        case TrayNotification::BalloonUserClick:
            DoBalloonHintClick();
            return;
        default:
            break;
    }
    if (enabled_) MouseNotification(message);
}

TShiftState TTrayIcon::Shift(unsigned button_flag) const {
    const unsigned keys = shell_->KeysDown();
    TShiftState shift = button_flag;
    if (keys & platform::kKeyShift) shift |= ssShift;
    if (keys & platform::kKeyAlt) shift |= ssAlt;
    if (keys & platform::kKeyCtrl) shift |= ssCtrl;
    return shift;
}

void TTrayIcon::MouseNotification(TrayNotification message) {
    const platform::TrayPoint at = shell_->CursorPos();
    // Every Do* step may destroy this icon.
    const auto alive = alive_;
    switch (message) {
        case TrayNotification::MouseMove:
            if (want_enter_exit_ && mouse_has_left_) {
                mouse_has_left_ = false;
                DoMouseEnter();
                if (!*alive) return;
            }
            last_move_ = at;
            DoMouseMove(Shift(0), at);
            break;
        case TrayNotification::LeftDown:
            clicks_.Down(static_cast<bool>(OnDblClick), shell_->DoubleClickTimeMs());
            DoMouseDown(mbLeft, Shift(ssLeft), at);
            if (*alive && left_popup_ && MenuPopsUp()) ShowMenuAtCursor();
            break;
        case TrayNotification::LeftUp:
            clicks_.Up();  // may raise OnClick
            if (*alive) DoMouseUp(mbLeft, Shift(ssLeft), at);
            break;
        case TrayNotification::LeftDoubleClick:
            clicks_.DoubleClick();
            DoDblClick();
            if (*alive && MenuPopsUp() && !left_popup_) popup_menu_->ClickDefaultItem();
            break;
        case TrayNotification::RightDown:
            DoMouseDown(mbRight, Shift(ssRight), at);
            if (*alive && MenuPopsUp()) ShowMenuAtCursor();
            break;
        case TrayNotification::RightUp:
            if (notify_style_ == 0) DoMouseUp(mbRight, Shift(ssRight), at);
            break;
        case TrayNotification::ContextMenu:
        case TrayNotification::Select:
        case TrayNotification::KeySelect:
            if (notify_style_ == 1) DoMouseUp(mbRight, Shift(ssRight), at);
            break;
        case TrayNotification::MiddleDown:
            DoMouseDown(mbMiddle, Shift(ssMiddle), at);
            break;
        case TrayNotification::MiddleUp:
            DoMouseUp(mbMiddle, Shift(ssMiddle), at);
            break;
        default:
            break;
    }
}

void TTrayIcon::ShowMenuAtCursor() {
    const platform::TrayPoint at = shell_->CursorPos();
    if (popup_menu_) shell_->ShowMenu(*popup_menu_, at);
}
