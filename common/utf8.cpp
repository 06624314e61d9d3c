#include "common/utf8.h"

namespace text {

namespace {

bool IsContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// Byte offset just past the character that starts at `i`. The lead byte says how many
// continuation bytes follow; a stray byte is a character of its own.
std::size_t NextChar(std::string_view s, std::size_t i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    int extra = 0;
    if (lead >= 0xF0)
        extra = 3;
    else if (lead >= 0xE0)
        extra = 2;
    else if (lead >= 0xC0)
        extra = 1;
    ++i;
    for (; extra > 0 && i < s.size() && IsContinuation(static_cast<unsigned char>(s[i])); --extra)
        ++i;
    return i;
}

}  // namespace

std::size_t Utf8Length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i = NextChar(s, i)) ++n;
    return n;
}

std::string_view Utf8Prefix(std::string_view s, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t n = 0; n < count && i < s.size(); ++n) i = NextChar(s, i);
    return s.substr(0, i);
}

}  // namespace text
