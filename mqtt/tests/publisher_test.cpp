// The publisher against real Mosquitto brokers on 127.0.0.1, read back with mosquitto_sub.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <nlohmann/json.hpp>
#include <thread>

#include "mqtt/link.h"
#include "mqtt/publisher.h"
#include "testing/test_broker.h"

namespace {

using nlohmann::json;

mqtt::WarningSink Into(std::vector<std::string>& texts) {
    return [&texts](const Warning& w) { texts.push_back(w.text); };
}

TEST(MqttPublisher, PublishesDiscoveryStatesAlarmsAndAvailability) {
    TestBroker broker;
    Subscriber sub(broker);
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    mqtt::Publisher p(broker.ClientSettings("box"), {"m", "1", "tag"}, ui, Into(warnings));
    p.PublishAlarms({true, false, false, false, false});  // goes out at the connect
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/alarm").size() == 1; }));
    EXPECT_EQ(sub.On("incubator/box/availability"), std::vector<std::string>{"online"});

    std::vector<mqtt::Sample> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back({36 + i / 16.0, 35.5, 28.1, i % 3 ? 40 + i : -1,
                        static_cast<std::uint8_t>(i * 13), mqtt::SampleTimeNow()});
        p.PublishSample(sent.back());
        ASSERT_TRUE(Await(ui, [&] {
            return p.counters().states_sent == sent.size() && p.counters().states_in_flight == 0;
        }));
    }
    // After a quiet while, a burst larger than the library takes at once: none is lost.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (int i = 0; i < 40; ++i) {
        sent.push_back({20.0 + i, 21, 22, 50, 0, mqtt::SampleTimeNow()});
        p.PublishSample(sent.back());
    }
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/state").size() == 60; }))
        << p.counters().states_replaced;
    const auto states = sub.On("incubator/box/state");
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const json s = json::parse(states[i]);
        EXPECT_EQ(s["t1"].get<double>(), sent[i].t1);
        EXPECT_EQ(s["t3"].get<double>(), sent[i].t3);
        EXPECT_EQ(s["hm"], sent[i].hm < 0 ? json(nullptr) : json(sent[i].hm));
        EXPECT_EQ(s["outputs"], sent[i].outputs);
        EXPECT_EQ(s["time"], mqtt::FormatIso8601(sent[i].time));
    }

    p.PublishAlarms({true, false, false, false, false});  // unchanged: not sent again
    p.PublishAlarms({true, false, true, false, true});
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/alarm").size() == 2; }));
    EXPECT_EQ(json::parse(sub.On("incubator/box/alarm")[1]),
              json::parse(R"({"t1":true,"t2":false,"hm":true,"no_data":false,"port_lost":true})"));

    auto retained = RetainedMessages(broker);
    EXPECT_EQ(retained["incubator/box/availability"], "online");
    EXPECT_EQ(retained["incubator/box/alarm"], sub.On("incubator/box/alarm")[1]);
    EXPECT_EQ(std::count_if(retained.begin(), retained.end(),
                            [](const auto& m) { return m.first.starts_with("homeassistant/"); }),
              17);
    EXPECT_TRUE(retained.contains("homeassistant/sensor/box_tag_t1/config"));

    p.Stop();
    ui.RunPending();  // reports that were on their way
    EXPECT_EQ(RetainedMessages(broker)["incubator/box/availability"], "offline");
    EXPECT_TRUE(warnings.empty());
}

// Bursts of samples, published faster than the network thread turns, go out whole and in
// order: those that come while it is already woken go with the first.
TEST(MqttPublisher, BurstsOfSamplesArriveWholeAndInOrder) {
    TestBroker broker;
    Subscriber sub(broker);
    QueuedUiThread ui;
    mqtt::Publisher p(broker.ClientSettings(), {}, ui, {});
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/availability").size() == 1; }));
    constexpr int kBursts = 4, kBurst = 96;
    mqtt::Sample sample{37.5, 36.6, 28.1, 55, 2, mqtt::SampleTimeNow()};
    for (int b = 0; b < kBursts; ++b) {
        for (int i = 0; i < kBurst; ++i) {
            sample.t1 = b * kBurst + i;
            p.PublishSample(sample);
        }
        ASSERT_TRUE(Await(ui, [&] { return p.counters().states_in_flight == 0; }));
    }
    ASSERT_TRUE(
        Await(ui, [&] { return sub.On("incubator/box/state").size() == kBursts * kBurst; }));
    const auto states = sub.On("incubator/box/state");
    for (std::size_t i = 0; i < states.size(); ++i)
        EXPECT_EQ(json::parse(states[i])["t1"].get<double>(), static_cast<double>(i));
}

