// The window program publishing over MQTT: incubator-monitor, a copy of it in a folder of its
// own with a configuration that names the simulator's pseudo-terminal and a Mosquitto broker
// started here, on the offscreen platform. What it publishes is read back with mosquitto_sub.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/e2e/daily_lines.h"
#include "app/e2e/record_fields.h"
#include "app/e2e/tests/child_process.h"
#include "mqtt/payloads.h"
#include "mqtt/tests/test_broker.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

double Number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    return std::stod(text);
}

// What a record line says, in the terms of a state message.
json StateOfLine(const std::string& line) {
    const e2e::RecordFields f = e2e::FieldsOfLine(line);
    int outputs = 0;
    for (std::size_t i = 0; i < f.out.size(); ++i)
        if (f.out[i] != '_') outputs |= 1 << i;
    // "dd.mm.yy hh:mm:ss" at the end of the line.
    const std::string when = line.substr(line.size() - 17);
    return {{"t1", Number(f.t1)},
            {"t2", Number(f.t2)},
            {"t3", Number(f.t3)},
            {"hm", std::stoi(f.hm) < 0 ? json(nullptr) : json(std::stoi(f.hm))},
            {"outputs", outputs},
            {"time", "20" + when.substr(6, 2) + "-" + when.substr(3, 2) + "-" + when.substr(0, 2) +
                         "T" + when.substr(9)}};
}

// The state without the offset of its time, which a record line does not show.
json WithoutOffset(json state) {
    state["time"] = state["time"].get<std::string>().substr(0, 19);
    return state;
}

TEST(WindowProgramMqtt, PublishesDiscoveryAvailabilityAndTheStatesOfWhatItReceives) {
    TestBroker broker;
    Subscriber sub(broker);
    TempFolder folder;
    const std::string exe = folder.File("incubator-monitor");
    std::filesystem::copy_file(INCUBATOR_MONITOR_PATH, exe);

    ChildProcess sim({INCUBATOR_SIM_PATH, "--rate", "10", "--seed", "11"}, folder.File("sim.out"),
                     folder.File("sim.err"));
    ASSERT_TRUE(WaitUntil(
        [&] { return Slurp(folder.File("sim.out")).find('\n') != std::string::npos; }, 10s));
    const std::string out = Slurp(folder.File("sim.out"));
    const std::string pty = out.substr(0, out.find('\n'));
    Spit(folder.File("incubator-monitor.ini"),
         "[ComPort1]\nPort=" + pty +
             "\nOpenStart=1\n[LogFile]\nTime=1\n[MQTT]\nHost=127.0.0.1\nPort=" +
             std::to_string(broker.Port()) + "\n");

    ChildProcess monitor({exe, "--echo"}, folder.File("echo.txt"), folder.File("monitor.err"),
                         {"QT_QPA_PLATFORM=offscreen"});
    const std::string topic = "incubator/incubator-monitor";
    QueuedUiThread ui;  // pumps nothing of the program's: the reads just wait
    ASSERT_TRUE(Await(ui, [&] { return sub.On(topic + "/state").size() >= 20; }))
        << Slurp(folder.File("monitor.err"));
    EXPECT_EQ(sub.On(topic + "/availability"), std::vector<std::string>{"online"});

    // Home Assistant's view of the device: every entity, this program's version.
    const auto retained = RetainedMessages(broker);
    EXPECT_EQ(std::count_if(retained.begin(), retained.end(),
                            [](const auto& m) { return m.first.starts_with("homeassistant/"); }),
              17);
    const std::string t1_config = "homeassistant/sensor/incubator-monitor_t1/config";
    ASSERT_TRUE(retained.contains(t1_config));
    EXPECT_EQ(json::parse(retained.at(t1_config))["device"]["sw_version"], INCUBATOR_VERSION);
    EXPECT_EQ(
        json::parse(retained.at(topic + "/alarm")),
        json::parse(R"({"t1":false,"t2":false,"hm":false,"no_data":false,"port_lost":false})"));

    monitor.Signal(SIGTERM);
    const auto status = monitor.WaitForExit(30s);
    ASSERT_TRUE(status && WIFEXITED(*status) && WEXITSTATUS(*status) == 0)
        << Slurp(folder.File("monitor.err"));
    ASSERT_TRUE(Await(ui, [&] { return sub.On(topic + "/availability").size() == 2; }));
    EXPECT_EQ(sub.On(topic + "/availability"), (std::vector<std::string>{"online", "offline"}));
    EXPECT_EQ(RetainedMessages(broker)[topic + "/availability"], "offline");

    // The states are a run of the lines the program took in, each as its line says.
    const std::vector<std::string> echoed = e2e::SplitEchoText(Slurp(folder.File("echo.txt")));
    std::vector<json> lines;
    for (const std::string& line : echoed) lines.push_back(StateOfLine(line));
    // This computer's offset now (the test and the program share the time zone).
    const std::string offset = mqtt::FormatIso8601(mqtt::SampleTimeNow()).substr(19);
    std::vector<json> states;
    for (const std::string& payload : sub.On(topic + "/state")) {
        states.push_back(json::parse(payload));
        EXPECT_EQ(states.back()["time"].get<std::string>().substr(19), offset);
        states.back() = WithoutOffset(states.back());
    }
    ASSERT_GE(states.size(), 20u);
    ASSERT_GE(lines.size(), states.size());
    // Lines repeat within a second: the run is where every state matches, not the first match.
    std::size_t best = 0, best_at = 0;
    for (std::size_t at = 0; at + states.size() <= lines.size(); ++at) {
        std::size_t matched = 0;
        while (matched < states.size() && states[matched] == lines[at + matched]) ++matched;
        if (matched > best) best = matched, best_at = at;
    }
    EXPECT_EQ(best, states.size()) << "from line " << best_at << ", state " << best << " is "
                                   << states[std::min(best, states.size() - 1)].dump();
}

}  // namespace
