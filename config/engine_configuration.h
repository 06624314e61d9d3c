#pragma once
// What both programs read of the configuration file for their engine, with the same readers,
// so that the window program and the service take a key alike.

#include "engine/alarm_state.h"
#include "engine/engine_settings.h"
#include "platform/ini_file.h"

namespace config {

AlarmLimits ReadAlarmLimits(const platform::IniFile& ini);

// The channels' alarms, the no-data warning and its flag, the rounding, the packet layout and
// the autosave period.
EngineSettings ReadEngineSettings(const platform::IniFile& ini);

}  // namespace config
