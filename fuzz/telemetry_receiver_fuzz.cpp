// The serial byte stream into the telemetry receiver: random bytes cut into random reads, the
// packet layout and the rounding switched between reads, the assembly reset in between, the
// display near its capacity, runs of whole packets. Every sample must be a run of the bytes
// received since the assembly was last reset, with a good checksum, after the one before it,
// and never across a silence; it must arrive whole, at the display's next index, and read back
// from its record line. A run of whole packets whose readings change as a sensor's do (each
// temperature within half a degree of the packet before), after a reset, must come out entire
// once the line falls silent. Two exceptions are what lost bytes leave, and the framer takes
// them so: a packet that is the one before it turned round (a packet that lost its first bytes,
// among identical ones), and a first packet whose readings jumped from those the framer judges
// by while turned round it reads like them (the rest of a damaged packet, the next one inside).
//
// Input: one byte of initial settings, then operations, each a byte and its operands:
//   00xxxxxx  bytes at hand: the next x + 1 input bytes in one read
//   01sxxxxx  a receive event of (x + 1) * 9 waiting bytes, served at most c bytes per
//             ReadBytes call (next byte c, 0 meaning a whole chunk); with s set the port
//             delivers only the next byte's count of them
//   10abcdef  toggle SHT10 (f), rounding (e), autosave (d); reset the assembly (c); run the
//             autosave (b); clear the display (a)
//   11xxxxxx  x < 16: the display holds capacity - 8 + x lines (an opened file);
//             16 <= x < 32: decode the next packet-length bytes as the hidden test button does;
//             32 <= x < 40: the next read comes after a silence;
//             x >= 40: reset the assembly, then x - 39 whole packets of the current layout with
//             possible readings (seven input bytes each), in reads of 1 + (next byte % 40)
//             bytes
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <utility>
#include <vector>

#include "common/text_format.h"
#include "engine/history_recorder.h"
#include "engine/record_line.h"
#include "engine/telemetry_receiver.h"
#include "fuzz/fuzz_input.h"

namespace {

using Packet = std::vector<std::uint8_t>;

unsigned WordAt(const Packet& p, std::size_t at) {
    return p[at] | (p[at + 1] << 8u);
}

bool XorMatches(const Packet& p) {
    std::uint8_t x = 0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) x ^= p[i];
    return x == p.back();
}

int SignedWordAt(const Packet& p, std::size_t at) {
    return static_cast<std::int16_t>(WordAt(p, at));
}

// Each temperature word within 32 units of the other packet's, as the framer compares them.
bool Alike(const Packet& a, const Packet& b) {
    for (const std::size_t at : {1, 3, 5})
        if (std::abs(SignedWordAt(a, at) - SignedWordAt(b, at)) > 32) return false;
    return true;
}

// Where the samples may come from: the bytes received since the assembly was last reset (a
// reset, a change of layout), each packet after the one before it; or, for the test button,
// the packet it decodes.
struct StreamModel {
    Packet stream;
    std::size_t taken_end = 0;   // where the last packet taken from `stream` ended
    std::size_t silence_at = 0;  // where the last silence fell in `stream`
    bool nine = false;
    std::deque<Packet> button;  // packets the test button decodes, in order
    std::vector<Packet> taken;  // every packet that came out, in order
    Packet framed;              // the last packet framed from the stream, in this layout
    Packet judged;              // the one the framer judges the next ones by (PacketFramer::Took)

    void Reset() {
        stream.clear();
        taken_end = 0;
        silence_at = 0;
    }
    void Event(const Packet& bytes, bool sht10, bool after_silence) {
        if (sht10 != nine) {
            Reset();
            framed.clear();
            judged.clear();
        }
        nine = sht10;
        if (after_silence) silence_at = stream.size();
        stream.insert(stream.end(), bytes.begin(), bytes.end());
    }
    // A sample came out whose packet is `p`.
    void Took(const Packet& p) {
        taken.push_back(p);
        if (!button.empty()) {
            FUZZ_CHECK(button.front() == p);
            button.pop_front();
            return;
        }
        FUZZ_CHECK(XorMatches(p));
        // The first place from the last packet on that lies wholly before or after the silence.
        auto at = stream.begin() + static_cast<std::ptrdiff_t>(taken_end);
        const auto silence = stream.begin() + static_cast<std::ptrdiff_t>(silence_at);
        while ((at = std::search(at, stream.end(), p.begin(), p.end())) != stream.end() &&
               at < silence && at + static_cast<std::ptrdiff_t>(p.size()) > silence)
            ++at;
        FUZZ_CHECK(at != stream.end());
        taken_end = static_cast<std::size_t>(at - stream.begin()) + p.size();
        if (framed.empty() || Alike(p, judged) || Alike(p, framed)) judged = p;
        framed = p;
    }
};

