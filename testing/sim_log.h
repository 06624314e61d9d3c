#pragma once
// The packet log of incubator-sim --log: one line per packet, written after its write:
//   <number> <write> ok|bad-checksum|dropped <bytes as sent, hex>
//   <number> <write> lost

#include <cstdint>
#include <string_view>
#include <vector>

namespace e2e {

enum class SentStatus { Ok, BadChecksum, Dropped, Lost };

struct SentPacket {
    long long number = 0;
    long long write = 0;
    SentStatus status = SentStatus::Ok;
    std::vector<std::uint8_t> wire;  // the bytes that went out (none when lost)
};

// The complete lines of the log; a last line without its line end is still being written and
// is left out. A malformed complete line throws std::runtime_error naming its line number.
std::vector<SentPacket> ParseSimLog(std::string_view text);

}  // namespace e2e
