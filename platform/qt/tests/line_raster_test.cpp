#include "platform/qt/line_raster.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr std::uint32_t kInk = 0xFF000000u;
constexpr std::uint32_t kPaper = 0xFFFFFFFFu;

struct Image {
    Image(int w, int h) : pixels(static_cast<std::size_t>(w) * h, kPaper) {
        buffer = {pixels.data(), w, h, w};
    }
    std::uint32_t At(int x, int y) const { return pixels[std::size_t(y) * buffer.width + x]; }
    std::set<std::pair<int, int>> Inked() const {
        std::set<std::pair<int, int>> out;
        for (int y = 0; y < buffer.height; ++y)
            for (int x = 0; x < buffer.width; ++x)
                if (At(x, y) != kPaper) out.insert({x, y});
        return out;
    }
    gfx::Rect All() const { return {0, 0, buffer.width, buffer.height}; }
    std::vector<std::uint32_t> pixels;
    raster::PixelBuffer buffer;
};

TEST(LineRaster, LinesKeepTheStartAndLeaveOutTheEndInEveryDirection) {
    const gfx::Point c{20, 20};
    const std::vector<gfx::Point> ends = {{30, 20}, {10, 20}, {20, 31}, {20, 9},  {27, 27},
                                          {13, 13}, {33, 24}, {8, 17},  {22, 35}, {17, 4}};
    for (const auto& e : ends) {
        Image img(41, 41);
        raster::DrawLine(img.buffer, img.All(), c, e, kInk, false);
        const auto inked = img.Inked();
        SCOPED_TRACE(::testing::Message() << "to " << e.x << "," << e.y);
        EXPECT_TRUE(inked.count({c.x, c.y}));
        EXPECT_FALSE(inked.count({e.x, e.y}));
        const auto n = std::max(std::abs(e.x - c.x), std::abs(e.y - c.y));
        EXPECT_EQ(inked.size(), std::size_t(n));
        // Connected: each pixel one step from the previous along the major axis.
        for (const auto& [x, y] : inked) {
            EXPECT_LE(std::abs(x - c.x), std::abs(e.x - c.x));
            EXPECT_LE(std::abs(y - c.y), std::abs(e.y - c.y));
        }
    }
}

TEST(LineRaster, ZeroLengthLineDrawsNothingAndPolylineLeavesOutOnlyItsLastVertex) {
    Image img(20, 20);
    raster::DrawLine(img.buffer, img.All(), {5, 5}, {5, 5}, kInk, false);
    EXPECT_TRUE(img.Inked().empty());

    const gfx::Point pts[] = {{2, 2}, {10, 2}, {10, 8}, {3, 9}};
    raster::DrawPolyline(img.buffer, img.All(), pts, kInk);
    const auto inked = img.Inked();
    EXPECT_TRUE(inked.count({10, 2}));
    EXPECT_TRUE(inked.count({10, 8}));
    EXPECT_FALSE(inked.count({3, 9}));
    EXPECT_EQ(inked.size(), std::size_t(8 + 6 + 7));
}

TEST(LineRaster, ClippedLineIsTheFullLineCutToTheClip) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> coord(-60, 160);
    const gfx::Rect clip{30, 20, 71, 61};
    for (int round = 0; round < 400; ++round) {
        const gfx::Point a{coord(rng), coord(rng)}, b{coord(rng), coord(rng)};
        // The reference draws unclipped into a buffer that holds the whole line.
        Image full(400, 400);
        const gfx::Point off{100, 100};
        raster::DrawLine(full.buffer, full.All(), {a.x + off.x, a.y + off.y},
                         {b.x + off.x, b.y + off.y}, kInk, round % 2 == 0);
        Image cut(120, 120);
        raster::DrawLine(cut.buffer, clip, a, b, kInk, round % 2 == 0);
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 120; ++x) {
                const bool inside =
                    x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                const bool want = inside && full.At(x + off.x, y + off.y) == kInk;
                ASSERT_EQ(cut.At(x, y) == kInk, want)
                    << a.x << "," << a.y << " -> " << b.x << "," << b.y << " at " << x << "," << y;
            }
    }
}

TEST(LineRaster, HugeCoordinatesAreCutWithoutOverflow) {
    Image img(50, 10);
    raster::DrawLine(img.buffer, img.All(), {-2000000000, 5}, {2000000000, 5}, kInk, false);
    raster::DrawLine(img.buffer, img.All(), {25, -2000000000}, {25, 2000000000}, kInk, false);
    const auto inked = img.Inked();
    EXPECT_EQ(inked.size(), std::size_t(50 + 10 - 1));
    EXPECT_TRUE(inked.count({0, 5}));
    EXPECT_TRUE(inked.count({49, 5}));
    EXPECT_TRUE(inked.count({25, 0}));
}

