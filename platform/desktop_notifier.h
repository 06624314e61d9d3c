#pragma once
// The desktop's notification service (org.freedesktop.Notifications): where there is no
// notification area for balloons, warnings go here.

#include <string>

namespace platform {

class DesktopNotifier {
  public:
    virtual ~DesktopNotifier() = default;
    // Shows a warning notice for about `seconds`. False when no notification service took
    // it (none running, no session bus).
    virtual bool Notify(const std::string& title, const std::string& text, unsigned seconds) = 0;
};

}  // namespace platform
