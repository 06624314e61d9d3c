#pragma once
// A warning of the autosave for the user: a balloon's title and text.

#include <string>

namespace statistics {

struct AutosaveWarning {
    std::string title;
    std::string text;
};

}  // namespace statistics