// Beyond the safe range a line is cut to the clip first; a 45-degree line keeps every pixel.
TEST(LineRaster, FarDiagonalKeepsItsVisiblePixels) {
    Image img(40, 40);
    const int far = 1 << 26;
    raster::DrawLine(img.buffer, img.All(), {5 - far, 9 - far}, {5 + far, 9 + far}, kInk, false);
    std::set<std::pair<int, int>> want;
    for (int x = 0; x < 40; ++x)
        if (x + 4 < 40) want.insert({x, x + 4});
    EXPECT_EQ(img.Inked(), want);
}

// Polylines full of upright segments in one column, as thinned curves are, some of no
// length, some leaving the clip: the pixels of their segments drawn one by one.
TEST(LineRaster, UprightRunsOfAPolylineDrawTheirSegmentsPixels) {
    std::mt19937 rng(29);
    const gfx::Rect clip{2, 3, 38, 37};
    for (int round = 0; round < 3000; ++round) {
        std::vector<gfx::Point> points;
        gfx::Point p{static_cast<int>(rng() % 40), static_cast<int>(rng() % 40)};
        const int n = 2 + static_cast<int>(rng() % 12);
        for (int i = 0; i < n; ++i) {
            points.push_back(p);
            if (rng() % 4 == 0) p.x += static_cast<int>(rng() % 5) - 2;
            if (rng() % 5 != 0) p.y = static_cast<int>(rng() % 44) - 2;
        }
        Image whole(40, 40), by_segment(40, 40);
        raster::DrawPolyline(whole.buffer, clip, points, kInk);
        for (std::size_t i = 1; i < points.size(); ++i)
            raster::DrawLine(by_segment.buffer, clip, points[i - 1], points[i], kInk, false);
        ASSERT_EQ(whole.Inked(), by_segment.Inked()) << "round " << round;
    }
}

TEST(LineRaster, DottedLineDrawsRunsOfThree) {
    Image img(20, 3);
    raster::DrawLine(img.buffer, img.All(), {15, 1}, {1, 1}, kInk, true);
    std::string row;
    for (int x = 0; x < 20; ++x) row += img.At(x, 1) == kInk ? '#' : '.';
    // From x = 15 leftwards: 15..13 drawn, 12..10 left, 9..7 drawn, 6..4 left, 3..2 drawn.
    EXPECT_EQ(row, "..##...###...###....");
    // Upright and level, every length and direction: step i drawn when i div 3 is even.
    for (int length = 1; length <= 20; ++length)
        for (const gfx::Point dir : {gfx::Point{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            Image img(50, 50);
            const gfx::Point from{25, 25};
            raster::DrawLine(img.buffer, img.All(), from,
                             {from.x + dir.x * length, from.y + dir.y * length}, kInk, true);
            std::set<std::pair<int, int>> want;
            for (int i = 0; i < length; ++i)
                if ((i / 3) % 2 == 0) want.insert({from.x + dir.x * i, from.y + dir.y * i});
            ASSERT_EQ(img.Inked(), want) << length << " " << dir.x << "," << dir.y;
        }
}

TEST(LineRaster, RectanglesCoverLeftAndTopButNotRightAndBottom) {
    Image img(12, 12);
    raster::OutlinedRect(img.buffer, img.All(), {2, 3, 7, 9}, 0xFF00FF00u, kInk);
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 7 && y >= 3 && y < 9;
            const bool edge = inside && (x == 2 || x == 6 || y == 3 || y == 8);
            const std::uint32_t want = edge ? kInk : inside ? 0xFF00FF00u : kPaper;
            ASSERT_EQ(img.At(x, y), want) << x << "," << y;
        }
    Image clipped(12, 12);
    raster::FillRect(clipped.buffer, {4, 4, 5, 6}, {0, 0, 12, 12}, kInk);
    EXPECT_EQ(clipped.Inked(), (std::set<std::pair<int, int>>{{4, 4}, {4, 5}}));
    raster::FillRect(clipped.buffer, clipped.All(), {6, 6, 6, 9}, kInk);  // empty
    raster::FillRect(clipped.buffer, clipped.All(), {8, 8, 7, 9}, kInk);  // inverted
    EXPECT_EQ(clipped.Inked().size(), 2u);
}

TEST(LineRaster, FocusFrameInvertsEveryOtherEdgePixelAndUndoesItself) {
    Image img(10, 8);
    raster::InvertFocusFrame(img.buffer, img.All(), img.All());
    const auto inked = img.Inked();
    for (const auto& [x, y] : inked) {
        EXPECT_EQ((x + y) % 2, 0);
        EXPECT_TRUE(x == 0 || x == 9 || y == 0 || y == 7);
        EXPECT_EQ(img.At(x, y), 0xFF000000u);
    }
    EXPECT_EQ(inked.size(), std::size_t((2 * 10 + 2 * 6) / 2));
    raster::InvertFocusFrame(img.buffer, img.All(), img.All());
    EXPECT_TRUE(img.Inked().empty());
}

}  // namespace
