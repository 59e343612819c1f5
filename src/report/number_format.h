// How numbers are written in reports: format_real and the digit rule.
#pragma once

#include <string>

namespace vextal {

/// x right-aligned in w characters: blank when missing; scientific with four
/// significant digits when x != 0 and |x| > 10,000,000 or |x| <= 0.0001;
/// otherwise fixed with `decimals` decimals (never "-0.00"). Longer texts are whole.
std::string format_real(int w, int decimals, long double x);

/// Decimal exponent used by the digit rule: floor(log10 |x|), and 1 for 0.
int DigitRuleExponent(long double x);

/// Decimals the digit rule gives: digits >= 0 is a count of decimals,
/// digits < 0 asks for -digits significant digits.
int DigitRuleDecimals(int digits, long double x);

/// x by the digit rule in its natural width (write_number).
std::string FormatDigits(int digits, long double x);

/// x by the digit rule right-aligned in w characters (write_number_width).
std::string FormatDigitsWidth(int w, int digits, long double x);

}  // namespace vextal
