#include "engine/packet_framer.h"

#include <algorithm>
#include <cstring>

void PacketFramer::SetLayout(PacketLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    has_last_ = false;
    Reset();
}

void PacketFramer::Reset() {
    if (settled_ && UartCount > 0) ++cut_;
    UartCount = 0;
    settled_ = true;
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
                const std::size_t leftover = Leftover(until);
                if (leftover == kNeedBytes) return;
                if (leftover != 0) {
                    Drop(leftover);
                    out.Dropped();
                    continue;
                }
                std::copy(packet.begin(), packet.end(), last_.begin());
                has_last_ = true;
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

std::size_t PacketFramer::Leftover(Until until) const {
    const std::size_t length = PacketLength(layout_);
    const std::span<const std::uint8_t> packet(UartBuf.data(), length);
    // Both exceptions are what lost bytes leave when the next packet follows without a silence
    // seen between them. The packet may have begun right after a silence all the same: the
    // silence after it can hide behind a thread too busy to see the bytes come.
    //
    // The rest of a packet that lost its first k bytes and the first k bytes of the next one,
    // the same packet again: the next one begins at length - k.
    if (const std::size_t k = TurnedRound(packet)) return length - k;
    if (!has_last_ || Plausible(packet)) return 0;
    // The rest of a packet that lost a byte and the first byte of the next, which pass the
    // checksum when that byte equals the one lost. The next packet then stands one byte
    // earlier, like the last one taken; a broken sensor's packet read one byte early is not.
    if (UartCount < 2 * length - 1) {
        // Wait while bytes after it are there or coming: the rest follows them.
        const bool more =
            until == Until::MoreBytes || (until == Until::EndOfRead && UartCount > length);
        return more ? kNeedBytes : 0;
    }
    const std::span<const std::uint8_t> next(UartBuf.data() + length - 1, length);
    return ChecksumOk(next) && LikeTheLast(next) ? length - 1 : 0;
}

std::size_t PacketFramer::TurnedRound(std::span<const std::uint8_t> packet) const {
    if (!has_last_) return 0;
    const std::size_t length = packet.size();
    if (std::equal(packet.begin(), packet.end(), last_.begin())) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if (std::equal(packet.begin(), packet.end() - static_cast<long>(k),
                       last_.begin() + static_cast<long>(k)) &&
            std::equal(packet.end() - static_cast<long>(k), packet.end(), last_.begin()))
            return k;
    return 0;
}

std::size_t PacketFramer::Hunt(bool final) const {
    const std::size_t length = PacketLength(layout_);
    // The packet after the failed one was due at `length`: one lost byte puts it at
    // length - 1, one added byte at length + 1, and so on out to 1 and 2 * length - 1.
    const std::size_t places = 2 * length - 1;
    for (const bool likeness : {true, false}) {
        if (likeness && !has_last_) continue;
        for (std::size_t step = 0; step < places; ++step) {
            const std::size_t at = step + 1 == places ? places
                                   : step % 2 == 0    ? length - 1 - step / 2
                                                      : length + step / 2;
            if (at + length > UartCount) {
                if (final) continue;
                return kNeedBytes;
            }
            const std::span<const std::uint8_t> packet(UartBuf.data() + at, length);
            if (!ChecksumOk(packet)) continue;
            if (likeness ? LikeTheLast(packet) : ReadingsPossible(packet, layout_)) return at;
        }
    }
    return kNotFound;
}

bool PacketFramer::Plausible(std::span<const std::uint8_t> packet) const {
    return LikeTheLast(packet) || ReadingsPossible(packet, layout_);
}

bool PacketFramer::LikeTheLast(std::span<const std::uint8_t> packet) const {
    if (!has_last_) return false;
    for (const std::size_t at : {1, 3, 5}) {
        const auto word = [at](const std::uint8_t* p) {
            return static_cast<std::int16_t>(p[at] | p[at + 1] << 8);
        };
        const int difference = word(packet.data()) - word(last_.data());
        if (difference > kLikeness || difference < -kLikeness) return false;
    }
    return true;
}

void PacketFramer::Drop(std::size_t count) {
    count = std::min(count, UartCount);
    std::memmove(UartBuf.data(), UartBuf.data() + count, UartCount - count);
    UartCount -= count;
}
