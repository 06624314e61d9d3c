#pragma once
// Warnings that stay true. The engine raises such a warning again and again while it holds
// (the watchdog's "no data" every 3 seconds, up for 10): on standard error it is written when
// it begins, then at most once an hour with how long it has stood, so that a port missing for
// a day costs 24 lines, not 7,200. A warning raised again while its last raise would still be
// up stands on; one raised after that begins anew and is written at once.

#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace service {

class StandingWarnings {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    static constexpr std::chrono::hours kRepeat{1};

    // What to write for `line` raised at `now` and up for `seconds`: the line when it begins,
    // the line with its age once kRepeat has passed since it was last written, else nothing.
    std::optional<std::string> Raise(const std::string& line, unsigned seconds, TimePoint now);

  private:
    struct Standing {
        TimePoint since;
        TimePoint written;
        TimePoint up_until;
    };
    // Only the warnings still up: the rest are forgotten at the next raise.
    std::map<std::string, Standing> standing_;
};

// " (уже 3 ч)", " (уже 2 сут 5 ч)": how long a warning has stood, in whole hours.
std::string StandingFor(std::chrono::steady_clock::duration age);

}  // namespace service
