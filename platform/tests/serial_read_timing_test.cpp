#include "platform/serial_read_timing.h"

#include <gtest/gtest.h>

namespace {

using std::chrono::milliseconds;
constexpr std::uint32_t kAll = SerialCommTimeouts::kMaxTimeout;

SerialCommTimeouts Read(std::uint32_t interval, std::uint32_t mult, std::uint32_t constant) {
    return {interval, mult, constant, 0, 0};
}

TEST(SerialReadTiming, AllOnesIntervalWithoutTotalsReturnsAtOnce) {
    const auto step = NextReadStep(Read(kAll, 0, 0), 10, 0, milliseconds(0), milliseconds(0));
    EXPECT_TRUE(step.complete);
}

TEST(SerialReadTiming, IntervalWaitsWithoutLimitForTheFirstByteThenTimesTheGaps) {
    const auto t = Read(300, 0, 0);
    auto step = NextReadStep(t, 9, 0, milliseconds(5000), milliseconds(5000));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, -1);

    step = NextReadStep(t, 9, 4, milliseconds(900), milliseconds(100));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, 201);

    EXPECT_FALSE(NextReadStep(t, 9, 4, milliseconds(900), milliseconds(300)).complete);
    EXPECT_TRUE(NextReadStep(t, 9, 4, milliseconds(900), milliseconds(301)).complete);
    EXPECT_TRUE(NextReadStep(t, 9, 9, milliseconds(0), milliseconds(0)).complete);
}

TEST(SerialReadTiming, TotalLimitIsMultiplierTimesCountPlusConstant) {
    const auto t = Read(0, 10, 100);  // 5 bytes: 150 ms
    auto step = NextReadStep(t, 5, 0, milliseconds(50), milliseconds(50));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, 100);
    EXPECT_TRUE(NextReadStep(t, 5, 2, milliseconds(150), milliseconds(10)).complete);
}

TEST(SerialReadTiming, TheNearerOfIntervalAndTotalLimitsCounts) {
    const auto t = Read(50, 0, 1000);
    EXPECT_EQ(NextReadStep(t, 5, 1, milliseconds(100), milliseconds(20)).wait_ms, 31);
    EXPECT_EQ(NextReadStep(t, 5, 1, milliseconds(990), milliseconds(20)).wait_ms, 10);
    EXPECT_EQ(NextReadStep(t, 5, 0, milliseconds(100), milliseconds(100)).wait_ms, 900);
}

TEST(SerialReadTiming, NoLimitsWaitUntilEveryByteHasCome) {
    const auto step = NextReadStep(Read(0, 0, 0), 5, 4, milliseconds(100000), milliseconds(100000));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, -1);
}

TEST(SerialReadTiming, AllOnesIntervalAndMultiplierWaitForOneByteAtMostConstant) {
    const auto t = Read(kAll, kAll, 200);
    EXPECT_TRUE(NextReadStep(t, 10, 1, milliseconds(0), milliseconds(0)).complete);
    auto step = NextReadStep(t, 10, 0, milliseconds(50), milliseconds(50));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, 150);
    EXPECT_TRUE(NextReadStep(t, 10, 0, milliseconds(200), milliseconds(200)).complete);
}

TEST(SerialReadTiming, AllOnesIntervalWithTotalsReturnsWithAnyByteElseWaitsTheTotalForOne) {
    const auto t = Read(kAll, 10, 100);  // 5 bytes: 150 ms
    EXPECT_TRUE(NextReadStep(t, 5, 2, milliseconds(0), milliseconds(0)).complete);
    auto step = NextReadStep(t, 5, 0, milliseconds(50), milliseconds(50));
    EXPECT_FALSE(step.complete);
    EXPECT_EQ(step.wait_ms, 100);
    EXPECT_TRUE(NextReadStep(t, 5, 0, milliseconds(150), milliseconds(150)).complete);

    // The constant or the multiplier alone.
    EXPECT_EQ(NextReadStep(Read(kAll, 0, 100), 5, 0, milliseconds(0), milliseconds(0)).wait_ms,
              100);
    EXPECT_EQ(NextReadStep(Read(kAll, 20, 0), 5, 0, milliseconds(0), milliseconds(0)).wait_ms, 100);
    EXPECT_TRUE(NextReadStep(Read(kAll, 20, 0), 5, 1, milliseconds(0), milliseconds(0)).complete);
}

TEST(SerialReadTiming, AllOnesIntervalAndMultiplierWithoutConstantReturnAtOnce) {
    EXPECT_TRUE(
        NextReadStep(Read(kAll, kAll, 0), 10, 0, milliseconds(0), milliseconds(0)).complete);
}

TEST(SerialReadTiming, AllOnesIntervalAndConstantSetNoLimit) {
    for (const std::uint32_t mult : {0u, 10u, kAll}) {
        const auto step =
            NextReadStep(Read(kAll, mult, kAll), 5, 4, milliseconds(100000), milliseconds(100000));
        EXPECT_FALSE(step.complete) << mult;
        EXPECT_EQ(step.wait_ms, -1) << mult;
    }
}

TEST(SerialReadTiming, AHugeTotalLimitDoesNotOverflow) {
    const auto step = NextReadStep(Read(0, kAll - 1, kAll - 1), std::size_t{1} << 40, 0,
                                   milliseconds(0), milliseconds(0));
    EXPECT_FALSE(step.complete);
    EXPECT_GT(step.wait_ms, 0);
}

}  // namespace
