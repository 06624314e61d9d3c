#pragma once
// Saving the display's lines to a file of the user's choice, and reading such a file back.

#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/display_lines.h"
#include "engine/sample_history.h"
#include "engine/statistics/file_system.h"

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

// What "Открыть.." takes. A day at one packet a second is some 86,400 lines of about 66
// bytes, under 6 MB. The byte limit leaves room for five such days, the line length for a
// note of sixty record lines' worth typed into the display. The line count is what keeps
// the window from freezing for long (the display takes some 4 us a line, whatever its
// length): twice a full history, a day at two packets a second.
inline constexpr std::size_t kMaxStatisticsFileBytes = 32u << 20;
inline constexpr std::size_t kMaxStatisticsLineBytes = 4096;
inline constexpr std::size_t kMaxStatisticsLines = 2 * HISTORY_CAPACITY;

// The lines, each followed by CR LF.
std::string JoinStatisticsLines(std::span<const std::string> lines);

// Replaces the file's content with the lines, each followed by CR LF. The text goes to a new
// file in the same folder that is then renamed over the old one, so a failed save leaves the
// old file as it was. The new file keeps the old one's permissions (and owner, where the
// system allows); a symbolic link stays a link and its target is replaced; a file this
// process may not write is refused, not replaced. Throws StatisticsFileError.
void SaveStatisticsFile(FileSystem& files, const std::string& path,
                        std::span<const std::string> lines);
void SaveStatisticsFile(FileSystem& files, const std::string& path, const DisplayLines& lines);

// Splits a file's bytes where the display breaks its text into lines: at CR LF, LF, a lone
// CR, and the characters U+2029, U+FDD0 and U+FDD1 in UTF-8; so line i of the file is line i
// of the display. A break at the very end closes the last line rather than opening an empty
// one. Every other byte is kept as it is.
std::vector<std::string> SplitStatisticsLines(std::string_view content);

// Reads a regular file's lines, refusing one larger than kMaxStatisticsFileBytes, with more
// than kMaxStatisticsLines lines or with a line longer than kMaxStatisticsLineBytes. Throws
// StatisticsFileError, whose text names the limit.
std::vector<std::string> ReadStatisticsFile(FileSystem& files, const std::string& path);

}  // namespace statistics
