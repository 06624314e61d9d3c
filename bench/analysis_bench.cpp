// One analysis over a full display of 87,000 record lines.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "analysis/analysis_report.h"
#include "engine/record_line.h"
#include "engine/sample_history.h"

#ifdef ANALYSIS_BENCH_WITH_QT
#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "analysis/qt/display_lines.h"
#include "analysis/qt/form_log.h"
#include "platform/doubles/recording_clipboard.h"
#include "platform/doubles/scripted_dialogs.h"
#endif

namespace {

// Display patterns: `period` is the heater's switching period in lines (on for a third of
// it); 2 switches it every line, the most report lines a display can give.
constexpr int kUsualPeriod = 60;
constexpr int kEveryLine = 2;

std::vector<std::string> DisplayLines(int period) {
    std::vector<std::string> lines;
    lines.reserve(HISTORY_CAPACITY);
    for (int i = 0; i < static_cast<int>(HISTORY_CAPACITY); ++i) {
        std::string outs = "________";
        if (i % period < (period + 2) / 3) outs[1] = '2';
        if (i % 300 < 40) outs[3] = '4';
        if (i % 3600 < 15) outs[i / 3600 % 2 ? 5 : 4] = i / 3600 % 2 ? '6' : '5';
        const int t = 370 + i % 7;
        const std::string t1 = std::to_string(t / 10) + "," + std::to_string(t % 10);
        const LocalDateTime when{2015, 6, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60};
        lines.push_back(MakeRecordLine(t1, "37,4", "28,0", 50 + i % 9, outs, when));
    }
    return lines;
}

const std::vector<std::string>& Display(int period) {
    static const std::vector<std::string> usual = DisplayLines(kUsualPeriod);
    static const std::vector<std::string> every_line = DisplayLines(kEveryLine);
    return period == kUsualPeriod ? usual : every_line;
}

// The Qt-free report alone. Args: mode letter, heater period.
void BM_Report(benchmark::State& state) {
    const auto mode = static_cast<AnalysisMode>(state.range(0));
    const auto& lines = Display(static_cast<int>(state.range(1)));
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    std::size_t report_lines = 0;
    for (auto _ : state) {
        const auto report = RunAnalysis(mode, views);
        report_lines = report.size();
        benchmark::DoNotOptimize(report.data());
    }
    state.counters["report_lines"] = static_cast<double>(report_lines);
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(lines.size()));
}
BENCHMARK(BM_Report)
    ->ArgNames({"mode", "period"})
    ->Args({'N', kUsualPeriod})
    ->Args({'L', kUsualPeriod})
    ->Args({'H', kUsualPeriod})
    ->Args({'N', kEveryLine})
    ->Unit(benchmark::kMillisecond);

#ifdef ANALYSIS_BENCH_WITH_QT

// The main window's display holding the lines, as the user sees it.
struct MainDisplay {
    QWidget window;
    QPlainTextEdit memo{&window};
    AnalysisMode mode = AnalysisMode::Heater;
    platform::ScriptedDialogs dialogs;
    platform::RecordingClipboard clipboard;

    explicit MainDisplay(int period) {
        std::string text;
        for (const std::string& line : Display(period)) text.append(line).append("\n");
        text.pop_back();
        memo.setUndoRedoEnabled(false);
        memo.setPlainText(QString::fromStdString(text));
        window.resize(900, 600);
        window.show();
    }

    FormLogContext Context() { return {*memo.document(), mode, dialogs, clipboard, {}, {}}; }
};

// Choosing an analysis in the open window: read the display, run, fill the memo, paint.
// Args: heater period.
void BM_WindowAnalysis(benchmark::State& state) {
    MainDisplay display(static_cast<int>(state.range(0)));
    TFormLog form(display.Context(), &display.window);
    form.show();
    QApplication::processEvents();
    auto* heater = form.findChild<QAction*>("N5");
    for (auto _ : state) {
        heater->trigger();
        QApplication::processEvents();  // the one paint
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(HISTORY_CAPACITY));
}
BENCHMARK(BM_WindowAnalysis)
    ->ArgName("period")
    ->Arg(kUsualPeriod)
    ->Arg(kEveryLine)
    ->Unit(benchmark::kMillisecond);

// Opening the window from the main menu: form built, analysis run, shown, closed.
void BM_OpenWindow(benchmark::State& state) {
    MainDisplay display(kUsualPeriod);
    for (auto _ : state) {
        TFormLog form(display.Context(), &display.window);
        form.show();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond);

// The parts: reading the display's lines, and filling the memo with a finished report.
void BM_ReadDisplayLines(benchmark::State& state) {
    MainDisplay display(kUsualPeriod);
    for (auto _ : state) {
        std::size_t bytes = 0;
        ForEachDisplayLine(*display.memo.document(),
                           [&bytes](std::string_view line) { bytes += line.size(); });
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(BM_ReadDisplayLines)->Unit(benchmark::kMillisecond);

void BM_FillMemo(benchmark::State& state) {
    const auto& lines = Display(static_cast<int>(state.range(0)));
    const std::vector<std::string_view> views(lines.begin(), lines.end());
    std::string joined;
    for (const std::string& line : RunAnalysis(AnalysisMode::Heater, views))
        joined.append(line).append("\n");
    const QString text = QString::fromStdString(joined);
    QPlainTextEdit memo;
    memo.setUndoRedoEnabled(false);
    memo.resize(543, 400);
    memo.show();
    for (auto _ : state) {
        memo.setUpdatesEnabled(false);
        memo.setPlainText(text);
        memo.setUpdatesEnabled(true);
        QApplication::processEvents();
    }
}
BENCHMARK(BM_FillMemo)
    ->ArgName("period")
    ->Arg(kUsualPeriod)
    ->Arg(kEveryLine)
    ->Unit(benchmark::kMillisecond);

#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef ANALYSIS_BENCH_WITH_QT
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
