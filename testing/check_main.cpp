// incubator-e2e-check: compares the packets incubator-sim logged with the record lines in the
// monitor's daily files (and with what the monitor echoed), prints the counts on one line and
// tells by its exit status whether the run passed.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>

#include "testing/daily_lines.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"

namespace {

constexpr const char* kUsage =
    "Usage: incubator-e2e-check --sim-log FILE --log-folder DIR [--echo FILE]\n"
    "                           [--layout 8|9] [--rounding 0|1] [--clean] [--no-misframed]\n"
    "Compares the packets incubator-sim logged (--log FILE) with the record lines of the\n"
    "monitor's daily files in DIR and, with --echo, with the lines the monitor echoed.\n"
    "Prints the counts as key=value words on one line. Exit status 0 when, with --clean,\n"
    "every packet sent whole is in the files once, in order, and nothing else is; without\n"
    "--clean, when every line in the files is made of bytes the simulator sent. The files must\n"
    "hold exactly the echoed lines in both cases, and with --no-misframed no line may be a\n"
    "misframed one (bytes of two packets read as one). 1 when not, 2 on a usage mistake.\n";

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::string sim_log, log_folder, echo;
    PacketLayout layout = PacketLayout::Eight;
    bool rounding = true, clean = false, no_misframed = false;
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (name == "--clean" || name == "--no-misframed") {
            (name == "--clean" ? clean : no_misframed) = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::fprintf(stderr, "incubator-e2e-check: missing value after %s\n\n%s", argv[i],
                         kUsage);
            return 2;
        }
        const std::string value = argv[++i];
        if (name == "--sim-log") {
            sim_log = value;
        } else if (name == "--log-folder") {
            log_folder = value;
        } else if (name == "--echo") {
            echo = value;
        } else if (name == "--layout" && (value == "8" || value == "9")) {
            layout = value == "9" ? PacketLayout::Nine : PacketLayout::Eight;
        } else if (name == "--rounding" && (value == "0" || value == "1")) {
            rounding = value == "1";
        } else {
            std::fprintf(stderr, "incubator-e2e-check: bad option %s %s\n\n%s", name.c_str(),
                         value.c_str(), kUsage);
            return 2;
        }
    }
    if (sim_log.empty() || log_folder.empty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    try {
        std::optional<std::vector<std::string>> echo_lines;
        if (!echo.empty()) echo_lines = e2e::SplitEchoText(Slurp(echo));
        const e2e::RunCheck check =
            e2e::CheckRun(e2e::ParseSimLog(Slurp(sim_log)), e2e::ReadDailyLines(log_folder), layout,
                          rounding, echo_lines);
        std::printf("%s\n", check.Summary().c_str());
        if (no_misframed && check.misframed > 0)
            std::fprintf(stderr, "incubator-e2e-check: %zu misframed lines\n", check.misframed);
        const bool passed =
            (clean ? check.Clean() : check.Sound()) && !(no_misframed && check.misframed > 0);
        return passed ? 0 : 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "incubator-e2e-check: %s\n", e.what());
        return 2;
    }
}
