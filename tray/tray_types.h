#pragma once
// Enumerations of the tray icon component.

#include "platform/input_types.h"

enum TBalloonIconKind { biNone, biInfo, biWarning, biError, biUser };
