#include "config/engine_configuration.h"

#include <algorithm>

#include "config/engine_keys.h"

namespace config {

AlarmLimits ReadAlarmLimits(const platform::IniFile& ini) {
    AlarmLimits limits;
    limits.LimitT1Hi = Get(ini, kT1Hi);
    limits.LimitT1Low = Get(ini, kT1Low);
    limits.LimitT2Hi = Get(ini, kT2Hi);
    limits.LimitT2Low = Get(ini, kT2Low);
    limits.LimitHMHi = Get(ini, kHMHi);
    limits.LimitHMLow = Get(ini, kHMLow);
    return limits;
}

EngineSettings ReadEngineSettings(const platform::IniFile& ini) {
    EngineSettings s;
    s.T1_enable = Get(ini, kT1Enable);
    s.T2_enable = Get(ini, kT2Enable);
    s.HM_enable = Get(ini, kHMEnable);
    s.Okruglenie = Get(ini, kOkruglenie);
    s.SHT10 = Get(ini, kSHT10);
    s.SignalOffData = Get(ini, kSignalOffData);
    s.SignalOffDataSound = Get(ini, kSignalOffDataSound);
    // A negative period would keep the lines for an autosave that never comes.
    s.AutosaveMinutes = std::max(Get(ini, kLogFileTime), 0);
    return s;
}

}  // namespace config
