#include "chart/curve_path.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "platform/qt/line_raster.h"

namespace {

using Points = std::vector<gfx::Point>;

Points Thinned(Points p) {
    p.resize(chart::ThinColumns(p));
    return p;
}

TEST(CurveThinning, KeepsFirstLowestHighestLastPerColumnInOrder) {
    EXPECT_EQ(Thinned({{5, 10}, {5, 50}, {5, 5}, {5, 30}, {5, 20}, {6, 7}}),
              (Points{{5, 10}, {5, 50}, {5, 5}, {5, 20}, {6, 7}}));
    // Lowest before highest; the first is also the lowest.
    EXPECT_EQ(Thinned({{1, 3}, {1, 9}, {1, 4}, {1, 5}, {2, 0}}),
              (Points{{1, 3}, {1, 9}, {1, 5}, {2, 0}}));
    // One point per column: nothing to drop.
    EXPECT_EQ(Thinned({{1, 3}, {2, 9}, {3, 4}}), (Points{{1, 3}, {2, 9}, {3, 4}}));
    // Repeated points vanish; a column visited twice keeps both visits.
    EXPECT_EQ(Thinned({{1, 3}, {1, 3}, {2, 9}, {1, 4}, {1, 4}}), (Points{{1, 3}, {2, 9}, {1, 4}}));
}

// The claim the thinning rests on: the pixels drawn are exactly those of the full polyline.
TEST(CurveThinning, DrawsTheSamePixelsAsTheFullPolyline) {
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        const int n = 2 + static_cast<int>(rng() % 400);
        std::uniform_int_distribution<int> dx(round % 3 == 0 ? -2 : 0, 1);
        std::normal_distribution<double> dy(0, 1 + round % 17);
        Points full;
        double y = 40;
        int x = 5 + static_cast<int>(rng() % 20);
        for (int i = 0; i < n; ++i) {
            x = std::clamp(x + dx(rng), -10, 110);
            y = std::clamp(y + dy(rng), -20.0, 100.0);
            full.push_back({x, static_cast<int>(std::lround(y))});
        }
        const Points thin = Thinned(full);
        std::vector<std::uint32_t> a(100 * 80, 0), b(100 * 80, 0);
        const raster::PixelBuffer pa{a.data(), 100, 80, 100}, pb{b.data(), 100, 80, 100};
        const gfx::Rect clip{3, 2, 97, 78};
        raster::DrawPolyline(pa, clip, full, 1);
        raster::DrawPolyline(pb, clip, thin, 1);
        ASSERT_EQ(a, b) << "round " << round;
        ASSERT_LE(thin.size(), full.size());
    }
}

using Pixels = std::vector<std::uint32_t>;

// The pixels of some polylines drawn one after another on a 100 x 80 buffer.
template <typename Runs>
Pixels Draw(const Runs& runs, const gfx::Rect& clip = {3, 2, 97, 78}) {
    Pixels bits(100 * 80, 0);
    const raster::PixelBuffer buffer{bits.data(), 100, 80, 100};
    for (const auto& run : runs) raster::DrawPolyline(buffer, clip, run, 1);
    return bits;
}

Pixels Draw(const Points& run) {
    return Draw(std::vector<Points>{run});
}

// The first few pixels (x,y) set in one drawing but not in the other; empty when equal.
std::string Differences(const Pixels& a, const Pixels& b) {
    std::string out;
    int shown = 0;
    for (std::size_t i = 0; i < a.size() && shown < 5; ++i) {
        if (a[i] == b[i]) continue;
        out += "(" + std::to_string(i % 100) + "," + std::to_string(i / 100) + ") ";
        ++shown;
    }
    return out;
}

// The full line leaves an extreme it returns to at the end, and so draws its pixel; the
// thinned one must too, although its last point is that extreme.
TEST(CurveThinning, RunEndingOnAnExtremeItLeftKeepsThatPixel) {
    const std::vector<Points> cases = {
        {{4, 5}, {5, 5}, {5, 10}, {5, 7}, {5, 10}},
        {{4, 10}, {5, 10}, {5, 5}, {5, 7}, {5, 5}},
        {{5, 5}, {5, 10}, {5, 7}, {5, 10}},                  // the run is one column
        {{4, 5}, {5, 5}, {5, 2}, {5, 10}, {5, 7}, {5, 10}},  // both extremes, back to the second
        {{4, 5}, {5, 5}, {5, 10}, {5, 2}, {5, 7}, {5, 2}},
        {{4, 5}, {5, 5}, {5, 6}, {5, 5}, {5, 6}},  // one pixel apart
        {{4, 5}, {5, 5}, {5, 10}, {5, 10}, {5, 7}, {5, 10}},
        // Reached and never left: neither line draws it.
        {{4, 5}, {5, 5}, {5, 10}, {5, 10}},
        {{4, 5}, {5, 5}, {5, 2}, {5, 10}, {5, 10}},
    };
    for (const Points& full : cases) {
        const Points thin = Thinned(full);
        EXPECT_EQ(Differences(Draw(full), Draw(thin)), "")
            << "from " << full[0].x << "," << full[0].y << ", " << full.size() << " points";
        EXPECT_LE(thin.size(), full.size());
    }
}

