#include "config/app_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace config {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAppFolder = "incubator-monitor";

bool UnderSystemFolder(const fs::path& folder) {
    const std::string text = folder.lexically_normal().generic_string();
    for (const std::string_view root : {"/usr", "/bin", "/sbin"}) {
        if (text == root || (text.starts_with(root) && text[root.size()] == '/')) return true;
    }
    return false;
}

// An XDG base folder: its variable when that holds an absolute path, else home + fallback.
std::optional<fs::path> BaseFolder(const EnvironmentLookup& environment, std::string_view variable,
                                   std::string_view under_home) {
    if (const auto value = environment(variable); value && fs::path(*value).is_absolute())
        return fs::path(*value);
    if (const auto home = environment("HOME"); home && fs::path(*home).is_absolute())
        return fs::path(*home) / under_home;
    return std::nullopt;
}

AppPaths Beside(const fs::path& executable) {
    return {IniPathBeside(executable.string()), (executable.parent_path() / "log").string()};
}

}  // namespace

std::optional<std::string> XdgBaseFolder(const EnvironmentLookup& environment,
                                         std::string_view variable, std::string_view under_home) {
    const auto folder = BaseFolder(environment, variable, under_home);
    if (!folder) return std::nullopt;
    return folder->string();
}

std::string UnsavedLinesFolder(const EnvironmentLookup& environment) {
    const auto data = BaseFolder(environment, "XDG_DATA_HOME", ".local/share");
    return data ? (*data / kAppFolder / "unsaved").string() : std::string();
}

std::string IniPathBeside(const std::string& executable) {
    fs::path path(executable);
    path.replace_extension(".ini");
    return path.string();
}

AppPaths ResolveAppPaths(const std::string& executable, const EnvironmentLookup& environment,
                         const FolderCheck& folder_takes_files) {
    const fs::path exe(executable);
    const fs::path folder = exe.parent_path().empty() ? fs::path(".") : exe.parent_path();
    if (!UnderSystemFolder(folder) && folder_takes_files(folder.string())) return Beside(exe);

    const auto config = BaseFolder(environment, "XDG_CONFIG_HOME", ".config");
    const auto data = BaseFolder(environment, "XDG_DATA_HOME", ".local/share");
    if (!config || !data) return Beside(exe);
    return {(*config / kAppFolder / "incubator-monitor.ini").string(),
            (*data / kAppFolder / "log").string()};
}

std::optional<std::string> ProcessEnvironment(std::string_view name) {
    if (const char* value = std::getenv(std::string(name).c_str())) return std::string(value);
    if (name != "HOME") return std::nullopt;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        !found->pw_dir)
        return std::nullopt;
    return std::string(found->pw_dir);
}

bool FolderTakesFiles(const std::string& folder) {
    return ::euidaccess(folder.c_str(), W_OK | X_OK) == 0;
}

int MakeFolders(const std::string& path) {
    if (path.empty()) return ENOENT;
    std::size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        const std::string part = path.substr(0, pos);
        if (part.empty() || part.back() == '/') continue;  // "//" or a trailing slash
        if (::mkdir(part.c_str(), 0777) == 0) continue;
        const int error = errno;
        struct stat st {};
        if (error != EEXIST) return error;
        if (::stat(part.c_str(), &st) != 0) return errno;
        if (!S_ISDIR(st.st_mode)) return ENOTDIR;
    }
    return 0;
}

}  // namespace config
