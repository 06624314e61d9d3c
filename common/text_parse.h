#pragma once
// Text to number, with the decimal comma, reporting failure distinctly; trimming and
// comparing names.

#include <optional>
#include <string>
#include <string_view>

namespace text {

// Removes leading and trailing characters with codes up to 32. Bytes are compared unsigned,
// so UTF-8 letters are never trimmed. Inline: the record-line parsers call it for every field.
inline std::string_view Trim(std::string_view s) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// Equal but for the letter case of A-Z: names in configuration files and setting texts.
inline bool SameIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// Optional blanks around, optional sign, digits with at most one decimal comma, optional
// exponent ("e" or "E", optional sign, digits). A point is not a decimal separator here.
// Empty when the text is not such a number or lies outside the range of a double.
std::optional<double> ParseDouble(std::string_view s);

// Optional blanks around, optional sign, decimal digits, within the range of int.
std::optional<int> ParseInt(std::string_view s);

// The messages shown when a conversion fails.
std::string NotAFloatMessage(std::string_view s);     // "'x' is not a valid floating point value"
std::string NotAnIntegerMessage(std::string_view s);  // "'x' is not a valid integer value"

// Replaces the first "." by "," (texts typed or stored with a decimal point).
std::string FirstPointToComma(std::string s);

}  // namespace text
