#include "tray/tray_icon.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "tray/tray_text.h"

namespace {

constexpr std::uint32_t kExitCheckMs = 20;
constexpr unsigned kMaxBalloonSeconds = 255;

std::uint32_t NextIconId() {
    static std::atomic<std::uint32_t> last{0};
    return ++last;
}

}  // namespace

TTrayIcon::TTrayIcon(std::unique_ptr<platform::TrayShell> shell, platform::TimerFactory& timers,
                     platform::TrayMainWindow* main_window)
    : shell_(std::move(shell)),
      main_window_(main_window),
      cycle_timer_(timers, 1000, [this](TSimpleTimer&) { CycleStep(); }),
      exit_timer_(timers, kExitCheckMs, [this](TSimpleTimer&) { ExitStep(); }),
      clicks_(timers, [this] { DoClick(); }) {
    record_.id = NextIconId();
    PrepareRecord();
    shell_->SetListener(this);
    if (main_window_) main_window_->SetMinimizeHandler([this] { UserMinimized(); });
}

TTrayIcon::~TTrayIcon() {
    *alive_ = false;
    // Deaf first: removing the icon may end a balloon, and the owner's handlers must not run
    // while it is being destroyed.
    shell_->SetListener(nullptr);
    if (main_window_) main_window_->SetMinimizeHandler({});
    // Not through SetIconVisible: the program is closing, its window must not come back.
    if (icon_visible_) {
        icon_visible_ = false;
        RemoveIcon();
    }
}

void TTrayIcon::PrepareRecord() {
    record_.icon = icon_;
    record_.tip = tray::TipText(hint_, show_hint_);
}

platform::TrayIconRecord TTrayIcon::TakeRecord() {
    PrepareRecord();
    platform::TrayIconRecord sent = record_;
    // Cleared before the shell sees it, so that an update made from a handler the shell
    // calls back does not show the balloon again.
    record_.balloon = false;
    return sent;
}

bool TTrayIcon::AddIcon() {
    const bool ok = shell_->AddIcon(TakeRecord());
    if (ok) icon_shown_ = true;
    return ok;
}

bool TTrayIcon::RemoveIcon() {
    // Taken as gone whatever the result: hiding the main window must never rely on it.
    icon_shown_ = false;
    return shell_->DeleteIcon(TakeRecord());
}

bool TTrayIcon::UpdateIcon() {
    return shell_->ModifyIcon(TakeRecord());
}

bool TTrayIcon::HideBalloon() {
    record_.balloon = true;
    record_.balloon_text.clear();
    return UpdateIcon();
}

bool TTrayIcon::ShowBalloon(std::string_view title, std::string_view text, TBalloonIconKind kind,
                            unsigned seconds) {
    const auto alive = alive_;
    HideBalloon();  // the shell may report the old balloon hidden
    if (!*alive) return false;
    record_.balloon = true;
    record_.balloon_text = tray::RecordText(text, tray::kBalloonTextLength);
    record_.balloon_title = tray::RecordText(title, tray::kBalloonTitleLength);
    record_.balloon_timeout_ms = std::min(seconds, kMaxBalloonSeconds) * 1000;
    record_.balloon_flags = tray::BalloonFlag(kind);
    return UpdateIcon();
}

void TTrayIcon::SetIconList(std::vector<platform::TrayImage> list) {
    icon_list_ = std::move(list);
    UpdateIcon();
}

void TTrayIcon::SetCycleIcons(bool on) {
    if (on == cycle_icons_) return;
    cycle_icons_ = on;
    ApplyCycleIcons();
}

void TTrayIcon::SetCycleInterval(std::uint32_t ms) {
    if (ms == cycle_interval_) return;
    cycle_interval_ = ms;
    ApplyCycleIcons();
}

void TTrayIcon::ApplyCycleIcons() {
    if (!cycle_icons_) {
        cycle_timer_.Stop();
        return;
    }
    SetIconIndex(0);
    cycle_timer_.SetInterval(cycle_interval_);
    cycle_timer_.Start();
}

