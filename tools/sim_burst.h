#pragma once
// One write of incubator-sim: a burst of packets, and its lines in the packet log.

#include <cstdint>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

struct SimPacket {
    std::string status;              // "ok", "bad-checksum" or "dropped"
    std::vector<std::uint8_t> wire;  // the bytes as they go out
};

using SimWrite = std::function<bool(const std::vector<std::uint8_t>&)>;

// Writes the packets of a burst in one write, then logs a line per packet (when `log` is set):
// its number (from `first_number` on), `write_number`, its status and its bytes in hex. When
// the write fails (the reader went away) the packets are logged "lost", without bytes: even
// the bytes of a partial write went to a reader that is gone. Returns whether it was written.
bool SendBurst(const std::vector<SimPacket>& burst, long long first_number, long long write_number,
               const SimWrite& write, std::ostream* log);

// The bytes of a burst in the pieces a USB adapter might hand them over in: each packet of two
// bytes or more is cut once, at a random place inside it, so that none arrives whole; a piece
// holds the end of one packet and the start of the next.
std::vector<std::vector<std::uint8_t>> CutLikeAnAdapter(const std::vector<SimPacket>& burst,
                                                        std::mt19937& rng);
