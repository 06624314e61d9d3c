#include "service/options.h"

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
    return config::ParseProgramOptions(
        argc, argv, {.program = "incubator-monitord", .usage = kUsage, .config_required = true});
}

}  // namespace service
