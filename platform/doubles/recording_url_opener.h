#pragma once
// A web-link opener for tests: records the addresses and answers as told.

#include <string>
#include <vector>

#include "platform/url_opener.h"

namespace platform {

class RecordingUrlOpener : public UrlOpener {
  public:
    bool Open(const std::string& url) override {
        opened.push_back(url);
        return succeed;
    }

    std::vector<std::string> opened;
    bool succeed = true;
};

}  // namespace platform
