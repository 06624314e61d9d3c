#include "platform/doubles/recording_tray_shell.h"

#include <algorithm>

namespace platform {

namespace {

class ForwardingShell : public TrayShell {
  public:
    explicit ForwardingShell(TrayShell& to) : to_(to) {}
    void SetListener(TrayShellListener* listener) override { to_.SetListener(listener); }
    bool AddIcon(const TrayIconRecord& r) override { return to_.AddIcon(r); }
    bool ModifyIcon(const TrayIconRecord& r) override { return to_.ModifyIcon(r); }
    bool DeleteIcon(const TrayIconRecord& r) override { return to_.DeleteIcon(r); }
    bool SetVersion(const TrayIconRecord& r, unsigned v) override { return to_.SetVersion(r, v); }
    void SetContextMenu(TrayMenu* menu) override { to_.SetContextMenu(menu); }
    void ShowMenu(TrayMenu& menu, TrayPoint at) override { to_.ShowMenu(menu, at); }
    TrayPoint CursorPos() const override { return to_.CursorPos(); }
    unsigned KeysDown() const override { return to_.KeysDown(); }
    std::uint32_t DoubleClickTimeMs() const override { return to_.DoubleClickTimeMs(); }

  private:
    TrayShell& to_;
};

}  // namespace

std::unique_ptr<TrayShell> RecordingTrayShell::Handle() {
    return std::make_unique<ForwardingShell>(*this);
}

RecordingTrayShell::RecordingTrayShell(TimerFactory* clock) {
    if (!clock) return;
    balloon_timer_ = clock->CreateTimer();
    balloon_timer_->SetTickHandler([this] { EndBalloon(TrayNotification::BalloonTimeout); });
}

RecordingTrayShell::~RecordingTrayShell() = default;

bool RecordingTrayShell::AddIcon(const TrayIconRecord& record) {
    const bool ok = available_ && !shown_;
    calls.push_back({Op::Add, record, ok});
    if (ok) {
        shown_ = true;
        Apply(record);
    }
    return ok;
}

bool RecordingTrayShell::ModifyIcon(const TrayIconRecord& record) {
    calls.push_back({Op::Modify, record, shown_});
    if (shown_) Apply(record);
    return calls.back().ok;
}

bool RecordingTrayShell::DeleteIcon(const TrayIconRecord& record) {
    const bool ok = shown_;
    calls.push_back({Op::Delete, record, ok});
    if (ok) {
        shown_ = false;
        if (balloon_up_) EndBalloon(TrayNotification::BalloonHide);
    }
    return ok;
}

bool RecordingTrayShell::SetVersion(const TrayIconRecord& record, unsigned version) {
    calls.push_back({Op::SetVersion, record, true, version});
    return true;
}

void RecordingTrayShell::Apply(const TrayIconRecord& record) {
    const bool new_balloon = record.balloon && !record.balloon_text.empty();
    const bool hide_balloon = record.balloon && record.balloon_text.empty();
    current_ = record;
    if (hide_balloon && balloon_up_) EndBalloon(TrayNotification::BalloonHide);
    if (!new_balloon) return;
    balloon_up_ = true;
    if (balloon_timer_) {
        balloon_timer_->SetInterval(record.balloon_timeout_ms);
        balloon_timer_->Start();  // a time-out of 0 never ends by itself
    }
    Tell(TrayNotification::BalloonShow);
}

void RecordingTrayShell::EndBalloon(TrayNotification why) {
    if (balloon_timer_) balloon_timer_->Stop();
    balloon_up_ = false;
    Tell(why);
}

void RecordingTrayShell::ClickBalloon() {
    if (balloon_up_) EndBalloon(TrayNotification::BalloonUserClick);
}

void RecordingTrayShell::Notify(TrayNotification message) {
    Tell(message);
}

void RecordingTrayShell::Tell(TrayNotification message) {
    if (listener_) listener_->TrayNotify(message);
}

void RecordingTrayShell::Restart() {
    shown_ = false;
    balloon_up_ = false;
    if (balloon_timer_) balloon_timer_->Stop();
    available_ = true;
    if (listener_) listener_->TrayShellRestarted();
}

void RecordingTrayShell::Lose() {
    shown_ = false;
    balloon_up_ = false;
    if (balloon_timer_) balloon_timer_->Stop();
    available_ = false;
    if (listener_) listener_->TrayShellLost();
}

std::size_t RecordingTrayShell::Count(Op op) const {
    return static_cast<std::size_t>(
        std::count_if(calls.begin(), calls.end(), [op](const Call& c) { return c.op == op; }));
}

}  // namespace platform
