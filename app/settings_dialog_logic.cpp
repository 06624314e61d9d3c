#include "app/settings_dialog_logic.h"

#include <algorithm>

#include "engine/autosave_period.h"

namespace settings_dialog {

namespace {

// A window-system timer is set anew only when its interval changes: setting the same one
// would start its count over, and a dialog accepted often would hold the autosave off.
void Reinterval(platform::Timer& timer, std::uint32_t ms) {
    if (timer.Interval() != ms) timer.SetInterval(ms);
}

EngineSettings EngineSettingsOf(const config::SettingsDialogKeys& k) {
    EngineSettings s;
    s.SignalOffData = k.SignalOffData;
    s.SignalOffDataSound = k.SignalOffDataSound;
    s.T1_enable = k.T1_enable;
    s.T2_enable = k.T2_enable;
    s.HM_enable = k.HM_enable;
    s.Okruglenie = k.Okruglenie;
    s.SHT10 = k.SHT10;
    s.AutosaveMinutes = k.AutosaveMinutes;
    return s;
}

WindowSettings WindowSettingsOf(const config::SettingsDialogKeys& k, WindowSettings s) {
    s.ShowWindow = k.ShowWindow;
    s.TimeSound = k.TimeSound;
    return s;
}

}  // namespace

DialogState Open(const platform::IniFile& ini, const platform::Autorun& autorun,
                 const WindowSettings& window) {
    DialogState state;
    state.Autorun = autorun.IsRegistered();
    state.keys = config::ReadSettingsDialogKeys(ini);
    if (!state.keys.SignalOffData) state.keys.SignalOffDataSound = false;
    state.keys.TimeSound = std::clamp(state.keys.TimeSound, kTimeSoundMin, kTimeSoundMax);
    state.keys.AutosaveMinutes =
        std::clamp(state.keys.AutosaveMinutes, kAutosaveMinutesMin, kAutosaveMinutesMax);
    state.SoundFile = window.Sound;
    return state;
}

bool SoundBoxEnabled(const DialogState& state) {
    return state.keys.SignalOffData;
}

bool AutosaveLabelWarns(int minutes) {
    return minutes == 0;
}

Acceptance Accept(platform::IniFile& ini, platform::Autorun& autorun, const DialogState& state,
                  const DialogState& opened, const WindowSettings& current) {
    Acceptance result;
    try {
        config::WriteSettingsDialogKeys(ini, state.keys);
    } catch (const platform::IniWriteError& e) {
        result.error = e.what();
        return result;
    }
    AcceptedSettings accepted{EngineSettingsOf(state.keys), WindowSettingsOf(state.keys, current),
                              state.keys.MinToTrey};
    try {
        if (state.Autorun != opened.Autorun) {
            if (state.Autorun)
                autorun.Register();
            else
                autorun.Unregister();
        }
    } catch (const platform::AutorunError& e) {
        result.error = e.what();
        result.apply = accepted;
        return result;
    }
    accepted.window.Sound = state.SoundFile;
    result.apply = accepted;
    return result;
}

void ApplyTimers(const AcceptedSettings& settings, platform::Timer& save_file,
                 platform::Timer& alarm_sound) {
    FollowAutosavePeriod(settings.engine, save_file);
    FollowSoundRepeat(settings.window, alarm_sound);
}

void FollowSoundRepeat(const WindowSettings& settings, platform::Timer& alarm_sound) {
    Reinterval(alarm_sound, RepeatInterval(settings.TimeSound));
}

std::uint32_t RepeatInterval(int seconds) {
    return config::SoundRepeatIntervalMs(seconds);
}

}  // namespace settings_dialog
