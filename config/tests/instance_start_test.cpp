#include "config/instance_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "platform/ini_file.h"
#include "testing/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Outcome = config::StatisticsFolderClaim::Outcome;

// An installed layout in a temporary folder: configuration files in cfg/incubator-monitor/,
// data under data/incubator-monitor/.
class Installed : public ::testing::Test {
  protected:
    Installed() {
        fs::create_directories(ConfigFolder());
        env_ = [this](std::string_view name) -> std::optional<std::string> {
            const std::map<std::string, std::string> values{
                {"XDG_CONFIG_HOME", folder_.File("cfg")}, {"XDG_DATA_HOME", folder_.File("data")}};
            const auto it = values.find(std::string(name));
            return it == values.end() ? std::nullopt : std::optional(it->second);
        };
    }
    std::string ConfigFolder() const { return folder_.File("cfg/incubator-monitor"); }
    std::string Data(const std::string& path) const {
        return folder_.File("data/incubator-monitor/" + path);
    }
    std::string Ini(const std::string& name, const std::string& content) const {
        const std::string path = ConfigFolder() + "/" + name + ".ini";
        Spit(path, content);
        return path;
    }
    config::InstanceStart Start(const std::string& ini) const {
        return config::StartNamedInstance(ini, env_, true);
    }

    TempFolder folder_;
    config::EnvironmentLookup env_;
};

TEST_F(Installed, CopiesOfOneFileGetFoldersOfTheirOwnAndTheFirstTakesTheEarlierOneOver) {
    const std::string hall1 = Ini("hall-1", "[MQTT]\nName=North\n");
    const std::string hall2 = Ini("hall-2", "[MQTT]\nName=North\n");
    fs::create_directories(Data("North/log"));
    Spit(Data("North/log/2026-01-01.txt"), "\r\nkept");

    const config::InstanceStart one = Start(hall1);
    EXPECT_EQ(one.claim.outcome, Outcome::Taken);
    EXPECT_EQ(one.paths.log_folder, Data("hall-1/log"));
    EXPECT_EQ(Slurp(Data("hall-1/log/2026-01-01.txt")), "\r\nkept");
    ASSERT_EQ(one.notices.size(), 1u);
    EXPECT_NE(one.notices[0].find(Data("North")), std::string::npos);

    const config::InstanceStart two = Start(hall2);
    EXPECT_EQ(two.claim.outcome, Outcome::Taken);
    EXPECT_EQ(two.paths.log_folder, Data("hall-2/log"));
    EXPECT_TRUE(two.notices.empty());
    EXPECT_EQ(one.paths.name, "North") << "the instance's own name stays [MQTT] Name";
}

TEST_F(Installed, AnEarlierFolderStaysWhereItIsTheFolderOfAnotherFileOrTheNewOneExists) {
    // "b" is b.ini's own folder now: a.ini, whose [MQTT] Name was b, leaves it to b.ini.
    const std::string a = Ini("a", "[MQTT]\nName=b\n");
    Ini("b", "");
    fs::create_directories(Data("b/log"));
    Spit(Data("b/log/2026-01-01.txt"), "\r\nb's");
    EXPECT_TRUE(Start(a).notices.empty());
    EXPECT_TRUE(fs::exists(Data("b/log/2026-01-01.txt")));
    EXPECT_FALSE(fs::exists(Data("a/log")));

    // Once the present folder exists, an earlier one is no longer looked at.
    const std::string c = Ini("c", "[MQTT]\nName=old-c\n");
    fs::create_directories(Data("c"));
    fs::create_directories(Data("old-c/log"));
    Spit(Data("old-c/log/2026-01-01.txt"), "\r\nearlier");
    EXPECT_TRUE(Start(c).notices.empty());
    EXPECT_TRUE(fs::exists(Data("old-c/log/2026-01-01.txt")));
}

TEST_F(Installed, AFileThatIsNoConfigurationIsRefusedBeforeAnythingReadsIt) {
    const std::string missing = ConfigFolder() + "/missing.ini";
    EXPECT_NE(Start(missing).Refusal().find("\"" + missing + "\""), std::string::npos);
    EXPECT_TRUE(config::StartNamedInstance(missing, env_, false).file_problem.empty())
        << "the window program starts without one";

    const std::string big = Ini("big", std::string(platform::IniFile::kMaxFileBytes + 1, ';'));
    const config::InstanceStart start = Start(big);
    EXPECT_NE(start.Refusal().find("больше 1 МБ"), std::string::npos) << start.Refusal();
    EXPECT_FALSE(start.claim.lock.Held()) << "nothing is claimed for it";
    EXPECT_TRUE(
        Start(Ini("fits", std::string(platform::IniFile::kMaxFileBytes, ';'))).Refusal().empty());
}

}  // namespace
