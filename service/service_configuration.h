#pragma once
// What the service reads from its configuration file, besides the port's own keys (which the
// port reads itself): the window program's alarm and statistics keys, and [Service].

#include <string>

#include "engine/alarm_state.h"
#include "engine/engine_settings.h"
#include "platform/ini_file.h"

namespace service {

struct ServiceConfiguration {
    EngineSettings settings;  // layout, rounding, enables, LogFile/Time, SignalOffData
    AlarmLimits limits;
    // [Service] AlarmCommand: a path, taken from the configuration file's folder when it is
    // relative; empty: none.
    std::string alarm_command;
};

ServiceConfiguration ReadServiceConfiguration(const platform::IniFile& ini);

}  // namespace service
