// Timers of the poll loop against the Timer contract, on the real monotonic clock. Times are
// only checked from below (a tick is never early), never for speed.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/poll_loop.h"
#include "platform/posix/tests/loop_fixture.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using platform::PollLoop;
using platform::Timer;

std::unique_ptr<Timer> MakeTimer(PollLoop& loop, std::uint32_t ms, Timer::TickHandler handler) {
    auto t = loop.CreateTimer();
    t->SetInterval(ms);
    t->SetTickHandler(std::move(handler));
    return t;
}

TEST(LoopTimer, TicksOnTheLoopThreadNeverEarlyUntilStoppedAndFollowsTheIntervalRules) {
    PollLoop loop;
    std::vector<Clock::duration> ticks_after;
    std::vector<std::thread::id> threads;
    Clock::time_point started;
    std::unique_ptr<Timer> timer;
    timer = MakeTimer(loop, 0, [&] {
        ticks_after.push_back(Clock::now() - started);
        threads.push_back(std::this_thread::get_id());
        if (ticks_after.size() == 3) timer->Stop();
    });
    EXPECT_FALSE(timer->Start());
    EXPECT_FALSE(timer->SetEnabled(true));
    EXPECT_FALSE(timer->IsActive());

    timer->SetInterval(20);
    started = Clock::now();
    EXPECT_TRUE(timer->Start());
    ASSERT_TRUE(RunUntil(loop, [&] { return ticks_after.size() == 3; }));
    RunFor(loop, 60ms);
    ASSERT_EQ(ticks_after.size(), 3u);
    EXPECT_FALSE(timer->IsActive());
    for (std::size_t i = 0; i < ticks_after.size(); ++i) {
        EXPECT_GE(ticks_after[i], 20ms * static_cast<int>(i + 1)) << "tick " << i;
        EXPECT_EQ(threads[i], std::this_thread::get_id());
    }

    // Enabling a running timer leaves it counting; Start counts a whole interval from now.
    timer->SetTickHandler([&] {
        ticks_after.push_back(Clock::now() - started);
        timer->Stop();
    });
    timer->SetInterval(60);
    ticks_after.clear();
    started = Clock::now();
    timer->Start();
    std::this_thread::sleep_for(30ms);
    EXPECT_TRUE(timer->SetEnabled(true));
    ASSERT_TRUE(RunUntil(loop, [&] { return ticks_after.size() == 1; }));
    EXPECT_GE(ticks_after[0], 60ms);

    const auto restarted = Clock::now();
    timer->Start();
    ASSERT_TRUE(RunUntil(loop, [&] { return ticks_after.size() == 2; }));
    EXPECT_GE(ticks_after[1] - (restarted - started), 60ms);

    timer->Start();
    timer->SetInterval(0);
    EXPECT_FALSE(timer->IsActive());
    EXPECT_EQ(timer->Interval(), 0u);
}

