// The tray icon's hot path (the tip rewritten with every new sample) and the virtual clock
// that the timer tests run on.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/doubles/virtual_clock.h"
#include "platform/tray_shell.h"
#include "tray/tray_icon.h"

namespace {

// A notification area that accepts everything and keeps nothing.
class NullShell : public platform::TrayShell {
  public:
    void SetListener(platform::TrayShellListener*) override {}
    bool AddIcon(const platform::TrayIconRecord&) override { return true; }
    bool ModifyIcon(const platform::TrayIconRecord& r) override {
        benchmark::DoNotOptimize(r.tip.data());
        return true;
    }
    bool DeleteIcon(const platform::TrayIconRecord&) override { return true; }
    bool SetVersion(const platform::TrayIconRecord&, unsigned) override { return true; }
    void SetContextMenu(platform::TrayMenu*) override {}
    void ShowMenu(platform::TrayMenu&, platform::TrayPoint) override {}
    platform::TrayPoint CursorPos() const override { return {}; }
    unsigned KeysDown() const override { return 0; }
    std::uint32_t DoubleClickTimeMs() const override { return 500; }
};

// The main window's four-line read-out tip, new with every sample.
void BM_TipFromReadouts(benchmark::State& state) {
    platform::VirtualClock clock;
    TTrayIcon tray(std::make_unique<NullShell>(), clock);
    tray.SetIconVisible(true);
    const std::string tips[2] = {"T1=37,5\rT2=37,4\rT3=28,1\rВлажность 55%",
                                 "T1=37,6\rT2=37,4\rT3=28,2\rВлажность 56%"};
    int i = 0;
    for (auto _ : state) tray.SetHint(tips[i ^= 1]);
}
BENCHMARK(BM_TipFromReadouts);

// A balloon with a long Cyrillic body, cut to 255 characters.
void BM_ShowBalloon(benchmark::State& state) {
    platform::VirtualClock clock;
    TTrayIcon tray(std::make_unique<NullShell>(), clock);
    tray.SetIconVisible(true);
    std::string body;
    while (body.size() < 1000) body += "Температура T1 выше предела. ";
    for (auto _ : state) benchmark::DoNotOptimize(tray.ShowBalloon("Тревога", body, biWarning, 10));
}
BENCHMARK(BM_ShowBalloon);

// One virtual second with `n` timers of 20..(20 + n) ms running.
void BM_VirtualClockSecond(benchmark::State& state) {
    platform::VirtualClock clock;
    std::vector<std::unique_ptr<platform::Timer>> timers;
    std::size_t ticks = 0;
    for (int i = 0; i < state.range(0); ++i) {
        timers.push_back(clock.CreateTimer());
        timers.back()->SetInterval(static_cast<std::uint32_t>(20 + i));
        timers.back()->SetTickHandler([&ticks] { ++ticks; });
        timers.back()->Start();
    }
    for (auto _ : state) clock.Advance(1000);
    state.counters["ticks/s"] =
        benchmark::Counter(static_cast<double>(ticks), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VirtualClockSecond)->Arg(7)->Arg(50);

}  // namespace

BENCHMARK_MAIN();
