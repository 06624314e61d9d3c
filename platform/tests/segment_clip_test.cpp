#include "platform/segment_clip.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using gfx::FarPoint;

const gfx::Rect kBox{-20, -20, 120, 120};

bool Inside(const FarPoint& p) {
    return p.x >= kBox.left && p.x <= kBox.right && p.y >= kBox.top && p.y <= kBox.bottom;
}

bool Whole(const FarPoint& p) {
    return p.x == std::round(p.x) && p.y == std::round(p.y);
}

TEST(SegmentClip, KeepsEndsInsideAndCutsOthersOnTheEdgeTheyCross) {
    FarPoint a{10, 50}, b{300, 50};
    ASSERT_TRUE(gfx::ClipSegment(kBox, a, b));
    EXPECT_EQ(a.x, 10);
    EXPECT_EQ(a.y, 50);
    EXPECT_EQ(b.x, 120);
    EXPECT_EQ(b.y, 50);
    // Entering from above left, leaving through the bottom; the direction is kept.
    a = {-60, -60};
    b = {200, 200};
    ASSERT_TRUE(gfx::ClipSegment(kBox, a, b));
    EXPECT_EQ(a.x, -20);
    EXPECT_EQ(a.y, -20);
    EXPECT_EQ(b.x, 120);
    EXPECT_EQ(b.y, 120);
    // A cut that falls between pixels is rounded to one.
    a = {0, 0};
    b = {300, 100};  // crosses x = 120 at y = 40
    ASSERT_TRUE(gfx::ClipSegment(kBox, a, b));
    EXPECT_EQ(b.x, 120);
    EXPECT_EQ(b.y, 40);
    a = {0, 0};
    b = {-70, 3};  // crosses x = -20 at y = 0.857
    ASSERT_TRUE(gfx::ClipSegment(kBox, a, b));
    EXPECT_EQ(b.x, -20);
    EXPECT_EQ(b.y, 1);
}

TEST(SegmentClip, SegmentsThatMissTheBoxAreRejected) {
    FarPoint a{-50, 200}, b{300, 200};  // level, below
    EXPECT_FALSE(gfx::ClipSegment(kBox, a, b));
    a = {130, -50};
    b = {130, 300};  // upright, to the right
    EXPECT_FALSE(gfx::ClipSegment(kBox, a, b));
    a = {100, -100};
    b = {200, 0};  // passes the top right corner outside
    EXPECT_FALSE(gfx::ClipSegment(kBox, a, b));
    a = {1e20, 5e19};
    b = {2e20, 1e20};
    EXPECT_FALSE(gfx::ClipSegment(kBox, a, b));
}

// Far ends at any angle through a point of the box: kept, cut to whole pixels inside the
// box, and on the line from the near end within rounding.
TEST(SegmentClip, FarEndsAreCutWhereTheLineLeavesTheBox) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> exponent(3, 30), at(0, 100), angle(0, 6.283);
    for (int i = 0; i < 20000; ++i) {
        const double far = std::pow(10, exponent(rng)), dir = angle(rng);
        const FarPoint near{std::round(at(rng)), std::round(at(rng))};
        const FarPoint away{near.x + far * std::cos(dir), near.y + far * std::sin(dir)};
        FarPoint a = i % 2 ? away : near, b = i % 2 ? near : away;
        ASSERT_TRUE(gfx::ClipSegment(kBox, a, b)) << far << " " << dir;
        const FarPoint kept = i % 2 ? b : a, cut = i % 2 ? a : b;
        EXPECT_EQ(kept.x, near.x);
        EXPECT_EQ(kept.y, near.y);
        ASSERT_TRUE(Inside(cut) && Whole(cut)) << cut.x << "," << cut.y;
        EXPECT_TRUE(cut.x == kBox.left || cut.x == kBox.right || cut.y == kBox.top ||
                    cut.y == kBox.bottom);
        const double cross = (cut.x - near.x) * std::sin(dir) - (cut.y - near.y) * std::cos(dir);
        ASSERT_LT(std::fabs(cross), 1.5) << far << " " << dir;
    }
}

TEST(SegmentClip, BothEndsFarOffOnEitherSide) {
    for (double far : {1e6, 1e15, 1e17, 1e25}) {
        FarPoint a{-far, 40}, b{far, 40};
        ASSERT_TRUE(gfx::ClipSegment(kBox, a, b)) << far;
        EXPECT_EQ(a.x, -20);
        EXPECT_EQ(b.x, 120);
        EXPECT_EQ(a.y, 40);
        EXPECT_EQ(b.y, 40);
    }
    for (double far : {1e6, 1e12, 1e15}) {                        // ends still exact as doubles
        FarPoint a{-far + 10, -far + 50}, b{far + 10, far + 50};  // 45 degrees through (10, 50)
        b = {far + 10, far + 50};                                 // 45 degrees through (10, 50)
        ASSERT_TRUE(gfx::ClipSegment(kBox, a, b)) << far;
        EXPECT_TRUE(Inside(a) && Inside(b)) << far;
        EXPECT_EQ(b.x - b.y, -40) << far;
        EXPECT_EQ(a.x - a.y, -40) << far;
    }
}

}  // namespace
