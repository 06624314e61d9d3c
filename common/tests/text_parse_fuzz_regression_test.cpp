// Number texts found by fuzzing the statistics loader.
#include <gtest/gtest.h>

#include "common/text_parse.h"

using text::ParseDouble;

// An exponent near or past the range of long: adding the mantissa's own power of ten to it
// overflowed, and a huge number read as 0 while a tiny one was refused.
TEST(ParseDoubleFuzzRegression, ExponentsAtTheEndsOfTheRangeOfLong) {
    for (const char* huge : {"99e9223372036854775807", "9,5e+9223372036854775806",
                             "1e9223372036854775808", "1e99999999999999999999"}) {
        EXPECT_FALSE(ParseDouble(huge).has_value()) << huge;
    }
    for (const char* tiny :
         {"1e-9223372036854775808", "0,01e-9223372036854775807", "1e-99999999999999999999"}) {
        EXPECT_EQ(ParseDouble(tiny), 0.0) << tiny;
    }
    EXPECT_EQ(ParseDouble("0e99999999999999999999"), 0.0);  // zero stays zero
    EXPECT_EQ(ParseDouble("-1e-99999999999999999999"), 0.0);
}
