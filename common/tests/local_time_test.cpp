// A sample's stamp as the record line's local time, and back, where the offset changes.
#include "common/local_time.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

using std::chrono::system_clock;

TEST(LocalTime, AStampIsItsLocalSecondOnEitherSideOfAChangeOfOffset) {
    ::setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    ::tzset();
    // 2026-03-29 00:59:59 UTC is 01:59:59 CET; a second later it is 03:00:00 CEST.
    const SystemTime before = system_clock::from_time_t(1774745999);
    const LocalDateTime a = LocalDateTimeAt(before + std::chrono::milliseconds(999));
    EXPECT_EQ(FormatDateDdMmYy(a) + " " + FormatTimeHhMmSs(a), "29.03.26 01:59:59");
    const LocalDateTime b = LocalDateTimeAt(before + std::chrono::seconds(1));
    EXPECT_EQ(FormatTimeHhMmSs(b), "03:00:00");

    EXPECT_EQ(SystemTimeOf(a), before);
    EXPECT_EQ(SystemTimeOf({2026, 7, 1, 12, 0, 0}), system_clock::from_time_t(1782900000));
    // Before 1970 the second is still the one that began before the stamp.
    const LocalDateTime old =
        LocalDateTimeAt(system_clock::from_time_t(-1) + std::chrono::milliseconds(500));
    EXPECT_EQ(FormatTimeHhMmSs(old), "00:59:59");
}

}  // namespace
