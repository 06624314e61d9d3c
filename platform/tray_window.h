#pragma once
// The program's main window, as the tray icon component handles it.

#include <functional>

namespace platform {

class TrayMainWindow {
  public:
    virtual ~TrayMainWindow() = default;

    // Out of the minimised state, visible and in front.
    virtual void ShowNormal() = 0;
    // Hidden together with its taskbar button; shown again later it comes back normal,
    // not minimised.
    virtual void Hide() = 0;
    virtual bool IsVisible() const = 0;

    // Called after the user has minimised the window (never from inside the window
    // system's own state change); none: not called.
    virtual void SetMinimizeHandler(std::function<void()> handler) = 0;
};

}  // namespace platform
