#include "common/id_name.h"

#include <gtest/gtest.h>

using text::IdName;

TEST(IdName, RussianLettersAreSpeltInLatinOnesAndTheRestBecomesUnderscores) {
    EXPECT_EQ(IdName("Инкубатор 2"), "Inkubator_2");
    EXPECT_EQ(IdName("Щука-Ёж_ъ"), "Shchuka-Ezh_");  // ъ and ь have no spelling
    EXPECT_EQ(IdName("hall/1.ini"), "hall_1_ini");
    EXPECT_EQ(IdName("°C"), "_C") << "a letter of several bytes is one underscore";
    EXPECT_EQ(IdName("\xD0"), "_") << "a lead byte cut short at the end";
}

TEST(IdName, ANameWithNothingLeftIsIncubator) {
    EXPECT_EQ(IdName(""), "incubator");
    EXPECT_EQ(IdName("ъь"), "incubator");
}
