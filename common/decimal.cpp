#include "common/decimal.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace text {

Decimal ShortestDecimal(double value) {
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
    const char* p = buf;
    const char* end = res.ptr;
    Decimal d;
    if (p < end && *p == '-') {
        d.negative = true;
        ++p;
    }
    while (p < end && *p != 'e') {
        if (*p != '.') d.digits.push_back(*p);
        ++p;
    }
    int exponent = 0;
    if (p < end) std::from_chars(p + 1 + (p[1] == '+' ? 1 : 0), end, exponent);
    // Mantissa is d.ddd: one digit before the point.
    d.point = exponent + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;  // zero
    return d;
}

namespace {

// Keeps the first `keep` digits, rounding on the next one.
void RoundKeeping(Decimal& d, int keep) {
    if (keep >= static_cast<int>(d.digits.size())) return;
    if (keep < 0) {  // everything lies below half a unit of the kept position
        d.digits.clear();
        d.point = 0;
        return;
    }
    const bool up = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.digits[i] == '9') d.digits[i--] = '0';
        if (i >= 0) {
            ++d.digits[i];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.point = 0;
}

}  // namespace

void RoundToDecimals(Decimal& d, int decimals) {
    RoundKeeping(d, d.point + decimals);
}

void RoundToSignificant(Decimal& d, int count) {
    RoundKeeping(d, count);
}

std::string ToFixed(const Decimal& d, int min_int_digits, int decimals, char separator) {
    const int n = static_cast<int>(d.digits.size());
    auto digit_at = [&](int i) { return (i >= 0 && i < n) ? d.digits[i] : '0'; };
    std::string out;
    if (d.negative && !d.digits.empty()) out.push_back('-');
    const int int_digits = std::max({d.point, min_int_digits, 1});
    // Integer digit k (from the left, 0-based) of int_digits sits at digit index
    // d.point - int_digits + k.
    for (int k = 0; k < int_digits; ++k) out.push_back(digit_at(d.point - int_digits + k));
    if (decimals > 0) {
        out.push_back(separator);
        for (int k = 0; k < decimals; ++k) out.push_back(digit_at(d.point + k));
    }
    return out;
}

}  // namespace text
