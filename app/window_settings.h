#pragma once
// The window program's own settings beside its engine's: loaded from the configuration file,
// replaced by the settings dialog.

#include <string>

struct WindowSettings {
    bool ShowWindow = false;  // the floating readout window beside the mouse on the chart
    std::string Sound = "Windows XP - ошибка.wav";
    int TimeSound = 3;  // alarm sound repeat, seconds
    friend bool operator==(const WindowSettings&, const WindowSettings&) = default;
};
