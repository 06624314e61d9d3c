// The poll loop's posted steps, hand-overs from other threads, descriptor watches and the
// fairness between them.
#include "platform/posix/poll_loop.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cstring>
#include <future>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/tests/loop_fixture.h"
#include "platform/posix/unique_fd.h"

namespace {

using namespace std::chrono_literals;
using platform::FdWatch;
using platform::PollLoop;
using platform::UniqueFd;

struct Pipe {
    UniqueFd read, write;
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) ADD_FAILURE() << "pipe2";
        read.Reset(fds[0]);
        write.Reset(fds[1]);
    }
    void Put(const char* bytes) { ASSERT_GT(::write(write.Get(), bytes, std::strlen(bytes)), 0); }
};

TEST(PollLoop, PostedStepsRunInOrderOnTheLoopThreadAndErrorsGoToTheReport) {
    PollLoop loop;
    std::vector<std::string> reported;
    ReportErrorsInto(loop, reported);
    std::string order;
    loop.post([&] {
        order += 'a';
        loop.post([&] { order += 'c'; });  // after what was queued before it
    });
    loop.post([] { throw std::runtime_error("step failed"); });
    loop.post([&] { order += 'b'; });

    constexpr int kThreads = 3, kEach = 2000;
    std::map<int, std::vector<int>> seen;  // per thread, in the order the steps ran
    std::atomic<int> off_thread{0};
    {
        std::vector<std::jthread> posters;
        for (int t = 0; t < kThreads; ++t)
            posters.emplace_back([&, t] {
                for (int i = 0; i < kEach; ++i)
                    loop.post([&, t, i] {
                        if (!loop.IsLoopThread()) ++off_thread;
                        seen[t].push_back(i);
                    });
            });
    }
    ASSERT_TRUE(RunUntil(loop, [&] {
        std::size_t n = 0;
        for (const auto& [t, v] : seen) n += v.size();
        return n == kThreads * kEach && order.size() == 3;
    }));
    EXPECT_EQ(order, "abc");
    EXPECT_EQ(reported, (std::vector<std::string>{"step failed"}));
    EXPECT_EQ(off_thread, 0);
    for (const auto& [t, v] : seen) {
        std::vector<int> expected(kEach);
        for (int i = 0; i < kEach; ++i) expected[static_cast<std::size_t>(i)] = i;
        EXPECT_EQ(v, expected) << "thread " << t;
    }
}

// Steps that post steps, a descriptor that stays readable and a timer share the loop.
TEST(PollLoop, AFloodOfStepsOrABusyDescriptorStarvesNoTimer) {
    PollLoop loop;
    int ticks = 0;
    long flood = 0;
    constexpr long kFloodBudget = 3'000'000;
    bool flooding = true;
    std::function<void()> again = [&] {
        if (flooding && ++flood < kFloodBudget) loop.post(again);
    };
    loop.post(again);

    Pipe busy;
    busy.Put("never read");
    long busy_calls = 0;
    auto watch = loop.Watch(busy.read.Get(), EPOLLIN, [&](std::uint32_t) { ++busy_calls; });

    auto timer = loop.CreateTimer();
    timer->SetInterval(1);
    timer->SetTickHandler([&] {
        if (++ticks == 5) flooding = false;
    });
    timer->Start();
    ASSERT_TRUE(RunUntil(loop, [&] { return ticks >= 5; }));
    EXPECT_LT(flood, kFloodBudget) << "the timer ticked only once the flood had run dry";
    EXPECT_GT(busy_calls, 0);
    EXPECT_GT(flood, 0);
}