void TTrayIcon::CycleStep() {
    if (icon_list_.empty()) return;
    const int count = static_cast<int>(icon_list_.size());
    const int current = std::clamp(icon_index_, 0, count - 1);
    SetIcon(icon_list_[static_cast<std::size_t>(current)]);
    const int next = current + 1 < count ? current + 1 : 0;
    const auto alive = alive_;
    DoCycle(next);
    if (*alive) SetIconIndex(next);
}

void TTrayIcon::SetHint(std::string hint) {
    if (hint == hint_) return;
    hint_ = std::move(hint);
    UpdateIcon();
}

void TTrayIcon::SetShowHint(bool on) {
    if (on == show_hint_) return;
    show_hint_ = on;
    UpdateIcon();
}

void TTrayIcon::SetIcon(platform::TrayImage icon) {
    if (icon == icon_) return;
    icon_ = std::move(icon);
    UpdateIcon();
}

void TTrayIcon::SetIconVisible(bool on) {
    if (on == icon_visible_) return;
    icon_visible_ = on;
    if (on) {
        AddIcon();
        return;
    }
    const auto alive = alive_;
    RemoveIcon();  // the shell may report a balloon hidden
    if (!*alive) return;
    // The icon was the only way back to a hidden window.
    if (main_window_ && !main_window_->IsVisible()) ShowMainWindow();
}

void TTrayIcon::SetIconIndex(int index) {
    if (icon_list_.empty()) {
        icon_index_ = 0;
    } else {
        const int last = static_cast<int>(icon_list_.size()) - 1;
        icon_index_ = std::clamp(index, 0, last);
        icon_ = icon_list_[static_cast<std::size_t>(icon_index_)];
    }
    UpdateIcon();
}

void TTrayIcon::SetPopupMenu(platform::TrayMenu* menu) {
    popup_menu_ = menu;
    shell_->SetContextMenu(menu);
}

void TTrayIcon::SetWantEnterExitEvents(bool on) {
    if (on == want_enter_exit_) return;
    want_enter_exit_ = on;
    ApplyEnterExit();
}

void TTrayIcon::ApplyEnterExit() {
    exit_timer_.SetEnabled(want_enter_exit_);
}

void TTrayIcon::ExitStep() {
    if (mouse_has_left_ || shell_->CursorPos() == last_move_) return;
    mouse_has_left_ = true;
    DoMouseExit();
}

void TTrayIcon::DoClick() {
    if (auto handler = OnClick) handler(*this);
}
void TTrayIcon::DoDblClick() {
    if (auto handler = OnDblClick) handler(*this);
}
void TTrayIcon::DoMouseDown(TMouseButton button, TShiftState shift, platform::TrayPoint at) {
    if (auto handler = OnMouseDown) handler(*this, button, shift, at.x, at.y);
}
void TTrayIcon::DoMouseUp(TMouseButton button, TShiftState shift, platform::TrayPoint at) {
    if (auto handler = OnMouseUp) handler(*this, button, shift, at.x, at.y);
}
void TTrayIcon::DoMouseMove(TShiftState shift, platform::TrayPoint at) {
    if (auto handler = OnMouseMove) handler(*this, shift, at.x, at.y);
}
void TTrayIcon::DoMouseEnter() {
    if (auto handler = OnMouseEnter) handler(*this);
}
void TTrayIcon::DoMouseExit() {
    if (auto handler = OnMouseExit) handler(*this);
}
void TTrayIcon::DoCycle(int next_index) {
    if (auto handler = OnCycle) handler(*this, next_index);
}
void TTrayIcon::DoBalloonHintShow() {
    if (auto handler = OnBalloonHintShow) handler(*this);
}
void TTrayIcon::DoBalloonHintHide() {
    if (auto handler = OnBalloonHintHide) handler(*this);
}
void TTrayIcon::DoBalloonHintTimeout() {
    if (auto handler = OnBalloonHintTimeout) handler(*this);
}
void TTrayIcon::DoBalloonHintClick() {
    if (auto handler = OnBalloonHintClick) handler(*this);
}
void TTrayIcon::DoMinimizeToTray() {
    if (auto handler = OnMinimizeToTray) handler(*this);
}
void TTrayIcon::DoStartup(bool& show_main_form) {
    if (auto handler = OnStartup) handler(*this, show_main_form);
}
