// incubator-monitord publishing to a Mosquitto broker of the test's own while it receives from
// incubator-sim, with the broker away for 5 seconds in the middle, in real time (three attempts
// with the real back-off; mqtt/tests/outage_test runs the back-off to its minute on a clock of
// its own): reception and the daily files go on untouched, and the states resume once the
// broker is back.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "mqtt/discovery.h"
#include "platform/posix/unique_fd.h"
#include "testing/child_process.h"
#include "testing/daily_lines.h"
#include "testing/mqtt_states.h"
#include "testing/run_check.h"
#include "testing/sim_log.h"
#include "testing/simulator_process.h"
#include "testing/test_broker.h"

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

    // The broker away for 5 seconds while packets keep coming: attempts after 1 and 3 s fail.
    const std::size_t echoed_at_stop = e2e::SplitEchoText(Slurp(folder.File("echo.txt"))).size();
    broker.Stop();
    std::this_thread::sleep_for(5s);
    const std::size_t echoed_at_start = e2e::SplitEchoText(Slurp(folder.File("echo.txt"))).size();
    EXPECT_GE(echoed_at_start, echoed_at_stop + 40) << "reception went on meanwhile";
    broker.Start();
    sub = std::make_unique<Subscriber>(broker);
    // The next attempt comes 4 s after the second.
    ASSERT_TRUE(WaitUntil([&] { return sub->On(topic + "/state").size() >= 20; }, 30s)) << errors();
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

// A name server on 127.83.0.53:53 that holds every query until released, then answers that
// the name does not exist. Binding port 53 takes root.
class HeldNameServer {
  public:
    static constexpr char kAddress[] = "127.83.0.53";

    HeldNameServer() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(53);
        ::inet_pton(AF_INET, kAddress, &a.sin_addr);
        bound_ =
            fd_.Get() >= 0 && ::bind(fd_.Get(), reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    }
    bool Bound() const { return bound_; }

    // Queries come, none is answered.
    bool WaitForAQuery(std::chrono::milliseconds timeout) {
        pollfd p{fd_.Get(), POLLIN, 0};
        return ::poll(&p, 1, static_cast<int>(timeout.count())) == 1;
    }
    // Answers "no such name" to each query waiting and each that comes within `time`.
    void AnswerFor(std::chrono::milliseconds time) {
        const auto until = std::chrono::steady_clock::now() + time;
        while (std::chrono::steady_clock::now() < until) {
            if (!WaitForAQuery(50ms)) continue;
            unsigned char m[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n =
                ::recvfrom(fd_.Get(), m, sizeof m, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n < 12) continue;
            // The query itself as the answer: a response, its opcode and "recursion desired"
            // kept, recursion available, NXDOMAIN.
            m[2] = static_cast<unsigned char>(0x80 | (m[2] & 0x79));
            m[3] = 0x83;
            ::sendto(fd_.Get(), m, static_cast<std::size_t>(n), 0,
                     reinterpret_cast<sockaddr*>(&from), length);
        }
    }

  private:
    platform::UniqueFd fd_;
    bool bound_ = false;
};

// The broker's name does not resolve for as long as the test likes (the service runs in a
// mount namespace of its own whose resolv.conf names the held server) while the service ends:
// the lines received are in the daily file while it still waits for the name, not only once
// that wait is over.
TEST(ServiceMqttEnding, ABrokerNameThatResolvesSlowlyDoesNotHoldUpTheLastSave) {
    HeldNameServer names;
    if (!names.Bound()) GTEST_SKIP() << "binding port 53 takes root";
    if (std::system("unshare --user --map-root-user --mount true 2>/dev/null") != 0)
        GTEST_SKIP() << "no user and mount namespaces here";
    TempFolder folder;
    SimulatorProcess sim(folder.Path(), {"--rate", "20", "--seed", "5"});
    ASSERT_FALSE(sim.Pty().empty());
    const std::string resolv = folder.File("resolv.conf");
    Spit(resolv, std::string("nameserver ") + HeldNameServer::kAddress +
                     "\noptions timeout:30 attempts:5\n");
    const std::string ini = folder.File("hall.ini");
    // Autosave every minute: nothing is saved before the end.
    Spit(ini, "[ComPort1]\nPort=" + sim.Pty() +
                  "\n[LogFile]\nTime=1\n[MQTT]\nHost=broker.incubator.test\nName=Hall 2\n");
    ChildProcess service({"/usr/bin/unshare", "--user", "--map-root-user", "--mount", "--",
                          "/bin/sh", "-c", "mount --bind \"$0\" /etc/resolv.conf && exec \"$@\"",
                          resolv, INCUBATOR_MONITORD_PATH, "--config", ini, "--echo"},
                         folder.File("echo.txt"), folder.File("service.err"));
    const auto errors = [&] { return Slurp(folder.File("service.err")); };
    const auto echoed = [&] { return e2e::SplitEchoText(Slurp(folder.File("echo.txt"))); };
    ASSERT_TRUE(names.WaitForAQuery(20s)) << errors();
    ASSERT_TRUE(WaitUntil([&] { return echoed().size() >= 10; }, 20s)) << errors();

    service.Signal(SIGTERM);
    const auto saved = [&] {
        const std::vector<std::string> lines = e2e::ReadDailyLines(folder.File("log"));
        return !lines.empty() && lines == echoed();
    };
    std::optional<int> ended;
    WaitUntil(
        [&] {
            if (saved()) return true;
            ended = service.WaitForExit(0ms);
            return ended.has_value();
        },
        10s);
    EXPECT_FALSE(ended) << errors();
    EXPECT_TRUE(saved()) << "not saved while the service waited for the broker's name\n"
                         << errors();

    names.AnswerFor(0ms);
    WaitUntil(
        [&] {
            names.AnswerFor(100ms);
            if (!ended) ended = service.WaitForExit(0ms);
            return ended.has_value();
        },
        30s);
    EXPECT_TRUE(EndedNormally(ended)) << errors();
    EXPECT_TRUE(saved()) << errors();
}

}  // namespace
