#include "platform/posix/xdg_autorun.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/posix/executable_path.h"
#include "platform/posix/tests/temp_folder.h"

namespace {

using platform::AutorunError;
using platform::XdgAutorun;

XdgAutorun::Environment ConfigHome(const std::string& path) {
    return {path, std::nullopt};
}

std::string ErrorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutorunError& error) {
        return error.what();
    }
    return "(no error)";
}

int FilesIn(const std::string& folder) {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++n;
    return n;
}

TEST(XdgAutorunFolder, ConfigHomeWhenAbsoluteElseHomeConfig) {
    EXPECT_EQ(XdgAutorun("/p", {"/cfg", "/home/u"}).Folder(), "/cfg/autostart");
    EXPECT_EQ(XdgAutorun("/p", {"/cfg/", "/home/u"}).Folder(), "/cfg/autostart");
    EXPECT_EQ(XdgAutorun("/p", {"relative/cfg", "/home/u"}).Folder(), "/home/u/.config/autostart");
    EXPECT_EQ(XdgAutorun("/p", {"", "/home/u"}).Folder(), "/home/u/.config/autostart");
    EXPECT_EQ(XdgAutorun("/p", {std::nullopt, "/home/u"}).EntryPath(),
              "/home/u/.config/autostart/Rizudirod.desktop");
}

TEST(XdgAutorunFolder, NoUsableFolderIsNeverRegisteredAndCannotRegister) {
    XdgAutorun autorun("/p", {"cfg", "home"});
    EXPECT_FALSE(autorun.IsRegistered());
    EXPECT_EQ(ErrorText([&] { autorun.Register(); }), "Failed to create key ~/.config/autostart");
    EXPECT_NO_THROW(autorun.Unregister());
}

class XdgAutorunTest : public ::testing::Test {
  protected:
    XdgAutorun For(const std::string& executable) {
        return XdgAutorun(executable, ConfigHome(temp / "config"));
    }
    std::string Entry() const { return temp / "config/autostart/Rizudirod.desktop"; }
    void WriteEntry(const std::string& content) {
        std::filesystem::create_directories(temp / "config/autostart");
        TempFolder::Write(Entry(), content);
    }

    TempFolder temp;
};

