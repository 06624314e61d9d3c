#include "tray/simple_timer.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/doubles/virtual_clock.h"

namespace {

class SimpleTimerTest : public ::testing::Test {
  protected:
    platform::VirtualClock clock;
    std::vector<std::uint64_t> ticks;
    TSimpleTimer timer{clock, 1000, [this](TSimpleTimer& sender) {
                           EXPECT_EQ(&sender, &timer);
                           ticks.push_back(clock.Now());
                       }};
};

TEST_F(SimpleTimerTest, AnIntervalOfZeroRefusesToStart) {
    timer.SetInterval(0);
    EXPECT_FALSE(timer.Start());
    timer.SetEnabled(true);
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(clock.ActiveTimers(), 0u);
}

TEST_F(SimpleTimerTest, TicksOnItsIntervalUntilStopped) {
    EXPECT_FALSE(timer.Enabled());
    EXPECT_TRUE(timer.Start());
    clock.Advance(2500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000, 2000}));
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    clock.Advance(5000);
    EXPECT_EQ(ticks.size(), 2u);
}

TEST_F(SimpleTimerTest, ChangingTheIntervalOfARunningTimerRestartsIt) {
    timer.SetEnabled(true);
    clock.Advance(600);
    timer.SetInterval(800);
    clock.Advance(800);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1400}));

    // The same value is no change and does not restart.
    clock.Advance(300);
    timer.SetInterval(800);
    clock.Advance(500);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1400, 2200}));
}

TEST_F(SimpleTimerTest, IntervalZeroWhileEnabledStopsThePlatformTimerButKeepsEnabled) {
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_FALSE(timer.Running());
    clock.Advance(5000);
    EXPECT_TRUE(ticks.empty());

    timer.SetInterval(200);  // runs again, counted from now
    clock.Advance(200);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{5200}));
}

TEST_F(SimpleTimerTest, RemovingTheHandlerWhileEnabledStopsThePlatformTimerButKeepsEnabled) {
    timer.SetEnabled(true);
    clock.Advance(500);
    timer.SetOnTimer(nullptr);
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(clock.ActiveTimers(), 0u);

    int later = 0;
    timer.SetOnTimer([&](TSimpleTimer&) { ++later; });  // Enabled was kept: it runs again
    clock.Advance(1000);
    EXPECT_EQ(later, 1);
    EXPECT_TRUE(ticks.empty());
}

TEST_F(SimpleTimerTest, AutoDisableFiresOnceAndClearsEnabledBeforeTheHandler) {
    bool enabled_in_handler = true;
    timer.SetOnTimer([&](TSimpleTimer& t) {
        enabled_in_handler = t.Enabled();
        ticks.push_back(clock.Now());
    });
    timer.SetAutoDisable(true);
    timer.Start();
    clock.Advance(5000);
    EXPECT_EQ(ticks, (std::vector<std::uint64_t>{1000}));
    EXPECT_FALSE(enabled_in_handler);
    EXPECT_FALSE(timer.Enabled());
}

}  // namespace