TEST(MqttPublisher, WillSaysOfflineWhenTheProgramDies) {
    TestBroker broker;
    Subscriber sub(broker);
    const pid_t child = ::fork();
    if (child == 0) {
        QueuedUiThread ui;
        mqtt::Publisher p(broker.ClientSettings("dying"), {}, ui, {});
        p.Start();
        ui.RunUntil([] { return false; }, std::chrono::seconds(60));
        ::_exit(0);
    }
    QueuedUiThread ui;
    const auto availability = [&] { return sub.On("incubator/dying/availability"); };
    ASSERT_TRUE(Await(ui, [&] { return availability().size() == 1; }));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ASSERT_TRUE(Await(ui, [&] { return availability().size() == 2; }));
    EXPECT_EQ(availability(), (std::vector<std::string>{"online", "offline"}));
}

TEST(MqttPublisher, StalledBrokerKeepsOnlyTheNewestState) {
    TestBroker broker;
    Subscriber sub(broker);
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    mqtt::Publisher p(broker.ClientSettings(), {}, ui, Into(warnings));
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/availability").size() == 1; }));

    broker.Signal(SIGSTOP);
    mqtt::Sample sample;
    std::size_t most_in_flight = 0;
    int published = 0;
    std::uint64_t sent = 0;
    // Until the library has written nothing out for 500 rounds: the socket is full.
    for (int stuck = 0; stuck < 500 && published < 3000000;) {
        for (int i = 0; i < 16; ++i, ++published) {
            sample.t1 = published;
            p.PublishSample(sample);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(300));
        ui.RunPending();
        const auto c = p.counters();
        most_in_flight = std::max(most_in_flight, c.states_in_flight);
        stuck = c.states_sent == sent ? stuck + 1 : 0;
        sent = c.states_sent;
    }
    EXPECT_EQ(most_in_flight, mqtt::Publisher::kMaxStatesInFlight);
    EXPECT_GT(p.counters().states_replaced, 0u);

    broker.Signal(SIGCONT);
    const auto last_t1 = [&] {
        const auto states = sub.On("incubator/box/state");
        return states.empty() ? -1.0 : json::parse(states.back())["t1"].get<double>();
    };
    EXPECT_TRUE(Await(ui, [&] { return last_t1() == sample.t1; })) << last_t1();
    EXPECT_LT(sub.On("incubator/box/state").size(), static_cast<std::size_t>(published));
    EXPECT_TRUE(warnings.empty());
}

TEST(MqttPublisher, RefusedLoginIsOneWarningAndRetried) {
    TestBroker broker({"keeper", "right"});
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    {
        mqtt::Settings wrong = broker.ClientSettings("wrong");
        wrong.password = "wrong";
        mqtt::Publisher p(wrong, {}, ui, Into(warnings));
        p.Start();
        ASSERT_TRUE(Await(ui, [&] { return p.counters().attempts_ended >= 4; }));
        EXPECT_FALSE(p.Connected());
    }
    ui.RunPending();  // reports that outlived the publisher reach nothing
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("нет прав на вход"), std::string::npos) << warnings[0];

    mqtt::Publisher right(broker.ClientSettings("right"), {}, ui, Into(warnings));
    right.Start();
    EXPECT_TRUE(Await(ui, [&] { return right.Connected(); }));
    EXPECT_EQ(warnings.size(), 1u);
}

TEST(MqttPublisher, TlsWithTheBrokersCaOnly) {
    TestBroker broker({"", "", true});
    Subscriber sub(broker);
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    mqtt::Publisher p(broker.ClientSettings(), {}, ui, Into(warnings));
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return p.Connected(); }));
    p.PublishSample({37.5, 36.6, 28, 55, 2, {}});
    ASSERT_TRUE(Await(ui, [&] { return sub.On("incubator/box/state").size() == 1; }));
    EXPECT_EQ(json::parse(sub.On("incubator/box/state")[0])["t1"], 37.5);

    // A broker whose certificate another CA signed is not talked to.
    TestBroker stranger({"", "", true});
    mqtt::Settings settings = stranger.ClientSettings("stranger");
    settings.ca_file = broker.CaFile();
    mqtt::Publisher q(settings, {}, ui, Into(warnings));
    q.Start();
    ASSERT_TRUE(Await(ui, [&] { return q.counters().attempts_ended >= 3; }));
    EXPECT_FALSE(q.Connected());
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("certificate verify failed"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find(": сертификат брокера не прошёл проверку ("), std::string::npos)
        << warnings[0];
}

}  // namespace
