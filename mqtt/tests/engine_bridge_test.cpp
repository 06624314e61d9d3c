// The feed on an engine fed packets through the in-memory serial device, publishing to a real
// Mosquitto broker read back with mosquitto_sub.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "engine/monitor_engine.h"
#include "engine/port_reopener.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/tests/packet_bytes.h"
#include "mqtt/discovery.h"
#include "mqtt/engine_bridge.h"
#include "mqtt/mqtt_feed.h"
#include "mqtt/publisher.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/virtual_clock.h"
#include "testing/test_broker.h"

namespace {

using namespace std::chrono_literals;
using nlohmann::json;
using test_packets::Eight;
using test_packets::Nine;

// Central European time, with summer time: the offset depends on the sample's date.
constexpr char kZone[] = "CET-1CEST,M3.5.0,M10.5.0/3";

class Front : public EngineFrontEnd {
  public:
    void SampleDecoded(const TelemetrySample& sample) override { samples.push_back(sample); }
    void DisplayStartsAfresh() override {}
    void Warn(const Warning& w) override { warnings.push_back(w.title + "|" + w.text); }
    void PortStartedChanged(bool) override {}

    std::vector<TelemetrySample> samples;
    std::vector<std::string> warnings;

  private:
};

class MqttFeedTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        ::setenv("TZ", kZone, 1);
        ::tzset();
    }

    MqttFeedTest() {
        engine_ = std::make_unique<MonitorEngine>(
            EngineServices{.timers = clock_,
                           .serial = backend_,
                           .logic_thread = ui_,
                           .files = statistics::RealFileSystem(),
                           .log_dir = folder_.File("log"),
                           .now = [this] { return SystemTimeOf(stamp_); },
                           .echo_line = {},
                           .program = "test",
                           .title = "test"},
            front_);
        engine_->ConfigurePort([](TCustomSerialPort& port) { port.SetPort("COM7"); });
    }

    // The configuration file "hatch-1.ini" with [MQTT] on the test's broker, then `more`.
    std::string Configure(const std::string& more = "") {
        const std::string path = folder_.File("hatch-1.ini");
        Spit(path, "[MQTT]\nHost=127.0.0.1\nPort=" + std::to_string(broker_.Port()) + "\n" + more);
        return path;
    }

    // Changes the engine's settings as the programs do.
    template <typename F>
    void ApplySettings(F change) {
        EngineSettings settings = engine_->Settings();
        change(settings);
        engine_->ApplySettings(settings);
    }

    // Starts the feed and the port, and waits for the broker to hear of it.
    void StartFeed(const std::string& more = "") {
        feed_ = std::make_unique<mqtt::MqttFeed>(
            Configure(more), *engine_, ui_,
            [this](const Warning& w) { warnings_.push_back(w.title + "|" + w.text); }, "9.8.7");
        engine_->Start();
        ASSERT_TRUE(engine_->Port().Connected());
        ASSERT_TRUE(Await(ui_, [&] { return !sub_.On(kTopic + "/availability").empty(); }));
    }

    // Bytes arrive; returns once the engine has taken them and the line has been silent until
    // the receive reset (a packet whose readings jump waits for what follows it).
    void Receive(const test_packets::Bytes& bytes) {
        line_->Feed(bytes, std::chrono::milliseconds(clock_.Now()));
        ASSERT_TRUE(ui_.RunUntil([&] { return line_->Snapshot().input_queued == 0; }, 5s));
        clock_.Advance(MonitorEngine::kAssemblyTimeoutMs);
    }

    std::vector<json> Published(const std::string& what) {
        std::vector<json> out;
        for (const std::string& payload : sub_.On(kTopic + "/" + what))
            out.push_back(json::parse(payload));
        return out;
    }
    bool AwaitCount(const std::string& what, std::size_t n) {
        return Await(ui_, [&] { return sub_.On(kTopic + "/" + what).size() >= n; });
    }
    // The alarm message last published, once it is `expected`.
    bool AwaitAlarm(const json& expected) {
        return Await(ui_, [&] {
            const auto alarms = sub_.On(kTopic + "/alarm");
            return !alarms.empty() && json::parse(alarms.back()) == expected;
        });
    }
    static json Alarm(bool t1, bool t2, bool hm, bool no_data, bool port_lost) {
        return {{"t1", t1}, {"t2", t2}, {"hm", hm}, {"no_data", no_data}, {"port_lost", port_lost}};
    }

    // The default topic and the discovery ids carry this machine's tag.
    const std::string kId = "hatch-1_" + mqtt::MachineTag();
    const std::string kTopic = "incubator/" + kId;
    TestBroker broker_;
    Subscriber sub_{broker_};
    TempFolder folder_;
    platform::VirtualClock clock_;
    FakeSerialBackend backend_;
    std::shared_ptr<FakeSerialLine> line_ = backend_.AddPort("COM7");
    QueuedUiThread ui_;
    Front front_;
    LocalDateTime stamp_{2026, 7, 1, 12, 0, 0};
    std::vector<std::string> warnings_;
    std::unique_ptr<MonitorEngine> engine_;
    std::unique_ptr<mqtt::MqttFeed> feed_;  // ends before the engine
};

