#pragma once
// Where one instance keeps its statistics when its configuration file is named on the command
// line (--config FILE), so that several incubators, each with its own file, never share them:
// - [LogFile] Dir when set (taken from FILE's folder when relative);
// - else, for a FILE in the XDG configuration folder ($XDG_CONFIG_HOME/incubator-monitor/,
//   the installed case), $XDG_DATA_HOME/incubator-monitor/<base name>/log;
// - else log/ beside FILE.
// Lines the last autosave could not write go to unsaved/ beside the log folder
// ($XDG_DATA_HOME/incubator-monitor/<base name>/unsaved in the XDG case).
// <base name> is FILE's name without its extension, made of [a-zA-Z0-9_-] as MQTT makes names:
// two files of one folder always differ in it, while copies of one file keep the same
// [MQTT] Name. Earlier versions named the XDG folder after [MQTT] Name; that folder is
// `earlier_folder` (see earlier_instance_folder.h).

#include <string>

#include "config/app_paths.h"

namespace config {

struct InstancePaths {
    std::string configuration_file;  // absolute
    std::string log_folder;
    std::string unsaved_folder;
    std::string name;  // the instance's name: [MQTT] Name, else FILE's base name, as above
    // The XDG case: the folder holding log/ and unsaved/, and the one earlier versions used,
    // when that was another; both empty otherwise.
    std::string instance_folder;
    std::string earlier_folder;
    friend bool operator==(const InstancePaths&, const InstancePaths&) = default;
};

// Reads FILE's [LogFile] Dir and [MQTT] Name; a file that cannot be read has neither.
InstancePaths ResolveInstancePaths(const std::string& configuration_file,
                                   const EnvironmentLookup& environment);

}  // namespace config