// The packet a sample was decoded from: its words, and the humidity byte of the 9-byte layout.
Packet PacketOf(const DecodedSample& v, bool nine) {
    Packet p{v.outputs};
    for (const unsigned word : {v.t1_raw, v.t2_raw, v.t3_raw}) {
        p.push_back(static_cast<std::uint8_t>(word & 0xFF));
        p.push_back(static_cast<std::uint8_t>(word >> 8));
    }
    if (nine) p.push_back(static_cast<std::uint8_t>(v.hm));
    std::uint8_t x = 0;
    for (const std::uint8_t b : p) x ^= b;
    p.push_back(x);
    return p;
}

// `p` with its first k bytes moved to its end.
Packet Turned(const Packet& p, std::size_t k) {
    Packet turned(p.begin() + static_cast<std::ptrdiff_t>(k), p.end());
    turned.insert(turned.end(), p.begin(), p.begin() + static_cast<std::ptrdiff_t>(k));
    return turned;
}

// Whether `p` is `before` turned round by some 0 < k < size.
bool TurnedRound(const Packet& before, const Packet& p) {
    if (before.size() != p.size() || p == before) return false;
    for (std::size_t k = 1; k < p.size(); ++k)
        if (Turned(before, k) == p) return true;
    return false;
}

// Whether `p`, unlike `reference`, reads like it when turned round.
bool LikeWhenTurned(const Packet& reference, const Packet& p) {
    if (reference.size() != p.size() || Alike(p, reference)) return false;
    for (std::size_t k = 1; k < p.size(); ++k)
        if (Alike(Turned(p, k), reference)) return true;
    return false;
}

struct Setup {
    EngineSettings settings;
    AlarmLimits limits;
    AlarmFlags alarms;
    PendingLines pending;
    int second = 0;
};

// Scaled as the controller's units say: sixteenths, or whole tenths when rounding.
double Sixteenths(unsigned raw, bool rounding) {
    return rounding ? ((raw * 5 + 2) / 8) / 10.0 : raw / 16.0;
}

// The receiver's owner: a display that only counts its lines.
class CountingDisplay : public TelemetrySink {
  public:
    CountingDisplay(Setup& setup, HistoryRecorder& recorder, StreamModel& model)
        : setup_(setup), recorder_(recorder), model_(model) {}

    std::size_t lines = 0;
    int mismatches = 0;
    std::size_t saved_size = 0;  // the autosave buffer's size after the last sample

    void ChecksumMismatch() override { ++mismatches; }
    std::size_t LineCount() const override { return lines; }

    void SampleDecoded(const TelemetrySample& s) override {
        recorder_.SampleReceived(s);
        const SampleHistory& history = recorder_.History();
        const Packet p = PacketOf(s.values, setup_.settings.SHT10);
        model_.Took(p);
        CheckValues(s.values, p);
        CheckRecordLine(s);

        FUZZ_CHECK(s.history_index == lines);
        FUZZ_CHECK(s.display_full == (s.history_index + 1 >= HISTORY_CAPACITY));
        if (lines < HISTORY_CAPACITY) {
            const std::size_t i = s.history_index;
            FUZZ_CHECK(i < HISTORY_CAPACITY);
            FUZZ_CHECK(history.HistT1[i] == s.values.t1);
            FUZZ_CHECK(history.HistT2[i] == s.values.t2);
            FUZZ_CHECK(history.HistT3[i] == s.values.t3);
            FUZZ_CHECK(history.HistHM[i] == static_cast<std::uint8_t>(s.values.hm));
            FUZZ_CHECK(history.HistHeater[i] == (s.values.heater ? 1 : 0));
        }

        const std::string& buffer = setup_.pending.Text();
        if (setup_.settings.AutosaveMinutes != 0) {
            const std::string added = "\r\n" + s.record_line;
            FUZZ_CHECK(buffer.size() == saved_size + added.size());
            FUZZ_CHECK(buffer.compare(saved_size, added.size(), added) == 0);
        } else {
            FUZZ_CHECK(buffer.size() == saved_size);
        }
        saved_size = buffer.size();

        ++lines;
        if (s.display_full) lines = 0;  // autosaved, then emptied
    }

