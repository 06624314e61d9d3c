#include "config/program_options.h"

#include <string_view>

namespace config {

ParsedOptions ParseProgramOptions(int argc, const char* const* argv, const OptionRules& rules) {
    ParsedOptions parsed;
    ProgramOptions options;
    bool have_config = false;
    const auto mistake = [&](const std::string& what) {
        parsed.exit_code = 2;
        parsed.err = std::string(rules.program) + ": " + what + "\n\n" + rules.usage;
        return parsed;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            parsed.out = rules.usage;
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
        } else if (arg.starts_with("--")) {
            return mistake("unknown option " + std::string(arg));
        } else if (rules.toolkit_arguments) {
            continue;
        } else if (arg.starts_with("-")) {
            return mistake("unknown option " + std::string(arg));
        } else {
            return mistake("unexpected argument " + std::string(arg));
        }
    }
    if (rules.config_required && !have_config) return mistake("--config FILE is required");
    parsed.options = options;
    return parsed;
}

}  // namespace config
