#pragma once
// Notices through the desktop's notification service (org.freedesktop.Notifications) on the
// session bus. Each call waits for the service's answer, but only briefly: a missing bus
// answers at once, a missing service within the bus's round trip, a hung one within the
// time-out. The program keeps one notice on screen: each notice replaces the one before.

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <cstdint>
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
    // The id the service gave this program's last notice; 0: none. A notice the service has
    // already closed is replaced by a new one, so the id needs no bookkeeping of closes.
    std::uint32_t last_id_ = 0;
    // A restarted service numbers afresh: an old id could name another program's notice.
    QDBusServiceWatcher service_watcher_;
};

}  // namespace platform
