#include "config/instance_start.h"

#include "config/configuration_file_check.h"
#include "config/earlier_instance_folder.h"

namespace config {

namespace {

void Claim(InstanceStart& start) {
    start.claim = ClaimStatisticsFolder(start.paths.log_folder, start.paths.configuration_file);
    if (start.claim.outcome == StatisticsFolderClaim::Outcome::Unlockable)
        start.notices.push_back(start.claim.text);
}

}  // namespace

bool InstanceStart::Refused() const {
    return claim.outcome == StatisticsFolderClaim::Outcome::HeldBySame ||
           claim.outcome == StatisticsFolderClaim::Outcome::HeldByAnother;
}

std::string InstanceStart::Refusal() const {
    if (!file_problem.empty()) return file_problem;
    return Refused() ? claim.text : std::string();
}

InstanceStart StartNamedInstance(const std::string& configuration_file,
                                 const EnvironmentLookup& environment, bool must_exist) {
    InstanceStart start;
    // Checked before anything reads it.
    start.file_problem = ConfigurationFileProblem(configuration_file, must_exist);
    start.paths = ResolveInstancePaths(configuration_file, environment);
    if (!start.file_problem.empty() && must_exist) return start;
    if (std::string notice = AdoptEarlierFolder(start.paths); !notice.empty())
        start.notices.push_back(std::move(notice));
    Claim(start);
    return start;
}

InstanceStart StartOwnInstance(const std::string& executable, const EnvironmentLookup& environment,
                               const FolderCheck& folder_takes_files) {
    InstanceStart start;
    const AppPaths app = ResolveAppPaths(executable, environment, folder_takes_files);
    start.paths.configuration_file = app.configuration_file;
    start.paths.log_folder = app.log_folder;
    start.paths.unsaved_folder = UnsavedLinesFolder(environment);
    start.file_problem = ConfigurationFileProblem(app.configuration_file, false);
    Claim(start);
    return start;
}

}  // namespace config
