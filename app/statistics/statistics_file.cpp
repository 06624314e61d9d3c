#include "app/statistics/statistics_file.h"

#include <algorithm>

#include "app/statistics/file_error_text.h"

namespace statistics {

namespace {

[[noreturn]] void ThrowCannot(const char* what, const std::string& path, int error) {
    throw StatisticsFileError(
        std::string("Cannot ") + what + " file \"" + path + "\". " + ReasonInWords(error), error);
}

// Writes a new file beside the old one and renames it over it.
void ReplaceFile(FileSystem& files, const std::string& path, const std::string& text) {
    std::string temporary;
    std::unique_ptr<OutputFile> file;
    if (const int error = files.CreateTemporaryBeside(path, temporary, file); error != 0)
        ThrowCannot("create", path, error);
    int error = 0;
    WriteAll(*file, text, error);
    if (error == 0) error = file->Sync();
    if (const int close_error = file->Close(); error == 0) error = close_error;
    if (error == 0) error = files.Rename(temporary, path);
    if (error != 0) {
        files.Remove(temporary);
        ThrowCannot("create", path, error);
    }
    files.SyncFolder(FolderOf(path));  // the rename is done; this only makes it durable
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
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n')) + 1);
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const std::size_t next = end == std::string_view::npos ? content.size() : end + 1;
        if (end == std::string_view::npos) end = content.size();
        if (end > start && content[end - 1] == '\r' && end < content.size()) --end;
        lines.emplace_back(content.substr(start, end - start));
        start = next;
    }
    return lines;
}

std::vector<std::string> ReadStatisticsFile(FileSystem& files, const std::string& path) {
    std::string content;
    if (const int error = files.ReadAll(path, content); error != 0)
        ThrowCannot("open", path, error);
    return SplitStatisticsLines(content);
}

}  // namespace statistics
