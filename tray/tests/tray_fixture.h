#pragma once
// A tray icon on a recording shell, a fake main window and a virtual clock.

#include <gtest/gtest.h>

#include <memory>

#include "platform/doubles/fake_tray_window.h"
#include "platform/doubles/recording_tray_shell.h"
#include "platform/doubles/virtual_clock.h"
#include "tray/tray_icon.h"

class TrayFixture : public ::testing::Test {
  protected:
    using Note = platform::TrayNotification;
    using Op = platform::RecordingTrayShell::Op;

    platform::VirtualClock clock;
    platform::RecordingTrayShell shell{&clock};
    platform::FakeTrayMainWindow window;
    std::unique_ptr<TTrayIcon> tray = std::make_unique<TTrayIcon>(shell.Handle(), clock, &window);

    // A left click as the desktop reports it.
    void Click() {
        shell.Notify(Note::LeftDown);
        shell.Notify(Note::LeftUp);
    }
    void DoubleClick() {
        Click();
        shell.Notify(Note::LeftDoubleClick);
        shell.Notify(Note::LeftUp);
    }
};
