#pragma once
// Builds controller packets for the tests.

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace test_packets {

using Bytes = std::vector<std::uint8_t>;

inline Bytes WithChecksum(Bytes body) {
    std::uint8_t x = 0;
    for (auto b : body) x ^= b;
    body.push_back(x);
    return body;
}

inline void PutWord(Bytes& b, unsigned value) {
    b.push_back(static_cast<std::uint8_t>(value & 0xFF));
    b.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// 8-byte layout: temperatures in sixteenths of a degree.
inline Bytes Eight(std::uint8_t outs, unsigned t1, unsigned t2, unsigned t3) {
    Bytes b{outs};
    PutWord(b, t1);
    PutWord(b, t2);
    PutWord(b, t3);
    return WithChecksum(b);
}

// 9-byte layout: T3 in tenths of a degree, then the humidity byte.
inline Bytes Nine(std::uint8_t outs, unsigned t1, unsigned t2, unsigned t3_tenths,
                  std::uint8_t hm) {
    Bytes b{outs};
    PutWord(b, t1);
    PutWord(b, t2);
    PutWord(b, t3_tenths);
    b.push_back(hm);
    return WithChecksum(b);
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace test_packets
