#include "platform/qt/qt_url_opener.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

bool QtUrlOpener::Open(const std::string& url) {
    const QString text = QString::fromStdString(url).trimmed();
    if (text.isEmpty()) return false;
    const QUrl address = QUrl::fromUserInput(text);
    return address.isValid() && QDesktopServices::openUrl(address);
}

}  // namespace platform
