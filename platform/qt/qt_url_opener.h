#pragma once
// Web addresses through QDesktopServices, the desktop's default handler.

#include "platform/url_opener.h"

namespace platform {

class QtUrlOpener : public UrlOpener {
  public:
    // An address without a scheme ("www.example.com") is taken as a web address.
    bool Open(const std::string& url) override;
};

}  // namespace platform
