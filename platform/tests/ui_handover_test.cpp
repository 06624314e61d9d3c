// The hand-over to the UI thread, through the queued test double (the same hand-over serves
// the Qt UI thread).
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "platform/doubles/queued_ui_thread.h"

namespace {

using namespace std::chrono_literals;

TEST(UiHandover, RunsTheStepOnTheUiThreadAndWaitsForIt) {
    QueuedUiThread ui;
    std::thread::id ran_on;
    std::atomic<bool> returned{false};
    bool result = false;
    std::jthread worker([&] {
        result = ui.runAndWait([&] { ran_on = std::this_thread::get_id(); }, {});
        returned = true;
    });
    ASSERT_TRUE(ui.RunUntil([&] { return returned.load(); }, 10s));
    EXPECT_TRUE(result);
    EXPECT_EQ(ran_on, std::this_thread::get_id());
}

TEST(UiHandover, AnExceptionOfTheStepIsRethrownInTheWaitingThread) {
    QueuedUiThread ui;
    std::atomic<bool> returned{false};
    std::string caught;
    std::jthread worker([&] {
        try {
            ui.runAndWait([] { throw std::runtime_error("handler failed"); }, {});
        } catch (const std::runtime_error& e) {
            caught = e.what();
        }
        returned = true;
    });
    ASSERT_TRUE(ui.RunUntil([&] { return returned.load(); }, 10s));
    EXPECT_EQ(caught, "handler failed");
    EXPECT_TRUE(ui.TakeReportedErrors().empty());
}

TEST(UiHandover, ACancelledStepThatHasNotStartedNeverRuns) {
    QueuedUiThread ui;
    std::stop_source stop;
    std::atomic<bool> ran{false};
    auto waited = std::async(std::launch::async,
                             [&] { return ui.runAndWait([&] { ran = true; }, stop.get_token()); });
    while (ui.QueuedCount() == 0) std::this_thread::sleep_for(1ms);
    stop.request_stop();
    EXPECT_FALSE(waited.get());
    ui.RunPending();
    EXPECT_FALSE(ran);
}

// A handler that closes the port stops the thread that waits for that very handler.
TEST(UiHandover, CancellingFromInsideTheRunningStepReleasesTheWaiter) {
    QueuedUiThread ui;
    std::stop_source stop;
    std::promise<bool> result;
    std::shared_future<bool> future = result.get_future().share();
    std::jthread worker([&] {
        result.set_value(ui.runAndWait(
            [&] {
                stop.request_stop();
                // Still inside the step: the waiter has let go already.
                EXPECT_EQ(future.wait_for(10s), std::future_status::ready);
            },
            stop.get_token()));
    });
    ASSERT_TRUE(ui.RunUntil([&] { return future.wait_for(0s) == std::future_status::ready; }, 10s));
    EXPECT_FALSE(future.get());
}

TEST(UiHandover, PostedStepsRunInOrderAndTheirErrorsGoToTheReport) {
    QueuedUiThread ui;
    std::string order;
    ui.post([&] { order += 'a'; });
    ui.post([] { throw std::runtime_error("posted failure"); });
    ui.post([&] { order += 'b'; });
    EXPECT_EQ(order, "");
    EXPECT_EQ(ui.RunPending(), 3u);
    EXPECT_EQ(order, "ab");
    const auto errors = ui.TakeReportedErrors();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_THROW(std::rethrow_exception(errors[0]), std::runtime_error);
}

TEST(UiHandover, OnTheUiThreadItselfTheStepRunsAtOnce) {
    QueuedUiThread ui;
    bool ran = false;
    EXPECT_TRUE(ui.runAndWait([&] { ran = true; }, {}));
    EXPECT_TRUE(ran);
}

}  // namespace
