// incubator-monitord end to end on incubator-sim's pseudo-terminal: the daily files against
// what the simulator sent, the end on a termination signal, and the alarm command run with
// the events as its arguments and environment.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/program_rig.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// One service with its configuration file in a folder of its own, fed by one simulator.
class ServiceRig : public ProgramRig {
  public:
    explicit ServiceRig(std::vector<std::string> sim_args) { StartSimulator(std::move(sim_args)); }
    ServiceRig() = default;

    std::string Ini() const { return File("hall 1.ini"); }

    // The port (the pseudo-terminal unless given) with `port_keys`, autosave every minute,
    // and `more`.
    void Configure(const std::string& more, const std::string& port = {},
                   const std::string& port_keys = {}) {
        Spit(Ini(), "[ComPort1]\nPort=" + (port.empty() ? Pty() : port) + "\n" + port_keys +
                        "[LogFile]\nTime=1\n" + more);
    }
    // `echo`: where the standard output goes (echo.txt in the rig's folder).
    void Start(std::string echo = {}) {
        StartProgram({INCUBATOR_MONITORD_PATH, "--config", Ini(), "--echo"}, {}, std::move(echo));
    }
};

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// --- Ending on a signal while samples arrive ----------------------------------------------

class ServiceEnding : public ::testing::TestWithParam<int> {};

