#pragma once
// The alarm rules both programs follow: the channels, the no-data watchdog's warning and the
// acknowledgements of the latched flags. How the alarms are shown is each program's own.

#include <optional>
#include <string>

#include "engine/alarm_state.h"
#include "engine/program_settings.h"
#include "engine/telemetry_packet.h"

// The channels in the order the alarm display visits them.
enum class AlarmChannel { HM, T2, T1 };

// How long an alarm's or the watchdog's warning stays up, in seconds.
inline constexpr unsigned kAlarmBalloonSeconds = 10;

// The watchdog's warning text, or none when the warning is switched off. The second line,
// after a lone CR, names the port when it is closed.
std::optional<std::string> NoDataWarningText(const ProgramSettings& settings, bool connected,
                                             const std::string& port);

// The acknowledgements.
void AcknowledgeChannel(AlarmFlags& flags, AlarmChannel channel);
void AcknowledgeAll(AlarmFlags& flags);

// Clears the flag of each channel whose value in `sample` lies inside its limits again: where
// nobody is there to acknowledge (the service), a flag tells of the alarm while it lasts.
void ClearAlarmsBackInside(AlarmFlags& flags, const AlarmLimits& limits,
                           const DecodedSample& sample);
