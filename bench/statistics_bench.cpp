// Opening a full statistics file: reading 87,000 record lines and refilling the history
// from them, as a whole and in its two halves; the journal of received lines: its cost per
// line on the receive path, its flush a second, what it adds to an autosave, and the
// recovery of a large journal (its time and the growth of the peak resident memory). Run
// with the repetitions below; the median is the figure to quote. The journal writes to the
// system's temporary folder, or to $INCUBATOR_BENCH_DIR (a folder on the disk to measure);
// $INCUBATOR_BENCH_JOURNAL_MB sets the size of the journal recovered (200 MB).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/text_format.h"
#include "engine/record_line.h"
#include "engine/statistics/autosaver.h"
#include "engine/statistics/history_refill.h"
#include "engine/statistics/journal_records.h"
#include "engine/statistics/journal_recovery.h"
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

// A field of /proc/self/status in kB.
long StatusKb(const std::string& field) {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    return -1;
}

// The start after a crash that left a journal of 200 MB whose lines no daily file holds (a
// long failure of the daily files, or a rate far above one packet a second): all of them
// are written to the day's file. Counters: the journal's size, the peak of the resident
// memory during the recovery, and how far it rose above what it was before.
void BM_RecoverLargeJournal(benchmark::State& state) {
    const char* megabytes = std::getenv("INCUBATOR_BENCH_JOURNAL_MB");
    const std::uintmax_t size =
        std::uintmax_t{megabytes ? std::strtoul(megabytes, nullptr, 10) : 200} << 20;
    LogFolder folder;
    const std::string journal_path = folder.Path() + "/" + statistics::kJournalFileName;
    const std::string line = "\r\n" + kReceivedLine;
    long grown_kb = 0;
    long peak_kb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(folder.Path() + "/2026-12-06.txt");
        {
            std::ofstream out(journal_path, std::ios::binary);
            const std::string header = statistics::journal::HeaderRecord(1);
            const std::string record = statistics::journal::LinesRecord(1, line);
            out << header;
            for (std::uintmax_t written = header.size(); written < size; written += record.size())
                out << record;
        }
        platform::VirtualClock clock;
        statistics::LineJournal journal(statistics::RealFileSystem(), folder.Path(), clock, {});
        statistics::Autosaver autosave(statistics::RealFileSystem(), folder.Path(),
                                       [] { return LocalDateTime{2026, 12, 6, 13, 0, 0}; });
        autosave.SetWrites(&journal);
        std::string buffer;
        const long before = StatusKb("VmRSS");
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts from here
        state.ResumeTiming();
        const statistics::JournalRecovery recovery =
            statistics::RecoverJournal(journal, autosave, buffer);
        state.PauseTiming();
        peak_kb = std::max(peak_kb, StatusKb("VmHWM"));
        grown_kb = std::max(grown_kb, StatusKb("VmHWM") - before);
        if (recovery.lines == 0 || !buffer.empty()) state.SkipWithError("the recovery failed");
        state.ResumeTiming();
    }
    state.counters["journal_MB"] = static_cast<double>(size >> 20);
    state.counters["peak_MB"] = static_cast<double>(peak_kb) / 1024;
    state.counters["peak_growth_MB"] = static_cast<double>(grown_kb) / 1024;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_RecoverLargeJournal)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

}  // namespace

BENCHMARK_MAIN();
