#include "common/utf8.h"

#include <gtest/gtest.h>

using text::Utf8Length;
using text::Utf8Prefix;

TEST(Utf8, CountsAndCutsCharactersNotBytes) {
    const std::string s = "Ошибка!";  // 6 two-byte letters and one ASCII character
    EXPECT_EQ(s.size(), 13u);
    EXPECT_EQ(Utf8Length(s), 7u);
    EXPECT_EQ(Utf8Prefix(s, 2), "Ош");
    EXPECT_EQ(Utf8Prefix(s, 7), s);
    EXPECT_EQ(Utf8Prefix(s, 100), s);
    EXPECT_EQ(Utf8Prefix("ab°C", 3), "ab°");
    EXPECT_EQ(Utf8Prefix("", 3), "");
    EXPECT_EQ(Utf8Prefix("abc", 0), "");
}

TEST(Utf8, StrayBytesCountAsOneCharacterEach) {
    const std::string broken = "a\x80\x80z\xD0";  // continuation bytes without a lead; a cut lead
    EXPECT_EQ(Utf8Length(broken), 5u);
    EXPECT_EQ(Utf8Prefix(broken, 1), "a");
    EXPECT_EQ(Utf8Prefix(broken, 4), "a\x80\x80z");
}
