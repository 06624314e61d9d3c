#pragma once
// The input the chart control receives from its window: buttons, shift state, key codes.
// Kept in a namespace of their own so that they never clash with another component's
// input types; the values follow the window system's (VK_ codes, shift flags).

#include <cstdint>

namespace chart {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of TShiftFlag bits: modifier keys and mouse buttons held.
using TShiftState = unsigned;
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
    ssDouble = 64,
};

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
