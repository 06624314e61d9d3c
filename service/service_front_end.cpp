#include "service/service_front_end.h"

namespace service {

namespace {

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

config::Priority JournalPriority(Severity severity) {
    switch (severity) {
        case Severity::kNotice:
            return config::Priority::kInfo;
        case Severity::kWarning:
            return config::Priority::kWarning;
        case Severity::kError:
            return config::Priority::kError;
    }
    return config::Priority::kWarning;
}

ServiceFrontEnd::ServiceFrontEnd(LineOut out, Clock clock)
    : out_(out ? std::move(out) : LineOut(config::WriteToStandardError)),
      clock_(std::move(clock)) {}

void ServiceFrontEnd::Warn(const Warning& warning) {
    const std::string line = WarningLine(warning.title, warning.text);
    if (const auto out = standing_.Raise(line, warning.seconds, clock_()))
        out_(JournalPriority(warning.severity), *out);
}

}  // namespace service
