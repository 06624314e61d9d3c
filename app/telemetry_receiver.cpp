#include "app/telemetry_receiver.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "app/record_line.h"

void TelemetryReceiver::ReceiveEvent(std::size_t count, const ByteReader& read,
                                     TelemetrySink& sink) {
    BeginEvent();
    std::array<std::uint8_t, kReadChunk> chunk;
    while (count > 0) {
        const std::size_t got = read(chunk.data(), std::min(count, chunk.size()));
        if (got == 0) break;
        Consume({chunk.data(), std::min(got, chunk.size())}, sink);
        count -= std::min(got, count);
    }
    ctx_.alarms.AlarmNoData = false;
}

void TelemetryReceiver::Receive(std::span<const std::uint8_t> bytes, TelemetrySink& sink) {
    BeginEvent();
    Consume(bytes, sink);
    ctx_.alarms.AlarmNoData = false;
}

void TelemetryReceiver::BeginEvent() {
    // The layout is read anew at every event; a change drops the partial packet.
    const PacketLayout layout = LayoutFor(ctx_.settings.SHT10);
    if (layout != layout_) {
        UartCount = 0;
        layout_ = layout;
    }
    drop_rest_of_read_ = false;
    mismatch_reported_ = false;
}

void TelemetryReceiver::Consume(std::span<const std::uint8_t> bytes, TelemetrySink& sink) {
    const std::size_t length = PacketLength(layout_);
    while (!bytes.empty() && !drop_rest_of_read_) {
        const std::size_t take = std::min(length - UartCount, bytes.size());
        std::memcpy(UartBuf.data() + UartCount, bytes.data(), take);
        UartCount += take;
        bytes = bytes.subspan(take);
        if (UartCount < length) break;
        UartCount = 0;
        if (!ParsingUartStr({UartBuf.data(), length}, layout_, sink)) drop_rest_of_read_ = true;
    }
}

void TelemetryReceiver::DecodePacket(std::span<const std::uint8_t> packet, TelemetrySink& sink) {
    const PacketLayout layout = LayoutFor(ctx_.settings.SHT10);
    if (packet.size() < PacketLength(layout)) return;
    mismatch_reported_ = false;
    ParsingUartStr(packet.first(PacketLength(layout)), layout, sink);
}

bool TelemetryReceiver::ParsingUartStr(std::span<const std::uint8_t> packet, PacketLayout layout,
                                       TelemetrySink& sink) {
    if (!ChecksumOk(packet)) {
        if (!mismatch_reported_) sink.ChecksumMismatch();
        mismatch_reported_ = true;
        return false;
    }
    const bool rounding = ctx_.settings.Okruglenie;
    TelemetrySample s;
    s.values = DecodeSample(packet, layout, rounding);
    s.texts = FormatSample(s.values, rounding);
    const DecodedSample& v = s.values;
    s.record_line =
        MakeRecordLine(s.texts.t1, s.texts.t2, s.texts.t3, v.hm, v.out_string, ctx_.now());

    const AlarmLimits& lim = ctx_.limits;
    if (OutsideLimits(v.t1_alarm, lim.LimitT1Hi, lim.LimitT1Low)) ctx_.alarms.AlarmT1 = true;
    if (OutsideLimits(v.t2_alarm, lim.LimitT2Hi, lim.LimitT2Low)) ctx_.alarms.AlarmT2 = true;
    if (OutsideLimits(v.hm, lim.LimitHMHi, lim.LimitHMLow)) ctx_.alarms.AlarmHM = true;

    if (ctx_.settings.AutosaveMinutes != 0) ctx_.save_buffer.append("\r\n").append(s.record_line);

    s.history_index = sink.DisplayLineCount();
    ctx_.history.Store(s.history_index, {v.t1, v.t2, v.t3, v.hm, v.heater});
    s.display_full = s.history_index + 1 >= HISTORY_CAPACITY;
    sink.SampleDecoded(s);
    return true;
}
