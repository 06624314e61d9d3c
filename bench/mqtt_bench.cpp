// The cost of publishing samples with a Mosquitto broker on loopback: on the caller's thread,
// and for the whole process (the network thread included), at the default pace.
#include <benchmark/benchmark.h>
#include <time.h>

#include <chrono>
#include <thread>

#include "engine/engine_settings.h"
#include "mqtt/engine_bridge.h"
#include "mqtt/publisher.h"
#include "testing/test_broker.h"

namespace {

mqtt::Settings Settings(const TestBroker& broker) {
    return broker.ClientSettings("bench");
}

double CpuSeconds(clockid_t clock) {
    timespec t{};
    clock_gettime(clock, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec * 1e-9;
}

// A connected publisher with the default pace, or none (the benchmark then reports an error).
struct Connected {
    Connected() : p(Settings(broker), {}, ui, {}) {
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

// What a sample costs the caller (the program's logic thread): PublishSample, and the network
// thread's report that it was written, which frees its place for the next.
void BM_PublishSampleCall(benchmark::State& state) {
    Connected c;
    if (!c.ok) return state.SkipWithError("no connection to the broker");
    mqtt::Sample sample{37.5, 36.6, 28.1, 55, 0x12, mqtt::SampleTimeNow()};
    for (auto _ : state) {
        sample.t1 += 0.0625;
        c.p.PublishSample(sample);
        c.ui.RunPending();
    }
    state.counters["replaced"] = static_cast<double>(c.p.counters().states_replaced);
}
BENCHMARK(BM_PublishSampleCall);

// A decoded sample as published: its stamp as a local time with its offset.
void BM_SampleOf(benchmark::State& state) {
    TelemetrySample sample;
    sample.stamp = std::chrono::system_clock::now();
    for (auto _ : state) benchmark::DoNotOptimize(mqtt::SampleOf(sample));
}
BENCHMARK(BM_SampleOf);

// What the bridge costs the engine's thread per sample: the state with its time's offset
// handed to the publisher.
void BM_BridgeSampleReceived(benchmark::State& state) {
    Connected c;
    if (!c.ok) return state.SkipWithError("no connection to the broker");
    mqtt::EngineBridge bridge(c.p);
    TelemetrySample sample;
    sample.values.outputs = 0x12;
    sample.values.t1 = 37.5;
    sample.values.t2 = 36.6;
    sample.values.t3 = 28.1;
    sample.values.hm = 55;
    sample.stamp = std::chrono::system_clock::now();
    sample.time = LocalDateTimeAt(sample.stamp);
    for (auto _ : state) {
        sample.values.t1 += 0.0625;
        bridge.SampleReceived(sample);
    }
}
BENCHMARK(BM_BridgeSampleReceived);

// The network thread's CPU time (the process's less the caller's) over 10 seconds of samples
// at the given rate, per sample; rate 0: a connected publisher without samples, per second.
// Add BM_PublishSampleCall for the whole cost of a packet.
void BM_NetworkThreadCpu(benchmark::State& state) {
    const int rate = static_cast<int>(state.range(0));
    const auto period = std::chrono::milliseconds(rate ? 1000 / rate : 100);
    const int rounds = static_cast<int>(std::chrono::seconds(10) / period);
    for (auto _ : state) {
        Connected c;
        if (!c.ok) return state.SkipWithError("no connection to the broker");
        std::this_thread::sleep_for(std::chrono::seconds(2));  // the discovery messages go out
        mqtt::Sample sample{37.5, 36.6, 28.1, 55, 0x12, mqtt::SampleTimeNow()};
        const auto others = [] {
            return CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
        };
        const double start = others();
        auto next = std::chrono::steady_clock::now();
        for (int i = 0; i < rounds; ++i) {
            std::this_thread::sleep_until(next += period);
            c.ui.RunPending();
            sample.t1 += 0.0625;
            if (rate) c.p.PublishSample(sample);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1100));  // the last turn
        const double used = others() - start;
        state.counters[rate ? "us_per_packet" : "us_per_second"] =
            used * 1e6 / (rate ? rounds : 11);
        state.counters["sent"] = static_cast<double>(c.p.counters().states_sent);
    }
}
BENCHMARK(BM_NetworkThreadCpu)
    ->Arg(0)
    ->Arg(1)
    ->Arg(10)
    ->Arg(50)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
