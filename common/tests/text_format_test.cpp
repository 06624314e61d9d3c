#include "common/text_format.h"

#include <gtest/gtest.h>

#include <clocale>
#include <limits>

using text::FormatFixed;
using text::FormatGeneral;
using text::FormatPattern;

TEST(FormatPattern, OneDecimalRoundsHalvesAwayFromZeroOnTheShortestForm) {
    EXPECT_EQ(FormatPattern(37.25, 1), "37,3");  // binary 37.25 is exact: a true tie
    EXPECT_EQ(FormatPattern(0.15, 1), "00,2");   // binary 0.15 is a bit below 0.15
    EXPECT_EQ(FormatPattern(5.04, 1), "05,0");
    EXPECT_EQ(FormatPattern(2.675, 1), "02,7");
    EXPECT_EQ(FormatPattern(37.5, 1), "37,5");
    EXPECT_EQ(FormatPattern(28.0, 1), "28,0");
    EXPECT_EQ(FormatPattern(28.25, 1), "28,3");
    EXPECT_EQ(FormatPattern(99.95, 1), "100,0");  // carry into a third integer digit
    EXPECT_EQ(FormatPattern(0.0, 1), "00,0");
    EXPECT_EQ(FormatPattern(0.04, 1), "00,0");
    EXPECT_EQ(FormatPattern(0.05, 1), "00,1");
    EXPECT_EQ(FormatPattern(1234.56, 1), "1234,6");
}

TEST(FormatPattern, FourDecimalsAndSigns) {
    EXPECT_EQ(FormatPattern(37.5625, 4), "37,5625");
    EXPECT_EQ(FormatPattern(36.625, 4), "36,6250");
    EXPECT_EQ(FormatPattern(0.0625, 4), "00,0625");
    EXPECT_EQ(FormatPattern(0.03125, 4), "00,0313");
    EXPECT_EQ(FormatPattern(-5.04, 1), "-05,0");
    EXPECT_EQ(FormatPattern(-0.25, 1), "-00,3");
    EXPECT_EQ(FormatPattern(-0.01, 1), "00,0");  // no minus sign on a zero
}

TEST(FormatGeneral, ShortestFormWithoutExponentOrTrailingZeros) {
    EXPECT_EQ(FormatGeneral(37.5625), "37,5625");
    EXPECT_EQ(FormatGeneral(28.0), "28");
    EXPECT_EQ(FormatGeneral(37.5), "37,5");
    EXPECT_EQ(FormatGeneral(36.6), "36,6");
    EXPECT_EQ(FormatGeneral(0.5), "0,5");
    EXPECT_EQ(FormatGeneral(0.0), "0");
    EXPECT_EQ(FormatGeneral(-1.0), "-1");
    EXPECT_EQ(FormatGeneral(0.1 + 0.2), "0,3");  // 17 significant digits cut to 15
    EXPECT_EQ(FormatGeneral(1.0 / 3.0), "0,333333333333333");
    EXPECT_EQ(FormatGeneral(1e20), "100000000000000000000");
    EXPECT_EQ(FormatGeneral(0.000125), "0,000125");
    EXPECT_EQ(FormatGeneral(std::numeric_limits<double>::infinity()), "INF");
}

TEST(FormatFixed, TenSignificantDigitsThenTheDecimals) {
    EXPECT_EQ(FormatFixed(37.5, 1), "37,5");
    EXPECT_EQ(FormatFixed(20.0, 0), "20");
    EXPECT_EQ(FormatFixed(36.25, 1), "36,3");
    EXPECT_EQ(FormatFixed(-3.5, 1), "-3,5");
    EXPECT_EQ(FormatFixed(0.5, 0), "1");
    EXPECT_EQ(FormatFixed(-0.5, 0), "-1");
    EXPECT_EQ(FormatFixed(2.5, 3), "2,500");
    EXPECT_EQ(FormatFixed(123456789.123, 2), "123456789,10");  // 10 digits, then padded
    EXPECT_EQ(FormatFixed(1e-12, 2), "0,00");
    // Rounded once: rounding first to 10 digits and then to the decimals would give 2,5.
    EXPECT_EQ(FormatFixed(2.44999999996, 1), "2,4");
    EXPECT_EQ(FormatFixed(-9180144.624892514, 2), "-9180144,62");
    EXPECT_EQ(FormatFixed(12345678901.0, 1), "1,234567890E+10");
    EXPECT_EQ(FormatFixed(-9999999999.6, 0), "-1,000000000E+10");
}

TEST(Format, IgnoresTheProcessLocale) {
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    // A locale with a decimal comma or point must change nothing; missing locales are fine.
    std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatPattern(37.25, 1), "37,3");
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(FormatGeneral(37.5625), "37,5625");
    std::setlocale(LC_ALL, saved.c_str());
}
