#pragma once
// The parts of the freedesktop desktop-entry format that an autostart entry needs: writing an
// Exec value that runs one program path, and reading a file's [Desktop Entry] keys and Exec
// arguments back.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The Exec value (as it stands after "Exec=") that runs `program` with no arguments: the path
// in double quotes, quoting and string escapes applied, "%" doubled.
std::string DesktopExecValue(std::string_view program);

// The arguments of an Exec value as the desktop would run them; empty when the value is not
// well formed (an open quote, a field code such as %f, a bad escape).
std::optional<std::vector<std::string>> ParseDesktopExec(std::string_view value);

// The keys of the [Desktop Entry] group, values as written (not unescaped). Comments, other
// groups and localised keys ("Name[ru]") are left out; the first of repeated keys counts.
std::map<std::string, std::string> ReadDesktopEntryGroup(std::string_view text);

}  // namespace platform
