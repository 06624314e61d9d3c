#pragma once
// Mouse buttons and modifier states as the window system reports them to a control. Shared by
// every component that takes mouse input, so that a window can pass them on unchanged.

enum TMouseButton { mbLeft, mbRight, mbMiddle };

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
