#pragma once
// The faults incubator-sim puts into the packets it sends: a spoilt checksum, bytes left out,
// and a packet's first bytes lost (as when a reader misses the start of a write).

#include <cstdint>
#include <random>
#include <vector>

#include "tools/sim_burst.h"

struct SimDamage {
    double bad_checksum = 0;  // percent of packets
    double drop = 0;          // percent of bytes
    double lose_head = 0;     // percent of packets that lose their first 1 to length - 1 bytes
};

// One whole packet as it goes out: "ok", or "bad-checksum" / "dropped" with its damage.
// Random numbers are drawn only for the faults asked for.
SimPacket DamagePacket(std::vector<std::uint8_t> packet, const SimDamage& damage,
                       std::mt19937& rng);
