#pragma once
// The main window's services as test doubles: a virtual clock for every timer, the in-memory
// serial device, a recording notification area, sound, clipboard, notices and window alert,
// and scripted dialogs. Used by the window's tests, its benchmark and the screenshot tool.

#include <memory>
#include <string>

#include "app/qt/main_window_services.h"
#include "platform/doubles/fake_autorun.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/recording_clipboard.h"
#include "platform/doubles/recording_desktop_notifier.h"
#include "platform/doubles/recording_sound.h"
#include "platform/doubles/recording_tray_shell.h"
#include "platform/doubles/recording_url_opener.h"
#include "platform/doubles/recording_window_alert.h"
#include "platform/doubles/scripted_dialogs.h"
#include "platform/doubles/virtual_clock.h"

struct DoubleServices {
    platform::VirtualClock clock;
    FakeSerialBackend backend;
    QueuedUiThread ui_thread;
    platform::RecordingTrayShell tray{&clock};
    platform::RecordingSound sound;
    platform::RecordingClipboard clipboard;
    platform::ScriptedDialogs dialogs;
    platform::RecordingDesktopNotifier notifier;
    platform::RecordingWindowAlert alert;
    platform::FakeAutorun autorun;
    platform::RecordingUrlOpener url_opener;
    LocalDateTime now{2026, 12, 6, 12, 34, 56};

    // The services for a window whose files are `config_path` and `log_dir`.
    std::unique_ptr<MainWindowServices> Make(const std::string& config_path,
                                             const std::string& log_dir) {
        auto services = std::make_unique<MainWindowServices>(
            clock, backend, ui_thread, [this] { return tray.Handle(); }, sound, clipboard, dialogs,
            autorun, url_opener, config_path, log_dir);
        services->notifier = &notifier;
        services->alert = &alert;
        services->now = [this] { return now; };
        return services;
    }
};
