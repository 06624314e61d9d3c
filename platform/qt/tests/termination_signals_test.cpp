#include "platform/qt/termination_signals.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <csignal>
#include <stdexcept>
#include <vector>

#include "platform/qt/tests/qt_test_app.h"

namespace platform {
namespace {

struct Recorder {
    std::vector<TerminationRequest> seen;
    QThread* thread = nullptr;
    TerminationSignals::Handler Handler() {
        return [this](const TerminationRequest& request) {
            seen.push_back(request);
            thread = QThread::currentThread();
        };
    }
};

TEST(TerminationSignals, TheFirstSignalRunsTheHandlerOnceFromTheEventLoop) {
    TestApp();
    Recorder recorder;
    TerminationSignals ends(recorder.Handler());
    ASSERT_EQ(std::raise(SIGTERM), 0);
    ASSERT_EQ(std::raise(SIGHUP), 0);    // together with the first: still one report
    EXPECT_TRUE(recorder.seen.empty());  // never from inside the signal handler
    EXPECT_FALSE(ends.Requested());

    ASSERT_TRUE(QTest::qWaitFor([&] { return !recorder.seen.empty(); }, 5000));
    EXPECT_EQ(recorder.seen[0].cause, TerminationCause::Signal);
    EXPECT_EQ(recorder.seen[0].signal, SIGTERM);
    EXPECT_EQ(recorder.thread, TestApp().thread());
    EXPECT_TRUE(ends.Requested());

    std::raise(SIGHUP);
    std::raise(SIGINT);
    QTest::qWait(100);
    EXPECT_EQ(recorder.seen.size(), 1u);
}

TEST(TerminationSignals, GivesBackTheEarlierHandlersAndForgetsUnreadSignals) {
    TestApp();
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction saved {};
    ASSERT_EQ(::sigaction(SIGHUP, &ignore, &saved), 0);
    struct sigaction now {};
    {
        TerminationSignals first(nullptr);
        EXPECT_THROW(TerminationSignals second(nullptr), std::logic_error);
        ::sigaction(SIGHUP, nullptr, &now);
        EXPECT_NE(now.sa_handler, SIG_IGN);
        std::raise(SIGINT);  // destroyed before the event loop reads it
    }
    ::sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
    ::sigaction(SIGHUP, &saved, nullptr);

    Recorder recorder;
    TerminationSignals later(recorder.Handler());
    QTest::qWait(100);
    EXPECT_TRUE(recorder.seen.empty());
    EXPECT_FALSE(later.Requested());
}

}  // namespace
}  // namespace platform
