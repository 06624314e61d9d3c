#include "service/standard_error.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace service {

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

}  // namespace service
