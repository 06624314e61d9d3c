#include "platform/qt/qt_tray_menu.h"

#include <QAction>
#include <QMenu>

namespace platform {

void QtTrayMenu::ClickDefaultItem() {
    if (!menu_) return;
    if (QAction* item = menu_->defaultAction()) item->trigger();
}

}  // namespace platform