  private:
    void CheckValues(const DecodedSample& v, const Packet& p) const {
        const bool rounding = setup_.settings.Okruglenie;
        FUZZ_CHECK(v.outputs == p[0]);
        FUZZ_CHECK(v.heater == ((p[0] & 2) != 0));
        FUZZ_CHECK(v.t1_raw == WordAt(p, 1));
        FUZZ_CHECK(v.t2_raw == WordAt(p, 3));
        FUZZ_CHECK(v.t3_raw == WordAt(p, 5));
        FUZZ_CHECK(v.t1 == Sixteenths(v.t1_raw, rounding));
        FUZZ_CHECK(v.t2 == Sixteenths(v.t2_raw, rounding));
        if (p.size() == 9) {
            FUZZ_CHECK(v.t3 == v.t3_raw / 10.0);
            FUZZ_CHECK(v.hm == p[7]);
        } else {
            FUZZ_CHECK(v.t3 == Sixteenths(v.t3_raw, rounding));
            FUZZ_CHECK(v.hm >= -1 && v.hm <= 100);
        }
        const AlarmFlags& a = setup_.alarms;
        const AlarmLimits& l = setup_.limits;
        if (OutsideLimits(v.t1_alarm, l.LimitT1Hi, l.LimitT1Low)) FUZZ_CHECK(a.AlarmT1);
        if (OutsideLimits(v.t2_alarm, l.LimitT2Hi, l.LimitT2Low)) FUZZ_CHECK(a.AlarmT2);
        if (OutsideLimits(v.hm, l.LimitHMHi, l.LimitHMLow)) FUZZ_CHECK(a.AlarmHM);
    }

    // The line must give back what was written into it.
    static void CheckRecordLine(const TelemetrySample& s) {
        const std::string& line = s.record_line;
        FUZZ_CHECK(get_T1(line) == s.texts.t1);
        FUZZ_CHECK(get_T2(line) == s.texts.t2);
        FUZZ_CHECK(get_T3(line) == s.texts.t3);
        FUZZ_CHECK(get_HM(line) == text::FormatInt(s.values.hm));
        FUZZ_CHECK(get_outs(line) == s.values.out_string);
        FUZZ_CHECK(get_N(line) == s.values.heater);
        FUZZ_CHECK(get_date(line).size() == 8);
        FUZZ_CHECK(get_time(line).size() == 8);
    }

    Setup& setup_;
    HistoryRecorder& recorder_;  // the chart's history, listening
    StreamModel& model_;
};

HistoryRecorder& History() {
    static HistoryRecorder history;
    return history;
}

// A port that holds `bytes` and hands out at most `per_call` of them per read.
struct ScriptedPort {
    Packet bytes;
    std::size_t per_call = TelemetryReceiver::kReadChunk;
    std::size_t at = 0;

    std::size_t Read(std::uint8_t* buffer, std::size_t size) {
        FUZZ_CHECK(size <= TelemetryReceiver::kReadChunk);
        const std::size_t n = std::min({size, per_call, bytes.size() - at});
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(at), n, buffer);
        at += n;
        return n;
    }
};

