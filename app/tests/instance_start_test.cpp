#include "app/instance_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "platform/ini_file.h"
#include "platform/tests/temp_folder.h"

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

TEST_F(Installed, AHeldFolderRefusesASecondCopyNamingTheHoldersFile) {
    const std::string a = Ini("a", "[LogFile]\nDir=../shared\n");
    const std::string b = Ini("b", "[LogFile]\nDir=../shared/\n");
    {
        const config::InstanceStart first = Start(a);
        ASSERT_EQ(first.claim.outcome, Outcome::Taken) << first.claim.text;

        const config::InstanceStart again = Start(a);
        EXPECT_EQ(again.claim.outcome, Outcome::HeldBySame);
        EXPECT_EQ(again.Refusal(), again.claim.text);
        const config::InstanceStart other = Start(b);
        EXPECT_EQ(other.claim.outcome, Outcome::HeldByAnother);
        EXPECT_NE(other.Refusal().find("\"" + a + "\""), std::string::npos) << other.Refusal();
    }
    // Free again once the holder is gone.
    EXPECT_EQ(Start(b).claim.outcome, Outcome::Taken);
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
