#pragma once
// Where an unattended warning goes: a balloon at the tray icon while the icon is in a
// notification area; else a notice of the desktop's notification service; where there is
// neither, the window's status bar. A warning is never dropped silently, and none outstays
// its time: each replaces the one before, and the status bar's text goes when its time is up.

#include <functional>
#include <memory>
#include <string>

#include "common/warning.h"
#include "platform/desktop_notifier.h"
#include "platform/timer.h"
#include "tray/tray_icon.h"

class WarningRouter {
  public:
    // Shows a line in the status bar; an empty one takes it away.
    using StatusLine = std::function<void(const std::string& text)>;

    // `notifier` may be null (no notification service at all).
    WarningRouter(TTrayIcon& tray, platform::DesktopNotifier* notifier, StatusLine status,
                  platform::TimerFactory& timers);

    void Warn(const Warning& warning);

  private:
    bool SendNotice(const std::string& title, const std::string& text, unsigned seconds);
    void ShowStatus(const std::string& line, unsigned seconds);

    TTrayIcon& tray_;
    platform::DesktopNotifier* notifier_;
    StatusLine status_;
    // The notifier replaces its previous notice; the same notice is still not sent again
    // while it is shown (the alarm repeats its warning every 700 ms).
    std::string shown_notice_;
    std::unique_ptr<platform::Timer> notice_shown_;
    std::unique_ptr<platform::Timer> status_shown_;
};

// A warning as one status-bar line: "title — text", line breaks as blanks.
std::string StatusLineText(const std::string& title, const std::string& text);
