// Opening a full statistics file: reading 87,000 record lines and refilling the history
// from them, as a whole and in its two halves. Run with the repetitions below; the median
// is the figure to quote.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/record_line.h"
#include "app/statistics/history_refill.h"
#include "app/statistics/posix_file_system.h"
#include "app/statistics/statistics_file.h"
#include "common/text_format.h"

namespace {

// A daily log file's lines: an empty first line, then HISTORY_CAPACITY - 1 samples.
std::vector<std::string> DailyLines() {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> tenths(340, 395);
    std::uniform_int_distribution<int> humidity(40, 70);
    std::vector<std::string> lines{""};
    LocalDateTime when{2026, 12, 6, 0, 0, 0};
    for (std::size_t i = 1; i < HISTORY_CAPACITY; ++i) {
        auto t = [&] {
            return "3" + std::to_string(tenths(rng) % 100 / 10) + "," +
                   std::to_string(tenths(rng) % 10);
        };
        when.second = static_cast<int>(i % 60);
        when.minute = static_cast<int>(i / 60 % 60);
        when.hour = static_cast<int>(i / 3600 % 24);
        lines.push_back(MakeRecordLine(t(), t(), t(), humidity(rng), "_2__5___", when));
    }
    return lines;
}

class StatisticsFile {
  public:
    StatisticsFile() {
        std::string pattern = std::filesystem::temp_directory_path() / "statistics-bench-XXXXXX";
        folder_ = ::mkdtemp(pattern.data());
        path_ = folder_ + "/2026-12-06.txt";
        lines_ = DailyLines();
        statistics::SaveStatisticsFile(statistics::RealFileSystem(), path_, lines_);
    }
    ~StatisticsFile() { std::filesystem::remove_all(folder_); }
    const std::string& Path() const { return path_; }
    const std::vector<std::string>& Lines() const { return lines_; }

  private:
    std::string folder_;
    std::string path_;
    std::vector<std::string> lines_;
};

const StatisticsFile& File() {
    static const StatisticsFile file;
    return file;
}

void BM_OpenStatisticsFile(benchmark::State& state) {
    const auto& file = File();
    auto history = std::make_unique<SampleHistory>();
    for (auto _ : state) {
        const auto lines =
            statistics::ReadStatisticsFile(statistics::RealFileSystem(), file.Path());
        const auto refill = statistics::RefillHistory(lines, *history);
        if (refill.error || refill.exceeded) state.SkipWithError("the file did not load");
        benchmark::DoNotOptimize(history->HistT1.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(HISTORY_CAPACITY));
}
BENCHMARK(BM_OpenStatisticsFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_ReadStatisticsFile(benchmark::State& state) {
    const auto& file = File();
    for (auto _ : state) {
        auto lines = statistics::ReadStatisticsFile(statistics::RealFileSystem(), file.Path());
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_ReadStatisticsFile)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

void BM_RefillHistory(benchmark::State& state) {
    const auto& file = File();
    auto history = std::make_unique<SampleHistory>();
    for (auto _ : state) {
        benchmark::DoNotOptimize(statistics::RefillHistory(file.Lines(), *history));
    }
}
BENCHMARK(BM_RefillHistory)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

// A million record lines (some 66 MB) and a million short ones (32 MB): "Открыть.." refuses
// both; this is how long it takes to say so.
void BM_RefuseMillionLines(benchmark::State& state) {
    const bool short_lines = state.range(0) != 0;
    std::string pattern = std::filesystem::temp_directory_path() / "statistics-bench-XXXXXX";
    const std::string folder = ::mkdtemp(pattern.data());
    const std::string path = folder + "/million.txt";
    {
        const std::string line = short_lines
                                     ? "T1=37,5  T2=36,6  T3=28,0  HM=5\r\n"
                                     : "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 "
                                       "12:34:56\r\n";
        std::string text;
        text.reserve(line.size() * 1000000);
        for (int i = 0; i < 1000000; ++i) text += line;
        std::FILE* out = std::fopen(path.c_str(), "wb");
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    for (auto _ : state) {
        try {
            statistics::ReadStatisticsFile(statistics::RealFileSystem(), path);
            state.SkipWithError("the file was read");
        } catch (const statistics::StatisticsFileError&) {
        }
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_RefuseMillionLines)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
