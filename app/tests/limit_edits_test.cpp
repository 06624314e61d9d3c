#include "app/limit_edits.h"

#include <gtest/gtest.h>

#include "common/text_format.h"

namespace {

TEST(LimitEdits, EveryOneDecimalTextGivesItsExactTenths) {
    // Binary fractions must not lose a tenth: 39,1 is 391, not 390.
    for (int tenths = 0; tenths <= 999; ++tenths) {
        AlarmLimits limits;
        LimitEditTexts texts = LimitTexts(limits);
        texts[0] = text::FormatPattern(tenths / 10.0, 1);
        RecomputeLimits(texts, limits);
        ASSERT_EQ(limits.LimitT1Hi, tenths) << texts[0];
    }
}

TEST(LimitEdits, FirstBadTextStopsTheRecomputation) {
    AlarmLimits limits;
    LimitEditTexts texts = {"37,5", "", "30,0", "31,0", "80", "20"};
    RecomputeLimits(texts, limits);
    EXPECT_EQ(limits.LimitT1Hi, 375);
    EXPECT_EQ(limits.LimitT1Low, 350);  // unchanged from here on
    EXPECT_EQ(limits.LimitT2Hi, 390);
    EXPECT_EQ(limits.LimitHMLow, 30);
    texts[1] = "99999999999";  // beyond int: not a limit
    RecomputeLimits(texts, limits);
    EXPECT_EQ(limits.LimitT1Low, 350);
}

TEST(LimitEdits, TemperatureKeysAllowOneDecimalOnly) {
    EXPECT_EQ(TemperatureKeyFilter('.', "37", false), ',');
    EXPECT_EQ(TemperatureKeyFilter('5', "37,", false), '5');
    EXPECT_FALSE(TemperatureKeyFilter('1', "37,5", false));
    EXPECT_EQ(TemperatureKeyFilter('1', "37,5", true), '1');  // replacing a selection
    EXPECT_EQ(TemperatureKeyFilter(kBackspace, "37,5", false), kBackspace);
    EXPECT_FALSE(TemperatureKeyFilter('-', "", false));
    EXPECT_FALSE(TemperatureKeyFilter('a', "", false));
    EXPECT_FALSE(HumidityKeyFilter('.'));
    EXPECT_EQ(HumidityKeyFilter('7'), '7');
}

TEST(LimitEdits, LeavingATemperatureEdit) {
    EXPECT_EQ(LeaveTemperatureEdit("37").text, "37,0");
    EXPECT_EQ(LeaveTemperatureEdit("").text, "0,0");
    EXPECT_EQ(LeaveTemperatureEdit(",").text, "0,0");
    EXPECT_EQ(LeaveTemperatureEdit(",5").text, "0,5");
    const TemperatureExit high = LeaveTemperatureEdit("55");
    EXPECT_EQ(high.text, "55,0");
    EXPECT_EQ(*high.range_message, "Не в диапазоне (0..50.0)  \"55,0\"");
    EXPECT_FALSE(LeaveTemperatureEdit("50,0").range_message);
    const TemperatureExit broken = LeaveTemperatureEdit("39,");
    EXPECT_EQ(broken.text, "39,");
    EXPECT_EQ(*broken.conversion_error, "'3,' is not a valid integer value");
}

TEST(LimitEdits, LeavingAHumidityEdit) {
    EXPECT_EQ(*LeaveHumidityEdit("120"), "Не в диапазоне (0..99)  \"120\"");
    EXPECT_FALSE(LeaveHumidityEdit("99"));
    EXPECT_FALSE(LeaveHumidityEdit("abc"));
}

}  // namespace
