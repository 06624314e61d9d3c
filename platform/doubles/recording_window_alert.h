#pragma once
// A window alert for tests: counts the flashes.

#include "platform/window_alert.h"

namespace platform {

class RecordingWindowAlert : public WindowAlert {
  public:
    void Flash() override { ++flashes; }
    int flashes = 0;
};

}  // namespace platform
