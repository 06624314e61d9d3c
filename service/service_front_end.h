#pragma once
// The service's front end of the engine: nothing is shown; it writes warnings to standard
// error, one line each, for the journal of the service manager; one that stays true is
// repeated at most hourly.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "config/program_output.h"
#include "engine/engine_front_end.h"
#include "service/standing_warnings.h"

namespace service {

class ServiceFrontEnd : public EngineFrontEnd {
  public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;
    using LineOut = std::function<void(config::Priority priority, const std::string& line)>;

    // `out` gets each warning line without its line end, with the journal's priority for its
    // severity; by default standard error.
    explicit ServiceFrontEnd(LineOut out = {}, Clock clock = std::chrono::steady_clock::now);

    void SampleDecoded(const TelemetrySample&) override {}
    void DisplayStartsAfresh() override {}
    // "title: text" on one line. The same warning raised again while the last one would still
    // be up (within its `seconds`) stands: it is written again only hourly, with its age, so
    // that a silent line or a missing port does not flood the journal.
    void Warn(const Warning& warning) override;
    void PortStartedChanged(bool) override {}

  private:
    LineOut out_;
    Clock clock_;
    StandingWarnings standing_;
};

// The warning as one line: every run of CR and LF becomes a single space.
std::string WarningLine(const std::string& title, const std::string& text);

// The priority the service's own lines of that weight already carry.
config::Priority JournalPriority(Severity severity);

}  // namespace service
