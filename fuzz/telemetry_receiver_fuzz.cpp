// The serial byte stream into the telemetry receiver: random bytes cut into random reads, the
// packet layout and the rounding switched between reads, the assembly reset in between, the
// display near its capacity. A model of the assembly says which packets must come out; every
// sample must arrive whole, at the display's next index, and read back from its record line.
//
// Input: one byte of initial settings, then operations, each a byte and its operands:
//   00xxxxxx  bytes at hand: the next x + 1 input bytes in one read
//   01sxxxxx  a receive event of (x + 1) * 9 waiting bytes, served at most c bytes per
//             ReadBytes call (next byte c, 0 meaning a whole chunk); with s set the port
//             delivers only the next byte's count of them
//   10abcdef  toggle SHT10 (f), rounding (e), autosave (d); reset the assembly (c); run the
//             autosave (b); clear the display (a)
//   11xxxxxx  x < 16: the display holds capacity - 8 + x lines (an opened file);
//             otherwise decode the next packet-length bytes as the hidden test button does
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <deque>
#include <vector>

#include "app/record_line.h"
#include "app/sample_history.h"
#include "app/telemetry_receiver.h"
#include "common/text_format.h"
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

// What must come out of the stream: packets are cut by counting bytes; a checksum mismatch
// drops the rest of its receive event; a change of layout or a reset drops a partial packet.
struct AssemblyModel {
    Packet pending;
    bool nine = false;
    std::deque<Packet> expected;
    int mismatches = 0;

    void Event(const Packet& bytes, bool sht10) {
        if (sht10 != nine) pending.clear();
        nine = sht10;
        const std::size_t length = nine ? 9 : 8;
        for (std::uint8_t b : bytes) {
            pending.push_back(b);
            if (pending.size() < length) continue;
            Packet packet;
            packet.swap(pending);
            if (!XorMatches(packet)) {
                ++mismatches;
                return;
            }
            expected.push_back(std::move(packet));
        }
    }
};

struct Setup {
    ProgramSettings settings;
    AlarmLimits limits;
    AlarmFlags alarms;
    std::string save_buffer;
    int second = 0;
};

// Scaled as the controller's units say: sixteenths, or whole tenths when rounding.
double Sixteenths(unsigned raw, bool rounding) {
    return rounding ? ((raw * 5 + 2) / 8) / 10.0 : raw / 16.0;
}

// The main window's side: a display that only counts its lines.
class CountingDisplay : public TelemetrySink {
  public:
    CountingDisplay(Setup& setup, SampleHistory& history, AssemblyModel& model)
        : setup_(setup), history_(history), model_(model) {}

    std::size_t lines = 0;
    int mismatches = 0;
    std::size_t saved_size = 0;  // the autosave buffer's size after the last sample

    void ChecksumMismatch() override { ++mismatches; }
    std::size_t DisplayLineCount() const override { return lines; }

    void SampleDecoded(const TelemetrySample& s) override {
        FUZZ_CHECK(!model_.expected.empty());
        const Packet p = std::move(model_.expected.front());
        model_.expected.pop_front();
        CheckValues(s.values, p);
        CheckRecordLine(s);

        FUZZ_CHECK(s.history_index == lines);
        FUZZ_CHECK(s.display_full == (s.history_index + 1 >= HISTORY_CAPACITY));
        if (lines < HISTORY_CAPACITY) {
            const std::size_t i = s.history_index;
            FUZZ_CHECK(i < HISTORY_CAPACITY);
            FUZZ_CHECK(history_.HistT1[i] == s.values.t1);
            FUZZ_CHECK(history_.HistT2[i] == s.values.t2);
            FUZZ_CHECK(history_.HistT3[i] == s.values.t3);
            FUZZ_CHECK(history_.HistHM[i] == static_cast<std::uint8_t>(s.values.hm));
            FUZZ_CHECK(history_.HistHeater[i] == (s.values.heater ? 1 : 0));
        }

        const std::string& buffer = setup_.save_buffer;
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
    SampleHistory& history_;
    AssemblyModel& model_;
};

SampleHistory& History() {
    static SampleHistory history;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    Setup setup;
    const std::uint8_t initial = in.Byte();
    setup.settings.SHT10 = (initial & 1) != 0;
    setup.settings.Okruglenie = (initial & 2) != 0;
    setup.settings.AutosaveMinutes = (initial & 4) != 0 ? 10 : 0;

    AssemblyModel model;
    CountingDisplay display(setup, History(), model);
    TelemetryReceiver receiver(
        {setup.settings, setup.limits, setup.alarms, setup.save_buffer, History(), [&setup] {
             setup.second = (setup.second + 1) % 60;
             return LocalDateTime{2026, 12, 6, 23, 59, setup.second};
         }});

    while (!in.Empty()) {
        const std::uint8_t op = in.Byte();
        const unsigned x = op & 0x3F;
        setup.alarms.AlarmNoData = true;
        bool event = true;
        switch (op >> 6) {
            case 0: {
                const auto run = in.Bytes(x + 1);
                const Packet bytes(run.begin(), run.end());
                model.Event(bytes, setup.settings.SHT10);
                receiver.Receive(run, display);
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
                model.Event(port.bytes, setup.settings.SHT10);
                receiver.ReceiveEvent(
                    count, [&port](std::uint8_t* b, std::size_t n) { return port.Read(b, n); },
                    display);
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
                    model.pending.clear();
                }
                if (op & 16) {
                    setup.save_buffer.clear();
                    display.saved_size = 0;
                }
                if (op & 32) display.lines = 0;
                break;
            default:
                event = false;
                if (x < 16) {
                    display.lines = HISTORY_CAPACITY - 8 + x;
                } else {
                    const std::size_t length = setup.settings.SHT10 ? 9 : 8;
                    const auto run = in.Bytes(length);
                    const Packet packet(run.begin(), run.end());
                    if (packet.size() == length) {
                        if (XorMatches(packet))
                            model.expected.push_back(packet);
                        else
                            ++model.mismatches;
                    }
                    receiver.DecodePacket(run, display);
                }
                break;
        }
        FUZZ_CHECK(model.expected.empty());
        FUZZ_CHECK(display.mismatches == model.mismatches);
        FUZZ_CHECK(receiver.PendingBytes() == model.pending.size());
        if (event) FUZZ_CHECK(!setup.alarms.AlarmNoData);
    }
    return 0;
}
