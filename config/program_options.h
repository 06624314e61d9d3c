#pragma once
// The command line both programs share: --config FILE (or --config=FILE), --echo, --help.
// Each program gives its name, its usage text and what else it lets through.

#include <optional>
#include <string>

namespace config {

struct ProgramOptions {
    std::string config;  // the configuration file, as given; empty: none given
    bool echo = false;   // every record line also to standard output
};

struct ParsedOptions {
    std::optional<ProgramOptions> options;  // none: the program is not to run
    int exit_code = 0;                      // when it is not: 0 after --help, 2 after a mistake
    std::string out;                        // for standard output (the usage after --help)
    std::string err;  // for standard error ("program: what was wrong", then the usage)
};

struct OptionRules {
    const char* program = "";  // the name the mistakes begin with
    const char* usage = "";
    bool config_required = false;
    // Single-dash options and plain arguments are left to the toolkit (-platform, -style).
    bool toolkit_arguments = false;
};

ParsedOptions ParseProgramOptions(int argc, const char* const* argv, const OptionRules& rules);

}  // namespace config
