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

}  // namespace statistics
