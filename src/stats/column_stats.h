// Column statistics: N, mean, SD, SEM, extremes, median, the 95% confidence
// interval of the mean, and a Kolmogorov-Smirnov normality test with the
// Dallal-Wilkinson approximation of the Lilliefors P value.
//
// Accuracy: two passes (mean, then squared deviations) in extended
// precision; the normality P is an approximation good to about two digits
// and is only computed at or below 0.10 (0.2 stands for "more than 0.10").
#pragma once

#include "data/column_info.h"

namespace vextal {

struct DataDocument;
struct DataTable;

/// P stored when the normality test's P is more than 0.10.
inline constexpr long double NormalityPAboveTenPercent = 0.2L;

/// Brings the statistics of every column whose ColumnChanged flag is set up
/// to date (and runs a normality test still missing), then clears the flags.
void ComputeColumnStats(DataTable& table);
/// The document form: averaged-data documents hold typed statistics, which
/// are their data, so nothing is recomputed for them.
void ComputeColumnStats(DataDocument& document);

/// Fills `record` from the values of `column`; with column -1 the record
/// already holds typed mean, N and SD or SEM, and only the SEM or SD and the
/// confidence limits are completed.
void ComputeSummaryFromEntered(const DataTable& table, int column, ColumnInfo& record);

/// Median of the column's values, MissingValue when it has none.
long double ColumnMedian(const DataTable& table, int column);

struct NormalityResult {
    long double KS = MissingValue;
    long double P = MissingValue;
};

/// Kolmogorov-Smirnov distance of the column's values from a Gaussian with
/// the given mean and SD, and its P value.
NormalityResult NormalityTestKS(const DataTable& table, int column, long double mean, long double sd);

/// The P value of a KS distance from n values (0.2 when above 0.10).
long double KSProbability(long double ks, int n);

}  // namespace vextal
