#include "platform/serial_read_timing.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr std::uint32_t kAll = SerialCommTimeouts::kMaxTimeout;

// multiplier x wanted + constant in ms, saturated well below overflow.
long long TotalLimitMs(std::uint32_t mult, std::size_t wanted, std::uint32_t constant) {
    constexpr long long kCap = std::numeric_limits<long long>::max() / 4;
    const long long per_byte = mult;
    long long total = 0;
    if (per_byte != 0 && wanted > static_cast<std::size_t>(kCap / per_byte))
        total = kCap;
    else
        total = per_byte * static_cast<long long>(wanted);
    return std::min(kCap, total + static_cast<long long>(constant));
}

SerialReadStep WaitUntil(long long limit_ms, std::chrono::milliseconds since_start) {
    const long long left = limit_ms - since_start.count();
    return left <= 0 ? SerialReadStep{true, 0} : SerialReadStep{false, left};
}

}  // namespace

SerialReadStep NextReadStep(const SerialCommTimeouts& t, std::size_t wanted, std::size_t done,
                            std::chrono::milliseconds since_start,
                            std::chrono::milliseconds since_last_byte) {
    if (done >= wanted) return {true, 0};
    const std::uint32_t interval = t.ReadIntervalTimeout;
    const std::uint32_t mult = t.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = t.ReadTotalTimeoutConstant;

    if (interval == kAll) {
        if (mult == 0 && constant == 0) return {true, 0};
        // An all-ones constant sets no limit of any kind: the read waits for the full count.
        if (constant == kAll) return {false, -1};
        // Over with the first bytes, or empty at the total limit; an all-ones multiplier
        // leaves the constant alone as that limit.
        if (done > 0) return {true, 0};
        return WaitUntil(TotalLimitMs(mult == kAll ? 0 : mult, wanted, constant), since_start);
    }

    long long wait = -1;
    if (mult != 0 || constant != 0) {
        const SerialReadStep total = WaitUntil(TotalLimitMs(mult, wanted, constant), since_start);
        if (total.complete) return total;
        wait = total.wait_ms;
    }
    if (interval != 0 && done > 0) {
        // Over once the gap exceeds the interval.
        const long long left = static_cast<long long>(interval) - since_last_byte.count() + 1;
        if (left <= 0) return {true, 0};
        wait = wait < 0 ? left : std::min(wait, left);
    }
    return {false, wait};
}
