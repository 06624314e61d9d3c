#pragma once
// Decimal digits of a double, for formatting with our own rounding rules.
//
// std::to_chars gives the shortest text that reads back to the same double; rounding that
// text (rather than the binary value) makes 37.25 -> 37,3 and 0.15 -> 0,2 as a person
// expects, with halves going away from zero.

#include <string>

namespace text {

struct Decimal {
    bool negative = false;
    std::string digits;  // significant digits, no leading zeros; empty for zero
    int point = 0;       // digits before the decimal point: value = 0.digits * 10^point
};

// The shortest round-trip decimal form of a finite value.
Decimal ShortestDecimal(double value);

// Keeps `decimals` digits after the point, rounding half away from zero.
void RoundToDecimals(Decimal& d, int decimals);

// Keeps at most `count` significant digits, rounding half away from zero.
void RoundToSignificant(Decimal& d, int count);

// Fixed notation with at least `min_int_digits` integer digits, exactly `decimals`
// fraction digits and `separator` as the decimal point. A value that rounded to zero
// carries no minus sign.
std::string ToFixed(const Decimal& d, int min_int_digits, int decimals, char separator);

}  // namespace text
