// Per-column statistics of a data table: computed from the cells for raw,
// XY and multiple-regression data, typed by the user for averaged data.
#pragma once

#include <string>

#include "data/number_text.h"

namespace vextal {

inline constexpr std::size_t MaxColumnTitleLength = 80;

struct ColumnInfo {
    std::string Title;
    int N = 0;  // -1 marks a column emptied in the grid
    long double Mean = MissingValue;
    long double SD = MissingValue;
    long double SEM = MissingValue;
    long double Minimum = MissingValue;
    long double Maximum = MissingValue;
    long double Median = MissingValue;
    long double UpperCI = MissingValue;  // 95% confidence limits of the mean
    long double LowerCI = MissingValue;
    long double KSDistance = MissingValue;  // Kolmogorov-Smirnov distance
    long double NormalityP = MissingValue;
    bool Passed = false;  // NormalityP above 0.05
};

}  // namespace vextal
