#pragma once
// The command line of incubator-monitord.

#include <optional>
#include <string>

namespace service {

struct Options {
    std::string config;  // the configuration file, as given
    bool echo = false;   // every record line also to standard output
};

struct ParsedOptions {
    std::optional<Options> options;  // none: the program is not to run
    int exit_code = 0;               // when it is not: 0 after --help, 2 after a mistake
    std::string out;                 // for standard output (the usage after --help)
    std::string err;                 // for standard error (what was wrong, then the usage)
};

ParsedOptions ParseOptions(int argc, const char* const* argv);

extern const char* const kUsage;

}  // namespace service
