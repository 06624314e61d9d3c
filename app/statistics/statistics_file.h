#pragma once
// Saving the display's lines to a file of the user's choice, and reading such a file back.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "app/display_lines.h"
#include "app/statistics/file_system.h"

namespace statistics {

// A file that could not be written or read. The text is the one the user sees:
// "Cannot create file "<path>". <reason>" or "Cannot open file "<path>". <reason>".
class StatisticsFileError : public std::runtime_error {
  public:
    StatisticsFileError(const std::string& text, int error)
        : std::runtime_error(text), error_(error) {}
    int SystemError() const { return error_; }

  private:
    int error_;
};

// The lines, each followed by CR LF.
std::string JoinStatisticsLines(std::span<const std::string> lines);

// Replaces the file's content with the lines, each followed by CR LF. The text goes to a new
// file in the same folder that is then renamed over the old one, so a failed save leaves the
// old file as it was. Throws StatisticsFileError.
void SaveStatisticsFile(FileSystem& files, const std::string& path,
                        std::span<const std::string> lines);
void SaveStatisticsFile(FileSystem& files, const std::string& path, const DisplayLines& lines);

// Splits a file's bytes at CR LF or LF. A line end at the very end closes the last line
// rather than opening an empty one. Bytes are kept as they are.
std::vector<std::string> SplitStatisticsLines(std::string_view content);

// Reads a file's lines. Throws StatisticsFileError.
std::vector<std::string> ReadStatisticsFile(FileSystem& files, const std::string& path);

}  // namespace statistics
