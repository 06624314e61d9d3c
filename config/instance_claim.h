#pragma once
// One running copy per statistics folder. Two copies writing one folder interleave their lines
// in one daily file and fight over its journal, so a copy takes its statistics folder before it
// starts, with a lock file beside the folder (".<folder name>.lock" in its parent) that names
// the configuration file of the copy holding it. A second copy that would use the same folder
// learns whose it is: a second start of the same configuration (the window program then shows
// the first copy's window), or another configuration with the same folder, a mistake in the
// configurations that the second copy refuses to run with.

#include <string>

#include "config/app_paths.h"
#include "platform/posix/folder_lock.h"

namespace config {

struct StatisticsFolderClaim {
    enum class Outcome {
        Taken,          // this copy holds the folder
        Unlockable,     // the lock could not be made: the copy runs without it (`text` says so)
        HeldBySame,     // a running copy of the same configuration file holds it
        HeldByAnother,  // a running copy of another configuration file holds it
    };
    Outcome outcome = Outcome::Unlockable;
    platform::FolderLock lock;
    std::string text;  // the warning (Unlockable) or the refusal (HeldBySame, HeldByAnother)
};

// Takes `log_folder` for the copy running with `configuration_file` (absolute), making the
// folder's parent when missing.
StatisticsFolderClaim ClaimStatisticsFolder(const std::string& log_folder,
                                            const std::string& configuration_file);

// The lock file of a statistics folder.
std::string StatisticsFolderLockFile(const std::string& log_folder);

// Where the copy holding `log_folder` listens for a second start (the window program): a
// socket in $XDG_RUNTIME_DIR, else a name in the temporary folder, unique to the folder.
std::string InstanceSocketName(const std::string& log_folder, const EnvironmentLookup& environment);

}  // namespace config
