#pragma once
// The keys the chart control receives from its window (the window system's VK_ codes); the
// mouse buttons and shift states are the shared ones of platform/input_types.h.

#include <cstdint>

#include "platform/input_types.h"

namespace chart {

// Virtual key codes; 0 is "no key" (an owner's OnKeyDown may set the key to 0 to swallow it).
using TKey = std::uint16_t;
namespace keys {
inline constexpr TKey kNone = 0;
inline constexpr TKey kLeft = 0x25;
inline constexpr TKey kUp = 0x26;
inline constexpr TKey kRight = 0x27;
inline constexpr TKey kDown = 0x28;
inline constexpr TKey kMultiply = 0x6A;  // numeric keypad
inline constexpr TKey kAdd = 0x6B;       // numeric keypad
inline constexpr TKey kSubtract = 0x6D;  // numeric keypad
}  // namespace keys

// One wheel notch.
inline constexpr int kWheelDelta = 120;

}  // namespace chart
