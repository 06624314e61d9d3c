#pragma once
// What both programs read of the configuration file for their engine, with the same readers,
// so that the window program and the service take a key alike.

#include "engine/alarm_state.h"
#include "engine/program_settings.h"
#include "platform/ini_file.h"

namespace config {

AlarmLimits ReadAlarmLimits(const platform::IniFile& ini);

// The channels' alarms, the no-data warning, the rounding, the packet layout and the autosave
// period; the window's own settings (the sound, the readout window) keep their defaults.
ProgramSettings ReadEngineSettings(const platform::IniFile& ini);

}  // namespace config
