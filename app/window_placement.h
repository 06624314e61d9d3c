#pragma once
// Where the main window opens: its stored place and size, held to the free area of a screen
// with its frame, so that the whole window can be seen and moved. A place saved on a monitor
// that is no longer there comes back on the main screen.

#include <vector>

namespace placement {

// A screen's free area (without panels and docks), in desktop pixels.
struct Area {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The window frame's thickness on each side of the window's content.
struct Frame {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const Frame&, const Frame&) = default;
};

// The window as stored: its frame's top-left corner and the size of its content.
struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const Bounds&, const Bounds&) = default;
};

// Allowed for the frame before the window manager has put one round the window: a title bar
// and thin borders, about what the usual window managers draw.
inline constexpr Frame kFrameAllowance{4, 32, 4, 4};

// The screen the window belongs on: the one that holds most of it, else the main one.
// `screens` is not empty; `primary` indexes it.
Area ScreenFor(const Bounds& window, const Frame& frame, const std::vector<Area>& screens,
               std::size_t primary);

// The bounds held to `screen`: the content shrinks (not below `min_width` x `min_height`)
// until window and frame fit the area, then the window moves until it lies inside. A window
// larger than the area even at its minimum keeps its top-left corner, and so its title bar,
// on the screen.
Bounds FitToScreen(const Bounds& window, const Frame& frame, const Area& screen, int min_width,
                   int min_height);

}  // namespace placement
