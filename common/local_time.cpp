#include "common/local_time.h"

#include <ctime>

namespace {

void AppendTwoDigits(std::string& out, int value) {
    value = ((value % 100) + 100) % 100;
    out.push_back(static_cast<char>('0' + value / 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

std::string Joined(int a, int b, int c, char separator) {
    std::string out;
    AppendTwoDigits(out, a);
    out.push_back(separator);
    AppendTwoDigits(out, b);
    out.push_back(separator);
    AppendTwoDigits(out, c);
    return out;
}

}  // namespace

LocalDateTime CurrentLocalDateTime() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

std::string FormatDateDdMmYy(const LocalDateTime& t) {
    return Joined(t.day, t.month, t.year, '.');
}

std::string FormatTimeHhMmSs(const LocalDateTime& t) {
    return Joined(t.hour, t.minute, t.second, ':');
}
