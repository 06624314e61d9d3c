// Framing and the receive reset in the real programs (the window program and the service) on a
// pseudo-terminal: a packet that lost its first bytes among identical packets costs only itself,
// and no packet is lost to the receive reset whatever the rate.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/alarm_rules.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/program_rig.h"
#include "testing/programs_under_test.h"
#include "testing/record_fields.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/temp_folder.h"
#include "tools/sim_line.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;

// A program under test in the rig's folder, its port `port`.
void Start(ProgramRig& rig, const ProgramUnderTest& program, const std::string& port,
           const std::string& more = "") {
    Spit(rig.File("incubator-monitor.ini"),
         "[ComPort1]\nPort=" + port + "\nOpenStart=1\n[LogFile]\nTime=1\n" + more);
    rig.StartProgram(program.command(rig.Folder()), program.environment);
}

std::size_t Count(const std::vector<e2e::SentPacket>& sent, e2e::SentStatus status) {
    std::size_t n = 0;
    for (const e2e::SentPacket& p : sent) n += p.status == status;
    return n;
}

// --- The rest of a packet that lost its first bytes, among identical packets --------------

class HeadLost : public ::testing::TestWithParam<ProgramUnderTest> {};

TEST_P(HeadLost, OnlyThatPacketIsLostAndTheIdenticalOnesAfterItAreReadAsSent) {
    // 37,4 37,2 28,8 degrees; without its first two bytes and followed by the same packet, it
    // turns into 37,2 28,8 44,7 with 100 % humidity: the T2 and humidity alarms.
    const Bytes packet{0x02, 0x56, 0x02, 0x53, 0x02, 0xcd, 0x01, 0xcb};
    const Bytes rest(packet.begin() + 2, packet.end());
    ProgramRig rig;
    SimLine line;
    std::string pty;
    ASSERT_EQ(SimLine::OpenPseudoTerminal(line, pty), 0);
    Start(rig, GetParam(), pty);
    ASSERT_TRUE(WaitUntil([&] { return line.ReaderPresent(); }, 20s)) << rig.Errors();

    // At 4 packets a second: three packets, the rest of one, six packets.
    std::vector<Bytes> writes(3, packet);
    writes.push_back(rest);
    writes.insert(writes.end(), 6, packet);
    for (const Bytes& bytes : writes) {
        ASSERT_TRUE(line.WriteAll(bytes));
        std::this_thread::sleep_for(250ms);
    }
    ASSERT_TRUE(WaitUntil([&] { return rig.Echoed().size() >= 9; }, 10s)) << rig.Errors();
    std::this_thread::sleep_for(500ms);  // any line too many would be there by now
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    const std::vector<std::string> echoed = rig.Echoed();
    const e2e::RecordFields sent = e2e::FieldsOfPacket(packet, PacketLayout::Eight, true);
    EXPECT_EQ(echoed.size(), 9u);
    for (const std::string& l : echoed)
        EXPECT_EQ(e2e::Describe(e2e::FieldsOfLine(l)), e2e::Describe(sent));
    EXPECT_EQ(e2e::ReadDailyLines(rig.File("log")), echoed);
    const std::string errors = rig.Errors();
    EXPECT_NE(errors.find("Неполных пакетов отброшено за время работы: 1 "), std::string::npos)
        << errors;
    EXPECT_EQ(errors.find(kOutsideLimitsText), std::string::npos) << errors;
}

INSTANTIATE_TEST_SUITE_P(HeadLost, HeadLost, ::testing::ValuesIn(ProgramsUnderTest()),
                         [](const auto& info) { return info.param.name; });

// --- Head-lost packets among runs of identical ones, from the simulator ---------------------

struct HeadLossRun {
    ProgramUnderTest program;
    int rate;  // packets a second
    bool nine_byte;
};

void PrintTo(const HeadLossRun& run, std::ostream* out) {
    *out << run.program.name << " at " << run.rate << "/s, " << (run.nine_byte ? 9 : 8) << " bytes";
}

class HeadLostRuns : public ::testing::TestWithParam<HeadLossRun> {};

