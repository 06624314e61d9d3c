#include "config/instance_paths.h"

#include <filesystem>
#include <map>

#include <gtest/gtest.h>

#include "testing/temp_folder.h"

namespace {

using config::InstancePaths;

config::EnvironmentLookup Env(std::map<std::string, std::string> values) {
    return [values](std::string_view name) -> std::optional<std::string> {
        const auto it = values.find(std::string(name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

TEST(InstancePaths, AFileOutsideTheConfigurationFolderKeepsItsFoldersBesideIt) {
    TempFolder folder;
    const std::string ini = folder.File("hall-2.ini");
    Spit(ini, "[ComPort1]\nPort=/dev/ttyUSB0\n");
    const auto env = Env({{"HOME", folder.Path()}});
    EXPECT_EQ(config::ResolveInstancePaths(ini, env),
              (InstancePaths{ini, folder.File("log"), folder.File("unsaved"), "hall-2", "", ""}));
}

TEST(InstancePaths, AFileInTheXdgConfigurationFolderKeepsItsDataInTheDataFolderUnderItsName) {
    TempFolder folder;
    const std::string config_home = folder.File("cfg");
    std::filesystem::create_directories(config_home + "/incubator-monitor");
    const auto env = Env({{"HOME", "/nowhere"},
                          {"XDG_CONFIG_HOME", config_home},
                          {"XDG_DATA_HOME", folder.File("data")}});

    // Two files in the same folder never share their statistics.
    const std::string first = config_home + "/incubator-monitor/Инкубатор 1.ini";
    Spit(first, "");
    const InstancePaths a = config::ResolveInstancePaths(first, env);
    EXPECT_EQ(a.name, "Inkubator_1");
    EXPECT_EQ(a.log_folder, folder.File("data/incubator-monitor/Inkubator_1/log"));
    EXPECT_EQ(a.unsaved_folder, folder.File("data/incubator-monitor/Inkubator_1/unsaved"));

    // [MQTT] Name names the instance, here as in its topics, but not its folder: copies of
    // one file share it. The folder it named before is the earlier one.
    const std::string second = config_home + "/incubator-monitor/b.ini";
    Spit(second, "[MQTT]\nName = north/east\n");
    const InstancePaths b = config::ResolveInstancePaths(second, env);
    EXPECT_EQ(b.name, "north_east");
    EXPECT_EQ(b.log_folder, folder.File("data/incubator-monitor/b/log"));
    EXPECT_EQ(b.earlier_folder, folder.File("data/incubator-monitor/north_east"));
    EXPECT_EQ(a.earlier_folder, "") << "named after its file before too";

    // The home folder's default stands in for an unset XDG_CONFIG_HOME; a path with "." in it
    // is the same folder.
    const auto home_env = Env({{"HOME", folder.Path()}});
    std::filesystem::create_directories(folder.File(".config/incubator-monitor"));
    Spit(folder.File(".config/incubator-monitor/c.ini"), "");
    EXPECT_EQ(
        config::ResolveInstancePaths(folder.File(".config/./incubator-monitor/c.ini"), home_env)
            .log_folder,
        folder.File(".local/share/incubator-monitor/c/log"));
    // A subfolder of the configuration folder is not it.
    std::filesystem::create_directories(config_home + "/incubator-monitor/sub");
    Spit(config_home + "/incubator-monitor/sub/d.ini", "");
    EXPECT_EQ(
        config::ResolveInstancePaths(config_home + "/incubator-monitor/sub/d.ini", env).log_folder,
        config_home + "/incubator-monitor/sub/log");
}

TEST(InstancePaths, LogFileDirIsTakenFromTheFilesFolderAndWinsOverTheXdgRule) {
    TempFolder folder;
    const std::string config_home = folder.File("cfg");
    std::filesystem::create_directories(config_home + "/incubator-monitor");
    const auto env =
        Env({{"XDG_CONFIG_HOME", config_home}, {"XDG_DATA_HOME", folder.File("data")}});
    const std::string ini = config_home + "/incubator-monitor/a.ini";

    Spit(ini, "[LogFile]\nTime=1\nDir=stats/a/\n");
    InstancePaths p = config::ResolveInstancePaths(ini, env);
    EXPECT_EQ(p.log_folder, config_home + "/incubator-monitor/stats/a");
    EXPECT_EQ(p.unsaved_folder, config_home + "/incubator-monitor/stats/unsaved");

    Spit(ini, "[LogFile]\nDir=" + folder.File("elsewhere/log") + "\n");
    p = config::ResolveInstancePaths(ini, env);
    EXPECT_EQ(p.log_folder, folder.File("elsewhere/log"));
    EXPECT_EQ(p.unsaved_folder, folder.File("elsewhere/unsaved"));
}

TEST(InstancePaths, ARelativeFileIsTakenFromTheWorkingFolder) {
    const InstancePaths p = config::ResolveInstancePaths("no-such-dir/x.ini", Env({}));
    const std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(p.configuration_file, cwd + "/no-such-dir/x.ini");
    EXPECT_EQ(p.log_folder, cwd + "/no-such-dir/log");
    EXPECT_EQ(p.name, "x");
}

}  // namespace
