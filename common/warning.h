#pragma once
// A warning or an error for whoever shows them unattended: the window (a tray balloon, a
// notice, the status bar) or the service (a line on standard error). The parts that notice
// something hand it to a sink and do not know where it ends up.

#include <functional>
#include <string>

enum class Severity { kNotice, kWarning, kError };

struct Warning {
    Severity severity = Severity::kWarning;
    std::string title;
    std::string text;
    unsigned seconds = 0;  // how long it stays up
};

using WarningSink = std::function<void(const Warning& warning)>;