chart::PixelMap Identity() {
    chart::PixelMap m;
    m.plot_left = 0;
    m.base_y = 100;
    m.kx = 1;
    m.ky = 1;
    return m;
}

TEST(CurvePath, MapsValuesToPixelsWithTiesToEven) {
    chart::PixelMap m = Identity();
    m.plot_left = 10;
    m.view_min_x = 1;
    m.view_min_y = 2;
    m.kx = 0.5;
    gfx::Point p;
    ASSERT_TRUE(chart::MapPoint(m, 6, 12, p));  // 10 + nearest(2.5), 100 - nearest(10)
    EXPECT_EQ(p, (gfx::Point{12, 90}));
    ASSERT_TRUE(chart::MapPoint(m, 8, 12.5, p));  // nearest(3.5) = 4, nearest(10.5) = 10
    EXPECT_EQ(p, (gfx::Point{14, 90}));
    EXPECT_FALSE(chart::MapPoint(m, std::nan(""), 0, p));
    EXPECT_FALSE(chart::MapPoint(m, 1e300, 0, p));
}

TEST(CurvePath, NumbersThatAreNotFiniteSplitTheRuns) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> xs = {0, 10, nan, 30, 40, 50, nan, 70};
    const std::vector<double> ys = {0, 10, 20, 30, 40, 50, 60, 70};
    chart::CurvePath path;
    path.Build(xs, ys, Identity(), {-100, -100, 200, 200}, false);
    ASSERT_EQ(path.RunCount(), 2u);
    EXPECT_EQ(path.Run(0).size(), 2u);
    EXPECT_EQ(path.Run(1).size(), 3u);  // 70 stands alone and is dropped
    EXPECT_EQ(path.Run(1)[0], (gfx::Point{30, 70}));
}

TEST(CurvePath, FarAwaySegmentsAreCutToTheGuard) {
    const std::vector<double> xs = {10, 1e12, 20};
    const std::vector<double> ys = {50, 50, 60};
    chart::CurvePath path;
    const gfx::Rect guard{-20, -20, 120, 120};
    path.Build(xs, ys, Identity(), guard, true);
    ASSERT_EQ(path.RunCount(), 2u);
    EXPECT_EQ(path.Run(0)[0], (gfx::Point{10, 50}));
    EXPECT_EQ(path.Run(0)[1], (gfx::Point{120, 50}));
    EXPECT_EQ(path.Run(1)[1], (gfx::Point{20, 40}));
    // A far segment that misses the guard leaves nothing.
    const std::vector<double> far_x = {1e12, 2e12};
    path.Build(far_x, ys, Identity(), guard, false);
    EXPECT_EQ(path.RunCount(), 0u);
}

// A cut end is computed from the end nearer to it: from the far one, the rounding of its
// huge coordinates would shift the cut by many pixels or lose the segment.
TEST(CurvePath, SegmentsToFarPointsAreCutWhereTheyLeaveTheGuard) {
    const gfx::Rect guard{-20, -20, 120, 120};
    chart::CurvePath path;
    auto cut = [&](double x0, double y0, double x1, double y1) {
        const std::vector<double> xs = {x0, x1}, ys = {y0, y1};
        path.Build(xs, ys, Identity(), guard, true);
        return path.RunCount() == 1 ? Points(path.Run(0).begin(), path.Run(0).end()) : Points{};
    };
    for (double far : {1e15, 1e16, 1e17, 1e20, 1e25, 1e30}) {
        // Pixel (10,50) to the far right, level, and to the far upper right at 45 degrees.
        EXPECT_EQ(cut(10, 50, far, 50), (Points{{10, 50}, {120, 50}})) << far;
        EXPECT_EQ(cut(far, 50, 10, 50), (Points{{120, 50}, {10, 50}})) << far;
        EXPECT_EQ(cut(10, 50, 10 + far, 50 + far), (Points{{10, 50}, {80, -20}})) << far;
        EXPECT_EQ(cut(10 + far, 50 + far, 10, 50), (Points{{80, -20}, {10, 50}})) << far;
        // Both ends far off, on either side of the guard.
        const Points across = cut(-far, 40, far, 40);
        ASSERT_EQ(across.size(), 2u) << far;
        for (const gfx::Point p : across) {
            EXPECT_EQ(p.y, 60) << far;
            EXPECT_TRUE(p.x >= -20 && p.x <= 120) << far << ": " << p.x;
        }
    }
}

