#pragma once
// Where the configuration file and the daily statistics live.
//
// A program whose folder takes files keeps both beside itself: the executable's path with
// ".ini" for its extension, and "<folder>/log". An installed program (its folder does not
// take files, or lies under /usr, /bin or /sbin, which belong to the package manager even
// when root could write there) uses the user's XDG folders:
// $XDG_CONFIG_HOME/incubator-monitor/incubator-monitor.ini and
// $XDG_DATA_HOME/incubator-monitor/log, falling back to ~/.config and ~/.local/share;
// relative XDG values are ignored. Without an absolute home folder either, the files stay
// beside the executable (and writing them fails visibly).

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace config {

struct AppPaths {
    std::string configuration_file;
    std::string log_folder;  // no trailing slash
    friend bool operator==(const AppPaths&, const AppPaths&) = default;
};

using EnvironmentLookup = std::function<std::optional<std::string>(std::string_view name)>;
using FolderCheck = std::function<bool(const std::string& folder)>;

AppPaths ResolveAppPaths(const std::string& executable, const EnvironmentLookup& environment,
                         const FolderCheck& folder_takes_files);

// An XDG base folder: $`variable` when it holds an absolute path, else $HOME/`under_home`
// (for an absolute home); none without either.
std::optional<std::string> XdgBaseFolder(const EnvironmentLookup& environment,
                                         std::string_view variable, std::string_view under_home);

// Where the window program without --config keeps lines its last autosave could not write:
// <XDG data folder>/incubator-monitor/unsaved; empty without an XDG data or home folder.
std::string UnsavedLinesFolder(const EnvironmentLookup& environment);

// The executable's path with its extension replaced by ".ini" (appended when it has none;
// a name's leading dot starts no extension).
std::string IniPathBeside(const std::string& executable);

// The real ones (the executable is platform::ExecutablePath): the process environment, with HOME
// from the user database when unset; a folder the process may create files in.
std::optional<std::string> ProcessEnvironment(std::string_view name);
bool FolderTakesFiles(const std::string& folder);

// Creates a folder and its missing parents (mode 0777 less the umask); 0 or an errno
// (ENOTDIR when a part of the path is a file).
int MakeFolders(const std::string& path);

}  // namespace config
