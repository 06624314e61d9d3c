#pragma once
// How a serial read proceeds under the Win32 read time-outs: when it is over and how long to
// wait for the next byte. Pure, so that both the device and the tests can use it.
//
// - interval all ones, totals 0: return at once with what is waiting;
// - interval all ones, constant all ones: no limit, wait for the full count;
// - interval all ones, other totals: return at once when bytes are waiting, else with the first
//   bytes that come, or empty at the total limit: multiplier x wanted + constant ms, where an
//   all-ones multiplier counts as 0 (so all ones, all ones, 0 returns at once);
// - otherwise: a total limit of multiplier x wanted + constant ms (none when both are 0), and,
//   once a byte has come, an interval limit: over when more than `interval` ms pass between
//   two bytes (none when 0).

#include <chrono>
#include <cstddef>

#include "platform/serial_device_settings.h"

struct SerialReadStep {
    bool complete = false;
    // How long to wait for more bytes before asking again; -1 waits without limit.
    long long wait_ms = -1;
};

SerialReadStep NextReadStep(const SerialCommTimeouts& timeouts, std::size_t wanted,
                            std::size_t done, std::chrono::milliseconds since_start,
                            std::chrono::milliseconds since_last_byte);
