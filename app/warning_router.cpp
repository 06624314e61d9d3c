#include "app/warning_router.h"

WarningRouter::WarningRouter(TTrayIcon& tray, platform::DesktopNotifier* notifier,
                             StatusLine status, platform::TimerFactory& timers)
    : tray_(tray),
      notifier_(notifier),
      status_(std::move(status)),
      notice_shown_(timers.CreateTimer()),
      status_shown_(timers.CreateTimer()) {
    notice_shown_->SetTickHandler([this] { notice_shown_->Stop(); });
    status_shown_->SetTickHandler([this] {
        status_shown_->Stop();
        if (status_) status_(std::string());
    });
}

void WarningRouter::Warn(const Warning& w) {
    if (tray_.IconShown() && tray_.ShowBalloon(w.title, w.text, biWarning, w.seconds)) return;
    if (SendNotice(w.title, w.text, w.seconds)) return;
    ShowStatus(StatusLineText(w.title, w.text), w.seconds);
}

void WarningRouter::ShowStatus(const std::string& line, unsigned seconds) {
    if (!status_) return;
    status_(line);
    // A time of 0 is the notices' "as long as the desktop likes": a balloon's usual 10 s.
    status_shown_->SetInterval((seconds == 0 ? 10 : seconds) * 1000);
    status_shown_->Start();
}

bool WarningRouter::SendNotice(const std::string& title, const std::string& text,
                               unsigned seconds) {
    if (!notifier_) return false;
    const std::string notice = title + '\n' + text;
    if (notice == shown_notice_ && notice_shown_->IsActive()) return true;
    if (!notifier_->Notify(title, text, seconds)) return false;
    shown_notice_ = notice;
    notice_shown_->SetInterval(seconds * 1000);
    notice_shown_->Start();
    return true;
}

std::string StatusLineText(const std::string& title, const std::string& text) {
    std::string line = title + " — " + text;
    std::string out;
    out.reserve(line.size());
    for (char c : line) {
        if (c == '\r' || c == '\n') {
            if (!out.empty() && out.back() != ' ') out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}
