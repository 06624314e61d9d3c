// The programs as instances, end to end: the window program ending on a signal with its modal
// question open, one running copy per statistics folder (two configurations of one folder, two
// copies of one file, a second start of the window showing the first), and configuration
// files that are no configuration (a pipe, a file of megabytes). The window program runs on
// the offscreen platform with a probe preloaded that plays the person at it (window_probe.cpp).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ini_file.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/simulator_process.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A program run with the folder's own XDG places, so that nothing of the machine's is touched.
class Copy {
  public:
    Copy(const TempFolder& folder, const std::string& tag, std::vector<std::string> command)
        : out_(folder.File(tag + ".out")),
          err_(folder.File(tag + ".err")),
          probe_(folder.File(tag + ".probe")) {
        fs::create_directories(probe_);
        // The user's runtime folder is the user's alone.
        fs::create_directories(folder.File("run"));
        fs::permissions(folder.File("run"), fs::perms::owner_all);
        std::vector<std::string> environment{
            "HOME=" + folder.Path(), "XDG_CONFIG_HOME=" + folder.File("config"),
            "XDG_DATA_HOME=" + folder.File("data"), "XDG_RUNTIME_DIR=" + folder.File("run"),
            "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"};
#ifdef INCUBATOR_WINDOW_PROBE_PATH
        if (command.front() == INCUBATOR_MONITOR_PATH)
            environment.insert(environment.end(),
                               {"QT_QPA_PLATFORM=offscreen", "INCUBATOR_PROBE_DIR=" + probe_,
                                "LD_PRELOAD=" INCUBATOR_WINDOW_PROBE_PATH});
#endif
        process_ = std::make_unique<ChildProcess>(std::move(command), out_, err_, environment);
    }

    std::optional<int> Wait(std::chrono::milliseconds timeout) {
        return process_->WaitForExit(timeout);
    }
    bool Running() {
        return !process_->WaitForExit(0ms);
    }
    std::optional<int> End(int signal) {
        process_->Signal(signal);
        return process_->WaitForExit(20s);
    }
    std::string Errors() const {
        return Slurp(err_);
    }
    std::vector<std::string> Echoed() const {
        return e2e::SplitEchoText(Slurp(out_));
    }
    bool WaitForEchoedLines(std::size_t n) {
        return WaitUntil([&] { return Echoed().size() >= n; }, 40s);
    }

    // The window, as the probe sees it.
    std::string State() const {
        return Slurp(probe_ + "/state");
    }
    bool WaitForState(const std::string& line) {
        return WaitUntil([&] { return State().find(line + "\n") != std::string::npos; }, 20s);
    }
    void Ask(const std::string& request) {
        Spit(probe_ + "/request.tmp", request);
        fs::rename(probe_ + "/request.tmp", probe_ + "/request");
    }

  private:
    std::string out_;
    std::string err_;
    std::string probe_;
    std::unique_ptr<ChildProcess> process_;
};

bool ExitedWithFailure(const std::optional<int>& status) {
    return status && WIFEXITED(*status) && WEXITSTATUS(*status) != 0;
}

std::string Configuration(const std::string& pty, const std::string& more = {}) {
    return "[ComPort1]\nPort=" + pty + "\nOpenStart=1\n[LogFile]\nTime=1\n" + more;
}

#ifdef INCUBATOR_MONITOR_PATH

std::vector<std::string> Window(const std::string& ini) {
    return {INCUBATOR_MONITOR_PATH, "--echo", "--config", ini};
}

// --- The window ending on a signal while its question is open ----------------------------

class WindowEnding : public ::testing::TestWithParam<int> {};

TEST_P(WindowEnding, ASignalEndsTheProgramWhileItAsksWhetherToSaveAndEveryLineIsKept) {
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", "20", "--seed", "11"});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string ini = folder.File("hall.ini");
    Spit(ini, Configuration(sim.Pty()));
    Copy window(folder, "window", Window(ini));
    ASSERT_TRUE(window.WaitForEchoedLines(10)) << window.Errors();

    // Файл → Выход: the display holds unsaved lines, so the program asks, and nobody answers.
    window.Ask("trigger N1");
    ASSERT_TRUE(window.WaitForState("modal=Сохранить статистику?")) << window.State();
    std::this_thread::sleep_for(500ms);  // lines still come while it asks

    ASSERT_TRUE(EndedNormally(window.End(GetParam()))) << window.Errors();
    const std::vector<std::string> echoed = window.Echoed();
    EXPECT_TRUE(e2e::ReadDailyLines(folder.File("log")) == echoed)
        << "every line received, the ones that came while it asked too";
    EXPECT_TRUE(platform::IniFile(ini).Read("Form", "Top")) << "the settings are written";
}

