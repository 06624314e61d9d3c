// incubator-sim feeds a pseudo-terminal at 50 packets per second in bursts of up to three
// packets; a TSerialPort with the telemetry decoder reads it as the main window does. One run
// is clean, one drops 1 % of the bytes; both run side by side for a minute (the environment
// variable INCUBATOR_E2E_SECONDS shortens it).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

#include "engine/telemetry_receiver.h"
#include "platform/doubles/queued_ui_thread.h"
#include "platform/posix/posix_serial_device.h"
#include "serial/serial_port.h"
#include "testing/simulator_process.h"
#include "testing/temp_folder.h"

namespace {

using namespace std::chrono_literals;

struct LoggedPacket {
    bool intact = false;
    std::vector<std::uint8_t> wire;  // as sent
};

std::vector<LoggedPacket> LoadLog(const std::string& path) {
    std::vector<LoggedPacket> packets;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        long long index = 0, write = 0;
        std::string status, hex;
        if (!(fields >> index >> write >> status)) break;
        fields >> hex;
        LoggedPacket p;
        p.intact = status == "ok";
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
            p.wire.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
        packets.push_back(p);
    }
    return packets;
}

// One simulator, one port, one decoder.
class Scenario : public TelemetrySink {
  public:
    Scenario(UiThread& ui, SerialBackend& backend, long long count, double drop_percent,
             unsigned seed)
        : count_(count),
          sim_(folder_.Path(),
               {"--rate", "50", "--burst", "3", "--count", std::to_string(count), "--seed",
                std::to_string(seed), "--drop", std::to_string(drop_percent)}),
          receiver_({settings_, limits_, alarms_, pending_,
                     [] {
                         return SystemTimeOf({2026, 1, 1, 0, 0, 0});
                     }}),
          port_(backend, ui) {
        settings_.AutosaveMinutes = 0;
        port_.SetPort(sim_.Pty());
        port_.SetBaudRate(br4800);
        port_.Timeouts().SetReadInterval(300);
        port_.OnRxChar = [this](TCustomSerialPort& port, int n) { OnBytesWaiting(port, n); };
    }
    void Open() {
        port_.OpenPort();
        port_.SetDtrLine(true);
        port_.SetRtsLine(false);
    }

    // Every packet has been sent and every byte sent has arrived.
    bool Done() {
        const auto now = std::chrono::steady_clock::now();
        if (now < next_look_) return false;
        next_look_ = now + 500ms;
        log_ = LoadLog(sim_.LogPath());
        if (static_cast<long long>(log_.size()) < count_) return false;
        std::size_t bytes = 0;
        for (const auto& p : log_) bytes += p.wire.size();
        return stream_.size() >= bytes;
    }

    void Close() { port_.ClosePort(); }

    struct Counts {
        long long sent = 0, damaged = 0, decoded = 0, false_decodes = 0, lost_intact = 0,
                  lost_explained = 0, mismatch_events = 0, reads = 0;
        bool stream_exact = false;
    };

    Counts Evaluate() {
        Counts c;
        log_ = LoadLog(sim_.LogPath());
        std::vector<std::uint8_t> sent;
        std::vector<std::size_t> owner;  // packet of each byte sent
        for (std::size_t i = 0; i < log_.size(); ++i) {
            sent.insert(sent.end(), log_[i].wire.begin(), log_[i].wire.end());
            owner.insert(owner.end(), log_[i].wire.size(), i);
            if (!log_[i].intact) ++c.damaged;
        }
        c.sent = static_cast<long long>(log_.size());
        c.stream_exact = sent == stream_;
        c.mismatch_events = mismatches_;
        c.reads = static_cast<long long>(reads_.size());
        if (!c.stream_exact) return c;

        // A read is suspect when it holds a damaged byte or starts out of step with packets.
        std::set<std::size_t> starts;
        for (std::size_t at = 0, i = 0; i < log_.size(); at += log_[i].wire.size(), ++i)
            starts.insert(at);
        std::vector<bool> suspect(reads_.size());
        for (std::size_t r = 0; r < reads_.size(); ++r) {
            const Read& read = reads_[r];
            bool s = !starts.count(read.offset - read.pending_before);
            // The bytes carried over from the previous read count as this read's.
            for (std::size_t b = read.offset - read.pending_before; b < read.offset + read.length;
                 ++b)
                s = s || !log_[owner[b]].intact;
            suspect[r] = s;
        }
        std::vector<bool> decoded(log_.size());
        for (const Sample& d : samples_) {
            const Read& read = reads_[d.read];
            bool matched = false;
            for (std::size_t b = read.offset - read.pending_before;
                 b < read.offset + read.length && !matched; ++b) {
                const std::size_t p = owner[b];
                if (log_[p].intact && !decoded[p] &&
                    std::equal(d.bytes.begin(), d.bytes.end(), log_[p].wire.begin())) {
                    decoded[p] = matched = true;
                }
            }
            if (matched) {
                ++c.decoded;
            } else {
                ++c.false_decodes;
                EXPECT_TRUE(suspect[d.read])
                    << "a wrong packet decoded from a clean read " << d.read << " off "
                    << read.offset << " len " << read.length << " pend " << read.pending_before
                    << " prev suspect " << (d.read ? int(suspect[d.read - 1]) : -1);
            }
        }
        // Reads by their first byte.
        std::vector<std::size_t> read_of(stream_.size());
        for (std::size_t r = 0; r < reads_.size(); ++r)
            for (std::size_t b = reads_[r].offset; b < reads_[r].offset + reads_[r].length; ++b)
                read_of[b] = r;
        for (std::size_t at = 0, i = 0; i < log_.size(); at += log_[i].wire.size(), ++i) {
            if (!log_[i].intact || decoded[i]) continue;
            ++c.lost_intact;
            if (suspect[read_of[at]]) ++c.lost_explained;
        }
        return c;
    }

