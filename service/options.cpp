#include "service/options.h"

#include <string_view>

namespace service {

const char* const kUsage =
    "Usage: incubator-monitord --config FILE [--echo]\n"
    "Watches an egg-incubator controller on a serial line, without a window: the daily\n"
    "statistics, the alarms and the no-data warning as the window program keeps them.\n"
    "\n"
    "  --config FILE  the configuration file (the window program's keys; [Service]\n"
    "                 AlarmCommand= names a program run on each alarm change)\n"
    "  --echo         also print every record line to standard output as it is added\n"
    "  --help         print this text and exit\n"
    "\n"
    "The daily statistics go to [LogFile] Dir when set, else to log/ beside FILE; a FILE in\n"
    "$XDG_CONFIG_HOME/incubator-monitor/ keeps them in\n"
    "$XDG_DATA_HOME/incubator-monitor/<name>/log/. Warnings go to standard error.\n"
    "SIGTERM, SIGHUP and SIGINT save what was received and end the program.\n";

ParsedOptions ParseOptions(int argc, const char* const* argv) {
    ParsedOptions parsed;
    Options options;
    bool have_config = false;
    const auto mistake = [&](const std::string& what) {
        parsed.exit_code = 2;
        parsed.err = "incubator-monitord: " + what + "\n\n" + kUsage;
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            parsed.out = kUsage;
            return parsed;
        }
        if (arg == "--echo") {
            options.echo = true;
        } else if (arg == "--config" || arg.starts_with("--config=")) {
            std::string_view value;
            if (arg == "--config") {
                if (i + 1 >= argc) return mistake("--config needs a file");
                value = argv[++i];
            } else {
                value = arg.substr(std::string_view("--config=").size());
            }
            if (value.empty()) return mistake("--config needs a file");
            if (have_config) return mistake("--config given twice");
            options.config = value;
            have_config = true;
        } else if (arg.starts_with("-")) {
            return mistake("unknown option " + std::string(arg));
        } else {
            return mistake("unexpected argument " + std::string(arg));
        }
    }
    if (!have_config) return mistake("--config FILE is required");
    parsed.options = options;
    return parsed;
}

}  // namespace service
