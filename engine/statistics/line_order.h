#pragma once
// Whether the lines going into a daily file keep the order of their stamps, line after line
// and after the line the file ends with: a line older than the one before it means that the
// computer's clock was set back. The line is written all the same (nothing is lost), and the
// jump is told once, when the line is written.

#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "engine/statistics/autosave_warning.h"
#include "engine/statistics/file_system.h"
#include "engine/statistics/line_stamp.h"

namespace statistics {

class LineOrder {
  public:
    LineOrder(FileSystem& files, std::string log_folder);

    // Before a write to the daily file `name`: learns the line it ends with.
    void WillWrite(const std::string& name);
    // `written` (CR LF before each line) is now at the file's end, and ends with a whole line
    // when `whole`. The warning of the first of its lines that is older than the line before.
    std::optional<AutosaveWarning> Wrote(const std::string& name, std::string_view written,
                                         bool whole);

  private:
    FileSystem& files_;
    std::string log_folder_;
    // The stamp of the line each file written lately ends with.
    std::map<std::string, std::optional<LineStamp>> last_;
};

}  // namespace statistics
