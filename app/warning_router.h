#pragma once
// Where an unattended warning goes: a balloon at the tray icon while the icon is in a
// notification area; else a notice of the desktop's notification service; where there is
// neither, the window's status bar. A warning is never dropped silently.

#include <functional>
#include <memory>
#include <string>

#include "platform/desktop_notifier.h"
#include "platform/timer.h"
#include "tray/tray_icon.h"

class WarningRouter {
  public:
    using StatusLine = std::function<void(const std::string& text)>;

    // `notifier` may be null (no notification service at all).
    WarningRouter(TTrayIcon& tray, platform::DesktopNotifier* notifier, StatusLine status,
                  platform::TimerFactory& timers);

    void Warn(const std::string& title, const std::string& text, unsigned seconds);

  private:
    bool SendNotice(const std::string& title, const std::string& text, unsigned seconds);

    TTrayIcon& tray_;
    platform::DesktopNotifier* notifier_;
    StatusLine status_;
    // A balloon replaces the one before, a notice does not: the same notice is not sent
    // again while it is still shown (the alarm repeats its warning every 700 ms).
    std::string shown_notice_;
    std::unique_ptr<platform::Timer> notice_shown_;
};

// A warning as one status-bar line: "title — text", line breaks as blanks.
std::string StatusLineText(const std::string& title, const std::string& text);
