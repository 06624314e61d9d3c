#include "engine/sample_history.h"

void SampleHistory::Store(std::size_t index, const HistoryEntry& entry) {
    if (index >= HISTORY_CAPACITY) return;
    HistT1[index] = entry.t1;
    HistT2[index] = entry.t2;
    HistT3[index] = entry.t3;
    HistHM[index] = static_cast<std::uint8_t>(entry.hm);
    HistHeater[index] = entry.heater ? 1 : 0;
}
