#pragma once
// The six alarm-limit edits: the limits they give, their key filters and what leaving them
// does to their text. Temperature edits hold degrees with one decimal ("39,0"), humidity
// edits whole percent.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "engine/alarm_state.h"

// The edits in creation order: T1 high, T1 low, T2 high, T2 low, HM high, HM low.
inline constexpr std::size_t kLimitEditCount = 6;
using LimitEditTexts = std::array<std::string, kLimitEditCount>;

inline constexpr char kBackspace = '\b';

// Reads the edits in order into the limits; the first text that does not convert ends the
// recomputation, leaving it and the later limits as they were.
void RecomputeLimits(const LimitEditTexts& texts, AlarmLimits& limits);

// The texts the edits show for stored limits ("39,0", "90").
LimitEditTexts LimitTexts(const AlarmLimits& limits);

// Key filters for a typed character (backspace included): the character to insert, or none
// to refuse it. A typed point becomes a comma; one decimal only, unless a selection is being
// replaced.
std::optional<char> TemperatureKeyFilter(char key, std::string_view text, bool has_selection);
std::optional<char> HumidityKeyFilter(char key);

// Leaving a temperature edit.
struct TemperatureExit {
    std::string text;  // the normalised text written back ("37" -> "37,0")
    // The conversion to tenths failed: the application's error report shows this.
    std::optional<std::string> conversion_error;
    // Above 50,0: this message is shown, then the edit is set to "0,0".
    std::optional<std::string> range_message;
};
TemperatureExit LeaveTemperatureEdit(std::string_view text);

// Leaving a humidity edit: 100 or more gives the message, then the edit is set to "50".
std::optional<std::string> LeaveHumidityEdit(std::string_view text);

inline constexpr std::string_view kTemperatureResetText = "0,0";
inline constexpr std::string_view kHumidityResetText = "50";
