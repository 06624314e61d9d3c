#include "platform/serial_read_timing.h"

#include <algorithm>
#include <cstdint>

SerialReadStep NextReadStep(const SerialCommTimeouts& t, std::size_t wanted, std::size_t done,
                            std::chrono::milliseconds since_start,
                            std::chrono::milliseconds since_last_byte) {
    constexpr std::uint32_t kAll = SerialCommTimeouts::kMaxTimeout;
    if (done >= wanted) return {true, 0};
    const std::uint32_t interval = t.ReadIntervalTimeout;
    const std::uint32_t mult = t.ReadTotalTimeoutMultiplier;
    const std::uint32_t constant = t.ReadTotalTimeoutConstant;

    if (interval == kAll && mult == 0 && constant == 0) return {true, 0};
    if (interval == kAll && mult == kAll && constant > 0 && constant < kAll) {
        if (done > 0) return {true, 0};
        const long long left = static_cast<long long>(constant) - since_start.count();
        return left <= 0 ? SerialReadStep{true, 0} : SerialReadStep{false, left};
    }

    long long wait = -1;
    if (mult != 0 || constant != 0) {
        const long long total = static_cast<long long>(mult) * static_cast<long long>(wanted) +
                                static_cast<long long>(constant);
        const long long left = total - since_start.count();
        if (left <= 0) return {true, 0};
        wait = left;
    }
    if (interval != 0 && done > 0) {
        // Over once the gap exceeds the interval.
        const long long left = static_cast<long long>(interval) - since_last_byte.count() + 1;
        if (left <= 0) return {true, 0};
        wait = wait < 0 ? left : std::min(wait, left);
    }
    return {false, wait};
}
