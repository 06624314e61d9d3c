#include "platform/qt/qt_tray_main_window.h"

#include <QEvent>
#include <QMetaObject>
#include <QWindowStateChangeEvent>
#include <utility>

namespace platform {

QtTrayMainWindow::QtTrayMainWindow(QWidget* window) : window_(window) {
    window->installEventFilter(this);
}

void QtTrayMainWindow::ShowNormal() {
    if (!window_) return;
    // The minimised state is cleared while the window is still hidden and shown at once: the
    // window system maps a window whose minimised state is taken away. A maximised window
    // comes back maximised.
    window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void QtTrayMainWindow::Hide() {
    if (!window_) return;
    // Only hidden: touching the minimised state of the hidden window would map it again (an
    // empty frame on the desktop). ShowNormal takes the state away when it shows it.
    window_->hide();
}

bool QtTrayMainWindow::IsVisible() const {
    return window_ && window_->isVisible();
}

void QtTrayMainWindow::SetMinimizeHandler(std::function<void()> handler) {
    minimize_handler_ = std::move(handler);
}

bool QtTrayMainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_ && event->type() == QEvent::WindowStateChange) {
        const auto* change = static_cast<QWindowStateChangeEvent*>(event);
        const bool now_minimized = window_->windowState() & Qt::WindowMinimized;
        const bool was_minimized = change->oldState() & Qt::WindowMinimized;
        if (now_minimized && !was_minimized) {
            // Hiding from inside the state change confuses the window manager: the
            // handler runs once the event has been handled.
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!window_ || !window_->isVisible() || !window_->isMinimized()) return;
                    // A copy: the handler may unhook itself (its icon destroyed) while it runs.
                    if (auto handler = minimize_handler_) handler();
                },
                Qt::QueuedConnection);
        }
    }
    return false;
}

}  // namespace platform
