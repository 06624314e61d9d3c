#pragma once
// Assembles packets from the serial port's receive events and turns each into a sample:
// read-out texts, record line, latched alarm flags, autosave buffer, line index.
//
// A receive event's bytes are framed packet by packet (PacketFramer), so several packets in one
// read are all decoded and a partial packet waits for the next read. After a lost byte the
// framer hunts for the next packet; and bytes that arrive after a silence longer than
// kResyncGap begin a packet: a partial packet held from before is dropped and counted.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "common/local_time.h"
#include "engine/alarm_state.h"
#include "engine/engine_settings.h"
#include "engine/packet_framer.h"
#include "engine/pending_lines.h"
#include "engine/sample_history.h"
#include "engine/telemetry_packet.h"

// One decoded packet, as a front end shows it.
struct TelemetrySample {
    DecodedSample values;
    SampleTexts texts;
    std::string record_line;
    SystemTime stamp;               // when it was decoded
    LocalDateTime time;             // the record line's time: the stamp's local time
    std::size_t history_index = 0;  // the new line's index: the lines counted before it
    bool display_full = false;      // the lines reach the history capacity with this one
};

// What the receiver tells its owner (the engine), one call per packet in stream order.
class TelemetrySink {
  public:
    virtual ~TelemetrySink() = default;
    // A packet failed its checksum: show the warning (at most once per receive event).
    virtual void ChecksumMismatch() = 0;
    // The record lines counted so far, which is the next line's index.
    virtual std::size_t LineCount() const = 0;
    // A new sample: count its line before returning. When display_full is set, autosave and
    // then count afresh from 0.
    virtual void SampleDecoded(const TelemetrySample& sample) = 0;
};

// The state of the engine that decoding reads and writes.
struct TelemetryContext {
    const EngineSettings& settings;
    const AlarmLimits& limits;
    AlarmFlags& alarms;
    PendingLines& pending;  // the lines awaiting the autosave
    std::function<SystemTime()> now = std::chrono::system_clock::now;
    // Each new record line, before it is pending (the programs' --echo); none: nowhere.
    std::function<void(const std::string& line)> echo_line = {};
};

class TelemetryReceiver {
  public:
    // Reads up to `size` bytes into `buffer`, returns how many it read.
    using ByteReader = std::function<std::size_t(std::uint8_t* buffer, std::size_t size)>;

    static constexpr std::size_t kReadChunk = 260;

    // A silence on the line longer than this ends whatever packet was being assembled. At 4800
    // baud a packet lasts 16.7 ms (9 bytes: 18.75 ms) and a USB adapter hands its bytes over in
    // chunks up to 16 ms apart; at 10 packets a second the line is silent for at least 81 ms
    // between packets, 65 ms once an adapter has held the last bytes back. 40 ms lies midway,
    // with some 24 ms to spare on either side, and holds up to about 12 packets a second.
    static constexpr std::chrono::milliseconds kResyncGap{40};

    explicit TelemetryReceiver(TelemetryContext context) : ctx_(std::move(context)) {}

    // One receive event: `count` bytes wait in the port. Reads all of them (in chunks) and
    // decodes every whole packet; a partial packet stays for the next event. `quiet_before`:
    // how long the line had been silent before these bytes, as the port's event thread saw it
    // (0 when not known). Clears the no-data alarm.
    void ReceiveEvent(std::size_t count, const ByteReader& read, TelemetrySink& sink,
                      std::chrono::nanoseconds quiet_before = {});

    // The same for bytes already at hand.
    void Receive(std::span<const std::uint8_t> bytes, TelemetrySink& sink,
                 std::chrono::nanoseconds quiet_before = {});

    // Drops a partial packet (watchdog, Start/Stop).
    void ResetAssembly() { framer_.Reset(); }
    // The line has been silent since the last bytes (the receive-reset timer): a whole packet
    // held, waiting for the bytes after it, is decoded; a partial packet is dropped.
    void LineSilent(TelemetrySink& sink);

    // Decodes one given whole packet of the current layout without touching the assembly.
    void DecodePacket(std::span<const std::uint8_t> packet, TelemetrySink& sink);

    std::size_t PendingBytes() const { return framer_.Held(); }
    // Partial packets dropped unfinished (PacketFramer::CutPackets).
    std::uint64_t CutPackets() const { return framer_.CutPackets(); }

  private:
    class Decoder;

    void BeginEvent(std::chrono::nanoseconds quiet_before, TelemetrySink& sink);
    void ReportMismatch(TelemetrySink& sink);
    // Returns false on a checksum mismatch.
    bool Decode(std::span<const std::uint8_t> packet, PacketLayout layout, TelemetrySink& sink);

    TelemetryContext ctx_;
    PacketFramer framer_;
    bool mismatch_reported_ = false;
};
