// A listener's subscription: it ends when its holder lets it go (also by an exception), a
// listener may end another's while both are being told, and a subscription may outlive its
// engine.
#include "engine/engine_subscription.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>

#include "engine/engine_listener.h"
#include "engine/monitor_engine.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/tests/temp_folder.h"
#include "engine/tests/packet_bytes.h"
#include "platform/doubles/fake_serial_device.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/doubles/virtual_clock.h"

namespace {

class SilentFront : public EngineFrontEnd {
  public:
    void SampleDecoded(const TelemetrySample&) override {}
    void DisplayStartsAfresh() override {}
    void Warn(const Warning&) override {}
    void PortStartedChanged(bool) override {}
};

class CountingListener : public EngineListener {
  public:
    void SampleReceived(const TelemetrySample&) override {
        ++samples;
        if (on_sample) on_sample();
    }
    int samples = 0;
    std::function<void()> on_sample;
};

class Subscriptions : public ::testing::Test {
  protected:
    void Decode() { engine_->DecodePacket(test_packets::Eight(0, 600, 586, 456)); }

    TempFolder folder_;
    platform::VirtualClock clock_;
    FakeSerialBackend serial_;
    QueuedUiThread thread_;
    SilentFront front_;
    std::unique_ptr<MonitorEngine> engine_ =
        std::make_unique<MonitorEngine>(EngineServices{.timers = clock_,
                                                       .serial = serial_,
                                                       .logic_thread = thread_,
                                                       .files = statistics::RealFileSystem(),
                                                       .log_dir = folder_ / "log",
                                                       .echo_line = {}},
                                        front_);
};

TEST_F(Subscriptions, AListenerHearsWhileItsSubscriptionLastsAndOnlyOnceAMove) {
    CountingListener listener;
    {
        EngineSubscription held = engine_->AddListener(listener);
        Decode();
        EngineSubscription moved = std::move(held);
        held.Reset();  // the moved-from one holds nothing
        Decode();
        EXPECT_TRUE(moved.Active());
    }
    Decode();
    EXPECT_EQ(listener.samples, 2);

    // An exception unwinding past the holder ends it too.
    try {
        EngineSubscription held = engine_->AddListener(listener);
        throw std::runtime_error("start-up failed");
    } catch (const std::runtime_error&) {
    }
    Decode();
    EXPECT_EQ(listener.samples, 2);
}

TEST_F(Subscriptions, AListenerEndingAnothersWhileBothAreToldLeavesItUntold) {
    CountingListener first;
    CountingListener second;
    EngineSubscription first_held = engine_->AddListener(first);
    std::optional<EngineSubscription> second_held = engine_->AddListener(second);
    first.on_sample = [&] { second_held.reset(); };
    Decode();
    EXPECT_EQ(first.samples, 1);
    EXPECT_EQ(second.samples, 0);
}

TEST_F(Subscriptions, ASubscriptionOutlivingItsEngineHasNothingToLeave) {
    CountingListener listener;
    EngineSubscription held = engine_->AddListener(listener);
    engine_.reset();
    EXPECT_FALSE(held.Active());
    held.Reset();
}

}  // namespace
