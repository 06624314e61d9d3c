#include "chart/axis_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/doubles/recording_canvas.h"

namespace {

using chart::FirstGridValue;
using chart::LabelDigits;
using chart::StepMagnitude;
using chart::TableStep;

TEST(AxisStep, MagnitudeCountsTheCharactersOfTheRoundedValue) {
    EXPECT_EQ(StepMagnitude(3.5), 1);    // "4"
    EXPECT_EQ(StepMagnitude(0.112), 1);  // "0"
    EXPECT_EQ(StepMagnitude(9.6), 10);   // "10"
    EXPECT_EQ(StepMagnitude(35), 10);
    EXPECT_EQ(StepMagnitude(123.4), 100);
    EXPECT_EQ(StepMagnitude(2e10), 1e14);  // "2,000000000E+10"
}

TEST(AxisStep, StepIsTheFirstTableEntryThatCoversTheSpan) {
    EXPECT_DOUBLE_EQ(*TableStep(1, 3.5), 5);
    EXPECT_DOUBLE_EQ(*TableStep(1, 0.112), 0.2);
    EXPECT_DOUBLE_EQ(*TableStep(1, 1), 1);
    EXPECT_DOUBLE_EQ(*TableStep(10, 35), 50);
    EXPECT_DOUBLE_EQ(*TableStep(1, 0), 0.001);
    EXPECT_DOUBLE_EQ(*TableStep(1, 10), 10);
    EXPECT_FALSE(TableStep(1, 10.5));
    EXPECT_FALSE(TableStep(100, std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(TableStep(1, std::nan("")));
}

TEST(AxisStep, FirstGridValueIsReachedByRepeatedSteps) {
    EXPECT_DOUBLE_EQ(*FirstGridValue(20, 1, 5), 20);
    const double first = *FirstGridValue(36.3, 1, 0.2);
    EXPECT_GE(first, 36.3);
    EXPECT_NEAR(first, 36.4, 1e-9);
    EXPECT_DOUBLE_EQ(*FirstGridValue(-3.7, 1, 0.5), -3.5);
    EXPECT_DOUBLE_EQ(*FirstGridValue(-20, 1, 5), -20);
    EXPECT_DOUBLE_EQ(*FirstGridValue(-0.3, 1, 0.5), 0);
    EXPECT_DOUBLE_EQ(*FirstGridValue(123, 10, 50), 150);
}

TEST(AxisStep, FirstGridValueGivesUpWhereTheStepIsLostInRounding) {
    // The walk starts at 1e17 and cannot grow by 0.001 there: it would never end.
    EXPECT_FALSE(FirstGridValue(1e17 + 64, 1e16, 0.001));
    EXPECT_FALSE(FirstGridValue(-1e17 - 64, 1e16, 0.001));
    EXPECT_FALSE(FirstGridValue(std::nan(""), 1, 1));
    EXPECT_FALSE(FirstGridValue(5, 1, 0));
}

TEST(AxisStep, LabelDigitsFollowTheStep) {
    EXPECT_EQ(LabelDigits(0.005), 3);
    EXPECT_EQ(LabelDigits(-0.005), 3);
    EXPECT_EQ(LabelDigits(0.01), 2);
    EXPECT_EQ(LabelDigits(0.05), 2);
    EXPECT_EQ(LabelDigits(0.1), 1);
    EXPECT_EQ(LabelDigits(0.5), 1);
    EXPECT_EQ(LabelDigits(1), 0);
    EXPECT_EQ(LabelDigits(50), 0);
}

TEST(AxisStep, LabelBoxIsTheWiderLabelPlusTenAndTheFirstOnesHeight) {
    RecordingCanvas canvas;
    canvas.SetFont({"Tahoma", 8, false, clBlack});
    // "20,0" and "145,0": 5 characters of 6 pixels.
    EXPECT_EQ(chart::MeasureLabels(canvas, 20, 145, 1), (gfx::Size{40, 13}));
    EXPECT_EQ(chart::MeasureLabels(canvas, -3.7, 0, 0), (gfx::Size{22, 13}));  // "-4"
}

}  // namespace
