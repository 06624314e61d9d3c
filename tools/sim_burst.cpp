#include "tools/sim_burst.h"

namespace {

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

}  // namespace

bool SendBurst(const std::vector<SimPacket>& burst, long long first_number, long long write_number,
               const SimWrite& write, std::ostream* log) {
    std::vector<std::uint8_t> out;
    for (const SimPacket& p : burst) out.insert(out.end(), p.wire.begin(), p.wire.end());
    const bool written = write(out);
    if (log) {
        long long number = first_number;
        for (const SimPacket& p : burst) {
            *log << number++ << ' ' << write_number << ' ';
            if (written)
                *log << p.status << ' ' << Hex(p.wire) << '\n';
            else
                *log << "lost\n";
        }
        log->flush();
    }
    return written;
}

std::vector<std::vector<std::uint8_t>> CutLikeAnAdapter(const std::vector<SimPacket>& burst,
                                                        std::mt19937& rng) {
    std::vector<std::vector<std::uint8_t>> pieces(1);
    for (const SimPacket& p : burst) {
        const auto size = static_cast<long>(p.wire.size());
        const long cut = size < 2 ? size : std::uniform_int_distribution<long>(1, size - 1)(rng);
        pieces.back().insert(pieces.back().end(), p.wire.begin(), p.wire.begin() + cut);
        if (cut == size) continue;
        pieces.emplace_back(p.wire.begin() + cut, p.wire.end());
    }
    return pieces;
}