// Far segments through a point of the plot, at any angle: never lost, never cut outside
// the guard, and passing within a pixel of where they should.
TEST(CurvePath, FarSegmentsThroughThePlotAreKeptInsideTheGuard) {
    const gfx::Rect guard{-20, -20, 120, 120};
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> exponent(15, 30), at(0, 100), angle(0, 6.283);
    chart::CurvePath path;
    for (int i = 0; i < 20000; ++i) {
        const double far = std::pow(10, exponent(rng)), a = angle(rng);
        const double x0 = at(rng), y0 = at(rng);
        const double x1 = x0 + far * std::cos(a), y1 = y0 + far * std::sin(a);
        const std::vector<double> xs = i % 2 ? std::vector{x1, x0} : std::vector{x0, x1};
        const std::vector<double> ys = i % 2 ? std::vector{y1, y0} : std::vector{y0, y1};
        path.Build(xs, ys, Identity(), guard, false);
        ASSERT_EQ(path.RunCount(), 1u) << "far " << far << " angle " << a;
        const auto run = path.Run(0);
        ASSERT_EQ(run.size(), 2u);
        const gfx::Point near = run[i % 2 ? 1 : 0];
        EXPECT_EQ(near, (gfx::Point{int(std::lround(x0)), int(std::lround(100 - y0))}));
        const gfx::Point cut = run[i % 2 ? 0 : 1];
        ASSERT_TRUE(cut.x >= -20 && cut.x <= 120 && cut.y >= -20 && cut.y <= 120)
            << "far " << far << ": " << cut.x << "," << cut.y;
        // The cut end lies on the line from the near end, within rounding.
        const double cross = (cut.x - near.x) * -std::sin(a) - (cut.y - near.y) * std::cos(a);
        ASSERT_LT(std::fabs(cross), 1.5) << "far " << far << " angle " << a;
    }
}

TEST(CurvePath, ThinnedRunEndingInsideTheClipOnAnExtremeKeepsItsPixel) {
    // Pixels (4,5) (5,5) (5,10) (5,7) (5,10): the run ends in column 5, inside the clip.
    const std::vector<double> xs = {4, 5, 5.1, 5.2, 5.3};
    const std::vector<double> ys = {95, 95, 90, 93, 90};
    const gfx::Rect guard{-20, -20, 120, 120};
    chart::CurvePath full, thin;
    full.Build(xs, ys, Identity(), guard, false);
    thin.Build(xs, ys, Identity(), guard, true);
    ASSERT_EQ(full.RunCount(), 1u);
    ASSERT_EQ(thin.RunCount(), 1u);
    EXPECT_EQ(Differences(Draw(std::vector{full.Run(0)}), Draw(std::vector{thin.Run(0)})), "");
}

// Crowded columns whose values come back to earlier extremes, runs broken by values that
// are no number and ending anywhere, inside the clip or not.
TEST(CurvePath, ThinnedRunsDrawTheSamePixelsAsTheFullOnes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::mt19937 rng(23);
    const gfx::Rect guard{-30, -30, 130, 110};
    for (int round = 0; round < 1500; ++round) {
        const int n = 2 + static_cast<int>(rng() % 300);
        const int per_column = 1 + round % 12;
        const int spread = 1 + round % 5;
        std::uniform_real_distribution<double> advance(0, 2.0 / per_column);
        std::vector<double> xs, ys;
        double x = static_cast<double>(rng() % 90);
        double level = 30 + static_cast<double>(rng() % 40);
        for (int i = 0; i < n; ++i) {
            x += rng() % 9 == 0 ? -advance(rng) : advance(rng);
            if (rng() % 16 == 0) level += static_cast<int>(rng() % 21) - 10.0;
            double y = level + static_cast<int>(rng() % (2 * spread + 1)) - spread;
            if (rng() % 29 == 0) (rng() % 2 ? x : y) = nan;
            xs.push_back(x);
            ys.push_back(y);
            if (std::isnan(x)) x = static_cast<double>(rng() % 90);
        }
        chart::CurvePath full, thin;
        full.Build(xs, ys, Identity(), guard, false);
        thin.Build(xs, ys, Identity(), guard, true);
        std::vector<std::span<const gfx::Point>> full_runs, thin_runs;
        std::size_t full_points = 0, thin_points = 0;
        for (std::size_t r = 0; r < full.RunCount(); ++r) {
            full_runs.push_back(full.Run(r));
            full_points += full.Run(r).size();
        }
        for (std::size_t r = 0; r < thin.RunCount(); ++r) {
            thin_runs.push_back(thin.Run(r));
            thin_points += thin.Run(r).size();
        }
        ASSERT_EQ(Differences(Draw(full_runs), Draw(thin_runs)), "") << "round " << round;
        ASSERT_LE(thin_points, full_points) << "round " << round;
    }
}

}  // namespace
