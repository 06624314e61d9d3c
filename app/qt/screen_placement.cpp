#include "app/qt/screen_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace {

void Fit(QWidget& window, const placement::Bounds& bounds, const placement::Frame& frame) {
    std::vector<placement::Area> areas;
    std::size_t primary = 0;
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == QGuiApplication::primaryScreen()) primary = areas.size();
        const QRect r = screen->availableGeometry();
        areas.push_back({r.x(), r.y(), r.width(), r.height()});
    }
    placement::Bounds b = bounds;
    if (!areas.empty()) {
        const QSize minimum = window.minimumSize();
        b = placement::FitToScreen(bounds, frame,
                                   placement::ScreenFor(bounds, frame, areas, primary),
                                   minimum.width(), minimum.height());
    }
    window.move(b.left, b.top);
    window.resize(b.width, b.height);
}

// Waits for the window manager's frame round the shown window, then fits the window with it
// once and goes. It looks after the window's own handling of each event (its minimum may
// still grow when it is shown).
class FrameWatch : public QObject {
  public:
    explicit FrameWatch(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        const QEvent::Type type = event->type();
        if ((type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize) && !queued_) {
            queued_ = true;
            QTimer::singleShot(0, this, [this] { Check(); });
        }
        return false;
    }

  private:
    void Check() {
        queued_ = false;
        const QWindow* handle = window_.windowHandle();
        if (!window_.isVisible() || handle == nullptr) return;
        const QMargins m = handle->frameMargins();
        if (m.isNull()) return;  // not framed yet
        window_.removeEventFilter(this);
        // A maximised window is the window manager's to place.
        if (!(window_.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
            Fit(window_, {window_.x(), window_.y(), window_.width(), window_.height()},
                {m.left(), m.top(), m.right(), m.bottom()});
        deleteLater();
    }

    QWidget& window_;
    bool queued_ = false;
};

}  // namespace

void PlaceOnScreen(QWidget& window, const placement::Bounds& stored) {
    Fit(window, stored, placement::kFrameAllowance);
    new FrameWatch(window);
}
