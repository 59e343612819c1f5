// Text forms of extended values shared by the grid, the document files and
// the report writer. Every routine here is locale independent: the decimal
// point is always ".".
#pragma once

#include <string>

namespace vextal {

/// The marker of an empty cell or an uncomputable statistic (nearest
/// extended value to 1.7E38).
inline constexpr long double MissingValue = 1.7E38L;

inline bool IsMissing(long double x) { return x == MissingValue; }

/// x in fixed notation with `decimals` digits after the point (negative
/// counts as 0), rounded to nearest with exact decimal ties away from zero:
/// 2.5 -> "3", 0.125 at 2 decimals -> "0.13". No padding. A negative value
/// that rounds to zero keeps its "-". Any finite magnitude works; infinities
/// and NaN give "INF", "-INF" and "NAN".
std::string FormatFixed(long double x, int decimals);

/// x with four significant digits in exponent form: "1.235E+07",
/// "-4.560E-05", "1.190E+4932". The mantissa is rounded like FormatFixed
/// (a carry moves the exponent: 9.9996E+07 -> "1.000E+08"); the exponent has
/// its sign and at least two digits. Zero gives "0.000E+00".
std::string FormatScientific4(long double x);

/// The shortest text that reads back to exactly x: fixed form when
/// 0.0001 < |x| <= 10,000,000 or x is zero ("123.25", "0.00011"), exponent
/// form otherwise ("1.23456789E+08", "1E-10"), the exponent with at least
/// two digits. Both zeros give "0".
std::string FormatExact(long double x);

}  // namespace vextal
