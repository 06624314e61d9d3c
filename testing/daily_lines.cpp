#include "testing/daily_lines.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace e2e {

namespace fs = std::filesystem;

std::vector<std::string> SplitDailyText(std::string_view text) {
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    constexpr std::string_view kEnd = "\r\n";
    bool first = true;
    while (true) {
        const std::size_t end = text.find(kEnd);
        const std::string_view line = text.substr(0, end);
        if (!(first && line.empty())) lines.emplace_back(line);
        first = false;
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + kEnd.size());
    }
    return lines;
}

std::vector<std::string> ReadDailyLines(const std::string& folder) {
    std::vector<fs::path> files;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    std::vector<std::string> lines;
    for (const fs::path& file : files) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        for (std::string& line : SplitDailyText(text.str())) lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> SplitEchoText(std::string_view text) {
    std::vector<std::string> lines;
    while (true) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) break;
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace e2e
