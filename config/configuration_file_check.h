#pragma once
// Whether a configuration file may be read at all. Only a plain file of at most
// platform::IniFile::kMaxFileBytes is: a folder, a pipe or a device in its place, or a file
// far larger than any configuration, is refused before anything reads it, so that nothing can
// hang a start on it or make it read megabytes time after time.

#include <string>

namespace config {

// Why the file cannot be used, in words for the user; empty when it can. A missing file is
// refused only when `must_exist` (the window program starts with its defaults without one).
std::string ConfigurationFileProblem(const std::string& path, bool must_exist);

}  // namespace config
