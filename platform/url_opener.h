#pragma once
// Opens a web address with the desktop's default handler.

#include <string>

namespace platform {

class UrlOpener {
  public:
    virtual ~UrlOpener() = default;
    // False when nothing could open it; callers report nothing.
    virtual bool Open(const std::string& url) = 0;
};

}  // namespace platform
