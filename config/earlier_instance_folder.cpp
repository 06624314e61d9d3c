#include "config/earlier_instance_folder.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "common/id_name.h"
#include "common/system_error_text.h"
#include "config/instance_claim.h"

namespace config {

namespace {

namespace fs = std::filesystem;

bool HasEntries(const fs::path& folder) {
    std::error_code error;
    const fs::directory_iterator it(folder, error);
    return !error && it != fs::directory_iterator();
}

bool HoldsStatistics(const fs::path& folder) {
    return HasEntries(folder / "log") || HasEntries(folder / "unsaved");
}

// Another configuration file beside this one whose present folder is `folder_name`.
bool BelongsToAnotherFile(const fs::path& configuration_file, const std::string& folder_name) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(configuration_file.parent_path(), error)) {
        const fs::path& path = entry.path();
        if (path.extension() == ".ini" && path != configuration_file &&
            text::IdName(path.stem().string()) == folder_name)
            return true;
    }
    return false;
}

bool HeldByARunningCopy(const fs::path& folder) {
    const std::string lock_file = StatisticsFolderLockFile((folder / "log").string());
    std::error_code error;
    if (!fs::exists(lock_file, error)) return false;
    return platform::TryLockFile(lock_file, "").error == EWOULDBLOCK;
}

}  // namespace

std::string AdoptEarlierFolder(InstancePaths& paths) {
    if (paths.earlier_folder.empty() || paths.instance_folder.empty()) return {};
    const fs::path earlier(paths.earlier_folder);
    const fs::path present(paths.instance_folder);
    std::error_code error;
    if (fs::symlink_status(present, error).type() != fs::file_type::not_found) return {};
    if (fs::symlink_status(earlier, error).type() != fs::file_type::directory) return {};
    if (!HoldsStatistics(earlier) ||
        BelongsToAnotherFile(paths.configuration_file, earlier.filename().string()) ||
        HeldByARunningCopy(earlier))
        return {};

    if (std::rename(earlier.c_str(), present.c_str()) == 0)
        return "Статистика этого экземпляра перенесена из \"" + earlier.string() + "\" в \"" +
               present.string() + "\": папка экземпляра теперь называется по имени файла настроек.";
    // Another copy took it over a moment ago: this one starts afresh.
    if (errno == ENOENT) return {};
    const std::string reason = text::SystemErrorText(errno);
    paths.instance_folder = earlier.string();
    paths.log_folder = (earlier / "log").string();
    paths.unsaved_folder = (earlier / "unsaved").string();
    return "Не удалось перенести статистику из \"" + earlier.string() + "\" в \"" +
           present.string() + "\": " + reason + ". Она по-прежнему ведётся в \"" +
           earlier.string() + "\".";
}

}  // namespace config
