// Decoding speed: bytes in, samples and record lines out; and the record-line parsers.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <random>
#include <utility>
#include <vector>

#include "engine/packet_framer.h"
#include "engine/record_line.h"
#include "engine/telemetry_receiver.h"

namespace {

struct CountingSink : TelemetrySink {
    std::size_t lines = 0;
    void ChecksumMismatch() override {}
    std::size_t LineCount() const override { return lines; }
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
    EngineSettings settings;
    settings.SHT10 = state.range(0) != 0;
    settings.Okruglenie = state.range(1) != 0;
    AlarmLimits limits;
    AlarmFlags alarms;
    PendingLines pending;
    CountingSink sink;
    const SystemTime fixed = SystemTimeOf({2026, 12, 6, 12, 34, 56});
    TelemetryReceiver rx({settings, limits, alarms, pending, [&] { return fixed; }});
    constexpr std::size_t kPackets = 1000;
    const auto stream = Stream(settings.SHT10, kPackets);
    const std::size_t read = PacketLength(LayoutFor(settings.SHT10)) * 3;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += read)
            rx.Receive({stream.data() + at, std::min(read, stream.size() - at)}, sink);
        pending.Forget();
    }
    state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_DecodeStream)->ArgNames({"sht10", "round"})->Args({0, 1})->Args({1, 1})->Args({0, 0});

// The same packets with 2 % of their bytes left out and no pause between them, so that every
// lost byte costs a hunt, in reads of `per_read` bytes (5: an adapter's small chunks). Items
// are the packets sent.
void BM_DecodeLossyStream(benchmark::State& state) {
    EngineSettings settings;
    settings.SHT10 = state.range(0) != 0;
    AlarmLimits limits;
    AlarmFlags alarms;
    PendingLines pending;
    CountingSink sink;
    const SystemTime fixed = SystemTimeOf({2026, 12, 6, 12, 34, 56});
    TelemetryReceiver rx({settings, limits, alarms, pending, [&] { return fixed; }});
    constexpr std::size_t kPackets = 1000;
    std::vector<std::uint8_t> stream;
    std::mt19937 rng(7);
    for (const std::uint8_t b : Stream(settings.SHT10, kPackets))
        if (rng() % 50 != 0) stream.push_back(b);
    const auto read = static_cast<std::size_t>(state.range(1));
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += read)
            rx.Receive({stream.data() + at, std::min(read, stream.size() - at)}, sink);
        pending.Forget();
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

// An 8-byte packet as an incubator's controller sends it: heater and humidifier outputs, dry
// bulbs near 37.5 degrees, the wet bulb near 28.8.
std::vector<std::uint8_t> Reading(std::mt19937& rng) {
    static constexpr std::uint8_t kOutputs[] = {0x00, 0x02, 0x0a, 0x12};
    const auto near = [&](unsigned centre) {
        return centre - 4 + static_cast<unsigned>(rng() % 9);
    };
    const unsigned t[] = {near(600), near(595), near(461)};
    std::vector<std::uint8_t> p{kOutputs[rng() % 4]};
    for (const unsigned word : t) {
        p.push_back(static_cast<std::uint8_t>(word));
        p.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    p.push_back(0);
    for (std::size_t i = 0; i + 1 < p.size(); ++i) p.back() ^= p[i];
    return p;
}

// The controller as a line shows it: one packet per write, a silence before each, readings that
// stay the same for runs of 8 packets (Reading). Every tenth packet is damaged by `damage`: 1 its
// first 1 to 7 bytes lost, 2 its two halves further apart than the silence that begins a packet, 3
// one byte lost anywhere. `seen` percent of the silences reach the framer (the others hid behind a
// busy user-interface thread). Counters, per 1000 packets sent: misframed (packets taken that
// were never sent whole) and lost (packets sent whole and not taken).
void BM_FrameAfterSilences(benchmark::State& state) {
    const int damage = static_cast<int>(state.range(0));
    const auto seen = static_cast<unsigned>(state.range(1));
    struct Taken : PacketFramer::Output {
        std::vector<std::vector<std::uint8_t>> packets;
        void Packet(std::span<const std::uint8_t> p) override {
            packets.emplace_back(p.begin(), p.end());
        }
        void Dropped() override {}
    };
    constexpr std::size_t kPackets = 1000;
    std::mt19937 rng(11);
    std::vector<std::vector<std::uint8_t>> intact;
    // Each write, and whether a silence went before it.
    std::vector<std::pair<std::vector<std::uint8_t>, bool>> writes;
    std::vector<std::uint8_t> reading;
    for (std::size_t i = 0; i < kPackets; ++i) {
        if (i % 8 == 0) reading = Reading(rng);
        std::vector<std::uint8_t> p(reading.begin(), reading.end());
        const bool silence = rng() % 100 < seen;
        if (i % 10 != 5 || damage == 0) {
            intact.push_back(p);
            writes.emplace_back(p, silence);
        } else if (damage == 1) {
            writes.emplace_back(std::vector<std::uint8_t>(p.begin() + 1 + i / 10 % 7, p.end()),
                                silence);
        } else if (damage == 2) {
            intact.push_back(p);
            writes.emplace_back(std::vector<std::uint8_t>(p.begin(), p.begin() + 3), silence);
            writes.emplace_back(std::vector<std::uint8_t>(p.begin() + 3, p.end()), true);
        } else {
            p.erase(p.begin() + static_cast<long>(rng() % 8));
            writes.emplace_back(p, silence);
        }
    }
    const auto run = [&](Taken& out) {
        PacketFramer framer;
        for (const auto& [bytes, silence] : writes) {
            if (silence) framer.Silence(out);
            framer.Push(bytes, out);
            framer.EndOfRead(out);
        }
    };
    for (auto _ : state) {
        Taken out;
        out.packets.reserve(kPackets);
        run(out);
        benchmark::DoNotOptimize(out.packets.data());
    }
    Taken out;
    run(out);
    std::size_t next = 0, matched = 0, misframed = 0;
    for (const auto& p : out.packets) {
        const auto end = intact.begin() + static_cast<long>(std::min(intact.size(), next + 16));
        const auto found = std::find(intact.begin() + static_cast<long>(next), end, p);
        if (found == end) {
            ++misframed;
            continue;
        }
        ++matched;
        next = static_cast<std::size_t>(found - intact.begin()) + 1;
    }
    state.counters["misframed"] = static_cast<double>(misframed) * 1000 / kPackets;
    state.counters["lost"] = static_cast<double>(intact.size() - matched) * 1000 / kPackets;
    state.SetItemsProcessed(state.iterations() * kPackets);
}
BENCHMARK(BM_FrameAfterSilences)
    ->ArgNames({"damage", "seen"})
    ->Args({0, 100})
    ->Args({1, 100})
    ->Args({2, 100})
    ->Args({3, 100})
    ->Args({1, 50})
    ->Args({3, 50});

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
