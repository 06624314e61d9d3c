#include "tools/sim_damage.h"

SimPacket DamagePacket(std::vector<std::uint8_t> packet, const SimDamage& damage,
                       std::mt19937& rng) {
    std::uniform_real_distribution<double> percent(0, 100);
    SimPacket p{"ok", {}};
    if (damage.bad_checksum > 0 && percent(rng) < damage.bad_checksum) {
        packet.back() ^= 0x5A;
        p.status = "bad-checksum";
    }
    for (std::uint8_t b : packet) {
        if (damage.drop > 0 && percent(rng) < damage.drop)
            p.status = "dropped";
        else
            p.wire.push_back(b);
    }
    if (damage.lose_head > 0 && percent(rng) < damage.lose_head && p.wire.size() > 1) {
        const auto lost = std::uniform_int_distribution<std::size_t>(1, p.wire.size() - 1)(rng);
        p.wire.erase(p.wire.begin(), p.wire.begin() + static_cast<long>(lost));
        p.status = "dropped";
    }
    return p;
}
