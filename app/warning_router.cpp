#include "app/warning_router.h"

void WarningRouter::Warn(const std::string& title, const std::string& text, unsigned seconds) {
    if (tray_.IconShown() && tray_.ShowBalloon(title, text, biWarning, seconds)) return;
    if (notifier_ && notifier_->Notify(title, text, seconds)) return;
    if (status_) status_(StatusLineText(title, text));
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
