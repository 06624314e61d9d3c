#include "config/instance_paths.h"

#include <filesystem>

#include "common/id_name.h"
#include "common/text_parse.h"
#include "platform/ini_file.h"

namespace config {

namespace {

namespace fs = std::filesystem;

std::string ReadTrimmed(const platform::IniFile& ini, std::string_view section,
                        std::string_view key) {
    try {
        return std::string(text::Trim(ini.ReadString(section, key, "")));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace

InstancePaths ResolveInstancePaths(const std::string& configuration_file,
                                   const EnvironmentLookup& environment) {
    const fs::path file = fs::absolute(configuration_file).lexically_normal();
    const fs::path folder = file.parent_path();
    const platform::IniFile ini(file.string());

    InstancePaths paths;
    paths.configuration_file = file.string();
    std::string name = ReadTrimmed(ini, "MQTT", "Name");
    if (name.empty()) name = file.stem().string();
    paths.name = text::IdName(name);

    const auto beside_log = [&](const fs::path& log) {
        paths.log_folder = log.string();
        paths.unsaved_folder = (log.parent_path() / "unsaved").string();
    };
    if (const std::string dir = ReadTrimmed(ini, "LogFile", "Dir"); !dir.empty()) {
        fs::path log = (folder / dir).lexically_normal();  // an absolute Dir replaces the folder
        if (!log.has_filename()) log = log.parent_path();  // "log/" as "log"
        beside_log(log);
        return paths;
    }
    const auto config_home = XdgBaseFolder(environment, "XDG_CONFIG_HOME", ".config");
    const auto data_home = XdgBaseFolder(environment, "XDG_DATA_HOME", ".local/share");
    if (config_home && data_home &&
        folder == (fs::path(*config_home) / "incubator-monitor").lexically_normal()) {
        const fs::path data = fs::path(*data_home) / "incubator-monitor";
        const fs::path instance = data / text::IdName(file.stem().string());
        paths.instance_folder = instance.string();
        paths.log_folder = (instance / "log").string();
        paths.unsaved_folder = (instance / "unsaved").string();
        if (const fs::path earlier = data / paths.name; earlier != instance)
            paths.earlier_folder = earlier.string();
        return paths;
    }
    beside_log(folder / "log");
    return paths;
}

}  // namespace config
