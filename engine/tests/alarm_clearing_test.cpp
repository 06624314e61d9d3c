// The latched alarm flags in an engine that clears them when a sample is back inside the
// limits (the service), against one that keeps them until acknowledged (the window).
#include <gtest/gtest.h>

#include <vector>

#include "engine/monitor_engine.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "engine/tests/packet_bytes.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"

namespace {

using test_packets::Nine;

class CountingFront : public EngineFrontEnd {
  public:
    void SampleDecoded(const TelemetrySample&) override {}
    void DisplayStartsAfresh() override {}
    void Warn(const Warning&) override {}
    void PortStartedChanged(bool) override {}
};

class FlagLog : public EngineListener {
  public:
    void AlarmsChanged(const AlarmReport& a) override {
        changes.push_back({a.t1, a.t2, a.hm, a.no_data});
    }
    std::vector<AlarmFlags> changes;
};

// Sixteenths of a degree.
constexpr unsigned Degrees(double d) {
    return static_cast<unsigned>(d * 16);
}

class AlarmClearing : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override {
        engine_ = std::make_unique<MonitorEngine>(
            EngineServices{.timers = clock_,
                           .serial = serial_,
                           .logic_thread = ui_thread_,
                           .files = statistics::RealFileSystem(),
                           .log_dir = folder_ / "log",
                           .echo_line = {}},
            front_, EngineOptions{.clear_alarms_when_back_inside = GetParam()});
        EngineSettings settings;
        settings.SHT10 = true;
        engine_->ApplySettings(settings);
        log_subscription_ = engine_->AddListener(log_);
    }
    void Decode(double t1, double t2, std::uint8_t hm) {
        engine_->DecodePacket(Nine(0, Degrees(t1), Degrees(t2), 300, hm));
    }
    const AlarmFlags& Flags() const { return engine_->Alarms(); }

    TempFolder folder_;
    platform::VirtualClock clock_;
    FakeSerialBackend serial_;
    QueuedUiThread ui_thread_;
    CountingFront front_;
    FlagLog log_;
    std::unique_ptr<MonitorEngine> engine_;
    EngineSubscription log_subscription_;  // may outlive the engine
};

TEST_P(AlarmClearing, AFlagClearsWhenItsOwnChannelIsBackInsideOnlyWhereNobodyAcknowledges) {
    const bool clears = GetParam();
    // Limits 35.0..39.0 and 30..90 %, both bounds alarming.
    Decode(39.0, 37.5, 55);
    Decode(37.5, 34.0, 95);
    EXPECT_TRUE(Flags().AlarmT2);
    EXPECT_TRUE(Flags().AlarmHM);
    EXPECT_EQ(Flags().AlarmT1, !clears) << "T1 came back inside with the second sample";

    // T2 and the humidity back inside; T1 out again.
    Decode(40.0, 37.5, 50);
    EXPECT_TRUE(Flags().AlarmT1);
    EXPECT_EQ(Flags().AlarmT2, !clears);
    EXPECT_EQ(Flags().AlarmHM, !clears);

    // A limit moved over the value: the same reading is now inside.
    AlarmLimits wider = engine_->Limits();
    wider.LimitT1Hi = 410;
    engine_->SetLimits(wider);
    Decode(40.0, 37.5, 50);
    EXPECT_EQ(Flags().AlarmT1, !clears);

    // The listeners heard each change as it happened.
    ASSERT_FALSE(log_.changes.empty());
    EXPECT_EQ(log_.changes.back(), Flags());
    if (clears) {
        ASSERT_EQ(log_.changes.size(), 4u);
        EXPECT_EQ(log_.changes[0], (AlarmFlags{true, false, false, false}));
        EXPECT_EQ(log_.changes[1], (AlarmFlags{false, true, true, false}));
        EXPECT_EQ(log_.changes[2], (AlarmFlags{true, false, false, false}));
        EXPECT_EQ(log_.changes[3], (AlarmFlags{}));
    } else {
        // Only an acknowledgement clears them.
        engine_->AcknowledgeAll();
        EXPECT_EQ(Flags(), AlarmFlags{});
    }
}

INSTANTIATE_TEST_SUITE_P(Engine, AlarmClearing, ::testing::Values(true, false),
                         [](const auto& info) {
                             return std::string(info.param ? "ClearsWhenBackInside" : "Latches");
                         });

}  // namespace
