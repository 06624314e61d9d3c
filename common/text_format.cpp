#include "common/text_format.h"

#include <charconv>
#include <cmath>

#include "common/decimal.h"

namespace text {

namespace {

// Names for values that have no digits.
std::string NonFinite(double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

std::string Exponential(Decimal d, int significant) {
    // d is already rounded to at most `significant` digits.
    std::string out;
    if (d.negative) out.push_back('-');
    out.push_back(d.digits.empty() ? '0' : d.digits[0]);
    out.push_back(kDecimalSeparator);
    for (int k = 1; k < significant; ++k)
        out.push_back(k < static_cast<int>(d.digits.size()) ? d.digits[k] : '0');
    const int exponent = d.digits.empty() ? 0 : d.point - 1;
    out.push_back('E');
    out.push_back(exponent < 0 ? '-' : '+');
    const std::string e = std::to_string(std::abs(exponent));
    if (e.size() < 2) out.push_back('0');
    out += e;
    return out;
}

}  // namespace

std::string FormatPattern(double value, int decimals) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ShortestDecimal(value);
    RoundToDecimals(d, decimals);
    return ToFixed(d, 2, decimals, kDecimalSeparator);
}

std::string FormatGeneral(double value) {
    if (!std::isfinite(value)) return NonFinite(value);
    Decimal d = ShortestDecimal(value);
    RoundToSignificant(d, 15);
    const int decimals = std::max(0, static_cast<int>(d.digits.size()) - d.point);
    return ToFixed(d, 1, decimals, kDecimalSeparator);
}

std::string FormatFixed(double value, int decimals) {
    if (!std::isfinite(value)) return NonFinite(value);
    constexpr int kPrecision = 10;
    Decimal d = ShortestDecimal(value);
    // One rounding, at whichever comes first: the last decimal or the tenth digit.
    if (d.point + decimals < kPrecision)
        RoundToDecimals(d, decimals);
    else
        RoundToSignificant(d, kPrecision);
    if (d.point > kPrecision) return Exponential(d, kPrecision);
    return ToFixed(d, 1, decimals, kDecimalSeparator);
}

std::string FormatInt(long long value) {
    char buf[24];
    const auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

}  // namespace text
