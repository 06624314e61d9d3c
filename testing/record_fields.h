#pragma once
// The fields of a record line that come from the packet (T1, T2, T3, HM, OUT), either read
// from a line of the monitor or made from the bytes of a packet as the monitor decodes it.
// Date and time are left out: they are the moment of decoding.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "engine/telemetry_packet.h"

namespace e2e {

struct RecordFields {
    std::string t1, t2, t3, hm, out;
    friend bool operator==(const RecordFields&, const RecordFields&) = default;
};

RecordFields FieldsOfLine(std::string_view line);

// `packet` is one whole packet of `layout` with a good checksum.
RecordFields FieldsOfPacket(std::span<const std::uint8_t> packet, PacketLayout layout,
                            bool rounding);

// "T1=… T2=… T3=… HM=… OUT=…", for messages.
std::string Describe(const RecordFields& fields);

}  // namespace e2e
