// incubator-monitord publishing to a Mosquitto broker of the test's own while it receives from
// incubator-sim, with the broker away for 30 seconds in the middle: reception and the daily
// files go on untouched, and the states resume once the broker is back.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "app/e2e/daily_lines.h"
#include "app/e2e/run_check.h"
#include "app/e2e/sim_log.h"
#include "app/e2e/tests/child_process.h"
#include "app/e2e/tests/mqtt_states.h"
#include "app/e2e/tests/simulator_process.h"
#include "mqtt/discovery.h"
#include "mqtt/tests/test_broker.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;

std::size_t Count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST(ServiceMqtt, PublishesThroughABrokerOutageWithoutLosingALine) {
    TestBroker broker;
    auto sub = std::make_unique<Subscriber>(broker);
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", "10", "--seed", "13"});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string ini = folder.File("hall.ini");
    // T1 above 30.0 degrees is an alarm here: the simulator's 37.5 raises it at once.
    Spit(ini, "[ComPort1]\nPort=" + sim.Pty() +
                  "\n[LogFile]\nTime=1\n[Alarm]\nT1_HI=300\n[MQTT]\nHost=127.0.0.1\nPort=" +
                  std::to_string(broker.Port()) + "\nName=Hall 1\n");
    ChildProcess service({INCUBATOR_MONITORD_PATH, "--config", ini, "--echo"},
                         folder.File("echo.txt"), folder.File("service.err"));
    const auto errors = [&] { return Slurp(folder.File("service.err")); };
    // The default topic and the discovery ids carry this machine's tag.
    const std::string id = "Hall_1_" + mqtt::MachineTag();
    const std::string topic = "incubator/" + id;
    QueuedUiThread ui;  // pumps nothing of the service's: the reads just wait

    ASSERT_TRUE(Await(ui, [&] { return sub->On(topic + "/state").size() >= 20; })) << errors();
    EXPECT_EQ(sub->On(topic + "/availability"), std::vector<std::string>{"online"});
    auto retained = RetainedMessages(broker);
    EXPECT_EQ(std::count_if(retained.begin(), retained.end(),
                            [](const auto& m) { return m.first.starts_with("homeassistant/"); }),
              17);
    EXPECT_TRUE(retained.contains("homeassistant/binary_sensor/" + id + "_alarm_t1/config"));
    ASSERT_TRUE(retained.contains(topic + "/alarm"));
    EXPECT_EQ(json::parse(retained[topic + "/alarm"])["t1"], true);
    const std::vector<std::string> before = sub->On(topic + "/state");
    sub.reset();

    // The broker away for 30 seconds while packets keep coming.
    const std::size_t echoed_at_stop = e2e::SplitEchoText(Slurp(folder.File("echo.txt"))).size();
    broker.Stop();
    std::this_thread::sleep_for(30s);
    const std::size_t echoed_at_start = e2e::SplitEchoText(Slurp(folder.File("echo.txt"))).size();
    EXPECT_GE(echoed_at_start, echoed_at_stop + 250) << "reception went on meanwhile";
    broker.Start();
    sub = std::make_unique<Subscriber>(broker);
    // The back-off waits up to a minute between attempts.
    ASSERT_TRUE(WaitUntil([&] { return sub->On(topic + "/state").size() >= 20; }, 75s)) << errors();
    retained = RetainedMessages(broker);
    EXPECT_EQ(retained[topic + "/availability"], "online");
    EXPECT_TRUE(retained.contains("homeassistant/sensor/" + id + "_t1/config"));
    EXPECT_EQ(json::parse(retained[topic + "/alarm"])["t1"], true);
    // Besides the start and the alarm: one warning when the connection was lost and one when
    // it was back.
    EXPECT_EQ(Count(errors(), "\n"), 4u) << errors();
    EXPECT_EQ(Count(errors(), "MQTT: "), 2u) << errors();

    service.Signal(SIGTERM);
    ASSERT_TRUE(EndedNormally(service.WaitForExit(30s))) << errors();
    ASSERT_TRUE(WaitUntil([&] { return !sub->On(topic + "/availability").empty(); }, 10s));
    EXPECT_EQ(sub->On(topic + "/availability").back(), "offline");

    // Every packet sent is in the daily files, once, in order, the outage included.
    const std::vector<std::string> echoed = e2e::SplitEchoText(Slurp(folder.File("echo.txt")));
    const std::vector<std::string> lines = e2e::ReadDailyLines(folder.File("log"));
    EXPECT_TRUE(lines == echoed) << lines.size() << " lines saved, " << echoed.size() << " echoed";
    std::vector<e2e::SentPacket> sent = e2e::ParseSimLog(Slurp(sim.LogPath()));
    ASSERT_GE(sent.size(), lines.size());
    sent.resize(lines.size());
    const e2e::RunCheck check = e2e::CheckRun(sent, lines, PacketLayout::Eight, true, echoed);
    EXPECT_TRUE(check.Clean()) << check.Summary();

    // The states before and after the outage are each a run of what was received.
    for (const auto& states : {before, sub->On(topic + "/state")}) {
        const e2e::StatesAgainstLines match = e2e::MatchStates(states, echoed);
        EXPECT_EQ(match.wrong_offset, "");
        EXPECT_EQ(match.matched, states.size()) << "from line " << match.from;
    }
}

}  // namespace
