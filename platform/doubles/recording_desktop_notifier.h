#pragma once
// A notification service for tests: records each notice and answers as told.

#include <string>
#include <vector>

#include "platform/desktop_notifier.h"

namespace platform {

class RecordingDesktopNotifier : public DesktopNotifier {
  public:
    struct Notice {
        std::string title;
        std::string text;
        unsigned seconds;
        friend bool operator==(const Notice&, const Notice&) = default;
    };

    bool Notify(const std::string& title, const std::string& text, unsigned seconds) override {
        notices.push_back({title, text, seconds});
        return available;
    }

    std::vector<Notice> notices;
    bool available = true;  // false: no service takes notices
};

}  // namespace platform
