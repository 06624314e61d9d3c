#include "config/program_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace config {

void IgnoreBrokenPipe() {
    std::signal(SIGPIPE, SIG_IGN);
}

void EchoLine(const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

bool StandardErrorIsJournal() {
    const char* stream = std::getenv("JOURNAL_STREAM");
    struct stat st {};
    if (!stream || ::fstat(STDERR_FILENO, &st) != 0) return false;
    return stream == std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
}

std::string PriorityPrefix(Priority priority, bool journal) {
    if (!journal) return {};
    return "<" + std::to_string(static_cast<int>(priority)) + ">";
}

void WriteToStandardError(Priority priority, const std::string& line) {
    static const bool journal = StandardErrorIsJournal();
    const std::string out = PriorityPrefix(priority, journal) + line + "\n";
    std::fwrite(out.data(), 1, out.size(), stderr);
    std::fflush(stderr);
}

void SayOnStandardError(std::string_view program, std::string_view line, Priority priority) {
    WriteToStandardError(priority, std::string(program) + ": " + std::string(line));
}

}  // namespace config
