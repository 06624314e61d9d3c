#include "platform/qt/qt_tray_shell.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QPointer>
#include <QStyle>
#include <QStyleHints>
#include <initializer_list>
#include <utility>

#include "platform/qt/qt_tray_menu.h"

namespace platform {

namespace {

// Desktops ignore a time-out of 0 or use their own; the time-out event needs one.
constexpr int kDefaultBalloonMs = 10000;

QIcon LoadIcon(const TrayImage& image) {
    QIcon icon;
    if (!image.empty()) {
        const QString source = QString::fromStdString(image.source);
        icon = QFileInfo::exists(source) ? QIcon(source) : QIcon::fromTheme(source);
    }
    if (!icon.isNull()) return icon;
    // Qt shows no tray entry without an icon, and the entry may be the only way back to a
    // hidden window: stand in with the program's or the style's icon.
    icon = QGuiApplication::windowIcon();
    if (icon.isNull() && qobject_cast<QApplication*>(QCoreApplication::instance()))
        icon = QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
    return icon;
}

QSystemTrayIcon::MessageIcon MessageIcon(std::uint32_t flags) {
    switch (flags) {
        case kBalloonInfo:
            return QSystemTrayIcon::Information;
        case kBalloonWarning:
            return QSystemTrayIcon::Warning;
        case kBalloonError:
            return QSystemTrayIcon::Critical;
        default:
            return QSystemTrayIcon::NoIcon;
    }
}

}  // namespace

QtTrayShell::QtTrayShell(Options options) : options_(std::move(options)) {
    connect(&tray_, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { Activated(reason); });
    connect(&tray_, &QSystemTrayIcon::messageClicked, this, [this] {
        // Reported even after our time-out: the desktop may keep the notice longer. Qt
        // gives no notice id, so a late click on an older notice cannot be told from a
        // click on the current balloon: it stops that balloon's time-out too.
        balloon_timer_.stop();
        Tell(TrayNotification::BalloonUserClick);
    });
    balloon_timer_.setSingleShot(true);
    balloon_timer_.setTimerType(Qt::PreciseTimer);  // a coarse one may end 5% early
    connect(&balloon_timer_, &QTimer::timeout, this,
            [this] { Tell(TrayNotification::BalloonTimeout); });
    area_was_available_ = options_.area_available();
    connect(&area_watch_, &QTimer::timeout, this, [this] { WatchArea(); });
    area_watch_.start(options_.watch_interval_ms);
}

QtTrayShell::~QtTrayShell() {
    listener_ = nullptr;
    tray_.hide();
}

bool QtTrayShell::AddIcon(const TrayIconRecord& record) {
    area_was_available_ = options_.area_available();
    if (!area_was_available_) return false;
    SetIcon(record.icon);
    tray_.setToolTip(QString::fromStdString(record.tip));
    tray_.show();
    added_ = true;
    if (record.balloon && !record.balloon_text.empty()) ShowBalloon(record);
    return true;
}

bool QtTrayShell::ModifyIcon(const TrayIconRecord& record) {
    if (!added_) return false;
    Apply(record);
    return true;
}

bool QtTrayShell::DeleteIcon(const TrayIconRecord&) {
    if (!added_) return false;
    added_ = false;
    tray_.hide();
    // A balloon shown in this same turn is reported shown before it is reported hidden.
    QPointer<QtTrayShell> alive(this);
    TellShown(shows_pending_);
    if (!alive) return true;
    if (balloon_timer_.isActive()) {
        balloon_timer_.stop();
        Tell(TrayNotification::BalloonHide);
    }
    return true;
}

bool QtTrayShell::SetVersion(const TrayIconRecord&, unsigned version) {
    version_ = version;
    return true;
}

void QtTrayShell::SetIcon(const TrayImage& image) {
    // Loading reads the file, and setting it sends the host a new icon (on StatusNotifierItem
    // hosts a D-Bus signal): only when the source changes, not on every tip update.
    if (icon_source_ == image) return;
    icon_source_ = image;
    tray_.setIcon(LoadIcon(image));
}

void QtTrayShell::Apply(const TrayIconRecord& record) {
    SetIcon(record.icon);
    const QString tip = QString::fromStdString(record.tip);
    if (tip != tray_.toolTip()) tray_.setToolTip(tip);
    // A balloon-hiding update has no counterpart: a shown message cannot be taken back.
    if (record.balloon && !record.balloon_text.empty()) ShowBalloon(record);
}

void QtTrayShell::ShowBalloon(const TrayIconRecord& record) {
    const int ms = record.balloon_timeout_ms != 0 ? static_cast<int>(record.balloon_timeout_ms)
                                                  : kDefaultBalloonMs;
    const QString title = QString::fromStdString(record.balloon_title);
    const QString text = QString::fromStdString(record.balloon_text);
    if (record.balloon_flags == kBalloonUser)
        tray_.showMessage(title, text, tray_.icon(), ms);
    else
        tray_.showMessage(title, text, MessageIcon(record.balloon_flags), ms);
    balloon_timer_.start(ms);
    ++shows_pending_;
    QTimer::singleShot(0, this, [this] { TellShown(1); });
}

void QtTrayShell::TellShown(int count) {
    QPointer<QtTrayShell> alive(this);
    while (count-- > 0 && alive && shows_pending_ > 0) {
        --shows_pending_;
        Tell(TrayNotification::BalloonShow);
    }
}

void QtTrayShell::SetContextMenu(TrayMenu* menu) {
    auto* qt_menu = dynamic_cast<QtTrayMenu*>(menu);
    tray_.setContextMenu(qt_menu ? qt_menu->menu() : nullptr);
}

void QtTrayShell::ShowMenu(TrayMenu& menu, TrayPoint at) {
    // On the context click the desktop (or Qt for it) opens the menu given above.
    if (in_context_click_) return;
    auto* qt_menu = dynamic_cast<QtTrayMenu*>(&menu);
    if (qt_menu && qt_menu->menu()) qt_menu->menu()->popup(QPoint(at.x, at.y));
}

TrayPoint QtTrayShell::CursorPos() const {
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

unsigned QtTrayShell::KeysDown() const {
    const Qt::KeyboardModifiers held = QGuiApplication::queryKeyboardModifiers();
    unsigned keys = 0;
    if (held & Qt::ShiftModifier) keys |= kKeyShift;
    if (held & Qt::AltModifier) keys |= kKeyAlt;
    if (held & Qt::ControlModifier) keys |= kKeyCtrl;
    return keys;
}

std::uint32_t QtTrayShell::DoubleClickTimeMs() const {
    return static_cast<std::uint32_t>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

void QtTrayShell::Activated(QSystemTrayIcon::ActivationReason reason) {
    // A handler may destroy this shell (with its icon) between two notifications.
    QPointer<QtTrayShell> alive(this);
    auto tell = [&](std::initializer_list<TrayNotification> messages) {
        for (TrayNotification m : messages) {
            if (!alive) return;
            Tell(m);
        }
    };
    switch (reason) {
        case QSystemTrayIcon::Trigger:
            Click();
            break;
        case QSystemTrayIcon::DoubleClick:
            if (made_double_click_ && made_double_click_->elapsed() < DoubleClickTimeMs()) {
                made_double_click_.reset();  // already raised from its two clicks
                break;
            }
            first_click_.reset();
            tell({TrayNotification::LeftDoubleClick, TrayNotification::LeftUp});
            break;
        case QSystemTrayIcon::Context:
            in_context_click_ = true;
            tell({TrayNotification::RightDown, TrayNotification::RightUp});
            if (version_ >= 3) tell({TrayNotification::ContextMenu});
            if (alive) in_context_click_ = false;
            break;
        case QSystemTrayIcon::MiddleClick:
            tell({TrayNotification::MiddleDown, TrayNotification::MiddleUp});
            break;
        case QSystemTrayIcon::Unknown:
            break;
    }
}

void QtTrayShell::Click() {
    QPointer<QtTrayShell> alive(this);
    const bool second = first_click_ && first_click_->elapsed() < DoubleClickTimeMs();
    if (second) {
        first_click_.reset();
        made_double_click_.emplace();
        made_double_click_->start();
        Tell(TrayNotification::LeftDoubleClick);
    } else {
        first_click_.emplace();
        first_click_->start();
        Tell(TrayNotification::LeftDown);
    }
    if (alive) Tell(TrayNotification::LeftUp);
}

void QtTrayShell::Tell(TrayNotification message) {
    if (listener_) listener_->TrayNotify(message);
}

void QtTrayShell::WatchArea() {
    const bool available = options_.area_available();
    if (available == area_was_available_) return;
    area_was_available_ = available;
    if (available) {
        if (listener_) listener_->TrayShellRestarted();
        return;
    }
    // Hidden too, so that Qt does not bring back by itself an icon removed meanwhile.
    added_ = false;
    tray_.hide();
    if (listener_) listener_->TrayShellLost();
}

}  // namespace platform
