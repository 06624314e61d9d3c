#include "engine/telemetry_packet.h"

#include "common/text_format.h"
#include "engine/humidity.h"

namespace {

std::uint16_t Word(std::span<const std::uint8_t> p, std::size_t at) {
    return static_cast<std::uint16_t>(p[at] | (p[at + 1] << 8));
}

void PutWord(std::uint8_t* p, unsigned value) {
    p[0] = static_cast<std::uint8_t>(value & 0xFF);
    p[1] = static_cast<std::uint8_t>((value >> 8) & 0xFF);
}

struct Scaled {
    double value;
    double alarm_tenths;
};

// Sixteenths of a degree to degrees; with rounding, to whole tenths first.
Scaled ScaleSixteenths(std::uint16_t raw, bool rounding) {
    if (rounding) {
        const unsigned tenths = (static_cast<unsigned>(raw) * 5 + 2) / 8;
        return {tenths / 10.0, static_cast<double>(tenths)};
    }
    return {raw / 16.0, raw * 10 / 16.0};
}

}  // namespace

bool ChecksumOk(std::span<const std::uint8_t> packet) {
    if (packet.empty()) return false;
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < packet.size(); ++i) x ^= packet[i];
    return x == packet.back();
}

bool ReadingsPossible(std::span<const std::uint8_t> p, PacketLayout layout) {
    const auto in_range = [](std::uint16_t word, int per_degree) {
        const int value = static_cast<std::int16_t>(word);
        return value >= -55 * per_degree && value <= 125 * per_degree;
    };
    const int t3_per_degree = layout == PacketLayout::Nine ? 10 : 16;
    return in_range(Word(p, 1), 16) && in_range(Word(p, 3), 16) &&
           in_range(Word(p, 5), t3_per_degree);
}

std::string OutputString(std::uint8_t outputs) {
    std::string s(8, '_');
    for (int i = 0; i < 8; ++i)
        if (outputs & (1u << i)) s[i] = static_cast<char>('1' + i);
    return s;
}

DecodedSample DecodeSample(std::span<const std::uint8_t> p, PacketLayout layout, bool rounding) {
    DecodedSample s;
    s.outputs = p[0];
    s.out_string = OutputString(s.outputs);
    s.heater = (s.outputs & 0x02) != 0;
    s.t1_raw = Word(p, 1);
    s.t2_raw = Word(p, 3);
    s.t3_raw = Word(p, 5);
    const Scaled t1 = ScaleSixteenths(s.t1_raw, rounding);
    const Scaled t2 = ScaleSixteenths(s.t2_raw, rounding);
    s.t1 = t1.value;
    s.t2 = t2.value;
    s.t1_alarm = t1.alarm_tenths;
    s.t2_alarm = t2.alarm_tenths;
    if (layout == PacketLayout::Nine) {
        s.t3 = s.t3_raw / 10.0;
        s.hm = p[7];
    } else {
        s.t3 = ScaleSixteenths(s.t3_raw, rounding).value;
        s.hm = LookupHumidity(s.t1_raw, s.t3_raw);
    }
    return s;
}

SampleTexts FormatSample(const DecodedSample& s, bool rounding) {
    SampleTexts t;
    const std::string hm = text::FormatInt(s.hm);
    t.panel1 = text::FormatGeneral(s.t1) + "°C";
    t.panel2 = text::FormatGeneral(s.t2) + "°C";
    t.label_t3hm = text::FormatGeneral(s.t3) + "°C\r\n" + hm + "%";
    const int decimals = rounding ? 1 : 4;
    t.t1 = text::FormatPattern(s.t1, decimals);
    t.t2 = text::FormatPattern(s.t2, decimals);
    t.t3 = text::FormatPattern(s.t3, 1);
    return t;
}

std::array<std::uint8_t, kMaxPacketLength> MakeTestPacket(PacketLayout layout, std::mt19937& rng) {
    auto random = [&rng](unsigned below) {
        return std::uniform_int_distribution<unsigned>(0, below - 1)(rng);
    };
    std::array<std::uint8_t, kMaxPacketLength> p{};
    p[0] = static_cast<std::uint8_t>(random(256));
    if (layout == PacketLayout::Nine) {
        PutWord(&p[1], 2 * 256 + random(16));
        PutWord(&p[3], 2 * 256 + 10 + random(18));
        PutWord(&p[5], 256 + 20 + random(18));
        p[7] = static_cast<std::uint8_t>(30 + random(5));
    } else {
        PutWord(&p[1], 2 * 256 + 101 + random(10));
        PutWord(&p[3], 2 * 256 + 71 + random(10));
        PutWord(&p[5], 2 * 256 + 31 + random(20));
    }
    const std::size_t last = PacketLength(layout) - 1;
    for (std::size_t i = 0; i < last; ++i) p[last] ^= p[i];
    return p;
}
