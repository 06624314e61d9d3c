#pragma once
// The sample history: the values of record line i, as numbers for the chart.

#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr std::size_t HISTORY_CAPACITY = 87000;

struct HistoryEntry {
    double t1 = 0;
    double t2 = 0;
    double t3 = 0;
    int hm = 0;  // -1 (below the humidity table) is held as 255
    bool heater = false;
};

// Five arrays of fixed capacity, zeroed at start and never emptied; entries beyond the
// current number of display lines are stale.
struct SampleHistory {
    // Writes entry `index`; an index at or beyond the capacity is ignored.
    void Store(std::size_t index, const HistoryEntry& entry);

    std::vector<double> HistT1 = std::vector<double>(HISTORY_CAPACITY);
    std::vector<double> HistT2 = std::vector<double>(HISTORY_CAPACITY);
    std::vector<double> HistT3 = std::vector<double>(HISTORY_CAPACITY);
    std::vector<std::uint8_t> HistHM = std::vector<std::uint8_t>(HISTORY_CAPACITY);
    std::vector<std::uint8_t> HistHeater = std::vector<std::uint8_t>(HISTORY_CAPACITY);
};
