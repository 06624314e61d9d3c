#pragma once
// A QMenu as the tray icon's pop-up menu. The menu stays owned by its window.

#include <QPointer>

#include "platform/tray_shell.h"

class QMenu;

namespace platform {

class QtTrayMenu : public TrayMenu {
  public:
    explicit QtTrayMenu(QMenu* menu) : menu_(menu) {}

    bool AutoPopup() const override { return !menu_.isNull(); }
    void ClickDefaultItem() override;

    QMenu* menu() const { return menu_; }

  private:
    QPointer<QMenu> menu_;
};

}  // namespace platform
