#include "testing/run_check.h"

#include <set>
#include <span>
#include <tuple>

#include "testing/record_fields.h"

namespace e2e {

namespace {

using FieldKey = std::tuple<std::string, std::string, std::string, std::string, std::string>;

FieldKey Key(const RecordFields& f) {
    return {f.t1, f.t2, f.t3, f.hm, f.out};
}

// Every packet-long run of the stream that passes the checksum without being a packet sent
// whole: what a reader out of step with the packets can take for one.
std::set<FieldKey> MisframedCandidates(const std::vector<SentPacket>& log, PacketLayout layout,
                                       bool rounding) {
    std::vector<std::uint8_t> stream;
    std::set<std::size_t> whole_starts;
    for (const SentPacket& p : log) {
        if (p.status == SentStatus::Ok) whole_starts.insert(stream.size());
        stream.insert(stream.end(), p.wire.begin(), p.wire.end());
    }
    const std::size_t length = PacketLength(layout);
    std::set<FieldKey> keys;
    for (std::size_t at = 0; at + length <= stream.size(); ++at) {
        const std::span<const std::uint8_t> window(stream.data() + at, length);
        if (!whole_starts.count(at) && ChecksumOk(window))
            keys.insert(Key(FieldsOfPacket(window, layout, rounding)));
    }
    return keys;
}

}  // namespace

bool RunCheck::Clean() const {
    return packets.Exact() && (!echo || echo->Exact());
}

bool RunCheck::Sound() const {
    return foreign == 0 && (!echo || echo->Exact());
}

std::string RunCheck::Summary() const {
    std::string s =
        "sent=" + std::to_string(sent) + " intact=" + std::to_string(intact) +
        " damaged=" + std::to_string(damaged) + " lost=" + std::to_string(lost) +
        " lines=" + std::to_string(lines) + " matched=" + std::to_string(packets.matched) +
        " missing=" + std::to_string(packets.missing) +
        " extra=" + std::to_string(packets.extra.size()) +
        " misframed=" + std::to_string(misframed) + " foreign=" + std::to_string(foreign);
    if (echo)
        s += " echo_lines=" + std::to_string(echo_lines) +
             " echo_missing=" + std::to_string(echo->missing) +
             " echo_extra=" + std::to_string(echo->extra.size());
    return s;
}

RunCheck CheckRun(const std::vector<SentPacket>& log, const std::vector<std::string>& file_lines,
                  PacketLayout layout, bool rounding,
                  const std::optional<std::vector<std::string>>& echo_lines) {
    RunCheck c;
    c.sent = log.size();
    c.lines = file_lines.size();
    std::vector<RecordFields> expected;
    for (const SentPacket& p : log) {
        if (p.status == SentStatus::Lost) {
            ++c.lost;
        } else if (p.status != SentStatus::Ok) {
            ++c.damaged;
        } else if (p.wire.size() == PacketLength(layout) && ChecksumOk(p.wire)) {
            ++c.intact;
            expected.push_back(FieldsOfPacket(p.wire, layout, rounding));
        } else {
            ++c.damaged;  // logged whole, yet not a packet of this layout
        }
    }
    std::vector<RecordFields> got;
    got.reserve(file_lines.size());
    for (const std::string& line : file_lines) got.push_back(FieldsOfLine(line));
    c.packets = Align(expected, got, kLookahead);

    if (!c.packets.extra.empty()) {
        const std::set<FieldKey> candidates = MisframedCandidates(log, layout, rounding);
        for (const std::size_t g : c.packets.extra) {
            if (candidates.count(Key(got[g])))
                ++c.misframed;
            else
                ++c.foreign;
        }
    }
    if (echo_lines) {
        c.echo_lines = echo_lines->size();
        c.echo = Align(*echo_lines, file_lines, kLookahead);
    }
    return c;
}

}  // namespace e2e