TEST_F(MqttFeedTest, StatesAreTheDecodedSamplesWithTheirTimeAndOffset) {
    // What an earlier version left where it published without the machine tag.
    for (const char* topic :
         {"homeassistant/sensor/hatch-1_t1/config",
          "homeassistant/binary_sensor/hatch-1_port_lost/config", "incubator/hatch-1/availability"})
        PublishRetained(broker_, topic, "old");
    StartFeed();
    ApplySettings([](EngineSettings& s) { s.SHT10 = true; });
    // T1 37.5, T2 36.625 rounded to 36.6, T3 28.0, HM 55, outputs 8 and 2.
    Receive(Nine(0x82, 600, 586, 280, 55));
    ASSERT_TRUE(AwaitCount("state", 1));
    EXPECT_EQ(Published("state")[0],
              json::parse(R"({"t1":37.5,"t2":36.6,"t3":28,"hm":55,"outputs":130,)"
                          R"("time":"2026-07-01T12:00:00+02:00"})"));

    // Winter time, both layouts, rounding off, and a humidity the table has none for.
    stamp_ = {2027, 1, 15, 23, 59, 50};
    for (unsigned i = 0; i < 6; ++i) {
        Receive(Nine(static_cast<std::uint8_t>(1u << i), 560 + i * 7, 590 - i, 300 + i, 40 + i));
        ++stamp_.second;
    }
    ApplySettings([](EngineSettings& s) {
        s.SHT10 = false;
        s.Okruglenie = false;
    });
    Receive(Eight(0xFF, 603, 577, 160));
    Receive(Eight(0x00, 598, 590, 500));
    ASSERT_EQ(front_.samples.size(), 9u);
    ASSERT_EQ(front_.samples[7].values.hm, -1) << "the test needs a sample without humidity";

    ASSERT_TRUE(AwaitCount("state", 9));
    const std::vector<json> states = Published("state");
    ASSERT_EQ(states.size(), 9u);
    for (std::size_t i = 0; i < states.size(); ++i) {
        const DecodedSample& v = front_.samples[i].values;
        const json& s = states[i];
        EXPECT_EQ(s["t1"].get<double>(), v.t1) << i;
        EXPECT_EQ(s["t2"].get<double>(), v.t2) << i;
        EXPECT_EQ(s["t3"].get<double>(), v.t3) << i;
        EXPECT_EQ(s["hm"], v.hm < 0 ? json(nullptr) : json(v.hm)) << i;
        EXPECT_EQ(s["outputs"], v.outputs) << i;
    }
    EXPECT_EQ(states[1]["time"], "2027-01-15T23:59:50+01:00");
    EXPECT_EQ(states[6]["time"], "2027-01-15T23:59:55+01:00");
    EXPECT_EQ(states[7]["outputs"], 255);
    EXPECT_EQ(states[8]["t1"], 37.375);  // unrounded sixteenths

    // The device is this program's, named after the configuration file.
    const auto retained = RetainedMessages(broker_);
    ASSERT_TRUE(retained.contains("homeassistant/sensor/" + kId + "_t1/config"));
    const json device =
        json::parse(retained.at("homeassistant/sensor/" + kId + "_t1/config"))["device"];
    EXPECT_EQ(device["model"], "Incubator controller");
    EXPECT_EQ(device["sw_version"], "9.8.7");
    EXPECT_EQ(device["name"], "hatch-1");
    // Cleared, so that Home Assistant takes the configs under the new ids.
    EXPECT_FALSE(retained.contains("homeassistant/sensor/hatch-1_t1/config"));
    EXPECT_FALSE(retained.contains("homeassistant/binary_sensor/hatch-1_port_lost/config"));
    EXPECT_FALSE(retained.contains("incubator/hatch-1/availability"));
    EXPECT_TRUE(warnings_.empty());
}

