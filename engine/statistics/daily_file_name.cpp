#include "engine/statistics/daily_file_name.h"

namespace statistics {

namespace {

void AppendPadded(std::string& out, int value, std::size_t width) {
    std::string digits = std::to_string(value < 0 ? 0 : value);
    if (digits.size() < width) out.append(width - digits.size(), '0');
    out += digits;
}

}  // namespace

std::string DailyFileName(const LocalDateTime& day) {
    std::string name;
    AppendPadded(name, day.year, 4);
    name += '-';
    AppendPadded(name, day.month, 2);
    name += '-';
    AppendPadded(name, day.day, 2);
    name += ".txt";
    return name;
}

std::string MomentName(const LocalDateTime& moment) {
    std::string name = DailyFileName(moment);
    name.resize(name.size() - 4);  // ".txt"
    name += '_';
    AppendPadded(name, moment.hour, 2);
    name += '-';
    AppendPadded(name, moment.minute, 2);
    name += '-';
    AppendPadded(name, moment.second, 2);
    return name;
}

bool IsDailyFileName(std::string_view name) {
    constexpr std::string_view kPattern = "dddd-dd-dd.txt";
    if (name.size() != kPattern.size()) return false;
    for (std::size_t i = 0; i < kPattern.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (kPattern[i] == 'd' ? !digit : name[i] != kPattern[i]) return false;
    }
    const int month = (name[5] - '0') * 10 + (name[6] - '0');
    const int day = (name[8] - '0') * 10 + (name[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace statistics
