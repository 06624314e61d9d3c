#pragma once
// The notification area through QSystemTrayIcon.
//
// QSystemTrayIcon reports activations only: a click, a double-click, the context click and
// the middle click. They become button notifications; hosts of the StatusNotifierItem kind
// report single clicks only, so two clicks within the double-click interval make a
// double-click here. It reports no mouse movement, entering or leaving, so MouseMove never
// comes from this shell (and so no enter or exit events either): the main window keeps the
// tip current by setting the hint whenever its read-outs change.
//
// There is no balloon-shown, -hidden or -timed-out signal: shown is reported right after
// showMessage (from the event loop, never inside the call; before the hidden report when
// the icon is deleted first), timed out when the balloon's time has passed without a
// click. A shown message cannot be taken back, so a balloon-hiding update does nothing.
//
// A missing notification area (plain GNOME, the offscreen platform, a panel not started
// yet) fails the add; the area is watched, and its coming and going is reported to the
// listener, which adds the icon again.

#include <QElapsedTimer>
#include <QIcon>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <functional>
#include <optional>

#include "platform/tray_shell.h"

namespace platform {

class QtTrayShell : public QObject, public TrayShell {
  public:
    struct Options {
        // Whether a notification area is there now.
        std::function<bool()> area_available = [] {
            return QSystemTrayIcon::isSystemTrayAvailable();
        };
        int watch_interval_ms = 2000;
    };

    QtTrayShell() : QtTrayShell(Options{}) {}
    explicit QtTrayShell(Options options);
    ~QtTrayShell() override;

    void SetListener(TrayShellListener* listener) override { listener_ = listener; }
    bool AddIcon(const TrayIconRecord& record) override;
    bool ModifyIcon(const TrayIconRecord& record) override;
    bool DeleteIcon(const TrayIconRecord& record) override;
    bool SetVersion(const TrayIconRecord& record, unsigned version) override;
    void SetContextMenu(TrayMenu* menu) override;
    void ShowMenu(TrayMenu& menu, TrayPoint at) override;
    TrayPoint CursorPos() const override;
    unsigned KeysDown() const override;
    std::uint32_t DoubleClickTimeMs() const override;

    QSystemTrayIcon& trayIcon() { return tray_; }

  private:
    void SetIcon(const TrayImage& image);
    void Apply(const TrayIconRecord& record);
    void ShowBalloon(const TrayIconRecord& record);
    // Reports up to `count` of the pending balloon-shown notifications.
    void TellShown(int count);
    void Activated(QSystemTrayIcon::ActivationReason reason);
    void Click();
    void Tell(TrayNotification message);
    void WatchArea();

    Options options_;
    QSystemTrayIcon tray_;
    TrayShellListener* listener_ = nullptr;
    // The source of the icon that tray_ holds; none before the first.
    std::optional<TrayImage> icon_source_;
    bool added_ = false;
    bool area_was_available_ = false;
    unsigned version_ = 0;
    bool in_context_click_ = false;
    // The first click of a possible double-click, and a double-click made of two clicks
    // (a host that then also reports its own double-click must not raise it twice).
    std::optional<QElapsedTimer> first_click_;
    std::optional<QElapsedTimer> made_double_click_;
    // Balloons shown whose "shown" is not reported yet.
    int shows_pending_ = 0;
    QTimer balloon_timer_;
    QTimer area_watch_;
};

}  // namespace platform
