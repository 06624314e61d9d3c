#pragma once
// The count of partial packets a run dropped (bytes lost on the line, or a packet whose pieces
// came further apart than the silence that begins a packet), told once at the end: rare on a
// sound line, and the only trace such a packet leaves.

#include <cstdint>
#include <string>

// Writes "<program>: <the count in words>" on standard error, unless `count` is 0.
void ReportCutPackets(const std::string& program, std::uint64_t count);
