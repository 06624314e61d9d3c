#pragma once
// Where an unattended warning goes: a balloon at the tray icon while the icon is in a
// notification area; else a notice of the desktop's notification service; where there is
// neither, the window's status bar. A warning is never dropped silently.

#include <functional>
#include <string>

#include "platform/desktop_notifier.h"
#include "tray/tray_icon.h"

class WarningRouter {
  public:
    using StatusLine = std::function<void(const std::string& text)>;

    // `notifier` may be null (no notification service at all).
    WarningRouter(TTrayIcon& tray, platform::DesktopNotifier* notifier, StatusLine status)
        : tray_(tray), notifier_(notifier), status_(std::move(status)) {}

    void Warn(const std::string& title, const std::string& text, unsigned seconds);

  private:
    TTrayIcon& tray_;
    platform::DesktopNotifier* notifier_;
    StatusLine status_;
};

// A warning as one status-bar line: "title — text", line breaks as blanks.
std::string StatusLineText(const std::string& title, const std::string& text);
