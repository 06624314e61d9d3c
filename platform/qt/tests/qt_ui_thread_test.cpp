// The Qt UI thread: steps from other threads run from the GUI thread's event loop.
#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "platform/qt/qt_ui_thread.h"

namespace {

using namespace std::chrono_literals;

// Runs the event loop until `done` holds or the time is up.
template <typename Pred>
bool ProcessUntil(Pred done, std::chrono::milliseconds timeout = 10s) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

class QtUiThreadTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "qt_ui_thread_test";
        static char* argv[] = {name, nullptr};
        static QCoreApplication app(argc, argv);
    }
    QtUiThread ui;
};

TEST_F(QtUiThreadTest, RunAndWaitRunsOnTheGuiThreadAndBlocksTheCaller) {
    QThread* ran_on = nullptr;
    std::atomic<bool> returned{false};
    bool step_done_before_return = false;
    bool ran = false;
    std::jthread worker([&] {
        ui.runAndWait(
            [&] {
                ran_on = QThread::currentThread();
                ran = true;
            },
            {});
        step_done_before_return = ran;
        returned = true;
    });
    ASSERT_TRUE(ProcessUntil([&] { return returned.load(); }));
    EXPECT_EQ(ran_on, QCoreApplication::instance()->thread());
    EXPECT_TRUE(step_done_before_return);
}

TEST_F(QtUiThreadTest, AnExceptionIsRethrownOnTheCallingThread) {
    std::atomic<bool> caught{false};
    std::jthread worker([&] {
        try {
            ui.runAndWait([] { throw std::runtime_error("handler"); }, {});
        } catch (const std::runtime_error&) {
            caught = true;
        }
    });
    ASSERT_TRUE(ProcessUntil([&] { return caught.load(); }));
}

TEST_F(QtUiThreadTest, ACancelledWaitReturnsAndTheStepNeverRuns) {
    std::stop_source stop;
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    std::jthread worker([&] { result = ui.runAndWait([&] { ran = true; }, stop.get_token()); });
    // The GUI thread is busy (not processing events) while the caller gives up.
    std::this_thread::sleep_for(50ms);
    stop.request_stop();
    worker.join();
    EXPECT_EQ(result, 0);
    QCoreApplication::processEvents();
    EXPECT_FALSE(ran);
}

TEST_F(QtUiThreadTest, PostReturnsAtOnceAndReportsEscapingExceptions) {
    std::vector<std::string> reported;
    ui.SetErrorReport([&](std::exception_ptr e) {
        try {
            std::rethrow_exception(e);
        } catch (const std::exception& x) {
            reported.push_back(x.what());
        }
    });
    std::string order;
    std::jthread worker([&] {
        ui.post([&] { order += 'a'; });
        ui.post([] { throw std::runtime_error("posted"); });
        ui.post([&] { order += 'b'; });
    });
    worker.join();
    EXPECT_EQ(order, "");
    ASSERT_TRUE(ProcessUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, "ab");
    EXPECT_EQ(reported, std::vector<std::string>{"posted"});
}

TEST_F(QtUiThreadTest, OnTheGuiThreadRunAndWaitRunsAtOnce) {
    bool ran = false;
    EXPECT_TRUE(ui.runAndWait([&] { ran = true; }, {}));
    EXPECT_TRUE(ran);
}

}  // namespace
