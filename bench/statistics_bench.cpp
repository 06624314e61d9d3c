// Opening a full statistics file: reading 87,000 record lines and refilling the history
// from them, as a whole and in its two halves; the journal of received lines: its cost per
// line on the receive path, its flush a second, and what it adds to an autosave. Run with
// the repetitions below; the median is the figure to quote. The journal writes to the
// system's temporary folder, or to $INCUBATOR_BENCH_DIR (a folder on the disk to measure).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/text_format.h"
#include "engine/record_line.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/history_refill.h"
#include "engine/statistics/line_journal.h"
#include "engine/statistics/posix_file_system.h"
#include "engine/statistics/statistics_file.h"
#include "platform/doubles/virtual_clock.h"

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

// A log folder for the journal's benchmarks, removed at the end.
class LogFolder {
  public:
    LogFolder() {
        const char* base = std::getenv("INCUBATOR_BENCH_DIR");
        std::string pattern =
            (base ? std::filesystem::path(base) : std::filesystem::temp_directory_path()) /
            "journal-bench-XXXXXX";
        path_ = ::mkdtemp(pattern.data());
    }
    ~LogFolder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

const std::string kReceivedLine =
    "T1=37,5  T2=36,6  T3=28,0  HM=55  OUT=_2__5___  06.12.26 12:34:56";

// One received line into the buffer and the journal, as the receive path does it: a write to
// the journal, no flush (the timer's tick is not reached). Every 10,000 lines an autosave
// empties the buffer, so the journal is removed and made anew, as it is after each autosave.
void BM_JournalFollowLine(benchmark::State& state) {
    LogFolder folder;
    platform::VirtualClock clock;
    const bool journal_on = state.range(0) != 0;
    statistics::LineJournal journal(statistics::RealFileSystem(), folder.Path(), clock, {});
    std::string buffer;
    std::size_t lines = 0;
    for (auto _ : state) {
        buffer.append("\r\n").append(kReceivedLine);
        if (journal_on) journal.Follow(buffer);
        if (++lines % 10000 == 0) {
            state.PauseTiming();
            journal.Wrote(buffer.size());
            buffer.clear();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JournalFollowLine)->Arg(0)->Arg(1)->Repetitions(5)->ReportAggregatesOnly(true);

// The tick a second after a line: the lines of that second (10 at 10 packets a second) made
// durable with one fdatasync.
void BM_JournalSyncASecond(benchmark::State& state) {
    LogFolder folder;
    platform::VirtualClock clock;
    statistics::LineJournal journal(statistics::RealFileSystem(), folder.Path(), clock, {});
    std::string buffer;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 10; ++i) {
            buffer.append("\r\n").append(kReceivedLine);
            journal.Follow(buffer);
        }
        state.ResumeTiming();
        journal.Sync();
    }
    if (!journal.Keeping()) state.SkipWithError("the journal failed");
}
BENCHMARK(BM_JournalSyncASecond)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// One autosave of a minute at 10 packets a second (600 lines) to the daily file, without and
// with the journal (which records the write and flushes before it, and removes itself after).
void BM_AutosaveMinute(benchmark::State& state) {
    LogFolder folder;
    platform::VirtualClock clock;
    const bool journal_on = state.range(0) != 0;
    statistics::LineJournal journal(statistics::RealFileSystem(), folder.Path(), clock, {});
    statistics::Autosaver autosave(statistics::RealFileSystem(), folder.Path(),
                                   [] { return LocalDateTime{2026, 12, 6, 12, 0, 0}; });
    if (journal_on) autosave.SetWrites(&journal);
    std::string buffer;
    for (auto _ : state) {
        state.PauseTiming();
        for (int i = 0; i < 600; ++i) {
            buffer.append("\r\n").append(kReceivedLine);
            if (journal_on) journal.Follow(buffer);
        }
        if (journal_on) journal.Sync();  // the lines' own flushes are not the autosave's
        state.ResumeTiming();
        if (!autosave.Step(buffer).saved) state.SkipWithError("the autosave failed");
    }
}
BENCHMARK(BM_AutosaveMinute)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
