#pragma once
// Enumerations of the tray icon component.

enum TBalloonIconKind { biNone, biInfo, biWarning, biError, biUser };

// Mouse buttons and shift states are named as in other components, so they live in a
// namespace of their own.
namespace tray {

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// A set of TShiftFlag bits.
using TShiftState = unsigned;
enum TShiftFlag : unsigned {
    ssShift = 1,
    ssAlt = 2,
    ssCtrl = 4,
    ssLeft = 8,
    ssRight = 16,
    ssMiddle = 32,
};

}  // namespace tray
