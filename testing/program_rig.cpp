#include "testing/program_rig.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "testing/daily_lines.h"

using namespace std::chrono_literals;

void ProgramRig::StartSimulator(std::vector<std::string> arguments) {
    for (std::string& arg : arguments)
        if (const auto at = arg.find("{folder}"); at != std::string::npos)
            arg.replace(at, 8, folder_.Path());
    sim_ = std::make_unique<SimulatorProcess>(folder_.Path(), std::move(arguments));
}

const std::string& ProgramRig::Pty() const {
    static const std::string none;
    return sim_ ? sim_->Pty() : none;
}

std::vector<e2e::SentPacket> ProgramRig::SentLog() const {
    return sim_ ? e2e::ParseSimLog(Slurp(sim_->LogPath())) : std::vector<e2e::SentPacket>{};
}

void ProgramRig::StartProgram(const std::vector<std::string>& command,
                              const std::vector<std::string>& environment, std::string echo) {
    if (echo.empty()) echo = File("echo.txt");
    program_ = std::make_unique<ChildProcess>(command, echo, File("program.err"), environment);
}

std::optional<int> ProgramRig::End(int signal) {
    program_->Signal(signal);
    return program_->WaitForExit(30s);
}

std::string ProgramRig::Errors() const {
    return Slurp(File("program.err"));
}

std::vector<std::string> ProgramRig::Echoed() const {
    return e2e::SplitEchoText(Slurp(File("echo.txt")));
}

std::string ProgramRig::EchoToAReaderThatLeaves(
    const std::function<void(const std::string& echo)>& start) {
    const std::string fifo = File("echo.fifo");
    if (::mkfifo(fifo.c_str(), 0600) != 0) return {};
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (reader < 0) return {};
    start(fifo);
    std::string echoed;
    ReadUntil(
        reader, echoed,
        [](const std::string& text) { return e2e::SplitEchoText(text).size() >= 5; },
        std::chrono::seconds(20));
    ::close(reader);
    return echoed;
}

bool ProgramRig::WaitForEchoedLines(std::size_t n) {
    return WaitUntil([&] { return Echoed().size() >= n; }, 40s);
}
