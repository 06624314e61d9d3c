// The window program publishing over MQTT: incubator-monitor, a copy of it in a folder of its
// own with a configuration that names the simulator's pseudo-terminal and a Mosquitto broker
// started here, on the offscreen platform. What it publishes is read back with mosquitto_sub.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "mqtt/discovery.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/mqtt_states.h"
#include "testing/simulator_process.h"
#include "testing/test_broker.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

TEST(WindowProgramMqtt, PublishesDiscoveryAvailabilityAndTheStatesOfWhatItReceives) {
    TestBroker broker;
    Subscriber sub(broker);
    TempFolder folder;
    const std::string exe = folder.File("incubator-monitor");
    std::filesystem::copy_file(INCUBATOR_MONITOR_PATH, exe);

    SimulatorProcess sim(folder.Path(), {"--rate", "10", "--seed", "11"});
    ASSERT_FALSE(sim.Pty().empty());
    Spit(folder.File("incubator-monitor.ini"),
         "[ComPort1]\nPort=" + sim.Pty() +
             "\nOpenStart=1\n[LogFile]\nTime=1\n[MQTT]\nHost=127.0.0.1\nPort=" +
             std::to_string(broker.Port()) + "\n");

    ChildProcess monitor({exe, "--echo"}, folder.File("echo.txt"), folder.File("monitor.err"),
                         {"QT_QPA_PLATFORM=offscreen"});
    // The default topic and the discovery ids carry this machine's tag.
    const std::string id = "incubator-monitor_" + mqtt::MachineTag();
    const std::string topic = "incubator/" + id;
    QueuedUiThread ui;  // pumps nothing of the program's: the reads just wait
    ASSERT_TRUE(Await(ui, [&] { return sub.On(topic + "/state").size() >= 20; }))
        << Slurp(folder.File("monitor.err"));
    EXPECT_EQ(sub.On(topic + "/availability"), std::vector<std::string>{"online"});

    // Home Assistant's view of the device: every entity, this program's version.
    const auto retained = RetainedMessages(broker);
    EXPECT_EQ(std::count_if(retained.begin(), retained.end(),
                            [](const auto& m) { return m.first.starts_with("homeassistant/"); }),
              17);
    const std::string t1_config = "homeassistant/sensor/" + id + "_t1/config";
    ASSERT_TRUE(retained.contains(t1_config));
    EXPECT_EQ(json::parse(retained.at(t1_config))["device"]["sw_version"], INCUBATOR_VERSION);
    EXPECT_EQ(
        json::parse(retained.at(topic + "/alarm")),
        json::parse(R"({"t1":false,"t2":false,"hm":false,"no_data":false,"port_lost":false})"));

    monitor.Signal(SIGTERM);
    ASSERT_TRUE(EndedNormally(monitor.WaitForExit(30s))) << Slurp(folder.File("monitor.err"));
    ASSERT_TRUE(Await(ui, [&] { return sub.On(topic + "/availability").size() == 2; }));
    EXPECT_EQ(sub.On(topic + "/availability"), (std::vector<std::string>{"online", "offline"}));
    EXPECT_EQ(RetainedMessages(broker)[topic + "/availability"], "offline");

    // The states are a run of the lines the program took in, each as its line says.
    const std::vector<std::string> states = sub.On(topic + "/state");
    const e2e::StatesAgainstLines match =
        e2e::MatchStates(states, e2e::SplitEchoText(Slurp(folder.File("echo.txt"))));
    EXPECT_EQ(match.wrong_offset, "");
    EXPECT_EQ(match.matched, states.size()) << "from line " << match.from;
}

}  // namespace
