#pragma once
// The desktop clipboard through QClipboard.

#include "platform/clipboard.h"

namespace platform {

class QtClipboard : public Clipboard {
  public:
    void SetText(const std::string& text) override;
    std::string Text() const override;
};

}  // namespace platform
