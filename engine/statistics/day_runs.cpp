#include "engine/statistics/day_runs.h"

#include "engine/statistics/daily_file_name.h"
#include "engine/statistics/line_stamp.h"

namespace statistics {

namespace {

constexpr std::string_view kLineStart = "\r\n";

// Where the line that starts at `at` ends: the next line's CR LF, or the buffer's end.
std::size_t LineEnd(std::string_view buffer, std::size_t at) {
    const std::size_t from = buffer.substr(at).starts_with(kLineStart) ? at + 2 : at;
    const std::size_t end = buffer.find(kLineStart, from);
    return end == std::string_view::npos ? buffer.size() : end;
}

bool SameDay(const LocalDateTime& a, const LocalDateTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day;
}

}  // namespace

DayRun FirstDayRun(std::string_view buffer, const LocalDateTime& today) {
    std::size_t end = LineEnd(buffer, 0);
    const auto first = StampOf(buffer.substr(0, end));
    const LocalDateTime day = first ? first->When() : today;
    while (end < buffer.size()) {
        const std::size_t next = LineEnd(buffer, end);
        const auto stamp = StampOf(buffer.substr(end, next - end));
        if (stamp && !SameDay(stamp->When(), day)) break;
        end = next;
    }
    return {DailyFileName(day), end};
}

std::size_t WholeLines(std::string_view run, std::size_t written) {
    if (written >= run.size()) return run.size();
    const std::size_t at = run.rfind(kLineStart, written);
    return at == std::string_view::npos ? 0 : at;
}

}  // namespace statistics
