#pragma once
// Character-wise (not byte-wise) handling of UTF-8 texts.

#include <cstddef>
#include <string_view>

namespace text {

// Number of characters (code points) in a UTF-8 text; a stray byte counts as one.
std::size_t Utf8Length(std::string_view s);

// The first `count` characters, never splitting a letter.
std::string_view Utf8Prefix(std::string_view s, std::size_t count);

}  // namespace text
