// Pearson (linear) correlation: r, r squared, the 95% confidence interval of
// r from Fisher's z transform, and the two-tailed P value of r = 0 from t
// with N - 2 degrees of freedom.
//
// Method: two passes in extended precision (means, then sums of products of
// deviations). A computed |r| that rounding pushes past 1 is taken as 1; for
// |r| = 1 the P value is 0 and the interval is r to r. The interval uses
// inverse_z (about six digits), the P value t_prob (about six digits).
#pragma once

#include <span>

#include "data/number_text.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int LinearCorrelationHelpTopic = 186;

struct CorrelationResult {
    int Code = 0;  // 47 no pair, 37 one X value, 38 one Y value, 39 fewer than three pairs
    int N = 0;     // pairs
    long double Sxx = 0, Syy = 0, Sxy = 0;
    long double R = MissingValue;
    long double RSquared = MissingValue;
    long double T = MissingValue;  // |r| / SE(r); missing for |r| = 1
    long double P = MissingValue;  // two-tailed
    long double Lower = MissingValue;  // 95% confidence interval, at least four pairs
    long double Upper = MissingValue;
};

/// Correlation of the pairs (x[i], y[i]) in which both values are present
/// (pairs with a MissingValue are left out). Extra values of the longer
/// sequence are ignored.
CorrelationResult CorrelationSums(std::span<const long double> x, std::span<const long double> y);
/// XY layout: X from analysis column xColumn, paired with every Y present in
/// each other analysis column of the same row.
CorrelationResult CorrelationSums(const DataTable& table, int xColumn);
/// Two columns paired row by row (rows where both cells hold a value).
CorrelationResult CorrelationSums(const DataTable& table, int xColumn, int yColumn);

/// The report of a result whose Code is 0.
void WriteLinearCorrelationReport(ReportWriter& report, const CorrelationResult& result);

/// The entry point for XY data (X in column A): sets the document's CalcError
/// and ReportHelpTopic, writes the report or the code's message, returns the code.
int LinearCorrelation(DataDocument& document, ReportWriter& report);

}  // namespace vextal
