#include "engine/statistics/history_refill.h"

#include <variant>

#include "common/text_parse.h"
#include "engine/record_line.h"

namespace statistics {

namespace {

// The entry of one line, or the message of its first field that is not a number.
std::variant<HistoryEntry, std::string> EntryOf(const std::string& line) {
    HistoryEntry entry;
    const std::string t[3] = {get_T1(line), get_T2(line), get_T3(line)};
    double* target[3] = {&entry.t1, &entry.t2, &entry.t3};
    for (int k = 0; k < 3; ++k) {
        const auto value = text::ParseDouble(t[k]);
        if (!value) return text::NotAFloatMessage(t[k]);
        *target[k] = *value;
    }
    const std::string hm = get_HM(line);
    const auto humidity = text::ParseInt(hm);
    if (!humidity) return text::NotAnIntegerMessage(hm);
    entry.hm = static_cast<int>(static_cast<unsigned>(*humidity) & 0xFFu);
    entry.heater = get_N(line);
    return entry;
}

}  // namespace

HistoryRefill RefillHistory(std::span<const std::string> lines, SampleHistory& history) {
    HistoryRefill result;
    std::size_t i = 0;
    for (; i < lines.size(); ++i) {
        if (i >= HISTORY_CAPACITY) {
            result.exceeded = true;
            break;
        }
        if (lines[i].empty()) continue;
        auto entry = EntryOf(lines[i]);
        if (auto* message = std::get_if<std::string>(&entry)) {
            result.error = std::move(*message);
            break;
        }
        history.Store(i, std::get<HistoryEntry>(entry));
        ++result.filled;
    }
    result.stopped_at = i;
    return result;
}

}  // namespace statistics
