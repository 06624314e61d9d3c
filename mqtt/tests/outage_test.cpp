// The broker away for 30 seconds: publishing goes on without waiting, one warning when the
// connection is lost and one when it is back, and everything is published again.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "mqtt/publisher.h"
#include "testing/test_broker.h"

namespace {

TEST(MqttOutage, BrokerAwayForThirtySeconds) {
    using Clock = std::chrono::steady_clock;
    TestBroker broker;
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    mqtt::Settings settings = broker.ClientSettings("outage");
    const mqtt::Settings defaults;  // the real back-off
    settings.reconnect_min = defaults.reconnect_min;
    settings.reconnect_max = defaults.reconnect_max;
    mqtt::Publisher p(settings, {}, ui, [&](const std::string&, const std::string& text) {
        warnings.push_back(text);
    });
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return p.Connected(); }));

    broker.Stop();
    mqtt::Sample sample{37.5, 36.6, 28, 55, 2, {}};
    int calls = 0;
    Clock::duration longest{};
    for (const auto end = Clock::now() + std::chrono::seconds(30); Clock::now() < end; ++calls) {
        const auto before = Clock::now();
        p.PublishSample(sample);
        longest = std::max(longest, Clock::now() - before);
        ui.RunUntil([] { return false; }, std::chrono::milliseconds(50));
    }
    broker.Start();
    ASSERT_TRUE(ui.RunUntil([&] { return p.Connected(); }, std::chrono::seconds(70)));
    std::printf("%d publishing calls during the outage, the longest %.1f us; %llu unsent\n", calls,
                std::chrono::duration<double, std::micro>(longest).count(),
                static_cast<unsigned long long>(p.counters().states_unsent));
    EXPECT_GT(p.counters().states_unsent, 0u);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_NE(warnings[0].find("потеряна: соединение разорвано"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[1].find("восстановлена"), std::string::npos) << warnings[1];

    // The restarted broker kept nothing: all is published again, and states flow.
    Subscriber sub(broker);
    sample.t1 = 38.25;
    p.PublishSample(sample);
    ASSERT_TRUE(Await(ui, [&] { return !sub.On("incubator/outage/state").empty(); }));
    EXPECT_EQ(nlohmann::json::parse(sub.On("incubator/outage/state")[0])["t1"], 38.25);
    auto retained = RetainedMessages(broker);
    EXPECT_EQ(retained["incubator/outage/availability"], "online");
    EXPECT_TRUE(retained.contains("homeassistant/binary_sensor/outage_port_lost/config"));
}

}  // namespace
