#pragma once
// What the main window is given by the program (the real desktop) or by a test (doubles).

#include <functional>
#include <memory>
#include <string>

#include "common/local_time.h"
#include "platform/clipboard.h"
#include "platform/desktop_notifier.h"
#include "platform/dialogs.h"
#include "platform/serial_device.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/tray_shell.h"
#include "platform/ui_thread.h"
#include "platform/window_alert.h"

struct MainWindowServices {
    platform::TimerFactory& timers;
    SerialBackend& serial;
    UiThread& ui_thread;
    // The notification area for the tray icon; called once.
    std::function<std::unique_ptr<platform::TrayShell>()> tray_shell;
    platform::Sound& sound;
    platform::Clipboard& clipboard;
    platform::Dialogs& dialogs;
    platform::DesktopNotifier* notifier = nullptr;  // none: no notification service
    // The taskbar flash; none: the window alerts through the toolkit itself.
    platform::WindowAlert* alert = nullptr;
    std::string config_path;  // the configuration file
    std::string log_dir;      // the daily statistics files
    std::function<LocalDateTime()> now = CurrentLocalDateTime;
};
