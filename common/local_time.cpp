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

LocalDateTime LocalDateTimeAt(SystemTime t) {
    const std::time_t seconds =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(t));
    std::tm tm{};
    localtime_r(&seconds, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

SystemTime SystemTimeOf(const LocalDateTime& local) {
    std::tm tm{};
    tm.tm_year = local.year - 1900;
    tm.tm_mon = local.month - 1;
    tm.tm_mday = local.day;
    tm.tm_hour = local.hour;
    tm.tm_min = local.minute;
    tm.tm_sec = local.second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

std::string FormatDateDdMmYy(const LocalDateTime& t) {
    return Joined(t.day, t.month, t.year, '.');
}

std::string FormatTimeHhMmSs(const LocalDateTime& t) {
    return Joined(t.hour, t.minute, t.second, ':');
}
