#include "platform/qt/qt_desktop_notifier.h"

#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>
#include <algorithm>
#include <climits>
#include <utility>

namespace platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");

}  // namespace

QtDesktopNotifier::QtDesktopNotifier(QDBusConnection connection, int timeout_ms)
    : connection_(std::move(connection)),
      timeout_ms_(timeout_ms),
      service_watcher_(kService, connection_, QDBusServiceWatcher::WatchForOwnerChange) {
    QObject::connect(&service_watcher_, &QDBusServiceWatcher::serviceOwnerChanged,
                     &service_watcher_, [this] {
                         last_id_ = 0;
                         body_markup_.reset();
                     });
}

std::optional<bool> QtDesktopNotifier::BodyMarkup() {
    if (!body_markup_) {
        const QDBusMessage reply =
            connection_.call(QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                            QStringLiteral("GetCapabilities")),
                             QDBus::Block, timeout_ms_);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        body_markup_ =
            reply.arguments().front().toStringList().contains(QStringLiteral("body-markup"));
    }
    return body_markup_;
}

bool QtDesktopNotifier::Notify(const std::string& title, const std::string& text,
                               unsigned seconds) {
    if (!connection_.isConnected()) return false;
    // A service that does not answer this will not take the notice either.
    const std::optional<bool> markup = BodyMarkup();
    if (!markup) return false;
    QString body = QString::fromStdString(text);
    if (*markup) body = body.toHtmlEscaped();
    // -1 is the service's own default; 0 would mean a notice that never goes away.
    const qint32 expire_ms =
        seconds == 0 ? -1 : static_cast<qint32>(std::min<unsigned>(seconds, INT_MAX / 1000) * 1000);
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    call << QStringLiteral("incubator-monitor") << quint32(last_id_)
         << QStringLiteral("dialog-warning") << QString::fromStdString(title) << body
         << QStringList() << QVariantMap() << expire_ms;
    const QDBusMessage reply = connection_.call(call, QDBus::Block, timeout_ms_);
    if (reply.type() != QDBusMessage::ReplyMessage) return false;
    if (!reply.arguments().isEmpty()) last_id_ = reply.arguments().front().toUInt();
    return true;
}

}  // namespace platform
