#pragma once
// The record lines of the monitor's daily statistics files. A daily file is the batches of
// its autosaves, each line preceded by CR LF: it starts with an empty line and the last line
// has no line end.

#include <string>
#include <string_view>
#include <vector>

namespace e2e {

// The lines of one file's text, split at CR LF, without the empty line it starts with. Any
// other empty line, and any text before the first CR LF, is kept: it does not belong there.
std::vector<std::string> SplitDailyText(std::string_view text);

// The lines of every "*.txt" file in the folder, files in name order (that is, by date).
// No folder gives no lines.
std::vector<std::string> ReadDailyLines(const std::string& folder);

// The lines of a text split at LF (the monitor's --echo output); a last line without its
// line end is left out.
std::vector<std::string> SplitEchoText(std::string_view text);

}  // namespace e2e
