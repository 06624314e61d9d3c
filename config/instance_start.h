#pragma once
// What both programs do first: check the configuration file, find the instance's folders
// (taking over an earlier folder of the same instance) and claim its statistics folder, so
// that no two running copies ever write one folder.

#include <string>
#include <vector>

#include "config/app_paths.h"
#include "config/instance_claim.h"
#include "config/instance_paths.h"

namespace config {

struct InstanceStart {
    InstancePaths paths;
    // Why the configuration file cannot be used; empty when it can (configuration_file_check.h).
    std::string file_problem;
    StatisticsFolderClaim claim;
    // For the user, the program runs: an earlier folder taken over, a folder left unlocked.
    std::vector<std::string> notices;

    // The claim refused the start (another running copy holds the folder).
    bool Refused() const;
    // Why a program that cannot do without its configuration file is not to run: the file's
    // problem, else the claim's refusal; empty when it runs.
    std::string Refusal() const;
};

// The instance of a configuration file named on the command line. A file that must exist
// and is missing, or that cannot be used, is a `file_problem`, and nothing is claimed.
InstanceStart StartNamedInstance(const std::string& configuration_file,
                                 const EnvironmentLookup& environment, bool must_exist);

// The window program's own instance, without --config (app_paths.h); a configuration file
// that cannot be used is a `file_problem`, and the folder is claimed all the same.
InstanceStart StartOwnInstance(const std::string& executable, const EnvironmentLookup& environment,
                               const FolderCheck& folder_takes_files);

}  // namespace config
