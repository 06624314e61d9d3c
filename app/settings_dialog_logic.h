#pragma once
// The settings dialog apart from its window: what it shows when it opens, what accepting it
// writes and hands to the running program, and how the main window's timers follow.

#include <optional>
#include <string>

#include "app/configuration.h"
#include "app/window_settings.h"
#include "engine/engine_settings.h"
#include "platform/autorun.h"
#include "platform/ini_file.h"
#include "platform/timer.h"

namespace settings_dialog {

// The up-down ranges; stored values outside them are shown at the nearest end.
inline constexpr int kAutosaveMinutesMin = 0;
inline constexpr int kAutosaveMinutesMax = 60;
inline constexpr int kTimeSoundMin = 1;
inline constexpr int kTimeSoundMax = 99;

// What the dialog's controls hold.
struct DialogState {
    config::SettingsDialogKeys keys;
    bool Autorun = false;
    std::string SoundFile;  // EditFileAlarmSound
    friend bool operator==(const DialogState&, const DialogState&) = default;
};

// Reads the dialog's keys and the autorun entry, and takes the sound name from the settings in
// force. The period shown (keys.AutosaveMinutes) becomes the program's period in force: the
// only change opening makes.
DialogState Open(const platform::IniFile& ini, const platform::Autorun& autorun,
                 const WindowSettings& window);

// The no-data sound box can be ticked only while the no-data warning is.
bool SoundBoxEnabled(const DialogState& state);

// Label3 warns in red while the period is 0 (no autosave).
bool AutosaveLabelWarns(int minutes);

// What an accepted dialog gives the running program.
struct AcceptedSettings {
    EngineSettings engine;   // replaces the engine's settings
    WindowSettings window;   // replaces the window's own
    bool MinToTrey = false;  // the tray's MinimizeToTray
    friend bool operator==(const AcceptedSettings&, const AcceptedSettings&) = default;
};

struct Acceptance {
    // To apply to the running program; none when nothing was written.
    std::optional<AcceptedSettings> apply;
    // A failure to show in a message box; the dialog then stays open.
    std::optional<std::string> error;
    bool Closes() const { return !error; }
};

// Writes the keys in one replacement of the file, then the autorun entry. The entry is
// written or removed only when the box differs from `opened`, the state the dialog opened
// with: an entry left unticked may start another copy of the program, and is not this
// dialog's to remove. A refused file write changes nothing. A refused autorun change comes
// after the keys are written: the program then follows the written keys, but keeps its
// alarm sound, which only a complete acceptance replaces.
Acceptance Accept(platform::IniFile& ini, platform::Autorun& autorun, const DialogState& state,
                  const DialogState& opened, const WindowSettings& current);

// The main window's timers after an acceptance: the autosave timer runs every period
// (stopped at 0) and the alarm-sound timer repeats every TimeSound seconds. An interval that
// stays the same leaves its timer counting where it was.
void ApplyTimers(const AcceptedSettings& settings, platform::Timer& save_file,
                 platform::Timer& alarm_sound);
// The alarm-sound timer's part of it (the autosave timer is the engine's).
void FollowSoundRepeat(const WindowSettings& settings, platform::Timer& alarm_sound);

// The test playback's repeat period in milliseconds for the up-down's position.
std::uint32_t RepeatInterval(int seconds);

}  // namespace settings_dialog
