#include "app/configuration.h"

#include "config/engine_configuration.h"
#include "platform/timer.h"

namespace config {

namespace {

using platform::IniFile;

const ColorKey& KeyOf(ChartColorKey key) {
    switch (key) {
        case ChartColorKey::ckT1:
            return kColorT1;
        case ChartColorKey::ckT2:
            return kColorT2;
        case ChartColorKey::ckT3:
            return kColorT3;
        case ChartColorKey::ckHM:
            return kColorHM;
        case ChartColorKey::ckFon:
            return kColorFon;
        case ChartColorKey::ckGird:
            return kColorGird;
        case ChartColorKey::ckNagrev:
            break;
    }
    return kColorNagrev;
}

}  // namespace

TColor& ColorOf(ChartColors& colors, ChartColorKey key) {
    switch (key) {
        case ChartColorKey::ckT1:
            return colors.T1;
        case ChartColorKey::ckT2:
            return colors.T2;
        case ChartColorKey::ckT3:
            return colors.T3;
        case ChartColorKey::ckHM:
            return colors.HM;
        case ChartColorKey::ckFon:
            return colors.Fon;
        case ChartColorKey::ckGird:
            return colors.Gird;
        case ChartColorKey::ckNagrev:
            break;
    }
    return colors.Nagrev;
}

MainWindowConfiguration ReadMainWindowConfiguration(const IniFile& ini,
                                                    const ControlDefaults& present) {
    MainWindowConfiguration c;
    c.placement = {Get(ini, kTop), Get(ini, kLeft), Get(ini, kWidth), Get(ini, kHeight)};
    c.MinToTrey = Get(ini, kMinToTrey);
    c.InitMax = Get(ini, kInitMax);
    c.chart.ChBoxGrafNagrev = Get(ini, kChBoxGrafNagrev);
    c.chart.GainY = Get(ini, kGainY, present.GainY);
    c.chart.PosY = Get(ini, kPosY, present.PosY);
    c.chart.XScale = Get(ini, kXScale, present.XScale);

    c.limits = ReadAlarmLimits(ini);

    c.settings = ReadEngineSettings(ini);
    c.window.Sound = Get(ini, kSound);
    c.window.TimeSound = Get(ini, kTimeSound);
    c.window.ShowWindow = Get(ini, kShowWindow);

    c.colors = {Get(ini, kColorT1),  Get(ini, kColorT2),     Get(ini, kColorT3),
                Get(ini, kColorHM),  Get(ini, kColorNagrev), Get(ini, kColorFon),
                Get(ini, kColorGird)};
    c.memo_font = {Get(ini, kFontName, present.MemoFont.name),
                   Get(ini, kFontSize, present.MemoFont.size)};

    c.OpenStart = Get(ini, kOpenStart);
    c.chart.OfsetNagreCurve = Get(ini, kOfsetNagreCurve);
    c.chart.HeightNagreCurve = Get(ini, kHeightNagreCurve);
    return c;
}

void WriteCloseConfiguration(IniFile& ini, const CloseState& state) {
    Entries e;
    e.Add(kTop, state.placement.Top);
    e.Add(kLeft, state.placement.Left);
    // A window closed maximised or minimised keeps its last normal size on record.
    if (state.state == TWindowState::wsNormal) {
        e.Add(kWidth, state.placement.Width);
        e.Add(kHeight, state.placement.Height);
    }
    e.Add(kChBoxGrafNagrev, state.chart.ChBoxGrafNagrev);
    e.Add(kInitMax, state.state == TWindowState::wsMaximized);
    e.Add(kGainY, state.chart.GainY);
    e.Add(kPosY, state.chart.PosY);
    e.Add(kXScale, state.chart.XScale);
    e.Add(kT1Hi, state.limits.LimitT1Hi);
    e.Add(kT1Low, state.limits.LimitT1Low);
    e.Add(kT2Hi, state.limits.LimitT2Hi);
    e.Add(kT2Low, state.limits.LimitT2Low);
    e.Add(kHMHi, state.limits.LimitHMHi);
    e.Add(kHMLow, state.limits.LimitHMLow);
    e.Add(kSound, state.Sound);
    e.Add(kOfsetNagreCurve, state.chart.OfsetNagreCurve);
    e.Add(kHeightNagreCurve, state.chart.HeightNagreCurve);
    e.WriteTo(ini);
}

SettingsDialogKeys ReadSettingsDialogKeys(const IniFile& ini) {
    SettingsDialogKeys k;
    k.OpenStart = Get(ini, kOpenStart);
    k.SignalOffData = Get(ini, kSignalOffData);
    k.SignalOffDataSound = Get(ini, kSignalOffDataSound);
    k.MinToTrey = Get(ini, kMinToTrey);
    k.StartInTrey = Get(ini, kStartInTrey);
    k.Okruglenie = Get(ini, kOkruglenie);
    k.ShowWindow = Get(ini, kShowWindow);
    k.SHT10 = Get(ini, kSHT10);
    k.T1_enable = Get(ini, kT1Enable);
    k.T2_enable = Get(ini, kT2Enable);
    k.HM_enable = Get(ini, kHMEnable);
    k.TimeSound = Get(ini, kTimeSound);
    k.AutosaveMinutes = Get(ini, kLogFileTime);
    return k;
}

void WriteSettingsDialogKeys(IniFile& ini, const SettingsDialogKeys& k) {
    Entries e;
    e.Add(kOpenStart, k.OpenStart);
    e.Add(kSignalOffData, k.SignalOffData);
    e.Add(kSignalOffDataSound, k.SignalOffDataSound);
    e.Add(kStartInTrey, k.StartInTrey);
    e.Add(kMinToTrey, k.MinToTrey);
    e.Add(kTimeSound, k.TimeSound);
    e.Add(kLogFileTime, k.AutosaveMinutes);
    e.Add(kT1Enable, k.T1_enable);
    e.Add(kT2Enable, k.T2_enable);
    e.Add(kHMEnable, k.HM_enable);
    e.Add(kOkruglenie, k.Okruglenie);
    e.Add(kShowWindow, k.ShowWindow);
    e.Add(kSHT10, k.SHT10);
    e.WriteTo(ini);
}

void WriteColor(IniFile& ini, ChartColorKey key, TColor color) {
    Entries e;
    e.Add(KeyOf(key), color);
    e.WriteTo(ini);
}

void WriteMainFont(IniFile& ini, const platform::FontChoice& font) {
    Entries e;
    e.Add(kFontName, font.name);
    e.Add(kFontSize, font.size);
    e.WriteTo(ini);
}

platform::FontChoice ReadAnalysisFont(const IniFile& ini, const platform::FontChoice& present) {
    return {Get(ini, kFontNameLog, present.name), Get(ini, kFontSizeLog, present.size)};
}

void WriteAnalysisFont(IniFile& ini, const platform::FontChoice& font) {
    Entries e;
    e.Add(kFontNameLog, font.name);
    e.Add(kFontSizeLog, font.size);
    e.WriteTo(ini);
}

std::uint32_t SoundRepeatIntervalMs(int seconds) {
    return platform::IntervalMs(seconds, 1000, 1000);
}

bool ReadStartInTrey(const IniFile& ini) {
    return Get(ini, kStartInTrey);
}

}  // namespace config
