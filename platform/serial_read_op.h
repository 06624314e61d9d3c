#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

// One read in progress: filled by StartRead, completed by FinishRead.
struct SerialReadOp {
    std::uint8_t* buffer = nullptr;
    std::size_t wanted = 0;
    std::size_t done = 0;
    bool complete = false;
    std::chrono::steady_clock::time_point started{};
    std::chrono::steady_clock::time_point last_byte{};
};