// Readings that stand for 8 packets, and 10 % of the packets without their first bytes. The
// checker is run with --clean (every packet sent whole is in the daily files once and in
// order, nothing else is) and --no-misframed.
TEST_P(HeadLostRuns, NoMisframedLineAndEveryIntactPacketComesThrough) {
    const HeadLossRun& r = GetParam();
    constexpr int kSeconds = 12;
    const int count = r.rate * kSeconds;
    const std::string layout = r.nine_byte ? "9" : "8";
    ProgramRig rig;
    rig.StartSimulator({"--layout", layout, "--rate", std::to_string(r.rate), "--count",
                        std::to_string(count), "--repeat", "8", "--lose-head", "10", "--seed",
                        std::to_string(r.rate * 10 + r.nine_byte)});
    ASSERT_FALSE(rig.Pty().empty());
    Start(rig, r.program, rig.Pty(),
          std::string("[Programm]\nSHT10=") + (r.nine_byte ? "1" : "0") + "\n");
    ASSERT_TRUE(WaitUntil([&] { return rig.SentLog().size() == static_cast<std::size_t>(count); },
                          std::chrono::seconds(kSeconds * 2 + 20)))
        << rig.Errors();
    const std::vector<e2e::SentPacket> sent = rig.SentLog();
    ASSERT_GT(Count(sent, e2e::SentStatus::Dropped), 0u) << "the run must lose heads";
    WaitUntil([&] { return rig.Echoed().size() >= Count(sent, e2e::SentStatus::Ok); }, 5s);
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    ChildProcess check({INCUBATOR_E2E_CHECK_PATH, "--sim-log", rig.File("sim.log"), "--log-folder",
                        rig.File("log"), "--echo", rig.File("echo.txt"), "--layout", layout,
                        "--rounding", "1", "--clean", "--no-misframed"},
                       rig.File("check.out"), rig.File("check.err"));
    const std::optional<int> status = check.WaitForExit(30s);
    const std::string summary = Slurp(rig.File("check.out"));
    std::printf("%s", summary.c_str());
    EXPECT_TRUE(EndedNormally(status)) << summary << Slurp(rig.File("check.err"));
    EXPECT_NE(summary.find(" misframed=0 "), std::string::npos);
}

std::vector<HeadLossRun> HeadLossRuns() {
    std::vector<HeadLossRun> runs;
    for (const ProgramUnderTest& program : ProgramsUnderTest())
        for (const int rate : {4, 10})
            for (const bool nine_byte : {false, true}) runs.push_back({program, rate, nine_byte});
    return runs;
}

INSTANTIATE_TEST_SUITE_P(HeadLostRuns, HeadLostRuns, ::testing::ValuesIn(HeadLossRuns()),
                         [](const auto& info) {
                             const HeadLossRun& r = info.param;
                             return "At" + std::to_string(r.rate) + "PerSecond" +
                                    (r.nine_byte ? "NineBytes" : "EightBytes") + r.program.name;
                         });

// --- The receive reset, 500 ms after the last bytes, at rates around it --------------------

struct ResetRun {
    ProgramUnderTest program;
    std::string rate;  // packets a second, as incubator-sim takes it
    int count;         // some 20 seconds of packets
};

void PrintTo(const ResetRun& run, std::ostream* out) {
    *out << run.program.name << " at " << run.rate << "/s";
}

class ReceiveReset : public ::testing::TestWithParam<ResetRun> {};

// At 2 packets a second the reset falls when the next packet arrives: it must leave the port's
// bytes alone. Every packet sent is in the daily files once, in order.
TEST_P(ReceiveReset, LosesNoPacket) {
    const ResetRun& r = GetParam();
    ProgramRig rig;
    rig.StartSimulator({"--rate", r.rate, "--count", std::to_string(r.count), "--seed", "3"});
    ASSERT_FALSE(rig.Pty().empty());
    Start(rig, r.program, rig.Pty());
    const auto count = static_cast<std::size_t>(r.count);
    ASSERT_TRUE(WaitUntil([&] { return rig.SentLog().size() == count; }, 60s)) << rig.Errors();
    WaitUntil([&] { return rig.Echoed().size() >= count; }, 3s);
    ASSERT_TRUE(EndedNormally(rig.End(SIGTERM))) << rig.Errors();

    const std::vector<std::string> lines = e2e::ReadDailyLines(rig.File("log"));
    const e2e::RunCheck check =
        e2e::CheckRun(rig.SentLog(), lines, PacketLayout::Eight, true, rig.Echoed());
    std::printf("%s\n", check.Summary().c_str());
    EXPECT_TRUE(check.Clean()) << check.Summary();
    EXPECT_EQ(lines.size(), count);
}

std::vector<ResetRun> ResetRuns() {
    std::vector<ResetRun> runs;
    for (const ProgramUnderTest& program : ProgramsUnderTest()) {
        if (program.name == "Window") {
            runs.push_back({program, "2", 40});  // the rate of the fault; the rest as the service
            continue;
        }
        for (const auto& [rate, count] : std::vector<std::pair<std::string, int>>{
                 {"0.5", 10}, {"1", 20}, {"1.9", 38}, {"2", 40}, {"2.1", 42}, {"4", 80}})
            runs.push_back({program, rate, count});
    }
    return runs;
}

INSTANTIATE_TEST_SUITE_P(ReceiveReset, ReceiveReset, ::testing::ValuesIn(ResetRuns()),
                         [](const auto& info) {
                             std::string rate = info.param.rate;
                             for (char& c : rate)
                                 if (c == '.') c = '_';
                             return "At" + rate + "PerSecond" + info.param.program.name;
                         });

}  // namespace
