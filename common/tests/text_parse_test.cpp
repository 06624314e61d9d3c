#include "common/text_parse.h"

#include <gtest/gtest.h>

using text::ParseDouble;
using text::ParseInt;
using text::Trim;

TEST(Trim, RemovesControlCharactersAndBlanksButNeverUtf8Letters) {
    EXPECT_EQ(Trim("  \t37,5\r\n"), "37,5");
    EXPECT_EQ(Trim(""), "");
    EXPECT_EQ(Trim(" \x01\x1f "), "");
    EXPECT_EQ(Trim("Строка"), "Строка");  // bytes >= 0x80 must not count as "<= 32"
    EXPECT_EQ(Trim(" я "), "я");
}

TEST(ParseDouble, AcceptsTheCommaForm) {
    EXPECT_EQ(ParseDouble("37,5"), 37.5);
    EXPECT_EQ(ParseDouble("  -3,25 "), -3.25);
    EXPECT_EQ(ParseDouble("+12"), 12.0);
    EXPECT_EQ(ParseDouble(",5"), 0.5);
    EXPECT_EQ(ParseDouble("5,"), 5.0);
    EXPECT_EQ(ParseDouble("1,5e3"), 1500.0);
    EXPECT_EQ(ParseDouble("25E-1"), 2.5);
    EXPECT_EQ(ParseDouble("1e-400"), 0.0);  // underflow is zero, not an error
}

TEST(ParseDouble, RejectsEverythingElse) {
    for (const char* bad : {"", "  ", "37.5", "1,2,3", "abc", "1e", "e5", "-", ",", "1 2", "1e+",
                            "0x10", "1e400", "nan", "inf", "12°"}) {
        EXPECT_FALSE(ParseDouble(bad).has_value()) << bad;
    }
}

TEST(ParseInt, DecimalDigitsWithinRange) {
    EXPECT_EQ(ParseInt("375"), 375);
    EXPECT_EQ(ParseInt(" -40 "), -40);
    EXPECT_EQ(ParseInt("+7"), 7);
    EXPECT_EQ(ParseInt("2147483647"), 2147483647);
    EXPECT_EQ(ParseInt("-2147483648"), -2147483647 - 1);
    for (const char* bad :
         {"", "-", "2147483648", "99999999999999999999", "3,5", "1e3", "$1F", "12a", "- 1"}) {
        EXPECT_FALSE(ParseInt(bad).has_value()) << bad;
    }
}

TEST(ParseMessages, QuoteTheText) {
    EXPECT_EQ(text::NotAFloatMessage("x"), "'x' is not a valid floating point value");
    EXPECT_EQ(text::NotAnIntegerMessage("4,5"), "'4,5' is not a valid integer value");
    EXPECT_EQ(text::FirstPointToComma("1.5.6"), "1,5.6");
}
