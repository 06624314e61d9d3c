#pragma once
// Puts a top-level window at its stored bounds, held to the free area of its screen with its
// frame (app/window_placement.h). Before the window is mapped its frame is unknown and an
// allowance stands in; the first time the window manager's frame is known, the window is held
// to the screen again with the real one.

#include "app/window_placement.h"

class QWidget;

// `window` is a top-level window, not yet shown; its minimum size is already set.
void PlaceOnScreen(QWidget& window, const placement::Bounds& stored);
