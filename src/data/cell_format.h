// Text forms of cell values: what the grid shows, what files hold, and how
// typed, pasted, imported or read text becomes a value.
#pragma once

#include <string>
#include <string_view>

#include "data/data_table.h"
#include "data/number_settings.h"

namespace vextal {

/// The text of a cell value of `column`. Missing gives "". For display, a
/// value that is not 0 and whose magnitude is above 10,000,000 or at most
/// 0.0001 is written by FormatScientific4, any other in fixed form with the
/// column's decimals (ColumnFormat, or AutoDecimals when automatic); with
/// `stripZeros` trailing zeros and a trailing "." are removed. A negative
/// value that shows as zero loses its "-". For files (`forFile`) the value is
/// written by FormatExact, so it reads back unchanged. `excluded` puts "*"
/// in front.
std::string FormatCell(const DataTable& table, int column, long double value, bool excluded,
                       bool forFile, bool stripZeros);

/// The file form of a statistic: "" for MissingValue, else FormatExact.
std::string FormatStatistic(long double value);

/// Reads a number typed by a person or read from a file. Blanks around the
/// text are cut and an empty text reads as 0. The first decimal separator of
/// `settings` is taken as "." (and dropped when it ends the text); "." is
/// always accepted. Then: optional sign, digits with an optional fraction,
/// optional exponent ("E" or "e", optional sign, digits), nothing else.
/// Fails (leaving `value` alone) on any other text, including hexadecimal,
/// "inf" and "nan", and on values too large for an extended value; values
/// too small become the nearest extended value (possibly 0).
bool ParseNumber(std::string_view text, const NumberSettings& settings, long double& value);

/// Decimals a typed number shows: with an exponent, the magnitude of a
/// negative exponent ("1.5E-3" counts 3) and 0 for a positive one; else the
/// characters after "." or, failing that, after the decimal separator.
int CountDecimals(std::string_view text, const NumberSettings& settings);

/// Characters before the first "." or exponent mark; with an exponent, that
/// count plus the exponent, at least 1.
int CountIntegerDigits(std::string_view text);

/// Raises AutoDecimals of `column` to the decimals of `text` when its
/// integer digits plus decimals are at most 14. True when it changed.
bool RaiseAutoDecimals(DataTable& table, int column, std::string_view text,
                       const NumberSettings& settings);

}  // namespace vextal
