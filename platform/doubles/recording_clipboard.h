#pragma once
// A clipboard for tests: holds the text and records every text set.

#include <string>
#include <vector>

#include "platform/clipboard.h"

namespace platform {

class RecordingClipboard : public Clipboard {
  public:
    void SetText(const std::string& text) override {
        this->text = text;
        set.push_back(text);
    }
    std::string Text() const override { return text; }

    std::string text;
    std::vector<std::string> set;
};

}  // namespace platform
