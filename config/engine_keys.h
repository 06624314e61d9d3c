#pragma once
// The keys both programs read for their engine: the alarm limits and the settings of the data
// path. The window's own keys, and which of its operations read and write each key, are in
// app/configuration_keys.h.

#include "config/configuration_key.h"

namespace config {

// Alarm: T1/T2 limits in tenths of a degree; T3_HI/T3_LOW are the humidity limits, percent.
inline constexpr IntKey kT1Hi{"Alarm", "T1_HI", 390};
inline constexpr IntKey kT1Low{"Alarm", "T1_LOW", 350};
inline constexpr IntKey kT2Hi{"Alarm", "T2_HI", 390};
inline constexpr IntKey kT2Low{"Alarm", "T2_LOW", 350};
inline constexpr IntKey kHMHi{"Alarm", "T3_HI", 90};
inline constexpr IntKey kHMLow{"Alarm", "T3_LOW", 30};
inline constexpr BoolKey kT1Enable{"Alarm", "T1_enable", true};
inline constexpr BoolKey kT2Enable{"Alarm", "T2_enable", true};
inline constexpr BoolKey kHMEnable{"Alarm", "HM_enable", true};
// ComPort1: beside the port's own keys, which the port reads itself.
inline constexpr BoolKey kSignalOffData{"ComPort1", "SignalOffData", false};
inline constexpr BoolKey kSignalOffDataSound{"ComPort1", "SignalOffDataSound", false};
// Temperature, Programm
inline constexpr BoolKey kOkruglenie{"Temperature", "Okruglenie", true};
inline constexpr BoolKey kSHT10{"Programm", "SHT10", false};
// LogFile: autosave period in minutes, 0 = none.
inline constexpr IntKey kLogFileTime{"LogFile", "Time", 10};

}  // namespace config
