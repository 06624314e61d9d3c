#pragma once
// Cuts the controller's byte stream into packets. A packet has no start marker, no length and
// no sequence number: it begins where one is due, and its XOR checksum says whether it did.
//
// The controller sends a packet in one go, so after a silence on the line the first byte that
// comes is a packet's first byte. Whatever is held when the line falls silent is done with: a
// partial packet (bytes of it were lost, or, rarely, its pieces came further apart than the
// silence) is dropped and counted. It never joins the bytes after the silence: the XOR of a
// whole packet is 0, so the rest of a packet that lost its first bytes and the first bytes of
// the next one pass the checksum whenever the two packets begin alike, as they do while the
// readings stay the same.
//
// Settled, the next byte is taken for the first byte of a packet: after the port was opened or
// the assembly reset, after a silence, after a packet that passed its checksum, and where a hunt
// found one. A packet where one is due is taken when its checksum passes, whatever its readings
// say: a broken sensor must still reach the alarms. The exception is what lost bytes leave where
// the next packet came without a silence seen before it (a fast controller, or a thread too busy
// to see the silence), and the bytes after it must show it (see Leftover): a packet unlike the
// reference, or the reference turned round (its last bytes first), with the next packet
// beginning inside it. Such a packet waits for those bytes, or for the silence after it. Right
// after a silence only the rest of a packet that lost its first bytes is doubted (the same
// packet follows it): bytes out of step can read like the reference packet after packet, and
// the silence is what puts the framer back in step. The packet after it is then judged by it
// as well as by the reference (readings that jumped while the line was quiet).
//
// The reference is the packet the next ones are judged by: the last one taken that was like it,
// or like the packet taken just before (a single odd packet, taken for want of proof, does not
// move it). Like: each temperature word within 32 units (2 degrees in sixteenths, 3.2 for T3 in
// tenths).
//
// A packet that fails its checksum starts a hunt: bytes were lost, added or spoilt, so the next
// packet is looked for near where it was due, the nearest place first (a lost byte before an
// added one). Bytes read out of step pass the XOR check whenever two packets begin alike, so a
// place must show more than a good checksum: first a packet like the reference, else one whose
// readings a sensor can give at all. The likeness finds the packets of a broken sensor too,
// whose readings are impossible while bytes out of step can look possible.

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
    // The bytes of one read are all pushed. A packet waiting for the bytes after it, to tell
    // whether it is what lost bytes left, waits on for the next read or the silence.
    void EndOfRead(Output& out);
    // The line was silent longer than the bytes of one packet are ever apart: what is held came
    // before it, and the next byte begins a packet. A waiting packet is taken, a hunt chooses
    // among the packets like the reference that are there; what is left is dropped.
    void Silence(Output& out);
    // Drops what is held; the next byte begins a packet.
    void Reset();

    std::size_t Held() const { return UartCount; }
    bool Settled() const { return settled_; }
    // Partial packets dropped unfinished by a silence or a reset: bytes of them were lost, or a
    // packet's pieces came further apart than the silence that begins a packet (each piece then
    // counts).
    std::uint64_t CutPackets() const { return cut_; }

  private:
    // Raw units within which a temperature is like the reference's: 2 degrees in sixteenths.
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
    // Whether the due packet, whose checksum passed (`like`: like the reference), is what lost
    // bytes leave rather than a packet: how many bytes to drop so that the next packet is due,
    // 0 to take it, or kNeedBytes to wait for what follows it.
    std::size_t Leftover(Until until, bool like) const;
    // k when `packet` is the reference turned round by k bytes (0 < k < length), and not the
    // reference itself; else 0.
    std::size_t TurnedRound(std::span<const std::uint8_t> packet) const;
    // Where the packet after the failed one at 0 begins, kNotFound, or kNeedBytes.
    std::size_t Hunt(bool final) const;
    // `packet` (`like`: like the reference) was taken: the reference follows it or not.
    void Took(std::span<const std::uint8_t> packet, bool like);
    bool LikeTheReference(std::span<const std::uint8_t> packet) const;
    // Each temperature word within kLikeness of the other's.
    static bool Alike(std::span<const std::uint8_t> packet, std::span<const std::uint8_t> other);
    void Drop(std::size_t count);

    PacketLayout layout_ = PacketLayout::Eight;
    std::array<std::uint8_t, kCapacity> UartBuf{};
    std::size_t UartCount = 0;
    bool settled_ = true;
    bool fresh_ = true;         // nothing was framed since a silence or a reset
    bool taken_fresh_ = false;  // the last packet taken was the first after a silence
    std::uint64_t cut_ = 0;
    std::array<std::uint8_t, kMaxPacketLength> reference_{};
    std::array<std::uint8_t, kMaxPacketLength> taken_{};  // the last packet taken
    bool has_reference_ = false;
};
