#pragma once
// The main window over a QWidget. Minimising is reported after the window system's state
// change has returned. A window hidden while minimised keeps that state until it is shown
// again, which shows it normal. A hidden top-level window has no taskbar button. Owned by
// the window's owner, not parented to the window.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "platform/tray_window.h"

namespace platform {

class QtTrayMainWindow : public QObject, public TrayMainWindow {
  public:
    explicit QtTrayMainWindow(QWidget* window);

    void ShowNormal() override;
    void Hide() override;
    bool IsVisible() const override;
    void SetMinimizeHandler(std::function<void()> handler) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QPointer<QWidget> window_;
    std::function<void()> minimize_handler_;
};

}  // namespace platform
