#include "testing/simulator_process.h"

#include <fstream>
#include <sstream>
#include <utility>

namespace {

std::vector<std::string> Command(std::vector<std::string> arguments, const std::string& log) {
    arguments.insert(arguments.begin(), INCUBATOR_SIM_PATH);
    arguments.insert(arguments.end(), {"--log", log});
    return arguments;
}

// The first line of the file once it is whole.
std::string FirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    const std::string out = text.str();
    const std::size_t end = out.find('\n');
    return end == std::string::npos ? std::string() : out.substr(0, end);
}

}  // namespace

SimulatorProcess::SimulatorProcess(const std::string& folder, std::vector<std::string> arguments)
    : log_(folder + "/sim.log"),
      process_(Command(std::move(arguments), log_), folder + "/sim.out", folder + "/sim.err") {
    const std::string out = folder + "/sim.out";
    WaitUntil([&] { return !(pty_ = FirstLine(out)).empty(); }, std::chrono::seconds(10));
}
