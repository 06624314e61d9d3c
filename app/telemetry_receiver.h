#pragma once
// Assembles packets from the serial port's receive events and turns each into a sample:
// read-out texts, record line, latched alarm flags, autosave buffer, history entry.
//
// A receive event's bytes are consumed packet by packet, so several packets in one read are
// all decoded. A checksum mismatch drops the rest of that read: a stream that lost a byte is
// aligned again at the next read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <utility>

#include "app/alarm_state.h"
#include "app/program_settings.h"
#include "app/sample_history.h"
#include "app/telemetry_packet.h"
#include "common/local_time.h"

// One decoded packet, as the main window shows it.
struct TelemetrySample {
    DecodedSample values;
    SampleTexts texts;
    std::string record_line;
    std::size_t history_index = 0;  // the new line's index: display lines before it
    bool display_full = false;      // the display reaches the history capacity with this line
};

// What the receiver tells the main window, one call per packet in stream order.
class TelemetrySink {
  public:
    virtual ~TelemetrySink() = default;
    // A packet failed its checksum: show the warning (at most once per receive event).
    virtual void ChecksumMismatch() = 0;
    // The number of record lines in the display now.
    virtual std::size_t DisplayLineCount() const = 0;
    // A new sample: add its line to the display before returning. When display_full is set,
    // autosave and then empty the display.
    virtual void SampleDecoded(const TelemetrySample& sample) = 0;
};

// The state of the main window that decoding reads and writes.
struct TelemetryContext {
    const ProgramSettings& settings;
    const AlarmLimits& limits;
    AlarmFlags& alarms;
    std::string& save_buffer;  // lines awaiting the autosave, each preceded by CR LF
    SampleHistory& history;
    std::function<LocalDateTime()> now = CurrentLocalDateTime;
};

class TelemetryReceiver {
  public:
    // Reads up to `size` bytes into `buffer`, returns how many it read.
    using ByteReader = std::function<std::size_t(std::uint8_t* buffer, std::size_t size)>;

    static constexpr std::size_t kReadChunk = 260;

    explicit TelemetryReceiver(TelemetryContext context) : ctx_(std::move(context)) {}

    // One receive event: `count` bytes wait in the port. Reads all of them (in chunks) and
    // decodes every whole packet; a partial packet stays for the next event. Clears the
    // no-data alarm.
    void ReceiveEvent(std::size_t count, const ByteReader& read, TelemetrySink& sink);

    // The same for bytes already at hand.
    void Receive(std::span<const std::uint8_t> bytes, TelemetrySink& sink);

    // Drops a partial packet (receive-reset timer, watchdog, Start/Stop).
    void ResetAssembly() { UartCount = 0; }

    // Decodes one given whole packet of the current layout without touching the assembly.
    void DecodePacket(std::span<const std::uint8_t> packet, TelemetrySink& sink);

    std::size_t PendingBytes() const { return UartCount; }

  private:
    void BeginEvent();
    void Consume(std::span<const std::uint8_t> bytes, TelemetrySink& sink);
    // Returns false on a checksum mismatch.
    bool ParsingUartStr(std::span<const std::uint8_t> packet, PacketLayout layout,
                        TelemetrySink& sink);

    TelemetryContext ctx_;
    std::array<std::uint8_t, kMaxPacketLength> UartBuf{};
    std::size_t UartCount = 0;
    PacketLayout layout_ = PacketLayout::Eight;  // of the packet being assembled
    bool drop_rest_of_read_ = false;
    bool mismatch_reported_ = false;
};
