// Thinned and full curves drawn by the QImage canvas differ in no pixel.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <random>
#include <vector>

#include "chart/curve_path.h"
#include "chart/tests/qt_test_app.h"
#include "platform/qt/qt_canvas.h"

namespace {

QImage Draw(const std::vector<std::vector<double>>& ys, const std::vector<double>& xs,
            const chart::PixelMap& map, const gfx::Rect& clip, bool thin, std::size_t* points) {
    QImage img(900, 420, QImage::Format_RGB32);
    img.fill(Qt::white);
    QtCanvas canvas(img);
    canvas.SetClipRect(clip);
    const gfx::Rect guard{clip.left - 17, clip.top - 17, clip.right + 17, clip.bottom + 17};
    chart::CurvePath path;
    *points = 0;
    for (std::size_t c = 0; c < ys.size(); ++c) {
        canvas.SetPen({MakeColor(40 * int(c), 255 - 40 * int(c), 0), 1, gfx::PenStyle::psSolid});
        path.Build(xs, ys[c], map, guard, thin);
        for (std::size_t r = 0; r < path.RunCount(); ++r) {
            canvas.Polyline(path.Run(r));
            *points += path.Run(r).size();
        }
    }
    return img;
}

TEST(CurveThinningPixels, ThinnedAndFullDrawingsAreIdentical) {
    QtTestApp();
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 0.15);
    const int n = 5050;
    std::vector<double> xs(n);
    for (int i = 0; i < n; ++i) xs[i] = i;
    std::vector<std::vector<double>> ys(5, std::vector<double>(n));
    for (int c = 0; c < 5; ++c)
        for (int i = 0; i < n; ++i)
            ys[c][i] = 36 + c + std::sin(i * 0.01 * (c + 1)) + noise(rng) +
                       (i % 997 == 0 ? 15 : 0);  // spikes leave the plot
    // A view like the monitor's at 150 %: part of the data lies outside the plot.
    const gfx::Rect clip{54, 8, 860, 374};
    for (double zoom : {1.0, 1.5, 7.0}) {
        chart::PixelMap map;
        map.plot_left = 54;
        map.base_y = 372;
        map.view_min_x = zoom == 1.0 ? 0 : 1200;
        map.view_min_y = 34;
        map.kx = 806.0 * zoom / 5050;
        map.ky = 364.0 * zoom / 10;
        std::size_t full_points = 0, thin_points = 0;
        const QImage full = Draw(ys, xs, map, clip, false, &full_points);
        const QImage thin = Draw(ys, xs, map, clip, true, &thin_points);
        ASSERT_EQ(full, thin) << "zoom " << zoom;
        if (zoom == 1.0) {
            // About 6 points a column come down to at most 4 (first, lowest, highest, last).
            EXPECT_LT(thin_points * 5, full_points * 3);
        }
    }
}

// Many points a column on a few pixel rows, so that columns often end on an extreme they
// left before; runs broken by values that are no number end inside the plot.
TEST(CurveThinningPixels, CrowdedColumnsAndBrokenRunsAreIdentical) {
    QtTestApp();
    const double nan = std::nan("");
    std::mt19937 rng(9);
    const int n = 5050;
    std::vector<double> xs(n);
    for (int i = 0; i < n; ++i) xs[i] = i;
    std::vector<std::vector<double>> ys(5, std::vector<double>(n));
    for (int c = 0; c < 5; ++c) {
        double level = 150 + 30 * c;
        for (int i = 0; i < n; ++i) {
            if (rng() % 40 == 0) level += static_cast<int>(rng() % 9) - 4.0;
            ys[c][i] = rng() % 97 == 0 ? nan : level + static_cast<int>(rng() % (2 + c)) - 1;
        }
    }
    const gfx::Rect clip{54, 8, 860, 374};
    for (int per_column : {3, 8, 25}) {
        chart::PixelMap map;
        map.plot_left = 60;
        map.base_y = 372;
        map.kx = 1.0 / per_column;  // the last column lies well inside the clip
        map.ky = 1;
        std::size_t full_points = 0, thin_points = 0;
        const QImage full = Draw(ys, xs, map, clip, false, &full_points);
        const QImage thin = Draw(ys, xs, map, clip, true, &thin_points);
        ASSERT_EQ(full, thin) << per_column << " points a column";
        EXPECT_LT(thin_points, full_points);
    }
}

}  // namespace