TEST_P(ServiceEnding, TheDailyFileHoldsEveryPacketSentAndTheSignalSavesEverythingAndExitsZero) {
    ServiceRig rig({"--rate", "25", "--burst", "2", "--seed", "7"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure("");
    rig.Start();
    ASSERT_TRUE(rig.WaitForEchoedLines(30)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(GetParam()))) << rig.Errors();

    // The statistics of a file outside the XDG folder are in log/ beside it; nothing else is
    // left there (the journal is gone once everything is saved).
    const std::string log = rig.File("log");
    ASSERT_TRUE(fs::is_directory(log)) << rig.Errors();
    for (const auto& file : fs::directory_iterator(log)) {
        EXPECT_EQ(file.path().extension(), ".txt") << file.path();
        const std::string text = Slurp(file.path());
        EXPECT_TRUE(text.starts_with("\r\n") && !text.ends_with("\n")) << file.path();
    }
    const std::vector<std::string> echoed = rig.Echoed();
    const std::vector<std::string> lines = e2e::ReadDailyLines(log);
    ASSERT_GE(echoed.size(), 30u);
    EXPECT_TRUE(lines == echoed) << lines.size() << " lines saved, " << echoed.size() << " echoed";

    // The lines are the packets the simulator sent, from the first on, each once, in order.
    const std::vector<e2e::SentPacket> sent = rig.SentLog();
    ASSERT_GE(sent.size(), lines.size());
    const std::vector<e2e::SentPacket> first(sent.begin(),
                                             sent.begin() + static_cast<long>(lines.size()));
    const e2e::RunCheck check = e2e::CheckRun(first, lines, PacketLayout::Eight, true, echoed);
    EXPECT_TRUE(check.Clean()) << check.Summary();

    // Nothing to warn of on a healthy line: the standard error holds the start and the end.
    const std::string errors = rig.Errors();
    EXPECT_EQ(Count(errors, "\n"), 2u) << errors;
    EXPECT_NE(errors.find("statistics in " + log), std::string::npos) << errors;
}

INSTANTIATE_TEST_SUITE_P(Signals, ServiceEnding, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

TEST(ServiceEnding, AReaderOfTheEchoThatGoesAwayDoesNotEndTheService) {
    ServiceRig rig({"--rate", "25", "--seed", "9"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure("");
    const std::string echoed =
        rig.EchoToAReaderThatLeaves([&](const std::string& echo) { rig.Start(echo); });
    ASSERT_GE(e2e::SplitEchoText(echoed).size(), 5u) << rig.Errors();
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(rig.Ended()) << "ended when its reader went away";
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    // Every line it received is saved, the ones after the reader left too.
    const std::vector<std::string> lines = e2e::ReadDailyLines(rig.File("log"));
    EXPECT_GE(lines.size(), e2e::SplitEchoText(echoed).size() + 10);
    const std::vector<e2e::SentPacket> sent = rig.SentLog();
    ASSERT_GE(sent.size(), lines.size());
    const std::vector<e2e::SentPacket> first(sent.begin(),
                                             sent.begin() + static_cast<long>(lines.size()));
    const e2e::RunCheck check =
        e2e::CheckRun(first, lines, PacketLayout::Eight, true, std::nullopt);
    EXPECT_TRUE(check.Clean()) << check.Summary();
}

// --- The port at start -------------------------------------------------------------------

TEST(PortAtStart, AMissingPortIsOneWarningAndIsOpenedWhenItAppears) {
    ServiceRig rig;
    const std::string link = rig.File("ttyINC");
    rig.Configure("", link);
    rig.Start();
    // Tried again every five seconds meanwhile: still one warning, and the service runs on.
    ASSERT_TRUE(WaitUntil([&] { return rig.Errors().find(link) != std::string::npos; }, 10s))
        << rig.Errors();
    std::this_thread::sleep_for(6s);
    EXPECT_FALSE(rig.Ended()) << rig.Errors();
    EXPECT_EQ(Count(rig.Errors(), link), 1u) << rig.Errors();

    rig.StartSimulator({"--rate", "20", "--link", link});
    ASSERT_TRUE(rig.WaitForEchoedLines(10)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();
    EXPECT_EQ(e2e::ReadDailyLines(rig.File("log")), rig.Echoed());
}

// --- The alarm command ---------------------------------------------------------------------

// A program that appends its arguments and the environment it was given to a file, one run
// to a line: "<argc>|<arg1>|<arg2>|<arg3>|<event>|<channel>|<value>|<instance>".
void WriteRecorder(const std::string& path, const std::string& record, int status = 0) {
    Spit(path,
         "#!/bin/sh\nprintf '%s|%s|%s|%s|%s|%s|%s|%s\\n' \"$#\" \"$1\" \"$2\" \"$3\" "
         "\"$INCUBATOR_EVENT\" \"$INCUBATOR_CHANNEL\" \"$INCUBATOR_VALUE\" "
         "\"$INCUBATOR_INSTANCE\" >> '" +
             record + "'\nexit " + std::to_string(status) + "\n");
    ::chmod(path.c_str(), 0755);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// Where `line` is in `lines` from `from` on; lines.size() when it is not.
std::size_t Find(const std::vector<std::string>& lines, const std::string& line,
                 std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (lines[i] == line) return i;
    return lines.size();
}

TEST(AlarmCommand, RunsForTheAlarmTheSilenceAndTheLostPortWithArgumentsAndEnvironment) {
    // Packets for two seconds, then five seconds of silence, and so on; SIGUSR1 makes the
    // adapter vanish and come back behind the link.
    ServiceRig rig(
        {"--rate", "10", "--silence-every", "2", "--silence", "5", "--link", "{folder}/ttyINC"});
    ASSERT_FALSE(rig.Pty().empty());
    const std::string link = rig.File("ttyINC");
    const std::string record = rig.File("runs.txt");
    WriteRecorder(rig.File("on-alarm"), record);
    // T1 reads about 37.5 degrees: a high limit of 30.0 makes it alarm at once. The
    // command's path is taken from the configuration file's folder.
    rig.Configure("[Alarm]\nT1_HI=300\n[Service]\nAlarmCommand=on-alarm\n", link,
                  "SignalOffData=1\n");
    rig.Start();
    const auto runs = [&] { return Lines(Slurp(record)); };
    const std::string instance = "hall_1";
    const std::string alarm = "3|alarm|t1|1|alarm|t1|1|" + instance;
    const std::string no_data = "3|no_data||1|no_data||1|" + instance;
    const std::string data_back = "3|no_data||0|no_data||0|" + instance;
    ASSERT_TRUE(WaitUntil([&] { return Find(runs(), alarm) < runs().size(); }, 20s))
        << Slurp(record) << rig.Errors();
    ASSERT_TRUE(WaitUntil([&] { return Find(runs(), data_back) < runs().size(); }, 20s))
        << Slurp(record) << rig.Errors();

    rig.SignalSimulator(SIGUSR1);
    const std::string lost = "3|port|" + link + "|lost|port|" + link + "|lost|" + instance;
    const std::string back = "3|port|" + link + "|back|port|" + link + "|back|" + instance;
    ASSERT_TRUE(WaitUntil([&] { return Find(runs(), back) < runs().size(); }, 30s))
        << Slurp(record) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    // Each event once and in the order it happened: the watchdog warns every few seconds of
    // a silence, the command hears of it once.
    const std::vector<std::string> r = runs();
    const std::size_t at_alarm = Find(r, alarm);
    const std::size_t at_no_data = Find(r, no_data);
    const std::size_t at_data_back = Find(r, data_back, at_no_data);
    const std::size_t at_lost = Find(r, lost);
    const std::size_t at_back = Find(r, back, at_lost);
    EXPECT_LT(at_alarm, r.size()) << Slurp(record);
    EXPECT_LT(at_no_data, at_data_back) << Slurp(record);
    EXPECT_LT(at_data_back, r.size()) << Slurp(record);
    EXPECT_LT(at_lost, at_back) << Slurp(record);
    EXPECT_LT(at_back, r.size()) << Slurp(record);
    EXPECT_EQ(std::count(r.begin(), r.end(), alarm), 1) << "T1 stays out of its limits";
    for (std::size_t i = 0; i + 1 < r.size(); ++i)
        EXPECT_FALSE(r[i] == no_data && r[i + 1] == no_data) << Slurp(record);

    // The alarm is one warning line; a successful command none.
    const std::string errors = rig.Errors();
    EXPECT_EQ(Count(errors, "Температура T1: За пределами допустимых значений!\n"), 1u) << errors;
    EXPECT_EQ(Count(errors, "Команда"), 0u) << errors;
}

TEST(AlarmCommand, AFailingCommandIsOneWarningAndReceptionGoesOn) {
    ServiceRig rig({"--rate", "20", "--seed", "2"});
    ASSERT_FALSE(rig.Pty().empty());
    const std::string record = rig.File("runs.txt");
    WriteRecorder(rig.File("on-alarm"), record, 3);
    // Both temperatures alarm: two runs of the same kind, one after the other, both fail.
    rig.Configure("[Alarm]\nT1_HI=300\nT2_HI=300\n[Service]\nAlarmCommand=" + rig.File("on-alarm") +
                  "\n");
    rig.Start();
    ASSERT_TRUE(WaitUntil([&] { return Lines(Slurp(record)).size() >= 2; }, 20s)) << rig.Errors();
    const std::size_t echoed = rig.Echoed().size();
    ASSERT_TRUE(rig.WaitForEchoedLines(echoed + 20)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    const std::string errors = rig.Errors();
    EXPECT_EQ(Count(errors, "(alarm t1 1) завершилась с кодом 3\n"), 1u) << errors;
    EXPECT_EQ(Count(errors, "(alarm t2 1) завершилась с кодом 3\n"), 1u) << errors;
    EXPECT_EQ(e2e::ReadDailyLines(rig.File("log")), rig.Echoed());
}

}  // namespace
