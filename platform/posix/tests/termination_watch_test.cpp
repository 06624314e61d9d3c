// Real termination signals sent to the test process, reported on the loop's thread.
#include "platform/posix/termination_watch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <future>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/posix/tests/loop_fixture.h"

namespace {

using namespace std::chrono_literals;
using platform::PollLoop;
using platform::TerminationWatch;

TEST(TerminationWatch, EachSignalEndsTheLoopThroughItsThreadOnceAndTheProcessLivesOn) {
    platform::BlockTerminationSignals();
    // A thread started now takes the mask over, so the watch accepts it.
    std::atomic<bool> release{false};
    std::jthread later([&] {
        while (!release) std::this_thread::sleep_for(1ms);
    });
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        PollLoop loop;
        std::vector<int> reported;
        std::vector<bool> on_loop_thread;
        TerminationWatch watch(loop, [&](int s) {
            reported.push_back(s);
            on_loop_thread.push_back(loop.IsLoopThread());
        });
        EXPECT_FALSE(watch.Requested());
        // Sent to the process from another thread: the kernel may hand it to any thread.
        std::jthread([signal] { ::kill(::getpid(), signal); }).join();
        ASSERT_TRUE(RunUntil(loop, [&] { return !reported.empty(); })) << strsignal(signal);
        // A second one is taken off the process and ignored.
        ::kill(::getpid(), signal);
        EXPECT_TRUE(RunUntil(loop, [&] {
            sigset_t pending;
            sigpending(&pending);
            return !sigismember(&pending, signal);
        }));
        EXPECT_EQ(reported, std::vector<int>{signal});
        EXPECT_EQ(on_loop_thread, std::vector<bool>{true});
        EXPECT_TRUE(watch.Requested());
    }
    release = true;
}

TEST(TerminationWatch, AThreadThatDoesNotBlockTheSignalsIsRefused) {
    platform::BlockTerminationSignals();
    std::promise<void> unblocked;
    std::atomic<bool> release{false};
    std::jthread careless([&] {
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, SIGHUP);
        ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        unblocked.set_value();
        while (!release) std::this_thread::sleep_for(1ms);
    });
    unblocked.get_future().wait();
    PollLoop loop;
    EXPECT_THROW(TerminationWatch(loop, [](int) {}), std::logic_error);
    release = true;
}

}  // namespace
