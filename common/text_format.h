#pragma once
// Number to text with the decimal comma the program assumes, whatever the process locale.

#include <string>

namespace text {

inline constexpr char kDecimalSeparator = ',';

// The record-line patterns "00.0" (decimals = 1) and "00.0000" (decimals = 4): at least two
// integer digits, exactly `decimals` fraction digits, halves away from zero.
std::string FormatPattern(double value, int decimals);

// The shortest general form: up to 15 significant digits, no exponent, no trailing zeros
// (37.5625 -> "37,5625", 28 -> "28").
std::string FormatGeneral(double value);

// Fixed notation with 10 significant digits and `decimals` fraction digits; a value with
// more than 10 integer digits is written in exponent notation ("1,234567890E+10").
std::string FormatFixed(double value, int decimals);

// A decimal integer.
std::string FormatInt(long long value);

}  // namespace text
