#pragma once
// Notices through the desktop's notification service (org.freedesktop.Notifications) on the
// session bus. Each call waits for the service's answer, but only briefly: a missing bus
// answers at once, a missing service within the bus's round trip, a hung one within the
// time-out.

#include <QDBusConnection>
#include <optional>

#include "platform/desktop_notifier.h"

namespace platform {

class QtDesktopNotifier : public DesktopNotifier {
  public:
    static constexpr int kDefaultTimeoutMs = 1000;

    explicit QtDesktopNotifier(QDBusConnection connection = QDBusConnection::sessionBus(),
                               int timeout_ms = kDefaultTimeoutMs);

    // A `seconds` of 0 leaves the time the notice stays to the service.
    bool Notify(const std::string& title, const std::string& text, unsigned seconds) override;

  private:
    // Whether the service reads markup in the body, so that "<" and "&" must be escaped;
    // asked until the service first answers. Empty when it does not answer.
    std::optional<bool> BodyMarkup();

    QDBusConnection connection_;
    int timeout_ms_;
    std::optional<bool> body_markup_;
};

}  // namespace platform
