#pragma once
// One run of the monitor on the simulator, checked: the packets the simulator logged as sent
// against the record lines in the monitor's daily files, and the lines the monitor echoed
// against the same files.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "engine/telemetry_packet.h"
#include "testing/alignment.h"
#include "testing/sim_log.h"

namespace e2e {

struct RunCheck {
    std::size_t sent = 0;     // packets the simulator logged
    std::size_t intact = 0;   // of them, sent whole with a good checksum
    std::size_t damaged = 0;  // sent with a bad checksum or a byte left out
    std::size_t lost = 0;     // not written: the reader had gone
    std::size_t lines = 0;    // record lines in the daily files
    Alignment packets;        // intact packets against the lines
    // Of the lines not matched to an intact packet: those that are a packet-long run of the
    // bytes sent, across packet bounds, with a good checksum (a stream that lost a byte, read
    // out of step), and the rest: made up, or a packet sent out of its place.
    std::size_t misframed = 0;
    std::size_t foreign = 0;
    std::optional<Alignment> echo;  // the echoed lines against the lines in the files
    std::size_t echo_lines = 0;

    // Every intact packet is in the files once, in order, nothing else is, and the files
    // hold exactly what was echoed (when the echo was read).
    bool Clean() const;
    // Nothing in the files that the simulator did not send, and exactly what was echoed.
    bool Sound() const;
    // "sent=… intact=… …": the counts as key=value words on one line.
    std::string Summary() const;
};

RunCheck CheckRun(const std::vector<SentPacket>& log, const std::vector<std::string>& file_lines,
                  PacketLayout layout, bool rounding,
                  const std::optional<std::vector<std::string>>& echo_lines);

// Lookahead of the alignments: far more packets than a damaged stretch of stream costs.
inline constexpr std::size_t kLookahead = 1000;

}  // namespace e2e
