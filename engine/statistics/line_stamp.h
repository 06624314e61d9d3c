#pragma once
// The date and time a record line ends with ("... 06.12.26 12:34:56"): which daily file the
// line belongs in, and whether it is older than the line before it.

#include <compare>
#include <optional>
#include <string>
#include <string_view>

#include "common/local_time.h"

namespace statistics {

struct LineStamp {
    int year = 0;  // full year
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    auto operator<=>(const LineStamp&) const = default;
    bool SameDay(const LineStamp& other) const {
        return year == other.year && month == other.month && day == other.day;
    }
    LocalDateTime When() const { return {year, month, day, hour, minute, second}; }
    // "06.12.26 12:34:56"
    std::string Text() const;
};

// The stamp the line ends with; none when it does not end with a valid one.
std::optional<LineStamp> StampOf(std::string_view line);

}  // namespace statistics
