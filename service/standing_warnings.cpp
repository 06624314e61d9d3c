#include "service/standing_warnings.h"

namespace service {

std::string StandingFor(std::chrono::steady_clock::duration age) {
    const auto hours = std::chrono::duration_cast<std::chrono::hours>(age).count();
    std::string text = " (уже ";
    if (hours >= 24) {
        text += std::to_string(hours / 24) + " сут";
        if (hours % 24 != 0) text += " " + std::to_string(hours % 24) + " ч";
    } else {
        text += std::to_string(hours) + " ч";
    }
    return text + ")";
}

std::optional<std::string> StandingWarnings::Raise(const std::string& line, unsigned seconds,
                                                   TimePoint now) {
    std::erase_if(standing_, [&](const auto& entry) {
        return entry.first != line && entry.second.up_until <= now;
    });
    const TimePoint up_until = now + std::chrono::seconds(seconds);
    const auto found = standing_.find(line);
    if (found == standing_.end() || found->second.up_until <= now) {
        standing_[line] = Standing{.since = now, .written = now, .up_until = up_until};
        return line;
    }
    Standing& s = found->second;
    s.up_until = up_until;
    if (now - s.written < kRepeat) return std::nullopt;
    s.written = now;
    return line + StandingFor(now - s.since);
}

}  // namespace service
