#include "engine/telemetry_receiver.h"

#include <algorithm>
#include <array>

#include "engine/record_line.h"

// The framer's packets into samples; dropped bytes into the warning.
class TelemetryReceiver::Decoder : public PacketFramer::Output {
  public:
    Decoder(TelemetryReceiver& rx, TelemetrySink& sink) : rx_(rx), sink_(sink) {}
    void Packet(std::span<const std::uint8_t> packet) override {
        rx_.Decode(packet, rx_.framer_.Layout(), sink_);
    }
    void Dropped() override { rx_.ReportMismatch(sink_); }

  private:
    TelemetryReceiver& rx_;
    TelemetrySink& sink_;
};

void TelemetryReceiver::ReceiveEvent(std::size_t count, const ByteReader& read, TelemetrySink& sink,
                                     std::chrono::nanoseconds quiet_before) {
    BeginEvent(quiet_before, sink);
    Decoder decoder(*this, sink);
    std::array<std::uint8_t, kReadChunk> chunk;
    while (count > 0) {
        const std::size_t got = read(chunk.data(), std::min(count, chunk.size()));
        if (got == 0) break;
        framer_.Push({chunk.data(), std::min(got, chunk.size())}, decoder);
        count -= std::min(got, count);
    }
    framer_.EndOfRead(decoder);
    ctx_.alarms.AlarmNoData = false;
}

void TelemetryReceiver::Receive(std::span<const std::uint8_t> bytes, TelemetrySink& sink,
                                std::chrono::nanoseconds quiet_before) {
    BeginEvent(quiet_before, sink);
    Decoder decoder(*this, sink);
    framer_.Push(bytes, decoder);
    framer_.EndOfRead(decoder);
    ctx_.alarms.AlarmNoData = false;
}

void TelemetryReceiver::BeginEvent(std::chrono::nanoseconds quiet_before, TelemetrySink& sink) {
    mismatch_reported_ = false;
    // The layout is read anew at every event; a change drops the partial packet.
    framer_.SetLayout(LayoutFor(ctx_.settings.SHT10));
    if (quiet_before > kResyncGap) {
        Decoder decoder(*this, sink);
        framer_.Silence(decoder);
    }
}

void TelemetryReceiver::LineSilent(TelemetrySink& sink) {
    mismatch_reported_ = false;
    Decoder decoder(*this, sink);
    framer_.Silence(decoder);
}

void TelemetryReceiver::ReportMismatch(TelemetrySink& sink) {
    if (!mismatch_reported_) sink.ChecksumMismatch();
    mismatch_reported_ = true;
}

void TelemetryReceiver::DecodePacket(std::span<const std::uint8_t> packet, TelemetrySink& sink) {
    const PacketLayout layout = LayoutFor(ctx_.settings.SHT10);
    if (packet.size() < PacketLength(layout)) return;
    mismatch_reported_ = false;
    Decode(packet.first(PacketLength(layout)), layout, sink);
}

bool TelemetryReceiver::Decode(std::span<const std::uint8_t> packet, PacketLayout layout,
                               TelemetrySink& sink) {
    if (!ChecksumOk(packet)) {
        ReportMismatch(sink);
        return false;
    }
    const bool rounding = ctx_.settings.Okruglenie;
    TelemetrySample s;
    s.values = DecodeSample(packet, layout, rounding);
    s.texts = FormatSample(s.values, rounding);
    const DecodedSample& v = s.values;
    s.stamp = ctx_.now();
    s.time = LocalDateTimeAt(s.stamp);
    s.record_line = MakeRecordLine(s.texts.t1, s.texts.t2, s.texts.t3, v.hm, v.out_string, s.time);

    const AlarmLimits& lim = ctx_.limits;
    if (OutsideLimits(v.t1_alarm, lim.LimitT1Hi, lim.LimitT1Low)) ctx_.alarms.AlarmT1 = true;
    if (OutsideLimits(v.t2_alarm, lim.LimitT2Hi, lim.LimitT2Low)) ctx_.alarms.AlarmT2 = true;
    if (OutsideLimits(v.hm, lim.LimitHMHi, lim.LimitHMLow)) ctx_.alarms.AlarmHM = true;

    // Echoed before the journal has it: a line echoed may be lost by a kill, none is saved
    // unechoed.
    if (ctx_.echo_line) ctx_.echo_line(s.record_line);
    if (ctx_.settings.AutosaveMinutes != 0) ctx_.pending.Add(s.record_line);

    s.history_index = sink.LineCount();
    s.display_full = s.history_index + 1 >= HISTORY_CAPACITY;
    sink.SampleDecoded(s);
    return true;
}
