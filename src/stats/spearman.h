// Spearman rank correlation of XY data: rs with a tie correction, a 95%
// confidence interval for more than ten pairs, and a two-tailed P value.
//
// Method: X and Y are ranked over all pairs with average ranks for ties;
// rs = (S − ΣD² − Tx − Ty) / sqrt((S − 2Tx)(S − 2Ty)) with S = (N³ − N)/6,
// which equals the Pearson correlation of the ranks. The approximate P comes
// from t = rs·sqrt((N − 2)/(1 − rs²)) with N − 2 degrees of freedom, the
// interval from Fisher's z with the variance 1.06/(N − 3). Below 13 pairs the
// P value is exact: every one of the N! assignments of ranks is walked and
// those at least as far from rs = 0 as the data are counted (ties are then
// treated as if absent, which the report says).
//
// Accuracy: rs is exact up to rounding in extended precision; the
// approximate P follows t_prob (about six significant digits), the exact P is
// a ratio of 64-bit counts.
//
// The computing functions must run inside the calculation fault guard; the
// data checks come back as codes in the results.
#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "data/number_text.h"

namespace vextal {

struct DataDocument;
class ReportWriter;
class CalculationProgress;

inline constexpr int SpearmanHelpTopic = 186;
/// Largest N whose P value is computed by enumeration.
inline constexpr int SpearmanMaxExactN = 12;

/// How the exact P value of a Spearman correlation came out.
enum class SpearmanExactState : int { Interrupted = 0, Exact = 1, TooLong = 2 };

/// rs of paired values and its approximate P.
struct SpearmanStatistic {
    int Code = 0; // 47 no pair, 37 all X tied, 38 all Y tied, else 0
    std::int32_t N = 0;
    long double SumD2 = 0; // Σ (rank of Y − rank of X)²
    long double Tx = 0;    // Σ (t³ − t)/12 over groups of tied X
    long double Ty = 0;
    long double Rs = 0;
    bool Ties = false;                       // Tx > 0 or Ty > 0
    long double ApproximateP = MissingValue; // two-tailed, from t with N − 2 df
};

/// The exact P value of an rs.
struct SpearmanExactResult {
    SpearmanExactState State = SpearmanExactState::TooLong;
    long double P = MissingValue; // two-tailed, at most 1; the approximate P unless State is Exact
    std::int64_t DHigh = 0;       // smallest ΣD² counted
    std::int64_t Count = 0;       // assignments with ΣD² >= DHigh
    std::int64_t Assignments = 0; // assignments walked
};

/// Everything the Spearman report shows.
struct SpearmanResult {
    SpearmanStatistic Statistic;
    long double LowerCI = MissingValue; // 95% limits of rs, only when N > 10
    long double UpperCI = MissingValue;
    SpearmanExactResult Exact;
    long double P = MissingValue; // the exact P when State is Exact, otherwise the approximate P
};

/// rs of the pairs (x[i], y[i]); extra values of the longer sequence are
/// ignored.
SpearmanStatistic SpearmanRankCorrelation(std::span<const long double> x, std::span<const long double> y);

/// Counts the permutations of the ranks 1..n (n <= 12) whose Σ (rank − position)²
/// is at least dHigh. After every 256 permutations `every256` gets the number
/// walked so far and returns false to stop the walk. Returns the count, or -1
/// when stopped; `walked` receives the number of permutations walked.
std::int64_t CountRankAssignmentsAtLeast(int n, std::int64_t dHigh,
                                         const std::function<bool(std::int64_t walked)>& every256,
                                         std::int64_t& walked);

/// The exact two-tailed P of rs from N pairs. N >= 13 is TooLong without any
/// work; otherwise the enumeration reports its progress (when `progress` is
/// not null, bracketed by BeginExactCalculation and EndExactCalculation) and
/// ends as Interrupted or TooLong when the progress object says so.
SpearmanExactResult SpearmanExactP(std::int32_t n, long double approximateP, long double rs,
                                   CalculationProgress* progress);

/// The pairs of the document's XY table: X from analysis column `xColumn`,
/// Y from every other analysis column of the same row.
SpearmanResult SpearmanSums(const DataDocument& document, int xColumn, CalculationProgress* progress);

/// Writes the report of a result without a code.
void WriteSpearmanReport(ReportWriter& report, const SpearmanResult& result);

/// The analysis entry point: computes, writes the report (or the message of
/// the code) and returns the code, which is also stored in CalcError.
int SpearmanCorrelation(DataDocument& document, ReportWriter& report, CalculationProgress* progress,
                        SpearmanResult* details = nullptr);

} // namespace vextal
