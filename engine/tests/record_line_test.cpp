#include "engine/record_line.h"

#include <gtest/gtest.h>

namespace {

const char* kLine = "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56";

}  // namespace

TEST(RecordLine, IsBuiltFieldByFieldWithDoubleBlanks) {
    const LocalDateTime when{2026, 12, 6, 12, 34, 56};
    EXPECT_EQ(MakeRecordLine("37,5", "36,6", "28,0", 55, "_2__5___", when), kLine);
    const LocalDateTime early{2009, 1, 2, 3, 4, 5};
    EXPECT_EQ(MakeRecordLine("05,0", "36,6250", "28,3", -1, "________", early),
              "T1=05,0  T2=36,6250  T3=28,3  HM=-1  OUT=________  02.01.09 03:04:05");
}

TEST(RecordLineParsers, ReadEveryFieldOfAWellFormedLine) {
    EXPECT_EQ(get_T1(kLine), "37,5");
    EXPECT_EQ(get_T2(kLine), "36,6");
    EXPECT_EQ(get_T3(kLine), "28,0");
    EXPECT_EQ(get_HM(kLine), "55");
    EXPECT_EQ(get_outs(kLine), "_2__5___");
    EXPECT_TRUE(get_N(kLine));
    EXPECT_EQ(get_date(kLine), "06.12.26");
    EXPECT_EQ(get_time(kLine), "12:34:56");
}

TEST(RecordLineParsers, HeaterFlagIsTheSecondOutputCharacter) {
    EXPECT_FALSE(get_N("T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=________  06.12.26 12:34:56"));
    EXPECT_TRUE(get_N("T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2______  06.12.26 12:34:56"));
    EXPECT_FALSE(get_N("T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=2"));  // one character only
    EXPECT_TRUE(get_N("OUT=Ж2______"));  // the second character, not the second byte
    EXPECT_FALSE(get_N("OUT=ЖЖ2_____"));
}

TEST(RecordLineParsers, PointsBecomeCommasInTemperaturesOnly) {
    const char* dotted = "T1=37.5  T2=36.6  T3=28.0  HM=55  OUT=_2__5___  06.12.26 12:34:56";
    EXPECT_EQ(get_T1(dotted), "37,5");
    EXPECT_EQ(get_T2(dotted), "36,6");
    EXPECT_EQ(get_T3(dotted), "28,0");
    EXPECT_EQ(get_date(dotted), "06.12.26");  // the date keeps its points
    EXPECT_EQ(get_T1("T1=1.2.3"), "1,2.3");   // only the first point
}

TEST(RecordLineParsers, MalformedLinesYieldTextNotFailures) {
    for (auto parser : {get_T1, get_T2, get_T3, get_HM, get_outs, get_date, get_time})
        EXPECT_EQ(parser(""), "");
    EXPECT_FALSE(get_N(""));

    // Too few "=" signs: the last field is found again.
    EXPECT_EQ(get_T1("T1=37,5"), "37,5");
    EXPECT_EQ(get_T2("T1=37,5"), "37,5");
    EXPECT_EQ(get_T3("T1=37,5"), "37,5");
    EXPECT_EQ(get_HM("T1=37,5"), "37,5");
    EXPECT_EQ(get_time("T1=37,5"), "T1=37,5");  // too few words: the last word
    EXPECT_EQ(get_date("typed by hand"), "hand");

    EXPECT_EQ(get_T1("  \tT1=  37,5 rest"), "");           // a blank right after "=" ends the field
    EXPECT_EQ(get_outs("OUT=Ошибка данных"), "Ошибка д");  // 8 letters, not 8 bytes
}
