#include "engine/humidity.h"

#include <gtest/gtest.h>

namespace {

int Cell(int row, int column) {
    return HumidityTable[row * kHumidityColumns + column];
}

// Raw sixteenths for a table grid position.
int DryRaw(int row) {
    return 560 + 8 * row;
}
int WetRaw(int column) {
    return 384 + 8 * column;
}

}  // namespace

TEST(LookupHumidity, KnownPairs) {
    EXPECT_EQ(LookupHumidity(600, 456), 49);     // 37.5 dry, 28.5 wet
    EXPECT_EQ(LookupHumidity(600, 600), 100);    // wet equal to dry
    EXPECT_EQ(LookupHumidity(561, 385), 37);     // row 0, column 0
    EXPECT_EQ(LookupHumidity(568, 392), 38);     // 35.5 dry, 24.5 wet
    EXPECT_EQ(LookupHumidity(2000, 2000), 75);   // clamped to row 17, column 30
    EXPECT_EQ(LookupHumidity(599, 456), 51);     // rounds down to the 37.0 row
    EXPECT_EQ(LookupHumidity(0xFFFF, 385), 16);  // the smallest cell
}

TEST(LookupHumidity, BelowTheTableIsMinusOneWithStrictBounds) {
    for (int wet : {0, 385, 456, 2000}) EXPECT_EQ(LookupHumidity(560, wet), -1) << wet;
    EXPECT_EQ(LookupHumidity(640, 384), -1);
    EXPECT_EQ(LookupHumidity(0, 0), -1);
    EXPECT_EQ(LookupHumidity(561, 384), -1);
    EXPECT_EQ(LookupHumidity(560, 385), -1);
}

TEST(LookupHumidity, GridEdgesSelectTheirRowAndColumn) {
    for (int r = 1; r < kHumidityRows; ++r) {
        for (int c = 1; c < kHumidityColumns; ++c) {
            // On the grid point itself, and one unit below it (previous row / column).
            ASSERT_EQ(LookupHumidity(DryRaw(r), WetRaw(c)), Cell(r, c));
            ASSERT_EQ(LookupHumidity(DryRaw(r) - 1, WetRaw(c)), Cell(r - 1, c));
            ASSERT_EQ(LookupHumidity(DryRaw(r), WetRaw(c) + 7), Cell(r, c));
            ASSERT_EQ(LookupHumidity(DryRaw(r), WetRaw(c) - 1), Cell(r, c - 1));
        }
    }
}

// Physical properties of a psychrometric table: they catch a mistyped cell.
TEST(HumidityTable, IsPhysicallyConsistent) {
    ASSERT_EQ(HumidityTable.size(), 558u);
    for (int r = 0; r < kHumidityRows; ++r) {
        const double dry = 35.0 + 0.5 * r;
        for (int c = 0; c < kHumidityColumns; ++c) {
            const double wet = 24.0 + 0.5 * c;
            EXPECT_EQ(Cell(r, c) == 100, wet >= dry) << "row " << r << " column " << c;
            EXPECT_GE(Cell(r, c), 16);
            if (c > 0) {
                EXPECT_GE(Cell(r, c), Cell(r, c - 1)) << "row " << r << " column " << c;
            }
            if (r > 0) {
                EXPECT_LE(Cell(r, c), Cell(r - 1, c)) << "row " << r << " column " << c;
            }
        }
    }
    EXPECT_EQ(Cell(17, 0), 16);
}
