#pragma once
// Showing the latched alarms: the blinking panels, the taskbar flash and the balloons of the
// alarm timer, and the repeating sound.

#include <string>

#include "engine/alarm_rules.h"

// What the alarm display does to the window.
class AlarmView {
  public:
    virtual ~AlarmView() = default;
    virtual void ShowAlarmBalloon(const std::string& title, const std::string& text) = 0;
    virtual void FlashTaskbar() = 0;
    virtual bool PanelRed(AlarmChannel channel) const = 0;
    virtual void SetPanelRed(AlarmChannel channel, bool red) = 0;
};

// One tick of the alarm timer: humidity, then T2, then T1. An alarming enabled channel shows
// its balloon and toggles its panel; a panel that turns red flashes the taskbar unless a
// channel shown earlier in the same tick has its flag latched.
void AlarmDisplayTick(const AlarmFlags& flags, const EngineSettings& settings, AlarmView& view);

// Whether the sound timer's tick plays the alarm sound.
bool AlarmSoundDue(const AlarmFlags& flags, const EngineSettings& settings);
