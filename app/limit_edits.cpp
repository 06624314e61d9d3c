#include "app/limit_edits.h"

#include <cmath>
#include <limits>

#include "common/text_format.h"
#include "common/text_parse.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Degrees to whole tenths, rounded down. The small bias keeps a typed one-decimal value such
// as 39,1 (39.099999... in binary) from losing a tenth.
std::optional<int> Tenths(std::string_view text) {
    const std::optional<double> degrees = text::ParseDouble(text);
    if (!degrees) return std::nullopt;
    const double tenths = std::floor(*degrees * 10 + 1e-7);
    if (!(tenths >= std::numeric_limits<int>::min() && tenths <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(tenths);
}

}  // namespace

void RecomputeLimits(const LimitEditTexts& texts, AlarmLimits& limits) {
    int* const targets[kLimitEditCount] = {&limits.LimitT1Hi, &limits.LimitT1Low,
                                           &limits.LimitT2Hi, &limits.LimitT2Low,
                                           &limits.LimitHMHi, &limits.LimitHMLow};
    for (std::size_t i = 0; i < kLimitEditCount; ++i) {
        const bool temperature = i < 4;
        const std::optional<int> value = temperature ? Tenths(texts[i]) : text::ParseInt(texts[i]);
        if (!value) return;
        *targets[i] = *value;
    }
}

LimitEditTexts LimitTexts(const AlarmLimits& l) {
    auto degrees = [](int tenths) { return text::FormatPattern(tenths / 10.0, 1); };
    return {degrees(l.LimitT1Hi),  degrees(l.LimitT1Low),        degrees(l.LimitT2Hi),
            degrees(l.LimitT2Low), text::FormatInt(l.LimitHMHi), text::FormatInt(l.LimitHMLow)};
}

std::optional<char> TemperatureKeyFilter(char key, std::string_view text, bool has_selection) {
    if (key == '.') key = ',';
    if (key != kBackspace && key != ',' && !IsDigit(key)) return std::nullopt;
    // One decimal and no more.
    if (text.size() >= 2 && text[text.size() - 2] == ',' && !has_selection && key != kBackspace)
        return std::nullopt;
    return key;
}

std::optional<char> HumidityKeyFilter(char key) {
    if (key != kBackspace && !IsDigit(key)) return std::nullopt;
    return key;
}

TemperatureExit LeaveTemperatureEdit(std::string_view typed) {
    TemperatureExit exit;
    std::string text(typed);
    if (text.empty() || text == ",") text = "0";
    if (text.front() == ',') text.insert(0, "0");
    if (text.find(',') == std::string::npos) text += ",0";
    exit.text = text;

    // Tenths: the text without its second-to-last character, the comma of "39,5".
    std::string digits = text;
    digits.erase(digits.size() - 2, 1);
    const std::optional<int> tenths = text::ParseInt(digits);
    if (!tenths) {
        exit.conversion_error = text::NotAnIntegerMessage(digits);
    } else if (*tenths > 500) {
        exit.range_message = "Не в диапазоне (0..50.0)  \"" + text + "\"";
    }
    return exit;
}

std::optional<std::string> LeaveHumidityEdit(std::string_view text) {
    const std::optional<int> value = text::ParseInt(text);
    if (!value || *value < 100) return std::nullopt;
    return "Не в диапазоне (0..99)  \"" + std::string(text) + "\"";
}
