#pragma once
// The alarm rules both programs follow: the channels, the no-data watchdog's warning and the
// acknowledgements of the latched flags. How the alarms are shown is each program's own.

#include <optional>
#include <string>

#include "engine/alarm_state.h"
#include "engine/engine_settings.h"
#include "engine/telemetry_packet.h"

// The channels in the order the alarm display visits them.
enum class AlarmChannel { HM, T2, T1 };

// A channel's alarm warning, as the front ends give it (a balloon, a line on standard error).
const char* AlarmTitle(AlarmChannel channel);
inline constexpr const char* kOutsideLimitsText = "За пределами допустимых значений!";

// How long an alarm's or the watchdog's warning stays up, in seconds.
inline constexpr unsigned kAlarmWarningSeconds = 10;

// The watchdog's warning text, or none when the warning is switched off. The second line,
// after a lone CR, names the port when it is closed.
std::optional<std::string> NoDataWarningText(const EngineSettings& settings, bool connected,
                                             const std::string& port);

// The alarms as the engine's listeners are told of them (the MQTT alarm topic, the service's
// alarm command): a channel whose alarm is switched off reads clear; `no_data`: the watchdog
// warned (and still warns) and no sample has come since; `port_lost`: the started port lost
// its device and is being opened again.
struct AlarmReport {
    bool t1 = false;
    bool t2 = false;
    bool hm = false;
    bool no_data = false;
    bool port_lost = false;
    friend bool operator==(const AlarmReport&, const AlarmReport&) = default;
};

AlarmReport ReportAlarms(const AlarmFlags& flags, const EngineSettings& settings, bool silent,
                         bool port_lost);

// The acknowledgements.
void AcknowledgeChannel(AlarmFlags& flags, AlarmChannel channel);
void AcknowledgeAll(AlarmFlags& flags);

// Clears the flag of each channel whose value in `sample` lies inside its limits again: where
// nobody is there to acknowledge (the service), a flag tells of the alarm while it lasts.
void ClearAlarmsBackInside(AlarmFlags& flags, const AlarmLimits& limits,
                           const DecodedSample& sample);
