#pragma once
// What the main window is given by the program (the real desktop) or by a test (doubles).

#include <functional>
#include <memory>
#include <string>

#include "common/local_time.h"
#include "engine/statistics/file_system.h"
#include "platform/autorun.h"
#include "platform/clipboard.h"
#include "platform/desktop_notifier.h"
#include "platform/dialogs.h"
#include "platform/serial_device.h"
#include "platform/sound.h"
#include "platform/timer.h"
#include "platform/tray_shell.h"
#include "platform/ui_thread.h"
#include "platform/url_opener.h"
#include "platform/window_alert.h"

struct MainWindowServices {
    MainWindowServices(platform::TimerFactory& timers, SerialBackend& serial, UiThread& ui_thread,
                       std::function<std::unique_ptr<platform::TrayShell>()> tray_shell,
                       platform::Sound& sound, platform::Clipboard& clipboard,
                       platform::Dialogs& dialogs, platform::Autorun& autorun,
                       platform::UrlOpener& url_opener, std::string config_path,
                       std::string log_dir)
        : timers(timers),
          serial(serial),
          ui_thread(ui_thread),
          tray_shell(std::move(tray_shell)),
          sound(sound),
          clipboard(clipboard),
          dialogs(dialogs),
          autorun(autorun),
          url_opener(url_opener),
          config_path(std::move(config_path)),
          log_dir(std::move(log_dir)) {}

    platform::TimerFactory& timers;
    SerialBackend& serial;
    UiThread& ui_thread;
    // The notification area for the tray icon; called once.
    std::function<std::unique_ptr<platform::TrayShell>()> tray_shell;
    platform::Sound& sound;
    platform::Clipboard& clipboard;
    platform::Dialogs& dialogs;
    platform::Autorun& autorun;       // the settings dialog's autorun box
    platform::UrlOpener& url_opener;  // the about window's links
    std::string config_path;          // the configuration file
    std::string log_dir;              // the daily statistics files
    // Where lines go that the last autosave could not write; none: standard error only.
    std::string unsaved_dir;

    platform::DesktopNotifier* notifier = nullptr;  // none: no notification service
    // The taskbar flash; none: the window alerts through the toolkit itself.
    platform::WindowAlert* alert = nullptr;
    std::function<LocalDateTime()> now = CurrentLocalDateTime;
    // The statistics files' folder operations; none: the real file system.
    statistics::FileSystem* files = nullptr;
    // Each new record line is also handed here (the program's --echo option).
    std::function<void(const std::string& line)> echo_line;
    // Stops what publishes the engine (MQTT) at an end that asks nobody, once all is saved.
    std::function<void()> stop_publishers;
};
