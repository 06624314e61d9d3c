#include "platform/qt/qt_timer.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTest>
#include <memory>

#include "platform/qt/tests/qt_test_app.h"

namespace {

TEST(QtTimerTest, TicksUntilStoppedAndRefusesAnIntervalOfZero) {
    TestApp();
    platform::QtTimerFactory factory;
    auto timer = factory.CreateTimer();
    int ticks = 0;
    timer->SetTickHandler([&] {
        if (++ticks == 3) timer->Stop();
    });
    EXPECT_FALSE(timer->Start());
    timer->SetInterval(10);
    EXPECT_TRUE(timer->Start());
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 3; }, 5000));
    EXPECT_FALSE(timer->IsActive());
    QTest::qWait(50);
    EXPECT_EQ(ticks, 3);

    timer->Start();
    timer->SetInterval(0);
    EXPECT_FALSE(timer->IsActive());
}

TEST(QtTimerTest, NeverFiresBeforeItsInterval) {
    TestApp();
    platform::QtTimerFactory factory;
    auto timer = factory.CreateTimer();
    QElapsedTimer since;
    qint64 fired_after = -1;
    timer->SetTickHandler([&] {
        fired_after = since.elapsed();
        timer->Stop();
    });
    timer->SetInterval(120);
    since.start();
    timer->Start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fired_after >= 0; }, 5000));
    EXPECT_GE(fired_after, 120);
}

TEST(QtTimerTest, MayBeDestroyedInItsOwnTick) {
    TestApp();
    platform::QtTimerFactory factory;
    std::unique_ptr<platform::Timer> timer = factory.CreateTimer();
    int ticks = 0;
    timer->SetTickHandler([&] {
        ++ticks;
        timer.reset();
    });
    timer->SetInterval(5);
    timer->Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !timer; }, 5000));
    QTest::qWait(30);
    EXPECT_EQ(ticks, 1);
}

}  // namespace