TEST_F(XdgAutorunTest, RegisterCreatesTheFoldersAndWritesTheEntry) {
    XdgAutorun autorun = For("/opt/incubator/incubator-monitor");
    EXPECT_FALSE(autorun.IsRegistered());
    autorun.Register();
    EXPECT_TRUE(autorun.IsRegistered());
    EXPECT_EQ(TempFolder::Read(Entry()),
              "[Desktop Entry]\nType=Application\nName=Rizudirod\n"
              "Exec=\"/opt/incubator/incubator-monitor\"\n");
    struct stat st;
    ASSERT_EQ(stat(Entry().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    // Nothing but the entry is left beside it.
    EXPECT_EQ(FilesIn(autorun.Folder()), 1);
}

TEST_F(XdgAutorunTest, AnEntryForACopyElsewhereIsNotThisProgramsEntry) {
    XdgAutorun first = For("/opt/incubator/incubator-monitor");
    XdgAutorun copy = For("/home/user/incubator/incubator-monitor");
    first.Register();
    EXPECT_TRUE(first.IsRegistered());
    EXPECT_FALSE(copy.IsRegistered());

    copy.Register();
    EXPECT_TRUE(copy.IsRegistered());
    EXPECT_FALSE(first.IsRegistered());
    EXPECT_EQ(FilesIn(first.Folder()), 1);

    // Unticking in either copy removes the one entry.
    first.Unregister();
    EXPECT_FALSE(copy.IsRegistered());
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_NO_THROW(first.Unregister());
}

TEST_F(XdgAutorunTest, PathsWithCharactersThatNeedEscapingRoundTrip) {
    const std::string path = temp / R"(my "incubator" $HOME `id` 100% back\slash/монитор)";
    XdgAutorun autorun = For(path);
    autorun.Register();
    EXPECT_TRUE(autorun.IsRegistered());
    // A path that differs only by what the escapes stand for is another program.
    EXPECT_FALSE(
        For(temp / R"(my "incubator" $HOME `id` 100%% back\slash/монитор)").IsRegistered());
    EXPECT_FALSE(
        For(temp / R"(my \"incubator\" $HOME `id` 100% back\slash/монитор)").IsRegistered());
}

TEST_F(XdgAutorunTest, EntriesThatDoNotStartThisProgramAreNotRegistered) {
    XdgAutorun autorun = For("/opt/app/monitor");
    WriteEntry("[Desktop Entry]\nType=Application\nExec=\"/opt/app/monitor\"\nHidden=true\n");
    EXPECT_FALSE(autorun.IsRegistered());
    WriteEntry("[Desktop Entry]\nType=Application\nExec=\"/opt/app/monitor\"\nHidden=false\n");
    EXPECT_TRUE(autorun.IsRegistered());
    WriteEntry("[Desktop Entry]\nExec=/opt/app/monitor\n");
    EXPECT_TRUE(autorun.IsRegistered());
    WriteEntry("[Desktop Entry]\nExec=\"/opt/app/monitor\" --minimized\n");
    EXPECT_FALSE(autorun.IsRegistered());
    WriteEntry("[Desktop Entry]\nExec=\"/opt/app/monitor\n");
    EXPECT_FALSE(autorun.IsRegistered());
    WriteEntry("[Other Group]\nExec=\"/opt/app/monitor\"\n");
    EXPECT_FALSE(autorun.IsRegistered());
    WriteEntry("");
    EXPECT_FALSE(autorun.IsRegistered());
}

TEST_F(XdgAutorunTest, RegisterReplacesAHiddenOrForeignEntry) {
    XdgAutorun autorun = For("/opt/app/monitor");
    WriteEntry("[Desktop Entry]\nExec=/other/program\nHidden=true\nX-Extra=1\n");
    autorun.Register();
    EXPECT_TRUE(autorun.IsRegistered());
    EXPECT_EQ(TempFolder::Read(Entry()).find("Hidden"), std::string::npos);
}

TEST_F(XdgAutorunTest, AFolderThatCannotBeMadeIsReportedWithItsPath) {
    // A file where the configuration folder should be.
    TempFolder::Write(temp / "config", "not a folder");
    XdgAutorun autorun = For("/opt/app/monitor");
    EXPECT_FALSE(autorun.IsRegistered());
    EXPECT_EQ(ErrorText([&] { autorun.Register(); }),
              "Failed to create key " + (temp / "config/autostart"));
}

TEST_F(XdgAutorunTest, AnEntryThatCannotBeReplacedOrRemovedIsReported) {
    // A non-empty folder in the entry's place: neither rename nor unlink can take it.
    std::filesystem::create_directories(Entry() + "/inside");
    XdgAutorun autorun = For("/opt/app/monitor");
    EXPECT_FALSE(autorun.IsRegistered());
    EXPECT_EQ(ErrorText([&] { autorun.Register(); }), "Failed to set data for 'Rizudirod'");
    EXPECT_EQ(ErrorText([&] { autorun.Unregister(); }), "Failed to set data for 'Rizudirod'");
    // The temporary file of the failed write is gone.
    EXPECT_EQ(FilesIn(autorun.Folder()), 1);
}

TEST_F(XdgAutorunTest, ThisProgramUsesItsOwnExecutableAndTheEnvironment) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    XdgAutorun autorun = XdgAutorun::ForThisProgram();
    if (saved)
        setenv("XDG_CONFIG_HOME", saved->c_str(), 1);
    else
        unsetenv("XDG_CONFIG_HOME");

    EXPECT_EQ(autorun.EntryPath(), Entry());
    autorun.Register();
    EXPECT_TRUE(autorun.IsRegistered());
    const std::string self = platform::ExecutablePath();
    EXPECT_TRUE(self.ends_with("/platform_services_tests")) << self;
    EXPECT_NE(TempFolder::Read(Entry()).find("Exec=\"" + self + "\""), std::string::npos);
}

TEST(ExecutablePath, FolderOf) {
    EXPECT_EQ(platform::FolderOf("/opt/app/monitor"), "/opt/app");
    EXPECT_EQ(platform::FolderOf("/monitor"), "/");
    EXPECT_EQ(platform::FolderOf("monitor"), "");
}

}  // namespace
