#include "platform/qt/qt_window_alert.h"

#include <QApplication>

namespace platform {

void QtWindowAlert::Flash() {
    if (window_) QApplication::alert(window_, kFlashMs);
}

}  // namespace platform
