// The cost of publishing samples with a Mosquitto broker on loopback: on the caller's thread,
// and for the whole process (the library's network thread included).
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "mqtt/publisher.h"
#include "mqtt/tests/test_broker.h"

namespace {

double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// A connected publisher, or none (the benchmark then reports an error).
struct Connected {
    Connected() : p(broker.ClientSettings("bench"), {}, ui, {}) {
        p.Start();
        ok = Await(ui, [&] { return p.Connected(); });
    }
    TestBroker broker;
    QueuedUiThread ui;
    mqtt::Publisher p;
    bool ok = false;
};

// Building the state text alone.
void BM_StatePayload(benchmark::State& state) {
    const mqtt::Sample sample{37.5625, 36.6, 28.1, 55, 0xA5, mqtt::SampleTimeNow()};
    for (auto _ : state) benchmark::DoNotOptimize(mqtt::StatePayload(sample));
}
BENCHMARK(BM_StatePayload);

// What PublishSample costs the caller (the program's logic thread).
void BM_PublishSampleCall(benchmark::State& state) {
    Connected c;
    if (!c.ok) return state.SkipWithError("no connection to the broker");
    mqtt::Sample sample{37.5, 36.6, 28.1, 55, 0x12, mqtt::SampleTimeNow()};
    for (auto _ : state) {
        sample.t1 += 0.0625;
        c.p.PublishSample(sample);
    }
}
BENCHMARK(BM_PublishSampleCall);

// The CPU time of the whole process per sample at 50 samples a second (what publishing adds
// to the same loop without samples), and what a connected, idle publisher costs per second.
void BM_ProcessCpuAt50PerSecond(benchmark::State& state) {
    constexpr int kSamples = 250;
    const auto period = std::chrono::milliseconds(20);
    QueuedUiThread bare;
    const auto run = [&](QueuedUiThread& ui, mqtt::Publisher* p) {
        mqtt::Sample sample{37.5, 36.6, 28.1, 55, 0x12, mqtt::SampleTimeNow()};
        const double start = ProcessCpuSeconds();
        for (int i = 0; i < kSamples; ++i) {
            std::this_thread::sleep_for(period);
            ui.RunPending();
            sample.t1 += 0.0625;
            if (p) p->PublishSample(sample);
        }
        return ProcessCpuSeconds() - start;
    };
    for (auto _ : state) {
        const double without = run(bare, nullptr);
        Connected c;
        if (!c.ok) return state.SkipWithError("no connection to the broker");
        const double idle = run(c.ui, nullptr);
        const double publishing = run(c.ui, &c.p);
        const double seconds = kSamples * std::chrono::duration<double>(period).count();
        state.counters["us_per_sample"] = (publishing - idle) * 1e6 / kSamples;
        state.counters["idle_us_per_s"] = (idle - without) * 1e6 / seconds;
        state.counters["sent"] = static_cast<double>(c.p.counters().states_sent);
    }
}
BENCHMARK(BM_ProcessCpuAt50PerSecond)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