TEST(LoopTimer, AHandlerMayStopRestartReintervalReplaceOrDestroyItsOwnTimer) {
    PollLoop loop;

    int stop_ticks = 0;
    std::unique_ptr<Timer> stops;
    stops = MakeTimer(loop, 2, [&] {
        ++stop_ticks;
        stops->Stop();
    });
    stops->Start();

    int destroy_ticks = 0;
    std::unique_ptr<Timer> destroys;
    destroys = MakeTimer(loop, 2, [&] {
        ++destroy_ticks;
        destroys.reset();
    });
    destroys->Start();

    int zero_ticks = 0;
    std::unique_ptr<Timer> zeroes;
    zeroes = MakeTimer(loop, 2, [&] {
        ++zero_ticks;
        zeroes->SetInterval(0);
    });
    zeroes->Start();

    // The running handler owns heap data that it reads after replacing itself: replaced in
    // place, it would read freed memory.
    std::vector<std::string> replace_log;
    std::unique_ptr<Timer> replaces;
    replaces = MakeTimer(loop, 2, [&, tag = std::string(64, 'o')] {
        replaces->SetTickHandler([&] {
            replace_log.push_back("new");
            replaces->Stop();
        });
        replace_log.push_back(tag.substr(0, 3));
    });
    replaces->Start();

    // Re-interval and restart from inside: the next tick counts from that tick.
    std::vector<Clock::time_point> slow_ticks;
    std::unique_ptr<Timer> slows;
    slows = MakeTimer(loop, 2, [&] {
        slow_ticks.push_back(Clock::now());
        if (slow_ticks.size() == 1) slows->SetInterval(40);
        if (slow_ticks.size() == 2) slows->Start();
        if (slow_ticks.size() == 3) slows->Stop();
    });
    slows->Start();

    ASSERT_TRUE(RunUntil(loop, [&] { return slow_ticks.size() == 3; }));
    RunFor(loop, 20ms);
    EXPECT_EQ(stop_ticks, 1);
    EXPECT_FALSE(stops->IsActive());
    EXPECT_EQ(destroy_ticks, 1);
    EXPECT_FALSE(destroys);
    EXPECT_EQ(zero_ticks, 1);
    EXPECT_FALSE(zeroes->IsActive());
    EXPECT_EQ(replace_log, (std::vector<std::string>{"ooo", "new"}));
    ASSERT_EQ(slow_ticks.size(), 3u);
    EXPECT_GE(slow_ticks[1] - slow_ticks[0], 40ms);
    EXPECT_GE(slow_ticks[2] - slow_ticks[1], 40ms);
}

TEST(LoopTimer, DueTimersFireInDueOrderOnceEachAfterAStallAndMayDestroyEachOther) {
    PollLoop loop;
    std::string order;
    std::unique_ptr<Timer> a, b, c;
    a = MakeTimer(loop, 10, [&] { order += 'a'; });
    b = MakeTimer(loop, 10, [&] { order += 'b'; });
    c = MakeTimer(loop, 10, [&] {
        order += 'c';
        b.reset();  // due in this very round, after c
    });
    c->Start();
    b->Start();
    a->Start();
    // The loop is held up past all three due times and a few periods more.
    Clock::time_point stall_end;
    loop.post([&] {
        std::this_thread::sleep_for(55ms);
        stall_end = Clock::now();
    });
    std::vector<Clock::time_point> a_ticks;
    a->SetTickHandler([&] {
        order += 'a';
        a_ticks.push_back(Clock::now());
    });
    ASSERT_TRUE(RunUntil(loop, [&] { return a_ticks.size() >= 3; }));
    ASSERT_GE(order.size(), 2u);
    EXPECT_EQ(order.substr(0, 2), "ca");
    EXPECT_EQ(order.find('b'), std::string::npos);
    // No burst of catch-up ticks: one late tick, the next a whole interval later.
    EXPECT_GE(a_ticks[0], stall_end);
    EXPECT_GE(a_ticks[1] - stall_end, 10ms);
}

TEST(LoopTimer, ATimerMayOutliveItsLoopAndAThrowingTickIsReported) {
    std::unique_ptr<Timer> survivor;
    {
        PollLoop loop;
        std::vector<std::string> reported;
        ReportErrorsInto(loop, reported);
        int ticks = 0;
        survivor = MakeTimer(loop, 2, [&] {
            if (++ticks == 1) throw std::runtime_error("tick failed");
        });
        survivor->Start();
        ASSERT_TRUE(RunUntil(loop, [&] { return ticks >= 3; }));
        EXPECT_EQ(reported, (std::vector<std::string>{"tick failed"}));
        survivor->SetTickHandler(nullptr);
    }
    survivor->SetInterval(5);
    EXPECT_TRUE(survivor->IsActive());
    survivor->Stop();
    EXPECT_FALSE(survivor->IsActive());
}

}  // namespace
