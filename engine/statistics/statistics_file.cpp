#include "engine/statistics/statistics_file.h"

#include <algorithm>
#include <array>
#include <cerrno>

#include "engine/statistics/file_error_text.h"

namespace statistics {

namespace {

[[noreturn]] void ThrowCannot(const char* what, const std::string& path, int error,
                              const std::string& reason) {
    throw StatisticsFileError(std::string("Cannot ") + what + " file \"" + path + "\". " + reason,
                              error);
}
[[noreturn]] void ThrowCannot(const char* what, const std::string& path, int error) {
    ThrowCannot(what, path, error, ReasonInWords(error));
}

// Writes a new file beside the one `path` names and renames it over that one.
void ReplaceFile(FileSystem& files, const std::string& path, const std::string& text) {
    std::string target;
    if (const int error = files.ReplacementTarget(path, target); error != 0)
        ThrowCannot("create", path, error);
    std::string temporary;
    std::unique_ptr<OutputFile> file;
    if (const int error = files.CreateTemporaryBeside(target, temporary, file); error != 0)
        ThrowCannot("create", path, error);
    int error = WriteSyncAndClose(*file, text);
    if (error == 0) error = files.Rename(temporary, target);
    if (error != 0) {
        files.Remove(temporary);
        ThrowCannot("create", path, error);
    }
    files.SyncFolder(FolderOf(target));  // the rename is done; this only makes it durable
}

// The length of the line break that starts at `at`, or 0.
std::size_t BreakAt(std::string_view s, std::size_t at) {
    switch (s[at]) {
        case '\n':
            return 1;
        case '\r':
            return at + 1 < s.size() && s[at + 1] == '\n' ? 2 : 1;
        case '\xE2':  // U+2029
            return s.substr(at, 3) == "\xE2\x80\xA9" ? 3 : 0;
        case '\xEF':  // U+FDD0, U+FDD1
            return s.substr(at, 3) == "\xEF\xB7\x90" || s.substr(at, 3) == "\xEF\xB7\x91" ? 3 : 0;
        default:
            return 0;
    }
}

// The bytes that may start a line break.
constexpr std::array<bool, 256> kBreakStarts = [] {
    std::array<bool, 256> starts{};
    for (const unsigned char c : {'\n', '\r', '\xE2', '\xEF'}) starts[c] = true;
    return starts;
}();

std::string MegabytesText(std::size_t bytes) {
    return std::to_string(bytes >> 20) + " МБ";
}

struct Limits {
    std::size_t lines = static_cast<std::size_t>(-1);
    std::size_t line_bytes = static_cast<std::size_t>(-1);
};

// The lines, or the refusal of a limit once it is passed (nothing more is split then).
std::vector<std::string> Split(std::string_view content, const Limits& limits,
                               std::string& refusal) {
    std::vector<std::string> lines;
    const std::size_t ends =
        static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 1;
    lines.reserve(std::min(ends, limits.lines));
    const auto add = [&](std::size_t start, std::size_t end) {
        if (lines.size() == limits.lines) {
            refusal = "в файле больше " + std::to_string(limits.lines) +
                      " строк: это предел для файла статистики";
            return false;
        }
        if (end - start > limits.line_bytes) {
            refusal = "строка " + std::to_string(lines.size() + 1) + " длиннее " +
                      std::to_string(limits.line_bytes) + " байт: это предел для строки статистики";
            return false;
        }
        lines.emplace_back(content.substr(start, end - start));
        return true;
    };
    std::size_t start = 0;
    std::size_t at = 0;
    while (at < content.size()) {
        if (!kBreakStarts[static_cast<unsigned char>(content[at])]) {
            ++at;
            continue;
        }
        const std::size_t length = BreakAt(content, at);
        if (length == 0) {
            ++at;
            continue;
        }
        if (!add(start, at)) return {};
        at += length;
        start = at;
    }
    if (start < content.size() && !add(start, content.size())) return {};
    return lines;
}

}  // namespace

std::string JoinStatisticsLines(std::span<const std::string> lines) {
    std::size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

void SaveStatisticsFile(FileSystem& files, const std::string& path,
                        std::span<const std::string> lines) {
    ReplaceFile(files, path, JoinStatisticsLines(lines));
}

void SaveStatisticsFile(FileSystem& files, const std::string& path, const DisplayLines& lines) {
    std::string text;
    for (std::size_t i = 0, n = lines.Count(); i < n; ++i) {
        text += lines.Line(i);
        text += "\r\n";
    }
    ReplaceFile(files, path, text);
}

std::vector<std::string> SplitStatisticsLines(std::string_view content) {
    std::string refusal;
    return Split(content, Limits{}, refusal);
}

std::vector<std::string> ReadStatisticsFile(FileSystem& files, const std::string& path) {
    std::string content;
    if (const int error = files.ReadAll(path, kMaxStatisticsFileBytes, content); error != 0) {
        if (error == EFBIG)
            ThrowCannot("open", path, error,
                        "файл больше " + MegabytesText(kMaxStatisticsFileBytes) +
                            ": это предел для файла статистики");
        ThrowCannot("open", path, error);
    }
    std::string refusal;
    std::vector<std::string> lines =
        Split(content, Limits{kMaxStatisticsLines, kMaxStatisticsLineBytes}, refusal);
    if (!refusal.empty()) ThrowCannot("open", path, EFBIG, refusal);
    return lines;
}

}  // namespace statistics