TEST_F(MqttFeedTest, AlarmsFollowTheFlagsAndTheAlarmSwitches) {
    ApplySettings([](EngineSettings& s) {
        s.SignalOffData = true;
        s.T2_enable = false;
    });
    StartFeed();
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, false, false)));

    Receive(Eight(0, 640, 590, 500));  // T1 40.0: above its limit
    ASSERT_TRUE(AwaitAlarm(Alarm(true, false, false, false, false)));
    Receive(Eight(0, 600, 640, 500));  // T2 too, whose alarm is switched off
    ASSERT_TRUE(engine_->Alarms().AlarmT2);
    ASSERT_TRUE(AwaitCount("state", 2));
    engine_->Acknowledge(AlarmChannel::T1);
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, false, false)));
    EXPECT_EQ(Published("alarm").size(), 3u) << "T2 read true while switched off";

    // Switched on, the latched flag shows.
    ApplySettings([](EngineSettings& s) { s.T2_enable = true; });
    Receive(Eight(0, 600, 590, 500));
    ASSERT_TRUE(AwaitAlarm(Alarm(false, true, false, false, false)));
    engine_->AcknowledgeAll();

    // Silence: the watchdog's warning, until a sample comes.
    clock_.Advance(MonitorEngine::kNoDataMs);
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, true, false)));
    Receive(Eight(0, 600, 590, 500));
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, false, false)));

    // The adapter pulled out and put back.
    line_->Unplug();
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, false, true)));
    line_->PlugIn();
    clock_.Advance(PortReopener::kRetryMs);
    ASSERT_TRUE(engine_->Port().Connected());
    // The watchdog warned meanwhile.
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, true, false)));
    Receive(Eight(0, 600, 590, 500));
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, false, false, false)));

    // The broker keeps the last one for whoever subscribes later.
    EXPECT_EQ(json::parse(RetainedMessages(broker_)[kTopic + "/alarm"]),
              Alarm(false, false, false, false, false));
}

TEST_F(MqttFeedTest, StopSaysOfflineAndNoLongerFollowsTheEngine) {
    // A flag raised before the feed began is there at the connect: a humidity of 95 %.
    ApplySettings([](EngineSettings& s) { s.SHT10 = true; });
    engine_->DecodePacket(Nine(0, 600, 590, 280, 95));
    ApplySettings([](EngineSettings& s) { s.SHT10 = false; });
    ASSERT_TRUE(engine_->Alarms().AlarmHM);
    front_.samples.clear();
    StartFeed("Name=Инкубатор 2\nTopic=" + kTopic + "\n");
    ASSERT_TRUE(AwaitAlarm(Alarm(false, false, true, false, false)));
    ASSERT_TRUE(RetainedMessages(broker_).contains("homeassistant/sensor/Inkubator_2_" +
                                                   mqtt::MachineTag() + "_t1/config"));
    Receive(Eight(0, 600, 590, 500));
    ASSERT_TRUE(AwaitCount("state", 1));

    feed_->Stop();
    EXPECT_EQ(RetainedMessages(broker_)[kTopic + "/availability"], "offline");
    const mqtt::Publisher::Counters before = feed_->publisher()->counters();
    Receive(Eight(0, 640, 590, 500));
    ui_.RunPending();
    const mqtt::Publisher::Counters after = feed_->publisher()->counters();
    EXPECT_EQ(after.states_sent + after.states_unsent, before.states_sent + before.states_unsent);
    EXPECT_EQ(front_.samples.size(), 2u);
    EXPECT_EQ(sub_.On(kTopic + "/availability"), (std::vector<std::string>{"online", "offline"}));
}

// A stamp takes the offset of the moment it names, also in the hour that the change back
// from summer time repeats; other stamps take their own date's.
TEST(SampleOf, TakesTheOffsetOfTheMomentTheStampNames) {
    ::setenv("TZ", kZone, 1);
    ::tzset();
    // 2026-10-25 01:30:00 UTC is 02:30 CET, the second 02:30 of that night.
    const SystemTime second_half_past_two = std::chrono::system_clock::from_time_t(1792891800);
    auto published = [](SystemTime stamp) {
        TelemetrySample sample;
        sample.stamp = stamp;
        return mqtt::FormatIso8601(mqtt::SampleOf(sample).time);
    };
    EXPECT_EQ(published(second_half_past_two), "2026-10-25T02:30:00+01:00");
    EXPECT_EQ(published(second_half_past_two - std::chrono::hours(1)), "2026-10-25T02:30:00+02:00");
    EXPECT_EQ(published(SystemTimeOf({2026, 7, 1, 12, 0, 0})), "2026-07-01T12:00:00+02:00");
    EXPECT_EQ(published(SystemTimeOf({2026, 12, 1, 12, 0, 0})), "2026-12-01T12:00:00+01:00");
}

}  // namespace