// After a reset, `count` whole packets whose readings change as a sensor's do, cut into reads:
// each comes out, in order, with no warning, and nothing stays held. The first packet follows
// on the last one taken before, in this layout; without one its readings are any a sensor can
// give.
void WholePackets(FuzzInput& in, unsigned count, Setup& setup, TelemetryReceiver& receiver,
                  CountingDisplay& display, StreamModel& model) {
    receiver.ResetAssembly();
    model.Reset();
    const bool nine = setup.settings.SHT10;
    std::vector<Packet> packets;
    Packet bytes;
    // The layout of this run applies from its first read on.
    const bool same_layout = nine == model.nine;
    Packet before = same_layout ? model.framed : Packet();
    const Packet judged = same_layout ? model.judged : Packet();
    for (unsigned i = 0; i < count; ++i) {
        DecodedSample v;
        v.outputs = in.Byte();
        const auto next = [&](std::size_t at, unsigned range) {
            if (before.empty()) return static_cast<std::uint16_t>(in.Word() % range);
            const int word =
                std::clamp(SignedWordAt(before, at) + in.Byte() % 33 - 16, -32768, 32767);
            return static_cast<std::uint16_t>(word);
        };
        v.t1_raw = next(1, 2001);
        v.t2_raw = next(3, 2001);
        v.t3_raw = next(5, nine ? 1251 : 2001);
        v.hm = in.Byte();
        const Packet made = PacketOf(v, nine);
        Packet p = made;
        // What lost bytes leave would not be taken: other outputs make it another. Once the
        // first packet is taken, the packets it judges by follow the run's readings.
        const auto ambiguous = [&](const Packet& q) {
            return TurnedRound(before, q) || TurnedRound(judged, q) ||
                   (i == 0 && LikeWhenTurned(judged, q));
        };
        for (unsigned change = 1; ambiguous(p) && change < 256; ++change) {
            p = made;
            p.front() ^= static_cast<std::uint8_t>(change);
            p.back() ^= static_cast<std::uint8_t>(change);
        }
        if (ambiguous(p)) return;
        packets.push_back(p);
        before = p;
        bytes.insert(bytes.end(), p.begin(), p.end());
    }
    const std::size_t read = 1 + in.Byte() % 40;
    const std::size_t taken = model.taken.size();
    const int mismatches = display.mismatches;
    for (std::size_t at = 0; at < bytes.size(); at += read) {
        const auto end = std::min(at + read, bytes.size());
        const Packet part(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(end));
        model.Event(part, nine, false);
        receiver.Receive(part, display);
    }
    // The receive reset's silence: a packet unlike the one the framer judges by waits for the
    // packet after it, or for this.
    receiver.LineSilent(display);
    FUZZ_CHECK(std::equal(model.taken.begin() + static_cast<std::ptrdiff_t>(taken),
                          model.taken.end(), packets.begin(), packets.end()));
    FUZZ_CHECK(display.mismatches == mismatches);
    FUZZ_CHECK(receiver.PendingBytes() == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Setup setup;
    const std::uint8_t initial = in.Byte();
    setup.settings.SHT10 = (initial & 1) != 0;
    setup.settings.Okruglenie = (initial & 2) != 0;
    setup.settings.AutosaveMinutes = (initial & 4) != 0 ? 10 : 0;

    StreamModel model;
    CountingDisplay display(setup, History(), model);
    TelemetryReceiver receiver(
        {setup.settings, setup.limits, setup.alarms, setup.pending, [&setup] {
             setup.second = (setup.second + 1) % 60;
             return SystemTimeOf({2026, 12, 6, 23, 59, setup.second});
         }});

    std::chrono::nanoseconds quiet{};  // before the next read
    while (!in.Empty()) {
        const std::uint8_t op = in.Byte();
        const unsigned x = op & 0x3F;
        const int mismatches = display.mismatches;
        setup.alarms.AlarmNoData = true;
        bool event = true;
        switch (op >> 6) {
            case 0: {
                const auto run = in.Bytes(x + 1);
                const Packet bytes(run.begin(), run.end());
                model.Event(bytes, setup.settings.SHT10, quiet > TelemetryReceiver::kResyncGap);
                receiver.Receive(run, display, std::exchange(quiet, {}));
                break;
            }
            case 1: {
                const std::size_t count = ((x & 0x1F) + 1) * 9;
                ScriptedPort port;
                port.per_call = in.Byte();
                if (port.per_call == 0) port.per_call = TelemetryReceiver::kReadChunk;
                const std::size_t delivered = (x & 0x20) != 0 ? in.Byte() : count;
                const auto run = in.Bytes(std::min(count, delivered));
                port.bytes.assign(run.begin(), run.end());
                model.Event(port.bytes, setup.settings.SHT10,
                            quiet > TelemetryReceiver::kResyncGap);
                receiver.ReceiveEvent(
                    count, [&port](std::uint8_t* b, std::size_t n) { return port.Read(b, n); },
                    display, std::exchange(quiet, {}));
                FUZZ_CHECK(port.at == port.bytes.size());
                break;
            }
            case 2:
                event = false;
                if (op & 1) setup.settings.SHT10 = !setup.settings.SHT10;
                if (op & 2) setup.settings.Okruglenie = !setup.settings.Okruglenie;
                if (op & 4)
                    setup.settings.AutosaveMinutes = setup.settings.AutosaveMinutes ? 0 : 10;
                if (op & 8) {
                    receiver.ResetAssembly();
                    model.Reset();
                }
                if (op & 16) {
                    setup.pending.Forget();
                    display.saved_size = 0;
                }
                if (op & 32) display.lines = 0;
                break;
            default:
                event = false;
                if (x < 16) {
                    display.lines = HISTORY_CAPACITY - 8 + x;
                } else if (x < 32) {
                    const std::size_t length = setup.settings.SHT10 ? 9 : 8;
                    const auto run = in.Bytes(length);
                    const Packet packet(run.begin(), run.end());
                    const bool whole = packet.size() == length;
                    const bool good = whole && XorMatches(packet);
                    const std::size_t taken = model.taken.size();
                    if (good) model.button.push_back(packet);
                    receiver.DecodePacket(run, display);
                    FUZZ_CHECK(model.button.empty());
                    FUZZ_CHECK(model.taken.size() == taken + (good ? 1 : 0));
                    FUZZ_CHECK(display.mismatches == mismatches + (whole && !good ? 1 : 0));
                } else if (x < 40) {
                    quiet = std::chrono::seconds(1);
                } else {
                    WholePackets(in, x - 39, setup, receiver, display, model);
                }
                break;
        }
        if (event) FUZZ_CHECK(display.mismatches <= mismatches + 1);  // one warning per event
        FUZZ_CHECK(receiver.PendingBytes() < PacketFramer::kCapacity);
        if (event) FUZZ_CHECK(!setup.alarms.AlarmNoData);
    }
    return 0;
}
