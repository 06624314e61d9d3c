#pragma once
// One telemetry packet of the controller, decoded into a sample. Pure functions.
//
//   8-byte layout: outputs, T1, T2, T3 (u16 LE, sixteenths of a degree), XOR checksum
//   9-byte layout: outputs, T1, T2 (sixteenths), T3 (tenths), HM (percent), XOR checksum

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>

enum class PacketLayout { Eight, Nine };  // Nine: firmware with the SHT10 humidity sensor

inline constexpr std::size_t kMaxPacketLength = 9;

inline PacketLayout LayoutFor(bool sht10) {
    return sht10 ? PacketLayout::Nine : PacketLayout::Eight;
}
inline std::size_t PacketLength(PacketLayout layout) {
    return layout == PacketLayout::Nine ? 9 : 8;
}

struct DecodedSample {
    std::uint8_t outputs = 0;
    std::string out_string;  // "_2__5___": digit i when output i is on
    bool heater = false;     // output 2
    std::uint16_t t1_raw = 0, t2_raw = 0, t3_raw = 0;
    double t1 = 0, t2 = 0, t3 = 0;      // degrees Celsius
    int hm = 0;                         // percent, -1 below the humidity table
    double t1_alarm = 0, t2_alarm = 0;  // tenths of a degree, compared with the limits
};

// XOR of every byte but the last equals the last byte. `packet` is one whole packet.
bool ChecksumOk(std::span<const std::uint8_t> packet);

// Whether the packet's three temperatures lie where a sensor of the controller can read: -55 to
// 125 degrees, the words taken as signed (sixteenths; T3 of the 9-byte layout in tenths). Bytes
// read out of step with the packets mostly fail this; the decoding itself never asks it.
bool ReadingsPossible(std::span<const std::uint8_t> packet, PacketLayout layout);

std::string OutputString(std::uint8_t outputs);

// Scales the fields of a packet whose checksum has been checked. `rounding` takes T1 and T2
// (and T3 of the 8-byte layout) to whole tenths.
DecodedSample DecodeSample(std::span<const std::uint8_t> packet, PacketLayout layout,
                           bool rounding);

// The texts of the sample in the read-outs and the record line.
struct SampleTexts {
    std::string panel1;      // T1 + "°C"
    std::string panel2;      // T2 + "°C"
    std::string label_t3hm;  // T3 + "°C" CR LF HM + "%"
    std::string t1, t2, t3;  // as written in the record line
};
SampleTexts FormatSample(const DecodedSample& s, bool rounding);

// A synthetic packet of the layout with plausible values and a correct checksum (the hidden
// test button).
std::array<std::uint8_t, kMaxPacketLength> MakeTestPacket(PacketLayout layout, std::mt19937& rng);
