#pragma once
// Enumerations and event signatures of the tray icon component.

#include <functional>

class TTrayIcon;

enum TBalloonIconKind { biNone, biInfo, biWarning, biError, biUser };

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

using TNotifyEvent = std::function<void(TTrayIcon& sender)>;
// x, y: the cursor in screen coordinates.
using TMouseEvent =
    std::function<void(TTrayIcon& sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TTrayIcon& sender, TShiftState shift, int x, int y)>;
using TCycleEvent = std::function<void(TTrayIcon& sender, int NextIndex)>;
using TStartupEvent = std::function<void(TTrayIcon& sender, bool& ShowMainForm)>;