TEST(PollLoop, RunAndWaitFromAnotherThreadRunsOnTheLoopRethrowsAndHonoursCancel) {
    PollLoop loop;
    // On the loop's own thread the step runs at once, also before Run.
    bool at_once = false;
    EXPECT_TRUE(loop.runAndWait([&] { at_once = true; }, {}));
    EXPECT_TRUE(at_once);

    std::thread::id ran_on;
    std::string caught;
    auto worker = std::async(std::launch::async, [&] {
        const bool ok = loop.runAndWait([&] { ran_on = std::this_thread::get_id(); }, {});
        try {
            loop.runAndWait([] { throw std::runtime_error("handler failed"); }, {});
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        return ok;
    });
    ASSERT_TRUE(RunUntil(loop, [&] { return worker.wait_for(0s) == std::future_status::ready; }));
    EXPECT_TRUE(worker.get());
    EXPECT_EQ(ran_on, std::this_thread::get_id());
    EXPECT_EQ(caught, "handler failed");

    // Cancelled while queued behind a busy step: returns false and never runs.
    std::stop_source cancel_queued;
    std::atomic<bool> queued_ran{false};
    std::optional<bool> queued_result;
    loop.post([&] {
        auto queued = std::async(std::launch::async, [&] {
            return loop.runAndWait([&] { queued_ran = true; }, cancel_queued.get_token());
        });
        while (loop.QueuedSteps() == 0) std::this_thread::sleep_for(1ms);
        cancel_queued.request_stop();
        queued_result = queued.get();
    });
    ASSERT_TRUE(RunUntil(loop, [&] { return queued_result.has_value(); }));
    RunFor(loop, 10ms);
    EXPECT_FALSE(*queued_result);
    EXPECT_FALSE(queued_ran);

    // Cancelled from inside the running step: the waiter lets go at once.
    std::stop_source cancel_running;
    std::promise<bool> running_result;
    auto running = running_result.get_future().share();
    std::jthread waiter([&] {
        running_result.set_value(loop.runAndWait(
            [&] {
                cancel_running.request_stop();
                EXPECT_EQ(running.wait_for(10s), std::future_status::ready);
            },
            cancel_running.get_token()));
    });
    ASSERT_TRUE(RunUntil(loop, [&] { return running.wait_for(0s) == std::future_status::ready; }));
    EXPECT_FALSE(running.get());
}

TEST(PollLoop, QuitWakesASleepingLoopFromAnyThreadAndMayComeBeforeRun) {
    PollLoop loop;
    loop.Quit();
    loop.Run();  // returns at once: the Quit came first

    // Asleep with nothing to do: only the other thread's Quit can wake it. Should it not,
    // the other thread posts a step after a while, which does.
    std::promise<void> returned;
    bool needed_a_step = false;
    std::jthread quitter([&] {
        std::this_thread::sleep_for(20ms);
        loop.Quit();
        if (returned.get_future().wait_for(10s) != std::future_status::ready) {
            needed_a_step = true;
            loop.post([] {});
        }
    });
    loop.Run();
    returned.set_value();
    quitter.join();
    EXPECT_FALSE(needed_a_step);
}

TEST(PollLoop, WatchesCallOnTheLoopThreadUntilEndedAlsoByEachOther) {
    PollLoop loop;
    Pipe one, two;
    std::string got;
    std::vector<std::uint32_t> hangups;
    std::unique_ptr<FdWatch> watch_one, watch_two;
    int calls = 0;
    // Both readable in the same round: whichever runs first ends the other.
    auto take = [](Pipe& p) {
        char c;
        while (::read(p.read.Get(), &c, 1) > 0) {
        }
    };
    watch_one = loop.Watch(one.read.Get(), EPOLLIN, [&](std::uint32_t) {
        ++calls;
        take(one);
        watch_two.reset();
    });
    watch_two = loop.Watch(two.read.Get(), EPOLLIN, [&](std::uint32_t) {
        ++calls;
        take(two);
        watch_one.reset();
    });
    one.Put("x");
    two.Put("y");
    ASSERT_TRUE(RunUntil(loop, [&] { return calls > 0; }));
    RunFor(loop, 10ms);
    EXPECT_EQ(calls, 1);
    EXPECT_NE(!watch_one, !watch_two);
    watch_one.reset();
    watch_two.reset();

    // A handler that reads what is there, sees the hang-up and ends its own watch.
    Pipe three;
    std::unique_ptr<FdWatch> watch_three;
    watch_three = loop.Watch(three.read.Get(), EPOLLIN, [&](std::uint32_t events) {
        EXPECT_TRUE(loop.IsLoopThread());
        char buffer[16];
        const ssize_t n = ::read(three.read.Get(), buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<std::size_t>(n));
        if (events & EPOLLHUP) {
            hangups.push_back(events);
            watch_three.reset();
        }
    });
    EXPECT_THROW(loop.Watch(three.read.Get(), EPOLLIN, [](std::uint32_t) {}), std::system_error);
    std::jthread writer([&] {
        three.Put("hello");
        std::this_thread::sleep_for(5ms);
        three.write.Reset();
    });
    ASSERT_TRUE(RunUntil(loop, [&] { return !watch_three; }));
    EXPECT_EQ(got, "hello");
    EXPECT_EQ(hangups.size(), 1u);
}

}  // namespace
