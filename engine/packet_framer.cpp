#include "engine/packet_framer.h"

#include <algorithm>
#include <cstring>
#include <utility>

void PacketFramer::SetLayout(PacketLayout layout) {
    if (layout == layout_) return;
    layout_ = layout;
    has_last_ = false;
    Reset();
}

void PacketFramer::Reset() {
    UartCount = 0;
    settled_ = true;
    silence_at_ = 0;
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
    if (!settled_) return Reset();
    // Two silences in one packet: the part before the first was not its start.
    Drop(silence_at_);
    silence_at_ = UartCount;
}

void PacketFramer::Frame(Output& out, Until until) {
    const std::size_t length = PacketLength(layout_);
    for (;;) {
        if (settled_) {
            if (UartCount < length) return;
            const std::span<const std::uint8_t> packet(UartBuf.data(), length);
            const bool checksum = ChecksumOk(packet);
            if (silence_at_ != 0) {
                const std::size_t silence_at = std::exchange(silence_at_, 0);
                if (!checksum || !Plausible(packet)) {
                    Drop(silence_at);  // the packet begins after the silence
                    continue;
                }
            }
            if (checksum && !Plausible(packet) && has_last_) {
                // What a lost byte leaves where a packet is due: the rest of its packet and the
                // first byte of the next, which pass the checksum when that byte equals the one
                // lost. The next packet then stands one byte earlier, like the last one taken;
                // a broken sensor's packet read one byte early is not.
                if (UartCount < 2 * length - 1) {
                    // Wait while bytes after it are there or coming: the rest follows them.
                    if (until == Until::MoreBytes ||
                        (until == Until::EndOfRead && UartCount > length))
                        return;
                } else if (const std::span<const std::uint8_t> next(UartBuf.data() + length - 1,
                                                                    length);
                           ChecksumOk(next) && LikeTheLast(next)) {
                    Drop(length - 1);
                    out.Dropped();
                    continue;
                }
            }
            if (checksum) {
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
    silence_at_ = silence_at_ > count ? silence_at_ - count : 0;
}
