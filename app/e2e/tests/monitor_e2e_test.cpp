// The real programs end to end: incubator-sim on a pseudo-terminal and incubator-monitor, a
// copy of it in a folder of its own (so its configuration and daily files are there), on the
// offscreen platform, with a configuration that names the pseudo-terminal and opens it at
// start. What the monitor echoes, what it writes to its daily file and what the simulator
// logs as sent must agree.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/humidity.h"
#include "engine/statistics/daily_file_name.h"
#include "platform/ini_file.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/program_rig.h"
#include "testing/record_fields.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// One monitor in its own folder, fed by one simulator.
class Rig : public ProgramRig {
  public:
    explicit Rig(std::vector<std::string> sim_args) {
        StartSimulator(std::move(sim_args));
        fs::copy_file(INCUBATOR_MONITOR_PATH, Exe());
    }

    std::string Exe() const { return File("incubator-monitor"); }
    std::string Ini() const { return File("incubator-monitor.ini"); }

    // The configuration: the port and OpenStart, autosave every minute, and `more`.
    void Configure(const std::string& more) {
        Spit(Ini(), "[ComPort1]\nPort=" + Pty() + "\nOpenStart=1\n[LogFile]\nTime=1\n" + more);
    }

    // `environment`: NAME=VALUE entries besides the offscreen platform; `arguments` after
    // --echo; `echo`: where the standard output goes (echo.txt in the rig's folder).
    void StartMonitor(std::vector<std::string> environment = {},
                      const std::vector<std::string>& arguments = {}, std::string echo = {}) {
        environment.push_back("QT_QPA_PLATFORM=offscreen");
        std::vector<std::string> command{Exe(), "--echo"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        StartProgram(command, environment, std::move(echo));
    }

    std::string LogFolder() const { return File("log"); }
    std::vector<std::string> DailyLines() const { return e2e::ReadDailyLines(LogFolder()); }
};

// --- Ending on a signal while samples arrive ---------------------------------------------

class EndingOnSignal : public ::testing::TestWithParam<int> {};

TEST_P(EndingOnSignal, KeepsEveryLineReceivedAndWritesTheCloseTimeKeys) {
    Rig rig({"--rate", "25", "--burst", "2", "--seed", "5"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure("");
    rig.StartMonitor();
    ASSERT_TRUE(rig.WaitForEchoedLines(30)) << rig.Errors();

    // The simulator goes on sending while the monitor ends.
    ASSERT_TRUE(EndedNormally(rig.End(GetParam()))) << rig.Errors();

    const std::vector<std::string> echoed = rig.Echoed();
    const std::vector<std::string> lines = rig.DailyLines();
    ASSERT_GE(echoed.size(), 30u);
    EXPECT_EQ(lines.size(), echoed.size());
    EXPECT_TRUE(lines == echoed) << "the daily file must hold every line the monitor took in";

    // A daily file is its autosaves' batches: CR LF before each line, none after the last.
    ASSERT_TRUE(fs::is_directory(rig.LogFolder()));
    for (const auto& file : fs::directory_iterator(rig.LogFolder())) {
        const std::string text = Slurp(file.path());
        EXPECT_TRUE(text.starts_with("\r\n")) << file.path();
        EXPECT_FALSE(text.ends_with("\n")) << file.path();
    }

    // Those lines are the packets sent, from the first on, none skipped.
    const std::vector<e2e::SentPacket> sent = rig.SentLog();
    ASSERT_GE(sent.size(), lines.size());
    const std::vector<e2e::SentPacket> first(sent.begin(),
                                             sent.begin() + static_cast<long>(lines.size()));
    const e2e::RunCheck check = e2e::CheckRun(first, lines, PacketLayout::Eight, true, echoed);
    EXPECT_TRUE(check.Clean()) << check.Summary();

    const platform::IniFile ini(rig.Ini());
    EXPECT_EQ(ini.Read("Alarm", "T1_HI"), "390");
    EXPECT_EQ(ini.Read("Alarm", "T3_LOW"), "30");
    EXPECT_TRUE(ini.Read("Form", "Top"));
    EXPECT_TRUE(ini.Read("ScrollBar", "XScale"));
    EXPECT_EQ(ini.Read("ComPort1", "Port"), rig.Pty());
    EXPECT_EQ(ini.Read("ComPort1", "BaudRate"), "4800");
    // Keys that only the settings dialog writes stay as they were.
    EXPECT_EQ(ini.Read("ComPort1", "OpenStart"), "1");
    EXPECT_EQ(ini.Read("LogFile", "Time"), "1");
}

INSTANTIATE_TEST_SUITE_P(Signals, EndingOnSignal, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const auto& info) {
                             return std::string(info.param == SIGTERM  ? "SIGTERM"
                                                : info.param == SIGINT ? "SIGINT"
                                                                       : "SIGHUP");
                         });

// --- Ending when nothing can be written ------------------------------------------------

// Today's daily file name, as the monitor forms it.
std::string TodaysFileName() {
    return statistics::DailyFileName(CurrentLocalDateTime());
}

TEST(Ending, ASignalEndsTheProgramWhenNothingCanBeWrittenAndTheLinesAreKeptElsewhere) {
    Rig rig({"--rate", "25", "--seed", "3"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure("");
    // A link in the daily file's place, to a file that must not be written.
    fs::create_directories(rig.LogFolder());
    const std::string elsewhere = rig.File("elsewhere.txt");
    Spit(elsewhere, "not the statistics");
    fs::create_symlink(elsewhere, rig.LogFolder() + "/" + TodaysFileName());
    rig.StartMonitor({"XDG_DATA_HOME=" + rig.File("data")});
    ASSERT_TRUE(rig.WaitForEchoedLines(30)) << rig.Errors();
    // A folder in the configuration's place: every write of it is refused.
    fs::remove(rig.Ini());
    fs::create_directory(rig.Ini());

    // Nobody is there to click a message box away.
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();
    const std::string errors = rig.Errors();
    EXPECT_NE(errors.find("Failed to store settings"), std::string::npos) << errors;

    const std::string unsaved = rig.File("data/incubator-monitor/unsaved");
    EXPECT_EQ(e2e::ReadDailyLines(unsaved), rig.Echoed());
    EXPECT_NE(errors.find("строки записаны в файл \"" + unsaved + "/"), std::string::npos);
    EXPECT_EQ(Slurp(elsewhere), "not the statistics");
}

TEST(Ending, AReaderOfTheEchoThatGoesAwayDoesNotEndTheProgram) {
    Rig rig({"--rate", "25", "--seed", "9"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure("");
    const std::string echoed = rig.EchoToAReaderThatLeaves(
        [&](const std::string& echo) { rig.StartMonitor({}, {}, echo); });
    ASSERT_GE(e2e::SplitEchoText(echoed).size(), 5u) << rig.Errors();
    std::this_thread::sleep_for(1s);
    EXPECT_FALSE(rig.Ended()) << "ended when its reader went away";
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();
    // Every line it received is saved, the ones after the reader left too.
    EXPECT_GE(rig.DailyLines().size(), e2e::SplitEchoText(echoed).size() + 10);
}

TEST(Ending, AConfigurationNamedOnTheCommandLineKeepsItsSettingsAndStatisticsBesideIt) {
    Rig rig({"--rate", "25", "--seed", "4"});
    ASSERT_FALSE(rig.Pty().empty());
    fs::create_directory(rig.File("hall"));
    const std::string ini = rig.File("hall/north.ini");
    Spit(ini, "[ComPort1]\nPort=" + rig.Pty() + "\nOpenStart=1\n[LogFile]\nTime=1\n");
    rig.StartMonitor({}, {"--config", ini});
    ASSERT_TRUE(rig.WaitForEchoedLines(10)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    EXPECT_EQ(e2e::ReadDailyLines(rig.File("hall/log")), rig.Echoed());
    EXPECT_FALSE(fs::exists(rig.LogFolder())) << "the program's own folders stay untouched";
    EXPECT_FALSE(fs::exists(rig.Ini()));
    EXPECT_TRUE(platform::IniFile(ini).Read("Form", "Top")) << "the close writes to the file";
}

// --- Both layouts, with and without rounding ---------------------------------------------

struct Decoding {
    bool nine_byte;
    bool rounding;
};

// The temperature texts worked out here from the raw words, apart from the program's code.
std::string Tenths(unsigned tenths) {
    std::string whole = std::to_string(tenths / 10);
    if (whole.size() < 2) whole.insert(0, "0");
    return whole + "," + std::to_string(tenths % 10);
}
std::string Sixteenths(unsigned raw, bool rounding) {
    if (rounding) return Tenths((raw * 5 + 2) / 8);
    std::string whole = std::to_string(raw / 16);
    if (whole.size() < 2) whole.insert(0, "0");
    std::string fraction = std::to_string(raw % 16 * 625);
    fraction.insert(0, 4 - fraction.size(), '0');
    return whole + "," + fraction;
}

e2e::RecordFields ExpectedFields(const std::vector<std::uint8_t>& p, const Decoding& d) {
    const auto word = [&](int at) { return static_cast<unsigned>(p[at] | p[at + 1] << 8); };
    e2e::RecordFields f;
    f.t1 = Sixteenths(word(1), d.rounding);
    f.t2 = Sixteenths(word(3), d.rounding);
    if (d.nine_byte) {
        f.t3 = Tenths(word(5));
        f.hm = std::to_string(p[7]);
    } else {
        // T3 always has one decimal: without rounding it is raw / 16 rounded half up.
        f.t3 = d.rounding ? Sixteenths(word(5), true) : Tenths((word(5) * 10 + 8) / 16);
        f.hm = std::to_string(LookupHumidity(static_cast<int>(word(1)), static_cast<int>(word(5))));
    }
    for (int i = 0; i < 8; ++i) f.out += p[0] & (1 << i) ? static_cast<char>('1' + i) : '_';
    return f;
}

class Layouts : public ::testing::TestWithParam<Decoding> {};

TEST_P(Layouts, RecordLinesHoldWhatThePacketsSent) {
    const Decoding d = GetParam();
    constexpr std::size_t kPackets = 50;
    Rig rig({"--layout", d.nine_byte ? "9" : "8", "--rate", "25", "--burst", "2", "--count",
             std::to_string(kPackets), "--seed", "7", "--alarms", "--tray-period", "1"});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure(std::string("[Programm]\nSHT10=") + (d.nine_byte ? "1" : "0") +
                  "\n[Temperature]\nOkruglenie=" + (d.rounding ? "1" : "0") + "\n");
    rig.StartMonitor();
    ASSERT_TRUE(rig.WaitForEchoedLines(kPackets)) << rig.Errors();
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    const std::vector<std::string> lines = rig.DailyLines();
    const std::vector<e2e::SentPacket> sent = rig.SentLog();
    const PacketLayout layout = d.nine_byte ? PacketLayout::Nine : PacketLayout::Eight;
    const e2e::RunCheck check = e2e::CheckRun(sent, lines, layout, d.rounding, rig.Echoed());
    EXPECT_TRUE(check.Clean()) << check.Summary();
    ASSERT_EQ(lines.size(), kPackets);
    ASSERT_EQ(sent.size(), kPackets);

    bool odd_sixteenths = false;
    std::set<std::string> outputs;
    for (std::size_t i = 0; i < kPackets; ++i) {
        const std::vector<std::uint8_t>& p = sent[i].wire;
        const e2e::RecordFields expected = ExpectedFields(p, d);
        EXPECT_EQ(e2e::FieldsOfLine(lines[i]), expected)
            << "line " << i << ": " << lines[i] << "\nexpected " << e2e::Describe(expected);
        odd_sixteenths |= (p[1] | p[3] | p[5]) % 8 != 0;
        outputs.insert(expected.out);
    }
    // The stream tells the cases apart: sixteenths that rounding changes, outputs that change.
    EXPECT_TRUE(odd_sixteenths);
    EXPECT_GT(outputs.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(EightAndNineBytes, Layouts,
                         ::testing::Values(Decoding{false, true}, Decoding{false, false},
                                           Decoding{true, true}, Decoding{true, false}),
                         [](const auto& info) {
                             return std::string(info.param.nine_byte ? "NineBytes" : "EightBytes") +
                                    (info.param.rounding ? "Rounded" : "Exact");
                         });

// --- Lost bytes --------------------------------------------------------------------------

struct LossyLine {
    int rate;  // packets a second
    bool nine_byte;
    int split_ms;  // each packet in two pieces this far apart, as an adapter hands them over
    int seconds;
};

class LostBytes : public ::testing::TestWithParam<LossyLine> {};

// 2 % of the bytes left out. The checker is run with --clean: every packet sent whole with a
// good checksum is in the daily file once and in order (none is lost beside the damaged ones),
// and no other line is; and with --no-misframed, which names the worst of those other lines:
// two packets' bytes read as one.
TEST_P(LostBytes, NoMisframedLineAndEveryIntactPacketComesThrough) {
    const LossyLine l = GetParam();
    const int count = l.rate * l.seconds;
    Rig rig({"--layout", l.nine_byte ? "9" : "8", "--rate", std::to_string(l.rate), "--count",
             std::to_string(count), "--drop", "2", "--split", std::to_string(l.split_ms), "--seed",
             std::to_string(l.rate * 10 + l.nine_byte)});
    ASSERT_FALSE(rig.Pty().empty());
    rig.Configure(std::string("[Programm]\nSHT10=") + (l.nine_byte ? "1" : "0") + "\n");
    rig.StartMonitor();
    ASSERT_TRUE(WaitUntil([&] { return rig.SentLog().size() == static_cast<std::size_t>(count); },
                          std::chrono::seconds(l.seconds * 2 + 20)));
    std::size_t intact = 0, damaged = 0;
    for (const e2e::SentPacket& p : rig.SentLog())
        ++(p.status == e2e::SentStatus::Ok ? intact : damaged);
    ASSERT_GT(damaged, 0u) << "the run must lose bytes";
    rig.WaitForEchoedLines(intact);  // the last lines on their way; the checker tells the rest
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    ChildProcess check({INCUBATOR_E2E_CHECK_PATH, "--sim-log", rig.File("sim.log"), "--log-folder",
                        rig.LogFolder(), "--echo", rig.File("echo.txt"), "--layout",
                        l.nine_byte ? "9" : "8", "--rounding", "1", "--clean", "--no-misframed"},
                       rig.File("check.out"), rig.File("check.err"));
    const std::optional<int> status = check.WaitForExit(30s);
    const std::string summary = Slurp(rig.File("check.out"));
    std::printf("%s", summary.c_str());
    EXPECT_TRUE(EndedNormally(status)) << summary << Slurp(rig.File("check.err"));
    EXPECT_NE(summary.find(" misframed=0 "), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(DroppedBytes, LostBytes,
                         ::testing::Values(LossyLine{1, false, 0, 25}, LossyLine{1, true, 0, 25},
                                           LossyLine{4, false, 0, 15}, LossyLine{4, true, 0, 15},
                                           LossyLine{10, false, 0, 12}, LossyLine{10, true, 0, 12},
                                           LossyLine{10, false, 16, 12},
                                           LossyLine{10, true, 16, 12}),
                         [](const auto& info) {
                             const LossyLine& l = info.param;
                             return "At" + std::to_string(l.rate) + "PerSecond" +
                                    (l.nine_byte ? "NineBytes" : "EightBytes") +
                                    (l.split_ms ? "Split" : "");
                         });

}  // namespace
