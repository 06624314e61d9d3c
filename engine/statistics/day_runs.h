#pragma once
// The autosave's buffer as runs of lines of one day each: a line belongs in the daily file of
// the date it is stamped with, a line without a stamp with the line before it, and a first
// line without one in today's file.

#include <cstddef>
#include <string>
#include <string_view>

#include "common/local_time.h"

namespace statistics {

struct DayRun {
    std::string name;  // the daily file's name
    std::size_t length = 0;
};

// The run the buffer (CR LF before each line, or a cut line first) begins with.
DayRun FirstDayRun(std::string_view buffer, const LocalDateTime& today);

// Of the first `written` bytes of `run`, those of the lines that are whole in them: up to the
// last line start at or before `written` (a line ends where the next one's CR LF begins).
std::size_t WholeLines(std::string_view run, std::size_t written);

}  // namespace statistics
