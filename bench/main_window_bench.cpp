// One received packet on a shown main window (offscreen): from the bytes arriving at the
// device to the window idle again, the handler, the display, the chart refill and both
// repaints included; with 5,000 and with 80,000 lines already in the display.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "app/qt/form1.h"
#include "app/qt/tests/double_services.h"
#include "engine/statistics/statistics_file.h"
#include "engine/tests/packet_bytes.h"
#include "ui_form1.h"

namespace {

struct Bench : DoubleServices {
    std::shared_ptr<FakeSerialLine> line = backend.AddPort("COM7");
    std::unique_ptr<MainWindowServices> services =
        Make("/nonexistent/incubator-monitor.ini", "/nonexistent/log");
    TForm1 form{*services};

    explicit Bench(int lines) {
        form.resize(900, 700);
        form.show();
        QStringList text;
        const QString line_text =
            QStringLiteral("T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56");
        for (int i = 0; i < lines; ++i) text << line_text;
        form.ui().Memo1->setPlainText(text.join('\n'));
        form.SetPortName("COM7");
        form.SpBtnOpenComClick();
        Idle();
    }
    // Posted events, then the repaints they asked for.
    static void Idle() {
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }
    void OnePacket(unsigned t1) {
        const std::size_t before = form.Display().Count();
        line->Feed(test_packets::Eight(0x02, t1, 590, 500));
        ui_thread.RunUntil([&] { return form.Display().Count() > before; },
                           std::chrono::seconds(5));
        Idle();
    }
};

void BM_ReceivedPacket(benchmark::State& state) {
    Bench bench(static_cast<int>(state.range(0)));
    unsigned t1 = 590;
    for (auto _ : state) bench.OnePacket(t1++ % 40 + 580);
    state.counters["lines"] = static_cast<double>(bench.form.Display().Count());
}
BENCHMARK(BM_ReceivedPacket)
    ->Arg(5000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(200)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// Resident memory of the process now, in MB.
double ResidentMegabytes() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
    }
    return 0;
}

// Opening a statistics file through the window: reading it, the display, the history, the
// chart and the first paint; and the process's resident memory with it loaded. A full day's
// file (87,000 record lines), and the most lines a file may have, short ones.
void BM_OpenStatisticsFile(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const bool short_lines = state.range(1) != 0;
    const std::string path = "/tmp/incubator-bench-" + std::to_string(count) + ".txt";
    {
        std::ofstream out(path, std::ios::binary);
        for (int i = 0; i < count; ++i) {
            out << "T1=37," << i % 10 << "  T2=36,6  T3=28,0  HM=5";
            if (!short_lines)
                out << "5  OUT=_2__5___  06.12.26 12:" << (i / 60) % 60 / 10 << (i / 60) % 10 << ':'
                    << i % 60 / 10 << i % 10;
            out << "\r\n";
        }
    }
    Bench bench(0);
    for (auto _ : state) {
        bench.dialogs.AnswerOpenFile(path);
        // More lines than the history holds: "Превышено максимальное количество строк!"
        if (count > static_cast<int>(HISTORY_CAPACITY))
            bench.dialogs.AnswerMessage(platform::MessageResult::Ok);
        bench.form.NLoad1Click();
        Bench::Idle();
        if (bench.form.Display().Count() != static_cast<std::size_t>(count))
            state.SkipWithError("the file did not load");
    }
    state.counters["lines"] = static_cast<double>(bench.form.Display().Count());
    state.counters["rss_MB"] = ResidentMegabytes();
    std::remove(path.c_str());
}
BENCHMARK(BM_OpenStatisticsFile)
    ->Args({87000, 0})
    ->Args({static_cast<std::int64_t>(statistics::kMaxStatisticsLines), 1})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
