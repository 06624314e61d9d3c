#pragma once
// Statistics kept under the earlier folder rule stay with their instance. Earlier versions
// named an installed instance's data folder after [MQTT] Name, which copies of one
// configuration file share; the folder is now named after the file. At the first start under
// the present rule (the instance's folder does not exist yet) an earlier folder that holds
// statistics is renamed to the instance's folder, once, unless
// - it is the present folder of another configuration file (<its name>.ini in the same
//   configuration folder), or
// - a running copy holds it.
// So of two files that shared one earlier folder, the first to start takes it over and the
// other starts afresh. When the rename fails, the instance goes on in the earlier folder.

#include <string>

#include "config/instance_paths.h"

namespace config {

// Adjusts `paths` when the instance is to go on in the earlier folder. Returns a notice for
// the user about what was done; empty when nothing was.
std::string AdoptEarlierFolder(InstancePaths& paths);

}  // namespace config
