#pragma once
// The window alert through QApplication::alert on the main window.

#include <QPointer>
#include <QWidget>

#include "platform/window_alert.h"

namespace platform {

class QtWindowAlert : public WindowAlert {
  public:
    // How long the taskbar entry asks for attention after one flash.
    static constexpr int kFlashMs = 1000;

    explicit QtWindowAlert(QWidget* window) : window_(window) {}
    void Flash() override;

  private:
    QPointer<QWidget> window_;  // gone with the window: flashes then do nothing
};

}  // namespace platform
