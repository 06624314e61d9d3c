#pragma once
// Reading and writing the configuration file, one function per operation that touches it.
// Nothing is cached: each function opens the file, reads or writes its own keys, releases it.
//
// Every writer is one replacement of the file with all its keys (IniFile::WriteEntries): a
// write the system refuses throws platform::IniWriteError ("Unable to write to <path>") and
// none of that operation's keys is written, while every other key of the file stays.

#include <cstdint>
#include <string>

#include "app/configuration_keys.h"
#include "app/window_settings.h"
#include "engine/alarm_state.h"
#include "engine/engine_settings.h"
#include "platform/canvas.h"
#include "platform/dialogs.h"
#include "platform/ini_file.h"

namespace config {

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

struct FormPlacement {
    int Top = kTop.fallback;
    int Left = kLeft.fallback;
    int Width = kWidth.fallback;
    int Height = kHeight.fallback;
    friend bool operator==(const FormPlacement&, const FormPlacement&) = default;
};

// The chart's scroll bars and heater-curve controls.
struct ChartControls {
    int GainY = kGainY.fallback;
    int PosY = kPosY.fallback;
    int XScale = kXScale.fallback;
    bool ChBoxGrafNagrev = kChBoxGrafNagrev.fallback;
    std::string OfsetNagreCurve{kOfsetNagreCurve.fallback};
    std::string HeightNagreCurve{kHeightNagreCurve.fallback};
    friend bool operator==(const ChartControls&, const ChartControls&) = default;
};

struct ChartColors {
    TColor T1 = kColorT1.fallback;
    TColor T2 = kColorT2.fallback;
    TColor T3 = kColorT3.fallback;
    TColor HM = kColorHM.fallback;
    TColor Nagrev = kColorNagrev.fallback;
    TColor Fon = kColorFon.fallback;
    TColor Gird = kColorGird.fallback;
    friend bool operator==(const ChartColors&, const ChartColors&) = default;
};

// The colour keys, one per colour label: LbColorT1 -> ckT1, LbColorT2 -> ckT2,
// LbColorT3 -> ckT3, LbHmColor -> ckHM, LbColorFon -> ckFon, LbGirdColor -> ckGird; the
// heater curve's menu item "Цвет графика" -> ckNagrev.
enum class ChartColorKey { ckT1, ckT2, ckT3, ckHM, ckFon, ckGird, ckNagrev };
TColor& ColorOf(ChartColors& colors, ChartColorKey key);

// The present values of the controls whose keys default to them.
struct ControlDefaults {
    int GainY = kGainY.fallback;
    int PosY = kPosY.fallback;
    int XScale = kXScale.fallback;
    platform::FontChoice MemoFont{std::string(kFontName.fallback), kFontSize.fallback};
};

// Everything the main window's creation reads (the port's own keys aside).
struct MainWindowConfiguration {
    FormPlacement placement;
    bool InitMax = kInitMax.fallback;
    bool MinToTrey = kMinToTrey.fallback;
    bool OpenStart = kOpenStart.fallback;
    ChartControls chart;
    AlarmLimits limits;
    EngineSettings settings;  // the engine's: flags, layout, rounding, LogFile/Time
    WindowSettings window;    // the sound, its repeat, the readout window
    ChartColors colors;
    platform::FontChoice memo_font{std::string(kFontName.fallback), kFontSize.fallback};
    friend bool operator==(const MainWindowConfiguration&,
                           const MainWindowConfiguration&) = default;
};

MainWindowConfiguration ReadMainWindowConfiguration(const platform::IniFile& ini,
                                                    const ControlDefaults& present);

// What the close writes: Form/Top and Left always, Width and Height only in the normal
// state, ChBoxGrafNagrev, InitMax (true exactly when maximised), the scroll bar positions,
// the in-memory limits, the alarm sound, the heater edits' texts; in that order.
struct CloseState {
    FormPlacement placement;  // the window's present bounds
    TWindowState state = TWindowState::wsNormal;
    ChartControls chart;
    AlarmLimits limits;
    std::string Sound;
};
void WriteCloseConfiguration(platform::IniFile& ini, const CloseState& state);

// The keys of the settings dialog: read when it opens, written when it is accepted.
struct SettingsDialogKeys {
    bool OpenStart = kOpenStart.fallback;
    bool SignalOffData = kSignalOffData.fallback;
    bool SignalOffDataSound = kSignalOffDataSound.fallback;
    bool StartInTrey = kStartInTrey.fallback;
    bool MinToTrey = kMinToTrey.fallback;
    int TimeSound = kTimeSound.fallback;
    int AutosaveMinutes = kLogFileTime.fallback;  // LogFile/Time
    bool T1_enable = kT1Enable.fallback;
    bool T2_enable = kT2Enable.fallback;
    bool HM_enable = kHMEnable.fallback;
    bool Okruglenie = kOkruglenie.fallback;
    bool ShowWindow = kShowWindow.fallback;
    bool SHT10 = kSHT10.fallback;
    friend bool operator==(const SettingsDialogKeys&, const SettingsDialogKeys&) = default;
};
SettingsDialogKeys ReadSettingsDialogKeys(const platform::IniFile& ini);
void WriteSettingsDialogKeys(platform::IniFile& ini, const SettingsDialogKeys& keys);

void WriteColor(platform::IniFile& ini, ChartColorKey key, TColor color);

void WriteMainFont(platform::IniFile& ini, const platform::FontChoice& font);
platform::FontChoice ReadAnalysisFont(const platform::IniFile& ini,
                                      const platform::FontChoice& present);
void WriteAnalysisFont(platform::IniFile& ini, const platform::FontChoice& font);

// The alarm sound's repeat interval in milliseconds: every `seconds` (at least one), held
// within what a timer takes. The autosave's is the engine's (engine/autosave_period.h).
std::uint32_t SoundRepeatIntervalMs(int seconds);

// The tray's start-up question: start hidden?
bool ReadStartInTrey(const platform::IniFile& ini);

}  // namespace config
