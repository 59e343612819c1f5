// Critical values of the post tests after an ANOVA, read from the
// studentized-range and Dunnett tables (critical_tables.h).
//
// Method: the row is chosen by df, the column by the number of means. Between
// two tabled df rows the value is interpolated linearly in df; between two
// tabled numbers of means, linearly in the number of means; between both,
// bilinearly (first in df within the two columns, then across). The last row
// of each table holds the infinite-df values under the key 500: df from 121
// to 499 is interpolated towards it as though infinity stood at 500, and df
// beyond 500 reads that row as it is.
//
// Accuracy: exact table values (three or four significant digits) at the
// tabled rows and columns; elsewhere the error of linear interpolation, at
// most a few units in the third significant digit.
#pragma once

namespace vextal {

/// Upper alpha point of the studentized range for k means and df residual
/// degrees of freedom; alpha 0.05, 0.01 or 0.001. More than 100 means read
/// the 100-means column. Returns 0 for k < 2, df < 1 or another alpha: the
/// table has no such entry, and callers make sure they never ask for one.
long double StudentizedRangeCritical(int df, int k, long double alpha);

/// Dunnett's critical value for `means` groups including the control and df
/// residual degrees of freedom; two-sided or one-sided, alpha 0.05 or 0.01.
/// Returns 0 for fewer than 2 means, df < 5 (the first tabled row) or another
/// alpha; callers make sure they never ask for one.
long double DunnettCritical(int df, int means, bool twoSided, long double alpha);

}  // namespace vextal
