#pragma once
// The command line of incubator-monitord: the shared one, with --config required.

#include "config/program_options.h"

namespace service {

using Options = config::ProgramOptions;
using ParsedOptions = config::ParsedOptions;

ParsedOptions ParseOptions(int argc, const char* const* argv);

extern const char* const kUsage;

}  // namespace service
