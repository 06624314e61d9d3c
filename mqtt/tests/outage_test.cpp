// A broker that goes away and comes back, with the real back-off (1 s after the loss, twice as
// long after each failed attempt, at most a minute) run on the test's clock: each wait between
// attempts returns when the test lets it. Publishing goes on without waiting, the loss and the
// return are one warning each, and everything is published again. The service's test keeps a
// real outage in real time.

#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <nlohmann/json.hpp>
#include <vector>

#include "mqtt/publisher.h"
#include "testing/test_broker.h"

namespace {

using namespace std::chrono_literals;

// The waits between attempts, each held until the test releases it.
class SteppedWaits {
  public:
    std::function<bool(std::chrono::milliseconds, int)> Source() {
        return [this](std::chrono::milliseconds delay, int stop_fd) {
            std::unique_lock lock(mutex_);
            asked_.push_back(delay);
            const std::size_t mine = asked_.size();
            for (;;) {
                if (released_ >= mine) return false;
                lock.unlock();
                pollfd stop{stop_fd, POLLIN, 0};
                if (::poll(&stop, 1, 5) > 0) return true;
                lock.lock();
            }
        };
    }
    std::vector<std::chrono::milliseconds> Asked() {
        std::lock_guard lock(mutex_);
        return asked_;
    }
    void Release() {
        std::lock_guard lock(mutex_);
        ++released_;
    }

  private:
    std::mutex mutex_;
    std::vector<std::chrono::milliseconds> asked_;
    std::size_t released_ = 0;
};

TEST(MqttOutage, TheBackOffDoublesUpToAMinuteAndTheOutageIsTwoWarnings) {
    using Clock = std::chrono::steady_clock;
    TestBroker broker;
    QueuedUiThread ui;
    std::vector<std::string> warnings;
    SteppedWaits waits;
    mqtt::Settings settings = broker.ClientSettings("outage");
    const mqtt::Settings defaults;  // the real back-off
    settings.reconnect_min = defaults.reconnect_min;
    settings.reconnect_max = defaults.reconnect_max;
    settings.wait_between_attempts = waits.Source();
    mqtt::Publisher p(settings, {}, ui, [&](const Warning& w) { warnings.push_back(w.text); });
    p.Start();
    ASSERT_TRUE(Await(ui, [&] { return p.Connected(); }));

    broker.Stop();
    mqtt::Sample sample{37.5, 36.6, 28, 55, 2, {}};
    Clock::duration longest{};
    // The loss and seven refused attempts, each followed by its wait.
    const std::vector<std::chrono::milliseconds> expected = {1s, 2s, 4s, 8s, 16s, 32s, 60s, 60s};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        ASSERT_TRUE(Await(ui, [&] { return waits.Asked().size() == i + 1; })) << i;
        const auto before = Clock::now();
        p.PublishSample(sample);
        longest = std::max(longest, Clock::now() - before);
        if (i + 1 < expected.size()) waits.Release();
    }
    EXPECT_EQ(waits.Asked(), expected);
    std::printf("the longest publishing call during the outage: %.1f us; %llu unsent\n",
                std::chrono::duration<double, std::micro>(longest).count(),
                static_cast<unsigned long long>(p.counters().states_unsent));
    EXPECT_GT(p.counters().states_unsent, 0u);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("потеряна: соединение разорвано"), std::string::npos) << warnings[0];

    broker.Start();
    waits.Release();
    ASSERT_TRUE(Await(ui, [&] { return p.Connected(); }));
    ASSERT_EQ(warnings.size(), 2u);
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
