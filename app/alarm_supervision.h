#pragma once
// Showing the latched alarms: the blinking panels, the taskbar flash and the balloons of the
// alarm timer, the repeating sound, and the no-data watchdog's warning.

#include <optional>
#include <string>

#include "engine/alarm_state.h"
#include "engine/program_settings.h"

// The channels in the order the alarm display visits them.
enum class AlarmChannel { HM, T2, T1 };

// What the alarm display does to the window.
class AlarmView {
  public:
    virtual ~AlarmView() = default;
    virtual void ShowAlarmBalloon(const std::string& title, const std::string& text) = 0;
    virtual void FlashTaskbar() = 0;
    virtual bool PanelRed(AlarmChannel channel) const = 0;
    virtual void SetPanelRed(AlarmChannel channel, bool red) = 0;
};

inline constexpr unsigned kAlarmBalloonSeconds = 10;

// One tick of the alarm timer: humidity, then T2, then T1. An alarming enabled channel shows
// its balloon and toggles its panel; a panel that turns red flashes the taskbar unless a
// channel shown earlier in the same tick has its flag latched.
void AlarmDisplayTick(const AlarmFlags& flags, const ProgramSettings& settings, AlarmView& view);

// Whether the sound timer's tick plays the alarm sound.
bool AlarmSoundDue(const AlarmFlags& flags, const ProgramSettings& settings);

// The watchdog's balloon text, or none when the warning is switched off. The second line,
// after a lone CR, names the port when it is closed.
std::optional<std::string> NoDataWarningText(const ProgramSettings& settings, bool connected,
                                             const std::string& port);

// The acknowledgements.
void AcknowledgeChannel(AlarmFlags& flags, AlarmChannel channel);
void AcknowledgeAll(AlarmFlags& flags);
