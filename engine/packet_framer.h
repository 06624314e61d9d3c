#pragma once
// Cuts the controller's byte stream into packets. A packet has no start marker, no length and
// no sequence number: it begins where one is due, and its XOR checksum says whether it did.
//
// Settled, the next byte is taken for the first byte of a packet: after the port was opened or
// the assembly reset, after a silence on the line, after a packet that passed its checksum, and
// where a hunt found one. A packet where one is due is taken when its checksum passes, whatever
// its readings say: a broken sensor must still reach the alarms. The one exception is what a
// lost byte leaves (see Frame): impossible readings unlike the last packet's, and one byte
// earlier a packet with a good checksum that is like it.
//
// A packet that fails its checksum starts a hunt: bytes were lost, added or spoilt, so the next
// packet is looked for near where it was due, the nearest place first (a lost byte before an
// added one). Bytes read out of step pass the XOR check whenever two packets begin alike (the
// XOR of a whole packet is 0), so a place must show more than a good checksum: first a packet
// like the last one taken (each temperature word within 32 units of it: 2 degrees in
// sixteenths, 3.2 for T3 in tenths), else one whose readings a sensor can give at all. The likeness
// finds the packets of a broken sensor too, whose readings are impossible while bytes out of step
// can look possible.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "engine/telemetry_packet.h"

class PacketFramer {
  public:
    class Output {
      public:
        virtual ~Output() = default;
        // A packet with a good checksum.
        virtual void Packet(std::span<const std::uint8_t> packet) = 0;
        // Bytes that make no packet are being thrown away: a packet failed its checksum, or a
        // hunt found nothing in two packets' worth of bytes.
        virtual void Dropped() = 0;
    };

    // Bytes held: a partial packet, or what a hunt needs to see before it can choose.
    static constexpr std::size_t kCapacity = 3 * kMaxPacketLength;

    PacketLayout Layout() const { return layout_; }
    // A new layout drops the bytes held.
    void SetLayout(PacketLayout layout);

    void Push(std::span<const std::uint8_t> bytes, Output& out);
    // The bytes of one read are all pushed. A packet that would wait for the bytes after it, to
    // tell whether it is what a lost byte left, is taken when none of them has come.
    void EndOfRead(Output& out);
    // The line was silent longer than the bytes of one packet are ever apart: what is held came
    // before it, and the next byte begins a packet. A hunt chooses among the packets that are
    // there and the rest is dropped. A partial packet is dropped too, unless the bytes after the
    // silence make it a packet that passes its checksum and is like the last one taken or has
    // readings a sensor can give: then they were its own bytes, held back (an adapter, or a
    // system too busy to see them come at once).
    void Silence(Output& out);
    // Drops what is held; the next byte begins a packet.
    void Reset();

    std::size_t Held() const { return UartCount; }
    bool Settled() const { return settled_; }

  private:
    // Raw units within which a temperature is like the last one taken: 2 degrees in sixteenths.
    static constexpr int kLikeness = 32;
    static constexpr std::size_t kNotFound = kCapacity;
    static constexpr std::size_t kNeedBytes = kCapacity + 1;

    enum class Until {
        MoreBytes,  // more bytes of this read come
        EndOfRead,  // no more bytes now
        Silence,    // none before the silence either: a hunt chooses among what is there
    };
    // Frames what is held.
    void Frame(Output& out, Until until);
    // Where the packet after the failed one at 0 begins, kNotFound, or kNeedBytes.
    std::size_t Hunt(bool final) const;
    bool LikeTheLast(std::span<const std::uint8_t> packet) const;
    // Like the last packet taken, or with readings a sensor can give.
    bool Plausible(std::span<const std::uint8_t> packet) const;
    void Drop(std::size_t count);

    PacketLayout layout_ = PacketLayout::Eight;
    std::array<std::uint8_t, kCapacity> UartBuf{};
    std::size_t UartCount = 0;
    bool settled_ = true;
    std::size_t silence_at_ = 0;  // where a partial packet met a silence, while still unsure
    std::array<std::uint8_t, kMaxPacketLength> last_{};  // the last packet taken
    bool has_last_ = false;
};
