#include "common/text_parse.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

namespace text {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Rough power of ten of a plain "ddd.ddde[+-]nn" number with a nonzero digit: enough to tell
// overflow from underflow.
long DecimalMagnitude(const std::string& plain) {
    const auto e = plain.find('e');
    const std::string mantissa = plain.substr(0, e);
    auto point = mantissa.find('.');
    if (point == std::string::npos) point = mantissa.size();
    const auto first = mantissa.find_first_of("123456789");
    long magnitude = static_cast<long>(point) - static_cast<long>(first);
    if (first > point) ++magnitude;  // the point itself is not a digit
    if (e != std::string::npos) {
        long exponent = 0;
        const char* p = plain.data() + e + 1;
        if (*p == '+') ++p;
        // An exponent past the range of long is past any double too: only its sign counts.
        // Kept far from the limits of long, so that adding it cannot overflow.
        constexpr long kFar = 1L << 40;
        const auto parsed = std::from_chars(p, plain.data() + plain.size(), exponent);
        if (parsed.ec == std::errc::result_out_of_range) exponent = *p == '-' ? -kFar : kFar;
        magnitude += std::clamp(exponent, -kFar, kFar);
    }
    return magnitude;
}

}  // namespace

std::optional<double> ParseDouble(std::string_view s) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    // Rebuild the number in the form std::from_chars reads: digits '.' digits 'e' exponent.
    std::string plain;
    std::size_t i = 0;
    int mantissa_digits = 0;
    bool comma = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (IsDigit(c)) {
            plain.push_back(c);
            ++mantissa_digits;
        } else if (c == ',' && !comma) {
            comma = true;
            plain.push_back('.');
        } else {
            break;
        }
    }
    if (mantissa_digits == 0) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        plain.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) plain.push_back(s[i++]);
        int exponent_digits = 0;
        for (; i < s.size() && IsDigit(s[i]); ++i, ++exponent_digits) plain.push_back(s[i]);
        if (exponent_digits == 0) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    if (plain.front() == '.') plain.insert(plain.begin(), '0');
    double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc() || res.ptr != plain.data() + plain.size()) {
        // Underflow to zero is fine; overflow is not a value we can hold.
        if (res.ec == std::errc::result_out_of_range && DecimalMagnitude(plain) < 0) return 0.0;
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<int> ParseInt(std::string_view s) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    long long value = 0;
    for (char c : s) {
        if (!IsDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > 2147483647LL) return std::nullopt;
    return static_cast<int>(value);
}

namespace {

// "'<text>'<tail>", built by appending: g++ 12 at -O3 mistakes `"'" + std::string(...)` for
// an overlapping copy (-Wrestrict).
std::string QuotedMessage(std::string_view text, std::string_view tail) {
    std::string message;
    message.reserve(text.size() + tail.size() + 2);
    message += '\'';
    message += text;
    message += '\'';
    message += tail;
    return message;
}

}  // namespace

std::string NotAFloatMessage(std::string_view s) {
    return QuotedMessage(s, " is not a valid floating point value");
}

std::string NotAnIntegerMessage(std::string_view s) {
    return QuotedMessage(s, " is not a valid integer value");
}

std::string FirstPointToComma(std::string s) {
    if (const auto pos = s.find('.'); pos != std::string::npos) s[pos] = ',';
    return s;
}

}  // namespace text
