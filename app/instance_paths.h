#pragma once
// Where one instance keeps its statistics when its configuration file is named on the command
// line (--config FILE), so that several incubators, each with its own file, never share them:
// - [LogFile] Dir when set (taken from FILE's folder when relative);
// - else, for a FILE in the XDG configuration folder ($XDG_CONFIG_HOME/incubator-monitor/,
//   the installed case), $XDG_DATA_HOME/incubator-monitor/<Name>/log;
// - else log/ beside FILE.
// Lines the last autosave could not write go to unsaved/ beside the log folder
// ($XDG_DATA_HOME/incubator-monitor/<Name>/unsaved in the XDG case).
// <Name> is [MQTT] Name, else FILE's base name, made of [a-zA-Z0-9_-] as MQTT makes it.

#include <string>

#include "app/app_paths.h"

namespace config {

struct InstancePaths {
    std::string configuration_file;  // absolute
    std::string log_folder;
    std::string unsaved_folder;
    std::string name;
    friend bool operator==(const InstancePaths&, const InstancePaths&) = default;
};

// Reads FILE's [LogFile] Dir and [MQTT] Name; a file that cannot be read has neither.
InstancePaths ResolveInstancePaths(const std::string& configuration_file,
                                   const EnvironmentLookup& environment);

}  // namespace config
