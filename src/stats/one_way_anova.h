// Ordinary one-way analysis of variance of the groups of the analysis
// column list, with Bartlett's test of equal SDs and the normality check.
//
// Method: the table is built from each group's N, mean and SD alone, so it
// also runs on columns typed as mean, SD (or SEM) and N. The sums of squares
// are taken about the grand mean: between groups Σ N·(mean − grand mean)²,
// within groups Σ (N − 1)·SD², total their sum. For raw data each group mean
// is corrected by the mean deviation of its values from the stored mean, and
// the means enter as offsets from the first group's mean. Bartlett's
// statistic is corrected by 1 + (Σ1/f − 1/Σf)/(3(m − 1)) and referred to
// chi-square with m − 1 df.
// Accuracy: no difference of large uncorrected sums is formed, so a common
// offset of the data (10^12 on values that differ in the first decimal) costs
// only the digits its storage costs; P values as f_prob and chi2_prob give
// them. The uncorrected sums and the correction factor are still reported.
#pragma once

#include <vector>

#include "data/number_text.h"
#include "report/anova_table.h"
#include "stats/anova_common.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int OneWayAnovaHelpTopic = 366;
/// Bartlett's test is reported only when every group has this many values.
inline constexpr int BartlettMinimumN = 5;

/// The one-way ANOVA table and the sums it is built from.
struct OneWayAnovaSumsResult {
    int Code = 0;     // 11 no group with two values (or fewer than two groups), 12 a group with one value
    int Groups = 0;   // k
    int TotalN = 0;   // Ntot
    int LargestN = 0; // largest group
    long double GrandSum = 0;
    long double SumOfSquares = 0;      // Σx² over every value
    long double SumOfGroupSquares = 0; // Σ (group sum)² / N
    long double CorrectionFactor = 0;  // (grand sum)² / Ntot
    int DFBetween = 0;
    int DFWithin = 0;
    int DFTotal = 0;
    long double SSBetween = 0;
    long double SSWithin = 0;
    long double SSTotal = 0;
    long double MSBetween = 0;
    long double MSWithin = 0;
    long double F = MissingValue; // MissingValue when MSWithin is 0
    long double P = MissingValue;
};

/// The ANOVA sums over the groups (analysis columns with N > 0, in list
/// order) from their ColumnInfo N, mean and SD. Throws CalcFault{4} when the
/// total N exceeds 32 bits.
OneWayAnovaSumsResult OneWayAnovaSums(const DataTable& table);

/// The table rows in report order: between, within, total (no mean square).
std::vector<AnovaRow> OneWayAnovaRows(const OneWayAnovaSumsResult& sums);

struct BartlettResult {
    int Code = 0;              // 11 fewer than two groups, 12 a group with one value
    bool EnoughValues = false; // every group has at least BartlettMinimumN values
    bool ZeroSD = false;       // a group's SD is 0: the test is impossible
    int DF = 0;                // m − 1
    long double PooledVariance = MissingValue;
    long double B = MissingValue;         // uncorrected statistic
    long double Statistic = MissingValue; // corrected B'; MissingValue when ZeroSD
    long double P = MissingValue;
};

/// Bartlett's test of equal SDs over the groups with N ≥ 2.
BartlettResult BartlettTest(const DataTable& table);

struct OneWayAnovaResult {
    OneWayAnovaSumsResult Sums;
    std::vector<AnovaRow> Table;
    BartlettResult Bartlett;
    bool NormalityFailed = false; // a group's normality P is 0.05 or less
    AnovaPostTestOutcome PostTest;
};

/// Computes the ANOVA and writes its report. Runs inside the fault guard: a
/// data code (11, 12, 13) or a post test's code is thrown as CalcFault.
/// `typedSummaries`: the groups are typed means, SDs and Ns (no raw values
/// for the normality test).
OneWayAnovaResult OneWayAnova(DataDocument& document, ReportWriter& report,
                              const AnovaPostTestOptions& postTest, bool typedSummaries);

} // namespace vextal
