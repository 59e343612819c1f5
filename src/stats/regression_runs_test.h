// Runs test of a fitted line: are the points above and below the line mixed
// as randomly as a straight-line model predicts, or do they come in long
// runs, as they do when the data follow a curve?
//
// Method: the exact distribution of the number of runs of m pluses and n
// minuses in random order, summed term by term; the common
// denominator C(m + n, m) cancels, so only ratios of binomial terms built by
// recurrence are formed. Relative accuracy about 1e-17 for the cases it
// computes (at most 500 possible runs of one sign).
#pragma once

#include "data/number_text.h"

namespace vextal {

struct DataTable;

/// RunsProbability result when nothing was counted.
inline constexpr long double RunsNoRuns = -2;
/// RunsProbability result when there are too many possible runs to sum.
inline constexpr long double RunsTooMany = -1;

struct RunsTestResult {
    int Above = 0;
    int Below = 0;
    int Runs = 0;
    /// One-tailed P of this many runs or fewer; MissingValue when the test
    /// needs more points (fewer than two on a side, or six in all), else
    /// RunsTooMany or RunsNoRuns as RunsProbability gives them.
    long double P = MissingValue;
};

/// Counts the points above and below y = slope * x + intercept, taking the
/// rows in ascending order of X and each row's Y values in column order;
/// points exactly on the line are skipped. For a line forced through a point
/// pass that point as (x0, y0) and the line in shifted units: the points are
/// compared as (x - x0, y - y0).
RunsTestResult LineRunsTest(const DataTable& table, long double slope, long double intercept, long double x0 = 0,
                            long double y0 = 0);

/// P(R <= runs) for `above` pluses and `below` minuses in random order;
/// RunsNoRuns when runs is 0, RunsTooMany when the largest possible number of
/// runs minus half of it reaches 501.
long double RunsProbability(int above, int below, int runs);

}  // namespace vextal
