// Column statistics of a document as plain text and as JSON.
#pragma once

#include <string>

#include "data/data_table.h"

namespace vextal {

/// The letter of column 0..25 ("A".."Z").
std::string ColumnLetter(int column);

/// Every column with N > 0, as the Column Stats step shows it.
std::string ColumnStatsText(const DataTable& table);

/// A JSON array with one object per column with N > 0: column, title, n,
/// mean, sd, sem, median, min, max, ci_lower, ci_upper, ks, normality_p,
/// passed. Numbers carry 21 significant digits; missing values are null.
std::string ColumnStatsJson(const DataTable& table);

}  // namespace vextal
