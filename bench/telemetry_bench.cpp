// Decoding speed: bytes in, samples and record lines out; and the record-line parsers.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/packet_framer.h"
#include "engine/record_line.h"
#include "engine/telemetry_receiver.h"

namespace {

struct CountingSink : TelemetrySink {
    std::size_t lines = 0;
    void ChecksumMismatch() override {}
    std::size_t DisplayLineCount() const override { return lines; }
    void SampleDecoded(const TelemetrySample& s) override {
        benchmark::DoNotOptimize(s.record_line.data());
        lines = s.display_full ? 0 : lines + 1;
    }
};

std::vector<std::uint8_t> Stream(bool sht10, std::size_t packets) {
    std::mt19937 rng(42);
    std::vector<std::uint8_t> bytes;
    const auto layout = LayoutFor(sht10);
    for (std::size_t i = 0; i < packets; ++i) {
        const auto p = MakeTestPacket(layout, rng);
        bytes.insert(bytes.end(), p.begin(), p.begin() + PacketLength(layout));
    }
    return bytes;
}

// Packets arrive in reads of `per_read` packets; items are packets.
void BM_DecodeStream(benchmark::State& state) {
    ProgramSettings settings;
    settings.SHT10 = state.range(0) != 0;
    settings.Okruglenie = state.range(1) != 0;
    AlarmLimits limits;
    AlarmFlags alarms;
    std::string save_buffer;
    SampleHistory history;
    CountingSink sink;
    const LocalDateTime fixed{2026, 12, 6, 12, 34, 56};
    TelemetryReceiver rx({settings, limits, alarms, save_buffer, history, [&] { return fixed; }});
    constexpr std::size_t kPackets = 1000;
    const auto stream = Stream(settings.SHT10, kPackets);
    const std::size_t read = PacketLength(LayoutFor(settings.SHT10)) * 3;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += read)
            rx.Receive({stream.data() + at, std::min(read, stream.size() - at)}, sink);
        save_buffer.clear();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_DecodeStream)->ArgNames({"sht10", "round"})->Args({0, 1})->Args({1, 1})->Args({0, 0});

// The same packets with 2 % of their bytes left out and no pause between them, so that every
// lost byte costs a hunt, in reads of `per_read` bytes (5: an adapter's small chunks). Items
// are the packets sent.
void BM_DecodeLossyStream(benchmark::State& state) {
    ProgramSettings settings;
    settings.SHT10 = state.range(0) != 0;
    AlarmLimits limits;
    AlarmFlags alarms;
    std::string save_buffer;
    SampleHistory history;
    CountingSink sink;
    const LocalDateTime fixed{2026, 12, 6, 12, 34, 56};
    TelemetryReceiver rx({settings, limits, alarms, save_buffer, history, [&] { return fixed; }});
    constexpr std::size_t kPackets = 1000;
    std::vector<std::uint8_t> stream;
    std::mt19937 rng(7);
    for (const std::uint8_t b : Stream(settings.SHT10, kPackets))
        if (rng() % 50 != 0) stream.push_back(b);
    const auto read = static_cast<std::size_t>(state.range(1));
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += read)
            rx.Receive({stream.data() + at, std::min(read, stream.size() - at)}, sink);
        save_buffer.clear();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_DecodeLossyStream)
    ->ArgNames({"sht10", "read"})
    ->Args({0, 5})
    ->Args({0, 24})
    ->Args({1, 27});

// The framing alone, without decoding: clean packets, or 2 % of their bytes left out, in reads
// of 24 bytes. Items are the packets sent.
void BM_FrameStream(benchmark::State& state) {
    struct Counting : PacketFramer::Output {
        std::size_t packets = 0;
        void Packet(std::span<const std::uint8_t> p) override {
            benchmark::DoNotOptimize(p.data());
            ++packets;
        }
        void Dropped() override {}
    } out;
    constexpr std::size_t kPackets = 1000;
    std::vector<std::uint8_t> stream;
    std::mt19937 rng(7);
    for (const std::uint8_t b : Stream(false, kPackets))
        if (state.range(0) == 0 || rng() % 50 != 0) stream.push_back(b);
    PacketFramer framer;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 24) {
            framer.Push({stream.data() + at, std::min<std::size_t>(24, stream.size() - at)}, out);
            framer.EndOfRead(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_FrameStream)->ArgNames({"lossy"})->Arg(0)->Arg(1);

std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    lines.reserve(HISTORY_CAPACITY);
    std::mt19937 rng(1);
    for (std::size_t i = 0; i < HISTORY_CAPACITY; ++i) {
        const auto p = MakeTestPacket(PacketLayout::Nine, rng);
        const auto s = DecodeSample({p.data(), 9}, PacketLayout::Nine, true);
        const auto t = FormatSample(s, true);
        lines.push_back(MakeRecordLine(t.t1, t.t2, t.t3, s.hm, s.out_string,
                                       {2026, 12, 6, 12, int(i / 60 % 60), int(i % 60)}));
    }
    return lines;
}

// All eight parsers over a full display of 87,000 lines; items are lines.
void BM_ParseAllFields(benchmark::State& state) {
    static const auto lines = Lines();
    for (auto _ : state) {
        for (const auto& line : lines) {
            benchmark::DoNotOptimize(get_T1(line));
            benchmark::DoNotOptimize(get_T2(line));
            benchmark::DoNotOptimize(get_T3(line));
            benchmark::DoNotOptimize(get_HM(line));
            benchmark::DoNotOptimize(get_outs(line));
            benchmark::DoNotOptimize(get_N(line));
            benchmark::DoNotOptimize(get_date(line));
            benchmark::DoNotOptimize(get_time(line));
        }
    }
    state.SetItemsProcessed(state.iterations() * lines.size());
}
BENCHMARK(BM_ParseAllFields)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
