#include "platform/doubles/virtual_clock.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using platform::Timer;
using platform::VirtualClock;

struct Fired {
    std::string name;
    std::uint64_t at;
    bool operator==(const Fired&) const = default;
};

std::unique_ptr<Timer> MakeTimer(VirtualClock& clock, std::uint32_t ms, std::string name,
                                 std::vector<Fired>& log) {
    auto t = clock.CreateTimer();
    t->SetInterval(ms);
    t->SetTickHandler([&clock, &log, name] { log.push_back({name, clock.Now()}); });
    return t;
}

TEST(VirtualClockTest, FiresEveryDueTickInOrderEachAtItsOwnTime) {
    VirtualClock clock;
    std::vector<Fired> log;
    auto a = MakeTimer(clock, 300, "a", log);
    auto b = MakeTimer(clock, 500, "b", log);
    auto c = MakeTimer(clock, 500, "c", log);  // due with b, scheduled after it
    c->Start();
    b->Start();
    a->Start();

    EXPECT_EQ(clock.Advance(999), 5u);
    EXPECT_EQ(log,
              (std::vector<Fired>{{"a", 300}, {"c", 500}, {"b", 500}, {"a", 600}, {"a", 900}}));
    EXPECT_EQ(clock.Now(), 999u);
    log.clear();
    clock.Advance(1);
    EXPECT_EQ(log, (std::vector<Fired>{{"c", 1000}, {"b", 1000}}));
    EXPECT_EQ(clock.ActiveTimers(), 3u);
}

TEST(VirtualClockTest, HandlersRescheduleStartAndStopTimersDuringAnAdvance) {
    VirtualClock clock;
    std::vector<Fired> log;
    auto slow = MakeTimer(clock, 100, "slow", log);
    auto fast = MakeTimer(clock, 50, "fast", log);
    int slow_ticks = 0;
    slow->SetTickHandler([&] {
        log.push_back({"slow", clock.Now()});
        if (++slow_ticks == 1) {
            slow->SetInterval(250);  // next at 100 + 250
            fast->Start();           // from 100: 150, 200, ...
        }
    });
    fast->SetTickHandler([&] {
        log.push_back({"fast", clock.Now()});
        if (clock.Now() >= 200) fast->Stop();
    });
    slow->Start();

    clock.Advance(600);
    EXPECT_EQ(log, (std::vector<Fired>{
                       {"slow", 100}, {"fast", 150}, {"fast", 200}, {"slow", 350}, {"slow", 600}}));
    EXPECT_FALSE(fast->IsActive());
}

TEST(VirtualClockTest, TimerDestroyedInItsOwnTickOrBeforeTheClock) {
    VirtualClock clock;
    auto doomed = clock.CreateTimer();
    int ticks = 0;
    doomed->SetInterval(10);
    doomed->SetTickHandler([&] {
        ++ticks;
        doomed.reset();
    });
    doomed->Start();
    clock.Advance(100);
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(clock.ActiveTimers(), 0u);

    // A timer that outlives its clock may still be used and destroyed.
    std::unique_ptr<Timer> survivor;
    {
        VirtualClock short_lived;
        survivor = short_lived.CreateTimer();
        survivor->SetInterval(5);
        survivor->Start();
    }
    survivor->Stop();
    EXPECT_FALSE(survivor->IsActive());
}

TEST(VirtualClockTest, IntervalAndEnabledRules) {
    VirtualClock clock;
    std::vector<Fired> log;
    auto t = MakeTimer(clock, 0, "t", log);
    EXPECT_FALSE(t->Start());
    EXPECT_FALSE(t->SetEnabled(true));
    EXPECT_FALSE(t->IsActive());

    t->SetInterval(100);
    EXPECT_TRUE(t->SetEnabled(true));
    clock.Advance(60);
    EXPECT_TRUE(t->SetEnabled(true));  // enabling a running timer does not restart it
    clock.Advance(40);
    EXPECT_EQ(log, (std::vector<Fired>{{"t", 100}}));

    clock.Advance(60);
    t->Start();  // Start does restart: next at 260
    clock.Advance(99);
    EXPECT_EQ(log.size(), 1u);
    clock.Advance(1);
    EXPECT_EQ(log.back(), (Fired{"t", 260}));

    t->SetInterval(0);
    EXPECT_FALSE(t->IsActive());
    clock.Advance(1000);
    EXPECT_EQ(log.size(), 2u);
}

TEST(VirtualClockTest, AdvancingFromATickIsRefused) {
    VirtualClock clock;
    auto t = clock.CreateTimer();
    t->SetInterval(10);
    t->SetTickHandler([&] { clock.Advance(5); });
    t->Start();
    EXPECT_THROW(clock.Advance(10), std::logic_error);
    t->Stop();
    EXPECT_EQ(clock.Advance(10), 0u);  // usable again afterwards
}

}  // namespace
