#pragma once
// The desktop's plain-text clipboard.

#include <string>

namespace platform {

class Clipboard {
  public:
    virtual ~Clipboard() = default;
    // Replaces the clipboard's content with `text` (UTF-8). Failures are silent.
    virtual void SetText(const std::string& text) = 0;
    virtual std::string Text() const = 0;
};

}  // namespace platform