INSTANTIATE_TEST_SUITE_P(Signals, WindowEnding, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

// --- One running copy per statistics folder -----------------------------------------------

TEST(Instances, ASecondStartOfTheWindowShowsTheFirstAndEndsWhileAnotherFileRunsAsItsOwn) {
    TempFolder folder;
    const std::string ini = folder.File("north.ini");
    Spit(ini, "");
    Copy first(folder, "first", Window(ini));
    ASSERT_TRUE(first.WaitForState("visible=1")) << first.Errors();
    // Into the tray: hidden.
    first.Ask("hide");
    ASSERT_TRUE(first.WaitForState("visible=0"));

    Copy second(folder, "second", Window(ini));
    EXPECT_TRUE(EndedNormally(second.Wait(20s))) << second.Errors();
    EXPECT_TRUE(first.WaitForState("visible=1")) << "the first copy's window is shown again";
    EXPECT_TRUE(first.Running());

    // A file of its own in another folder: an instance of its own, beside the first.
    fs::create_directory(folder.File("south"));
    const std::string other = folder.File("south/south.ini");
    Spit(other, "");
    Copy third(folder, "third", Window(other));
    EXPECT_TRUE(third.WaitForState("visible=1")) << third.Errors();
    EXPECT_TRUE(third.Running()) << third.Errors();
    EXPECT_TRUE(EndedNormally(third.End(SIGTERM)));
    EXPECT_TRUE(EndedNormally(first.End(SIGTERM)));
}

TEST(Instances, TwoFilesOfOneFolderNeverShareItsLogFolder) {
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", "20", "--seed", "12"});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string a = folder.File("a.ini");
    const std::string b = folder.File("b.ini");
    Spit(a, Configuration(sim.Pty()));
    Spit(b, Configuration(sim.Pty()));
    Copy first(folder, "a", Window(a));
    ASSERT_TRUE(first.WaitForEchoedLines(5)) << first.Errors();

    // b.ini's log/ is a.ini's: neither program runs with it, and each names a.ini.
    Copy window(folder, "b-window", Window(b));
    EXPECT_TRUE(ExitedWithFailure(window.Wait(20s))) << window.Errors();
    EXPECT_NE(window.Errors().find("\"" + a + "\""), std::string::npos) << window.Errors();
    Copy service(folder, "b-service", {INCUBATOR_MONITORD_PATH, "--config", b});
    EXPECT_TRUE(ExitedWithFailure(service.Wait(20s))) << service.Errors();
    EXPECT_NE(service.Errors().find("\"" + a + "\""), std::string::npos) << service.Errors();

    ASSERT_TRUE(EndedNormally(first.End(SIGTERM))) << first.Errors();
    EXPECT_TRUE(e2e::ReadDailyLines(folder.File("log")) == first.Echoed())
        << "the daily file holds a.ini's lines alone";
}

// --- Configuration files that are no configuration ----------------------------------------

TEST(ConfigurationFile, TheWindowSaysItCannotUseAPipeOrAFileOfMegabytesAndLeavesThemAlone) {
    TempFolder folder;
    const std::string pipe = folder.File("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directory(folder.File("big"));
    const std::string big = folder.File("big/big.ini");
    const std::string content = "[ComPort1]\nPort=" + std::string(2u << 20, 'x') + "\n";
    Spit(big, content);

    for (const std::string& ini : {pipe, big}) {
        Copy window(folder, fs::path(ini).stem().string(), Window(ini));
        const std::string said = "Файл настроек \"" + ini + "\" не прочитан";
        EXPECT_TRUE(WaitUntil([&] { return window.Errors().find(said) != std::string::npos; }, 20s))
            << window.Errors();
        EXPECT_TRUE(window.WaitForState("visible=1")) << "it runs with its defaults";
        EXPECT_TRUE(EndedNormally(window.End(SIGTERM))) << window.Errors();
    }
    struct stat st {};
    EXPECT_TRUE(::stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << "still the pipe";
    EXPECT_EQ(Slurp(big), content) << "never replaced";
}

#endif  // INCUBATOR_MONITOR_PATH

TEST(ConfigurationFile, TheServiceRefusesAPipeAFolderOrAFileOfMegabytes) {
    TempFolder folder;
    const std::string pipe = folder.File("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string directory = folder.File("folder.ini");
    fs::create_directory(directory);
    // One line of two megabytes.
    const std::string big = folder.File("big.ini");
    Spit(big, "[ComPort1]\nPort=" + std::string(2u << 20, 'x') + "\n");

    for (const std::string& ini : {pipe, directory, big}) {
        Copy service(folder, fs::path(ini).stem().string(),
                     {INCUBATOR_MONITORD_PATH, "--config", ini});
        EXPECT_TRUE(ExitedWithFailure(service.Wait(20s))) << ini << ": " << service.Errors();
        EXPECT_NE(service.Errors().find("Файл настроек \"" + ini + "\" не прочитан"),
                  std::string::npos)
            << service.Errors();
    }
}

TEST(Instances, TheServiceStartedTwiceOnOneFileEndsTheSecondNamingTheFile) {
    TempFolder folder;
    const std::string ini = folder.File("hall.ini");
    Spit(ini, "[LogFile]\nTime=1\n");
    Copy first(folder, "first", {INCUBATOR_MONITORD_PATH, "--config", ini});
    ASSERT_TRUE(
        WaitUntil([&] { return first.Errors().find("statistics in") != std::string::npos; }, 20s))
        << first.Errors();
    Copy second(folder, "second", {INCUBATOR_MONITORD_PATH, "--config", ini});
    // Its own status, which the unit does not restart after.
    const std::optional<int> status = second.Wait(20s);
    ASSERT_TRUE(status && WIFEXITED(*status)) << second.Errors();
    EXPECT_EQ(WEXITSTATUS(*status), 3) << second.Errors();
    EXPECT_NE(second.Errors().find("\"" + ini + "\""), std::string::npos) << second.Errors();
    EXPECT_TRUE(EndedNormally(first.End(SIGTERM))) << first.Errors();
}

TEST(Instances, CopiesOfOneFileWithOneMqttNameKeepFoldersOfTheirOwnAndTheEarlierOneIsKept) {
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", "20", "--seed", "13"});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string config = folder.File("config/incubator-monitor");
    fs::create_directories(config);
    // hall-2.ini copied from hall-1.ini: the same [MQTT] Name (no broker: no publishing); one
    // port between them, so only hall-2 opens it.
    Spit(config + "/hall-1.ini", "[MQTT]\nName=Зал\n");
    Spit(config + "/hall-2.ini", Configuration(sim.Pty(), "[MQTT]\nName=Зал\n"));
    // What an earlier version kept under that name.
    const std::string data = folder.File("data/incubator-monitor");
    fs::create_directories(data + "/Zal/log");
    Spit(data + "/Zal/log/2020-01-01.txt", "\r\nearlier");

    Copy one(folder, "hall-1", {INCUBATOR_MONITORD_PATH, "--config", config + "/hall-1.ini"});
    ASSERT_TRUE(
        WaitUntil([&] { return one.Errors().find("statistics in") != std::string::npos; }, 20s))
        << one.Errors();
    Copy two(folder, "hall-2",
             {INCUBATOR_MONITORD_PATH, "--config", config + "/hall-2.ini", "--echo"});
    ASSERT_TRUE(two.WaitForEchoedLines(5)) << two.Errors();
    EXPECT_TRUE(one.Running()) << one.Errors();
    ASSERT_TRUE(EndedNormally(two.End(SIGTERM))) << two.Errors();
    ASSERT_TRUE(EndedNormally(one.End(SIGTERM))) << one.Errors();

    // The first to start took the earlier folder over, and says so; the other started afresh.
    EXPECT_EQ(Slurp(data + "/hall-1/log/2020-01-01.txt"), "\r\nearlier");
    EXPECT_NE(one.Errors().find(data + "/Zal"), std::string::npos) << one.Errors();
    EXPECT_FALSE(fs::exists(data + "/Zal"));
    EXPECT_TRUE(e2e::ReadDailyLines(data + "/hall-2/log") == two.Echoed());
}

}  // namespace
