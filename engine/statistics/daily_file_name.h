#pragma once
// The name of a day's statistics file: "2026-12-06.txt". It is both the daily log file in the
// log folder and the name proposed when the user saves the statistics.

#include <string>

#include "common/local_time.h"

namespace statistics {

std::string DailyFileName(const LocalDateTime& day);

}  // namespace statistics
