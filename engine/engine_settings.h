#pragma once
// The settings the engine follows: the packet layout and rounding, the channels' alarms, the
// no-data warning and the autosave period. Applied through MonitorEngine::ApplySettings; a
// program's own settings (the window's sound, its readout window) are its own.

struct EngineSettings {
    bool T1_enable = true;
    bool T2_enable = true;
    bool HM_enable = true;
    bool SignalOffData = false;       // the no-data warning
    bool SignalOffDataSound = false;  // the no-data warning also latches the no-data alarm flag
    bool Okruglenie = true;           // rounding of the temperatures to tenths
    bool SHT10 = false;               // firmware with the humidity sensor: 9-byte packets
    int AutosaveMinutes = 10;         // key LogFile/Time; 0 turns the autosave off
    friend bool operator==(const EngineSettings&, const EngineSettings&) = default;
};
