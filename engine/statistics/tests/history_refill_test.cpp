#include "engine/statistics/history_refill.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace statistics {
namespace {

using Lines = std::vector<std::string>;

std::string Line(const std::string& t1, const std::string& hm = "55",
                 const std::string& outs = "_2__5___") {
    return "T1=" + t1 + "  T2=36,6  T3=28,0  HM=" + hm + "  OUT=" + outs + "  06.12.26 12:34:56";
}

class RefillTest : public ::testing::Test {
  protected:
    // Marks entries so that a test sees which ones the refill left alone.
    void SetUp() override {
        for (std::size_t i = 0; i < 4; ++i) history->Store(i, {-7, -7, -7, 7, false});
    }
    std::unique_ptr<SampleHistory> history = std::make_unique<SampleHistory>();
};

TEST_F(RefillTest, ADailyFilesEmptyFirstLineGetsNoEntryAndTheOthersKeepTheirIndexes) {
    const Lines lines{"", Line("37,5"), Line("38.25", "-1", "________")};
    const auto result = RefillHistory(lines, *history);
    EXPECT_EQ(result.filled, 2u);
    EXPECT_EQ(result.stopped_at, 3u);
    EXPECT_FALSE(result.exceeded);
    EXPECT_FALSE(result.error);

    EXPECT_EQ(history->HistT1[0], -7);  // untouched
    EXPECT_EQ(history->HistT1[1], 37.5);
    EXPECT_EQ(history->HistT2[1], 36.6);
    EXPECT_EQ(history->HistT3[1], 28.0);
    EXPECT_EQ(history->HistHM[1], 55);
    EXPECT_EQ(history->HistHeater[1], 1);
    EXPECT_EQ(history->HistT1[2], 38.25);  // a point reads as the decimal comma
    EXPECT_EQ(history->HistHM[2], 255);    // -1
    EXPECT_EQ(history->HistHeater[2], 0);
    EXPECT_EQ(history->HistT1[3], -7);
}

TEST_F(RefillTest, HumidityKeepsItsLowEightBits) {
    RefillHistory(Lines{Line("1", "300"), Line("1", "-2"), Line("1", "256")}, *history);
    EXPECT_EQ(history->HistHM[0], 44);
    EXPECT_EQ(history->HistHM[1], 254);
    EXPECT_EQ(history->HistHM[2], 0);
}

TEST_F(RefillTest, AFieldThatIsNotANumberStopsAtItsLineWithTheConversionMessage) {
    const Lines lines{Line("37,5"), "T1=abc", Line("39,0")};
    const auto result = RefillHistory(lines, *history);
    ASSERT_TRUE(result.error);
    EXPECT_EQ(*result.error, "'abc' is not a valid floating point value");
    EXPECT_EQ(result.filled, 1u);
    EXPECT_EQ(result.stopped_at, 1u);
    EXPECT_EQ(history->HistT1[0], 37.5);
    EXPECT_EQ(history->HistT1[1], -7);  // the failing line writes nothing
    EXPECT_EQ(history->HistT1[2], -7);  // nor any line after it
}

TEST_F(RefillTest, EachFieldIsCheckedInItsOwnWay) {
    // A good T1 but a bad T3: nothing of the line is stored.
    const Lines t3{"T1=37,5  T2=36,6  T3=2x  HM=55"};
    const auto bad_t3 = RefillHistory(t3, *history);
    EXPECT_EQ(bad_t3.error, "'2x' is not a valid floating point value");
    EXPECT_EQ(history->HistT1[0], -7);

    const auto bad_hm = RefillHistory(Lines{Line("37,5", "5,5")}, *history);
    EXPECT_EQ(bad_hm.error, "'5,5' is not a valid integer value");

    // Text that is no record line: every field parser gives the whole text.
    const auto prose = RefillHistory(Lines{"notes"}, *history);
    EXPECT_EQ(prose.error, "'notes' is not a valid floating point value");
}

TEST_F(RefillTest, StopsAtTheHistoryCapacityAndSaysSo) {
    Lines lines(90000, Line("37,5"));
    lines[HISTORY_CAPACITY - 1] = Line("40,1");
    lines[HISTORY_CAPACITY] = Line("41,1");
    const auto result = RefillHistory(lines, *history);
    EXPECT_TRUE(result.exceeded);
    EXPECT_FALSE(result.error);
    EXPECT_EQ(result.filled, HISTORY_CAPACITY);
    EXPECT_EQ(result.stopped_at, HISTORY_CAPACITY);
    EXPECT_EQ(history->HistT1[HISTORY_CAPACITY - 1], 40.1);

    lines.resize(HISTORY_CAPACITY);
    EXPECT_FALSE(RefillHistory(lines, *history).exceeded);
    // One more line counts even when it is empty.
    lines.emplace_back();
    EXPECT_TRUE(RefillHistory(lines, *history).exceeded);
}

}  // namespace
}  // namespace statistics
