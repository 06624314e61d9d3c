#include "engine/packet_framer.h"

#include <algorithm>
#include <cstring>

void PacketFramer::SetLayout(PacketLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    has_reference_ = false;
    Reset();
}

void PacketFramer::Reset() {
    if (settled_ && UartCount > 0) ++cut_;
    UartCount = 0;
    settled_ = true;
    fresh_ = true;
}

void PacketFramer::Push(std::span<const std::uint8_t> bytes, Output& out) {
    while (!bytes.empty()) {
        const std::size_t take = std::min(bytes.size(), kCapacity - UartCount);
        std::memcpy(UartBuf.data() + UartCount, bytes.data(), take);
        UartCount += take;
        bytes = bytes.subspan(take);
        Frame(out, Until::MoreBytes);
    }
}

void PacketFramer::EndOfRead(Output& out) {
    Frame(out, Until::EndOfRead);
}

void PacketFramer::Silence(Output& out) {
    Frame(out, Until::Silence);
    Reset();
}

void PacketFramer::Frame(Output& out, Until until) {
    const std::size_t length = PacketLength(layout_);
    for (;;) {
        if (settled_) {
            if (UartCount < length) return;
            const std::span<const std::uint8_t> packet(UartBuf.data(), length);
            if (ChecksumOk(packet)) {
                // Like the reference, or like the first packet after a silence (readings that
                // jumped while the line was quiet: the second packet agreeing moves the
                // reference).
                const bool like =
                    LikeTheReference(packet) ||
                    (taken_fresh_ && !fresh_ && Alike(packet, {taken_.data(), length}));
                const std::size_t leftover = Leftover(until, like);
                if (leftover == kNeedBytes) return;
                if (leftover != 0) {
                    Drop(leftover);
                    out.Dropped();
                    continue;
                }
                Took(packet, like);
                out.Packet(packet);
                Drop(length);
                continue;
            }
            settled_ = false;
            out.Dropped();
        }
        const bool final = until == Until::Silence;
        const std::size_t at = Hunt(final);
        if (at == kNeedBytes) return;
        if (at == kNotFound) {
            if (final) return;
            // Every place within two packets' reach was tried: look further on.
            Drop(length);
            out.Dropped();
            continue;
        }
        Drop(at);
        settled_ = true;
    }
}

std::size_t PacketFramer::Leftover(Until until, bool like) const {
    const std::size_t length = PacketLength(layout_);
    const std::span<const std::uint8_t> packet(UartBuf.data(), length);
    if (!has_reference_) return 0;
    // What lost bytes leave when the next packet follows without a silence seen between them:
    // the rest of the damaged packet and the first bytes of the next, which pass the checksum
    // whenever they equal the bytes lost (the XOR of a packet is 0). The next packet begins 1
    // to length - 1 bytes on.
    const std::size_t turned = TurnedRound(packet);
    if (turned == 0 && like) return 0;
    // The reference turned round with bytes after it: a packet that lost its first k bytes and
    // the same packet again, length - k bytes on.
    if (turned != 0 && UartCount > length) return length - turned;
    // Readings unlike the reference's, and a packet like it (or it turned round: that one lost
    // bytes too) begins inside. Readings that truly jump (a sensor broke, the line was away)
    // have no such packet after them.
    bool unseen = turned != 0;
    for (std::size_t at = length - 1; at > 0 && !like; --at) {
        if (at + length > UartCount) {
            unseen = true;
            continue;
        }
        const std::span<const std::uint8_t> next(UartBuf.data() + at, length);
        if (!ChecksumOk(next) || (!LikeTheReference(next) && TurnedRound(next) == 0)) continue;
        // After a silence the first byte begins a packet, unless what is there is the rest of
        // a packet that lost its first bytes, the same packet after it.
        if (fresh_ && !std::equal(UartBuf.begin(), UartBuf.begin() + static_cast<long>(at),
                                  UartBuf.begin() + static_cast<long>(length)))
            continue;
        return at;
    }
    // Wait for the bytes after it: the next read tells, or the silence after it takes it (the
    // next packet's, or the receive reset's).
    return unseen && until != Until::Silence ? kNeedBytes : 0;
}

std::size_t PacketFramer::TurnedRound(std::span<const std::uint8_t> packet) const {
    if (!has_reference_) return 0;
    const std::size_t length = packet.size();
    if (std::equal(packet.begin(), packet.end(), reference_.begin())) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if (packet[0] == reference_[k] &&
            std::equal(packet.begin(), packet.end() - static_cast<long>(k),
                       reference_.begin() + static_cast<long>(k)) &&
            std::equal(packet.end() - static_cast<long>(k), packet.end(), reference_.begin()))
            return k;
    return 0;
}

std::size_t PacketFramer::Hunt(bool final) const {
    const std::size_t length = PacketLength(layout_);
    // The packet after the failed one was due at `length`: one lost byte puts it at
    // length - 1, one added byte at length + 1, and so on out to 1 and 2 * length - 1.
    const std::size_t places = 2 * length - 1;
    for (const bool likeness : {true, false}) {
        if (likeness && !has_reference_) continue;
        // At a silence only a packet like the reference is taken from what is left: bytes out of
        // step can read possible values, and the packet after the silence will do.
        if (!likeness && final && has_reference_) continue;
        for (std::size_t step = 0; step < places; ++step) {
            const std::size_t at = step + 1 == places ? places
                                   : step % 2 == 0    ? length - 1 - step / 2
                                                      : length + step / 2;
            if (at + length > UartCount) {
                if (final) continue;
                return kNeedBytes;
            }
            const auto fits = [&](std::size_t place) {
                const std::span<const std::uint8_t> packet(UartBuf.data() + place, length);
                return ChecksumOk(packet) &&
                       (likeness ? LikeTheReference(packet) : ReadingsPossible(packet, layout_));
            };
            if (!fits(at)) continue;
            // A packet at both this place and one packet earlier (the earlier one is further
            // from where it was due when a packet lost its first bytes): the earlier one.
            return at > length && fits(at - length) ? at - length : at;
        }
    }
    return kNotFound;
}

void PacketFramer::Took(std::span<const std::uint8_t> packet, bool like) {
    taken_fresh_ = fresh_;
    if (!has_reference_ || like || Alike(packet, taken_))
        std::copy(packet.begin(), packet.end(), reference_.begin());
    std::copy(packet.begin(), packet.end(), taken_.begin());
    has_reference_ = true;
}

bool PacketFramer::LikeTheReference(std::span<const std::uint8_t> packet) const {
    return has_reference_ && Alike(packet, reference_);
}

bool PacketFramer::Alike(std::span<const std::uint8_t> packet,
                         std::span<const std::uint8_t> other) {
    for (const std::size_t at : {1, 3, 5}) {
        const auto word = [at](const std::uint8_t* p) {
            return static_cast<std::int16_t>(p[at] | p[at + 1] << 8);
        };
        const int difference = word(packet.data()) - word(other.data());
        if (difference > kLikeness || difference < -kLikeness) return false;
    }
    return true;
}

void PacketFramer::Drop(std::size_t count) {
    count = std::min(count, UartCount);
    if (count > 0) fresh_ = false;
    std::memmove(UartBuf.data(), UartBuf.data() + count, UartCount - count);
    UartCount -= count;
}
