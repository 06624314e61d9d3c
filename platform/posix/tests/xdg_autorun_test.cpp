#include "platform/posix/xdg_autorun.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/posix/executable_path.h"
#include "platform/posix/tests/temp_folder.h"

namespace {

using platform::AutorunError;
using platform::XdgAutorun;

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
    EXPECT_EQ(XdgAutorun("/p", {"/cfg/", "/home/u"}).EntryPath(),
              "/cfg/autostart/Rizudirod.desktop");
    EXPECT_EQ(XdgAutorun("/p", {"relative/cfg", "/home/u"}).Folder(), "/home/u/.config/autostart");
    EXPECT_EQ(XdgAutorun("/p", {"", "/home/u"}).Folder(), "/home/u/.config/autostart");
}

class XdgAutorunTest : public ::testing::Test {
  protected:
    XdgAutorun For(const std::string& executable) {
        return XdgAutorun(executable, {temp / "config", std::nullopt});
    }
    std::string Entry() const { return temp / "config/autostart/Rizudirod.desktop"; }

    TempFolder temp;
};

TEST_F(XdgAutorunTest, RegisterCreatesTheFoldersAndWritesOnlyTheEntry) {
    XdgAutorun autorun = For("/opt/incubator/incubator-monitor");
    EXPECT_FALSE(autorun.IsRegistered());
    autorun.Register();
    EXPECT_TRUE(autorun.IsRegistered());
    EXPECT_EQ(TempFolder::Read(Entry()),
              "[Desktop Entry]\nType=Application\nName=Rizudirod\n"
              "Exec=\"/opt/incubator/incubator-monitor\"\n");
    EXPECT_EQ(FilesIn(autorun.Folder()), 1);
}

TEST_F(XdgAutorunTest, AnEntryForACopyElsewhereIsNotThisProgramsEntry) {
    XdgAutorun first = For("/opt/incubator/incubator-monitor");
    XdgAutorun copy = For("/home/user/incubator/incubator-monitor");
    first.Register();
    EXPECT_FALSE(copy.IsRegistered());
    copy.Register();
    EXPECT_TRUE(copy.IsRegistered());
    EXPECT_FALSE(first.IsRegistered());

    // Unticking in either copy removes the one entry; again is no error.
    first.Unregister();
    EXPECT_FALSE(copy.IsRegistered());
    EXPECT_FALSE(std::filesystem::exists(Entry()));
    EXPECT_NO_THROW(first.Unregister());
}

TEST_F(XdgAutorunTest, PathsWithCharactersThatNeedEscapingRoundTrip) {
    const std::string path = temp / R"(my "incubator" $HOME `id` 100% back\slash/монитор)";
    For(path).Register();
    EXPECT_TRUE(For(path).IsRegistered());
    // Paths that differ only by what the escapes stand for are other programs.
    EXPECT_FALSE(
        For(temp / R"(my "incubator" $HOME `id` 100%% back\slash/монитор)").IsRegistered());
    EXPECT_FALSE(
        For(temp / R"(my \"incubator\" $HOME `id` 100% back\slash/монитор)").IsRegistered());
}

TEST_F(XdgAutorunTest, HiddenOrOtherCommandsAreNotRegistered) {
    XdgAutorun autorun = For("/opt/app/monitor");
    std::filesystem::create_directories(autorun.Folder());
    const auto with = [&](const std::string& content) {
        TempFolder::Write(Entry(), content);
        return autorun.IsRegistered();
    };
    EXPECT_FALSE(with("[Desktop Entry]\nExec=\"/opt/app/monitor\"\nHidden=true\n"));
    EXPECT_TRUE(with("[Desktop Entry]\nExec=/opt/app/monitor\nHidden=false\n"));
    EXPECT_FALSE(with("[Desktop Entry]\nExec=\"/opt/app/monitor\" --minimized\n"));
    EXPECT_FALSE(with("[Other Group]\nExec=\"/opt/app/monitor\"\n"));

    autorun.Register();  // replaces a hidden entry
    EXPECT_TRUE(autorun.IsRegistered());
}

TEST_F(XdgAutorunTest, FailuresAreReportedWithTheFolderOrTheEntrysName) {
    TempFolder::Write(temp / "config", "a file where the folder should be");
    EXPECT_EQ(ErrorText([&] { For("/opt/app/monitor").Register(); }),
              "Failed to create key " + (temp / "config/autostart"));

    std::filesystem::remove(temp / "config");
    // A non-empty folder in the entry's place: neither rename nor unlink can take it.
    std::filesystem::create_directories(Entry() + "/inside");
    XdgAutorun autorun = For("/opt/app/monitor");
    EXPECT_EQ(ErrorText([&] { autorun.Register(); }), "Failed to set data for 'Rizudirod'");
    EXPECT_EQ(ErrorText([&] { autorun.Unregister(); }), "Failed to set data for 'Rizudirod'");
    EXPECT_EQ(FilesIn(autorun.Folder()), 1);  // no temporary file left behind
}

TEST_F(XdgAutorunTest, ThisProgramUsesItsOwnExecutableAndTheEnvironment) {
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_CONFIG_HOME", (temp / "config").c_str(), 1);
    XdgAutorun autorun = XdgAutorun::ForThisProgram();
    old ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME");

    autorun.Register();
    const std::string self = platform::ExecutablePath();
    EXPECT_TRUE(self.ends_with("/platform_services_tests")) << self;
    EXPECT_NE(TempFolder::Read(Entry()).find("Exec=\"" + self + "\""), std::string::npos);
}

}  // namespace
