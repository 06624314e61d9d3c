#pragma once
// Refilling the sample history from the lines of an opened statistics file.

#include <cstddef>
#include <optional>
#include <span>
#include <string>

#include "engine/sample_history.h"

namespace statistics {

// Shown when a file has more lines than the history holds.
inline constexpr const char* kTooManyLinesMessage =
    "Превышено максимальное количество строк! Программа будет работать не правильно!";

struct HistoryRefill {
    std::size_t filled = 0;      // entries written (empty lines get none)
    std::size_t stopped_at = 0;  // index of the line where filling stopped, or the line count
    // Stopped at HISTORY_CAPACITY lines: the rest have no entries (show kTooManyLinesMessage).
    bool exceeded = false;
    // A field that is not a number stopped the filling at line `stopped_at`, which got no
    // entry: "'abc' is not a valid floating point value" or "... integer value".
    std::optional<std::string> error;
};

// Entry i from line i for every non-empty line, up to HISTORY_CAPACITY lines. The humidity
// is kept as its low 8 bits, so -1 is held as 255.
HistoryRefill RefillHistory(std::span<const std::string> lines, SampleHistory& history);

}  // namespace statistics
