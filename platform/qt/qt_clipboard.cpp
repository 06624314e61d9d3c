#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace platform {

void QtClipboard::SetText(const std::string& text) {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(QString::fromStdString(text));
}

std::string QtClipboard::Text() const {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        return clipboard->text().toStdString();
    return {};
}

}  // namespace platform
