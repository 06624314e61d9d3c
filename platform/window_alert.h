#pragma once
// Draws the user's eye to the main window: one flash of its taskbar entry.

namespace platform {

class WindowAlert {
  public:
    virtual ~WindowAlert() = default;
    virtual void Flash() = 0;
};

}  // namespace platform