  private:
    struct Read {
        std::size_t offset = 0, length = 0, pending_before = 0;
    };
    struct Sample {
        std::size_t read = 0;
        std::vector<std::uint8_t> bytes;  // without the checksum
    };

    // What the engine does with the bytes waiting in its port.
    void OnBytesWaiting(TCustomSerialPort& port, int count) {
        Read read{stream_.size(), 0, receiver_.PendingBytes()};
        reads_.push_back(read);
        receiver_.ReceiveEvent(
            static_cast<std::size_t>(count),
            [&](std::uint8_t* buffer, std::size_t size) {
                const std::size_t n = port.ReadBytes(buffer, size);
                stream_.insert(stream_.end(), buffer, buffer + n);
                reads_.back().length += n;
                return n;
            },
            *this);
    }

    void ChecksumMismatch() override { ++mismatches_; }
    std::size_t LineCount() const override { return lines_; }
    void SampleDecoded(const TelemetrySample& s) override {
        const DecodedSample& v = s.values;
        samples_.push_back(
            {reads_.size() - 1,
             {v.outputs, static_cast<std::uint8_t>(v.t1_raw & 0xFF),
              static_cast<std::uint8_t>(v.t1_raw >> 8), static_cast<std::uint8_t>(v.t2_raw & 0xFF),
              static_cast<std::uint8_t>(v.t2_raw >> 8), static_cast<std::uint8_t>(v.t3_raw & 0xFF),
              static_cast<std::uint8_t>(v.t3_raw >> 8)}});
        lines_ = s.display_full ? 0 : lines_ + 1;
    }

    const long long count_;
    TempFolder folder_;
    SimulatorProcess sim_;
    EngineSettings settings_;
    AlarmLimits limits_;
    AlarmFlags alarms_;
    PendingLines pending_;
    TelemetryReceiver receiver_;
    TSerialPort port_;

    std::vector<std::uint8_t> stream_;  // every byte read, in order
    std::vector<Read> reads_;
    std::vector<Sample> samples_;
    long long mismatches_ = 0;
    std::size_t lines_ = 0;
    std::vector<LoggedPacket> log_;
    std::chrono::steady_clock::time_point next_look_{};
};

void Print(const char* name, const Scenario::Counts& c) {
    std::printf(
        "%s: sent %lld packets (%lld damaged), %lld reads, decoded %lld, checksum events %lld, "
        "wrong packets decoded %lld, intact packets lost %lld (%lld in reads with a dropped byte "
        "or out of step after one), stream exact: %s\n",
        name, c.sent, c.damaged, c.reads, c.decoded, c.mismatch_events, c.false_decodes,
        c.lost_intact, c.lost_explained, c.stream_exact ? "yes" : "no");
}

TEST(SerialSimEndToEnd, EveryPacketArrivesAndDropsCostOnlyTheirOwnReads) {
    long long seconds = 60;
    if (const char* s = std::getenv("INCUBATOR_E2E_SECONDS")) seconds = std::atoll(s);
    const long long count = 50 * seconds;

    QueuedUiThread ui;
    PosixSerialBackend backend;
    Scenario clean(ui, backend, count, 0, 11);
    Scenario lossy(ui, backend, count, 1, 12);
    // The readers are open before the first packet: the simulator waits for them.
    clean.Open();
    lossy.Open();
    const bool done = ui.RunUntil([&] { return clean.Done() && lossy.Done(); },
                                  std::chrono::seconds(seconds * 2 + 30));
    clean.Close();
    lossy.Close();
    ASSERT_TRUE(done);

    const auto c = clean.Evaluate();
    Print("clean", c);
    EXPECT_TRUE(c.stream_exact);
    EXPECT_EQ(c.sent, count);
    EXPECT_EQ(c.decoded, count);
    EXPECT_EQ(c.mismatch_events, 0);
    EXPECT_EQ(c.false_decodes, 0);

    const auto l = lossy.Evaluate();
    Print("1% dropped", l);
    EXPECT_TRUE(l.stream_exact);
    EXPECT_EQ(l.sent, count);
    EXPECT_GT(l.damaged, 0);
    EXPECT_EQ(l.lost_intact, l.lost_explained);
    EXPECT_EQ(l.decoded + l.lost_intact, l.sent - l.damaged);
}

}  // namespace
