#include "service/service_front_end.h"

#include "config/program_output.h"

namespace service {

namespace {

void ToStandardError(const std::string& line) {
    config::WriteToStandardError(config::Priority::kWarning, line);
}

void AppendOneLine(std::string& out, const std::string& text) {
    bool in_break = false;
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            if (!in_break) out.push_back(' ');
            in_break = true;
            continue;
        }
        in_break = false;
        out.push_back(c);
    }
}

}  // namespace

std::string WarningLine(const std::string& title, const std::string& text) {
    std::string line;
    AppendOneLine(line, title);
    line += ": ";
    AppendOneLine(line, text);
    return line;
}

ServiceFrontEnd::ServiceFrontEnd(LineOut out, Clock clock)
    : out_(out ? std::move(out) : LineOut(ToStandardError)), clock_(std::move(clock)) {}

void ServiceFrontEnd::Warn(const Warning& warning) {
    const std::string line = WarningLine(warning.title, warning.text);
    if (const auto out = standing_.Raise(line, warning.seconds, clock_())) out_(*out);
}

}  // namespace service
