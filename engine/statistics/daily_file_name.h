#pragma once
// The name of a day's statistics file: "2026-12-06.txt". It is both the daily log file in the
// log folder and the name proposed when the user saves the statistics.

#include <string>
#include <string_view>

#include "common/local_time.h"

namespace statistics {

std::string DailyFileName(const LocalDateTime& day);
// A moment as a part of a file name: "2026-12-06_23-59-58".
std::string MomentName(const LocalDateTime& moment);
// Whether `name` is such a name (of some valid-looking day), and nothing else.
bool IsDailyFileName(std::string_view name);

}  // namespace statistics
