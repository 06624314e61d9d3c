#pragma once
// The in-memory settings: loaded from the configuration file, replaced by the settings
// dialog, read by everyone else (never the file).

#include <string>

struct ProgramSettings {
    bool T1_enable = true;
    bool T2_enable = true;
    bool HM_enable = true;
    bool SignalOffData = false;       // no-data warning
    bool SignalOffDataSound = false;  // no-data sound
    bool Okruglenie = true;           // rounding of the temperatures to tenths
    bool ShowWindow = false;          // floating readout window
    bool SHT10 = false;               // firmware with the humidity sensor: 9-byte packets
    std::string Sound = "Windows XP - ошибка.wav";
    int TimeSound = 3;         // alarm sound repeat, seconds
    int AutosaveMinutes = 10;  // key LogFile/Time; 0 turns the autosave off
    friend bool operator==(const ProgramSettings&, const ProgramSettings&) = default;
};
