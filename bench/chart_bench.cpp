// One full paint of the monitor's chart at its largest window: 5 curves x 5050 points on a
// 900 x 420 image. Ours (DrawChart through the QImage canvas) against QCustomPlot drawing
// the same data with the same pens, antialiasing off, with and without its adaptive sampling.
// Both paint into an image kept from one paint to the next, as each widget does; ours keeps
// its laid-out labels too, as its widget does.
#include <benchmark/benchmark.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QImage>
#include <cmath>
#include <random>
#include <vector>

#include "chart/curve_path.h"
#include "chart/graph_m.h"
#include "platform/qt/qt_canvas.h"

namespace {

constexpr int kWidth = 900;
constexpr int kHeight = 420;
constexpr int kPoints = 5050;
constexpr int kCurves = 5;
const TColor kColours[kCurves] = {0x000000, 0xFF0000, 0x808040, 0x800080, 0x0080FF};

// Incubator-like samples: temperatures in tenths with sensor noise, a heater switching.
struct Samples {
    std::vector<double> x;
    std::vector<std::vector<double>> y;
};

const Samples& Data() {
    static const Samples data = [] {
        Samples s;
        std::mt19937 rng(1);
        std::normal_distribution<double> noise(0, 0.12);
        s.x.resize(kPoints);
        s.y.assign(kCurves, std::vector<double>(kPoints));
        bool heater = false;
        for (int i = 0; i < kPoints; ++i) {
            s.x[i] = i;
            const double wave = std::sin(i * 0.004);
            if (i % 37 == 0) heater = !heater;
            s.y[0][i] = std::round((37.6 + 0.4 * wave + noise(rng)) * 10) / 10;
            s.y[1][i] = std::round((37.3 + 0.5 * wave + noise(rng)) * 10) / 10;
            s.y[2][i] = std::round((28.5 + 0.8 * std::cos(i * 0.003) + noise(rng)) * 10) / 10;
            s.y[3][i] = 38.0 + (heater ? 0.5 : 0.0);
            s.y[4][i] = std::round((31 + 3 * std::sin(i * 0.02) + noise(rng)) * 10) / 10;
        }
        return s;
    }();
    return data;
}

QColor ToQColor(TColor c) {
    return QColor(ColorRed(c), ColorGreen(c), ColorBlue(c));
}

// The chart as the main window holds it: range 0..L, 20..45, kept at 101 %.
void BM_DrawChart(benchmark::State& state) {
    TGraphM chart;
    chart.SetBounds(kWidth, kHeight);
    chart.SetMaxXValue(kPoints);
    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    chart.SetShowTextScale(false);
    const Samples& d = Data();
    for (int c = 0; c < kCurves; ++c) {
        TCurve& curve = chart.Curves().Add();
        curve.SetColorGraph(kColours[c]);
        for (int i = 0; i < kPoints; ++i) curve.AddPoint(d.x[i], d.y[c][i]);
    }
    chart.SetScale(100);
    chart.SetScale(101);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QtTextCache text_cache;
    for (auto _ : state) {
        {
            QtCanvas canvas(image, &text_cache);
            chart.Paint(canvas);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCurves * kPoints);
}
BENCHMARK(BM_DrawChart)->Unit(benchmark::kMicrosecond);

// The same chart with no points: background, grid, ticks, labels and frame.
void BM_AxesOnly(benchmark::State& state) {
    TGraphM chart;
    chart.SetBounds(kWidth, kHeight);
    chart.SetMaxXValue(kPoints);
    chart.SetMinYValue(20);
    chart.SetMaxYValue(45);
    chart.SetShowTextScale(false);
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    QtTextCache text_cache;
    for (auto _ : state) {
        {
            QtCanvas canvas(image, &text_cache);
            chart.Paint(canvas);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_AxesOnly)->Unit(benchmark::kMicrosecond);

// The plot of a 900-pixel-wide chart with a view of 20..45 degrees, as DrawChart lays it out.
chart::PixelMap BenchMap() {
    chart::PixelMap map;
    map.plot_left = 54;
    map.base_y = kHeight - 48;
    map.kx = 820.0 / kPoints;
    map.ky = (kHeight - 56) / 25.0;
    map.view_min_y = 20;
    return map;
}

gfx::Rect BenchClip() {
    return {54, 8, 874, kHeight - 46};
}

gfx::Rect GuardAround(const gfx::Rect& clip) {
    return {clip.left - 17, clip.top - 17, clip.right + 17, clip.bottom + 17};
}

// Only the five curves through the canvas, the points thinned per pixel column (1) or all
// drawn (0): what the thinning saves.
void BM_CurvesOnly(benchmark::State& state) {
    const bool thin = state.range(0) != 0;
    const Samples& d = Data();
    const chart::PixelMap map = BenchMap();
    const gfx::Rect clip = BenchClip();
    const gfx::Rect guard = GuardAround(clip);
    chart::CurvePath path;
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        {
            QtCanvas canvas(image);
            canvas.SetBrushColor(clWhite);
            canvas.FillRect({0, 0, kWidth, kHeight});
            canvas.SetClipRect(clip);
            for (int c = 0; c < kCurves; ++c) {
                canvas.SetPen({kColours[c], 1, gfx::PenStyle::psSolid});
                path.Build(d.x, d.y[c], map, guard, thin);
                for (std::size_t r = 0; r < path.RunCount(); ++r) canvas.Polyline(path.Run(r));
            }
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_CurvesOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Mapping the five curves to pixels, thinned (1) or not (0), without drawing.
void BM_BuildOnly(benchmark::State& state) {
    const bool thin = state.range(0) != 0;
    const Samples& d = Data();
    const chart::PixelMap map = BenchMap();
    const gfx::Rect guard = GuardAround(BenchClip());
    chart::CurvePath path;
    std::size_t pts = 0;
    for (auto _ : state) {
        for (int c = 0; c < kCurves; ++c) {
            path.Build(d.x, d.y[c], map, guard, thin);
            pts = path.Run(0).size();
        }
        benchmark::DoNotOptimize(pts);
    }
    state.counters["points"] = double(pts);
}
BENCHMARK(BM_BuildOnly)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Clearing the image to white: the floor under every full paint, ours and QCustomPlot's.
void BM_ImageOnly(benchmark::State& state) {
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        {
            QtCanvas canvas(image);
            canvas.SetBrushColor(clWhite);
            canvas.FillRect({0, 0, kWidth, kHeight});
        }
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_ImageOnly)->Unit(benchmark::kMicrosecond);

void BM_QCustomPlot(benchmark::State& state) {
    const bool adaptive = state.range(0) != 0;
    QCustomPlot plot;
    plot.resize(kWidth, kHeight);
    plot.setNotAntialiasedElements(QCP::aeAll);
    plot.xAxis->setRange(0, kPoints);
    plot.yAxis->setRange(20, 45);
    const Samples& d = Data();
    const QVector<double> keys(d.x.begin(), d.x.end());
    for (int c = 0; c < kCurves; ++c) {
        QCPGraph* graph = plot.addGraph();
        graph->setData(keys, QVector<double>(d.y[c].begin(), d.y[c].end()), true);
        graph->setPen(QPen(ToQColor(kColours[c]), 1));
        graph->setAdaptiveSampling(adaptive);
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        {
            QCPPainter painter(&image);
            plot.toPainter(&painter, kWidth, kHeight);
        }
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCurves * kPoints);
    state.SetLabel(adaptive ? "adaptive sampling" : "every point");
}
BENCHMARK(BM_QCustomPlot)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
