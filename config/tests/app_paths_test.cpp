#include "config/app_paths.h"

#include <sys/stat.h>

#include <cerrno>
#include <map>

#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "testing/temp_folder.h"

namespace {

using config::AppPaths;
using config::ResolveAppPaths;

config::EnvironmentLookup Env(std::map<std::string, std::string> values) {
    return [values](std::string_view name) -> std::optional<std::string> {
        const auto it = values.find(std::string(name));
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

const config::FolderCheck kWritable = [](const std::string&) { return true; };
const config::FolderCheck kReadOnly = [](const std::string&) { return false; };

TEST(AppPaths, AProgramInAWritableFolderKeepsItsFilesBesideItself) {
    const auto env = Env({{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", "/home/u/cfg"}});
    std::string asked;
    const config::FolderCheck recording = [&](const std::string& folder) {
        asked = folder;
        return true;
    };
    EXPECT_EQ(ResolveAppPaths("/opt/incubator/incubator-monitor", env, recording),
              (AppPaths{"/opt/incubator/incubator-monitor.ini", "/opt/incubator/log"}));
    EXPECT_EQ(asked, "/opt/incubator");
    EXPECT_EQ(ResolveAppPaths("/home/u/build/monitor.exe", env, kWritable).configuration_file,
              "/home/u/build/monitor.ini");
}

TEST(AppPaths, OnlyTheFileNamesLastDotStartsAnExtension) {
    EXPECT_EQ(config::IniPathBeside("/a.b/prog"), "/a.b/prog.ini");
    EXPECT_EQ(config::IniPathBeside("/a/prog.tar.gz"), "/a/prog.tar.ini");
    EXPECT_EQ(config::IniPathBeside("/a/.hidden"), "/a/.hidden.ini");
    EXPECT_EQ(config::IniPathBeside("prog"), "prog.ini");
}

TEST(AppPaths, AnInstalledProgramUsesTheXdgFolders) {
    const auto env = Env({{"HOME", "/home/u"},
                          {"XDG_CONFIG_HOME", "/home/u/cfg"},
                          {"XDG_DATA_HOME", "/home/u/data"}});
    EXPECT_EQ(ResolveAppPaths("/opt/incubator/incubator-monitor", env, kReadOnly),
              (AppPaths{"/home/u/cfg/incubator-monitor/incubator-monitor.ini",
                        "/home/u/data/incubator-monitor/log"}));
}

TEST(AppPaths, UnsetEmptyOrRelativeXdgValuesFallBackToTheHomeFolder) {
    const AppPaths home{"/home/u/.config/incubator-monitor/incubator-monitor.ini",
                        "/home/u/.local/share/incubator-monitor/log"};
    EXPECT_EQ(ResolveAppPaths("/usr/bin/incubator-monitor", Env({{"HOME", "/home/u"}}), kReadOnly),
              home);
    EXPECT_EQ(
        ResolveAppPaths(
            "/usr/bin/incubator-monitor",
            Env({{"HOME", "/home/u"}, {"XDG_CONFIG_HOME", ""}, {"XDG_DATA_HOME", "relative/data"}}),
            kReadOnly),
        home);
}

TEST(AppPaths, UnsavedLinesGoToTheXdgDataFolderOrNowhere) {
    EXPECT_EQ(config::UnsavedLinesFolder(Env({{"HOME", "/home/u"}, {"XDG_DATA_HOME", "/d"}})),
              "/d/incubator-monitor/unsaved");
    EXPECT_EQ(config::UnsavedLinesFolder(Env({{"HOME", "/home/u"}, {"XDG_DATA_HOME", "d"}})),
              "/home/u/.local/share/incubator-monitor/unsaved");
    EXPECT_EQ(config::UnsavedLinesFolder(Env({{"HOME", "home/u"}})), "");
}

TEST(AppPaths, SystemFoldersCountAsInstalledEvenWhenRootCouldWriteThere) {
    const auto env = Env({{"HOME", "/root"}});
    for (const char* exe : {"/usr/bin/incubator-monitor", "/usr/local/bin/incubator-monitor",
                            "/bin/incubator-monitor"}) {
        EXPECT_EQ(ResolveAppPaths(exe, env, kWritable).configuration_file,
                  "/root/.config/incubator-monitor/incubator-monitor.ini")
            << exe;
    }
    EXPECT_EQ(ResolveAppPaths("/usrlocal/incubator-monitor", env, kWritable).configuration_file,
              "/usrlocal/incubator-monitor.ini");
}

TEST(AppPaths, WithoutAnAbsoluteHomeTheFilesStayBesideTheProgram) {
    EXPECT_EQ(ResolveAppPaths("/usr/bin/incubator-monitor", Env({}), kReadOnly),
              (AppPaths{"/usr/bin/incubator-monitor.ini", "/usr/bin/log"}));
    EXPECT_EQ(ResolveAppPaths("/usr/bin/incubator-monitor", Env({{"HOME", "home/u"}}), kReadOnly),
              (AppPaths{"/usr/bin/incubator-monitor.ini", "/usr/bin/log"}));
}

TEST(AppPaths, TheRealLookupsDescribeThisProcess) {
    const auto home = config::ProcessEnvironment("HOME");
    ASSERT_TRUE(home);
    EXPECT_FALSE(home->empty());
    const TempFolder folder;
    EXPECT_TRUE(config::FolderTakesFiles(folder.Path()));
    EXPECT_FALSE(config::FolderTakesFiles(folder.File("missing")));
}

TEST(MakeFolders, CreatesEveryMissingPartAndAcceptsExistingOnes) {
    const TempFolder folder;
    const std::string deep = folder.File("a/b/incubator-monitor");
    EXPECT_EQ(config::MakeFolders(deep), 0);
    EXPECT_EQ(config::MakeFolders(deep + "/"), 0);
    struct stat st {};
    ASSERT_EQ(::stat(deep.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    platform::IniFile ini(deep + "/incubator-monitor.ini");
    ini.WriteInteger("Form", "Top", 1);
    EXPECT_EQ(ini.ReadInteger("Form", "Top", 0), 1);
}

TEST(MakeFolders, AFileInThePathIsAnError) {
    const TempFolder folder;
    Spit(folder.File("file"), "x");
    EXPECT_EQ(config::MakeFolders(folder.File("file/sub")), ENOTDIR);
    EXPECT_EQ(config::MakeFolders(folder.File("file")), ENOTDIR);
    EXPECT_EQ(config::MakeFolders(""), ENOENT);
}

}  // namespace
