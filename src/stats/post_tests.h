// Multiple-comparison post tests appended to an ANOVA report: Bonferroni,
// Tukey-Kramer, Student-Newman-Keuls, Dunnett (every group against a
// control) and the test for a linear trend between column means and column
// number.
//
// Every test reads the N and mean of each group from the table's ColumnInfo
// over the analysis columns (the list the ANOVA built; a group is a column
// with N > 0, in list order) and takes the residual mean square and its
// degrees of freedom from the ANOVA.
//
// Method: Bonferroni uses t with the ANOVA's df and multiplies each
// two-tailed P by the number of comparisons; Tukey-Kramer, SNK and Dunnett
// compare q with tabled critical values (critical_values.h), so their P is a
// category (0.001, 0.01, 0.05 or 1; Dunnett stops at 0.01); the linear trend
// splits the between-columns sum of squares with orthogonal polynomial codes.
// Accuracy: P values as t_prob and f_prob give them (about six significant
// digits); critical values as the tables and their interpolation give them.
//
// The tests run inside the ANOVA's fault guard. Each composes its text in
// scratch writers, the confidence-interval block in a second one, and
// appends both to the report only when it is complete: when memory for them
// cannot be had the test sets the document's CalcError to 10, writes
// nothing and returns the code in its result. The caller then stops and
// passes the code on (RunAnalysisFrame takes the guard's code, so throw
// CalcFault{code}).
#pragma once

#include <span>
#include <string>
#include <vector>

#include "data/number_text.h"
#include "report/report_writer.h"

namespace vextal {

struct DataDocument;
struct DataTable;

/// One group of the post tests: an analysis column with N > 0.
struct PostTestGroup {
    int Column = 0;  // table column 0..25
    std::string Title;
    int N = 0;
    long double Mean = 0;
};

/// The groups in analysis-list order.
std::vector<PostTestGroup> CollectPostTestGroups(const DataTable& table);

/// One comparison of two groups.
struct PairComparison {
    int First = 0;   // table columns; Dunnett: the control first
    int Second = 0;
    long double Difference = 0;            // mean of First minus mean of Second
    long double Statistic = MissingValue;  // t or q; MissingValue for a pair SNK did not test
    /// Bonferroni: two-tailed P times the number of comparisons, at most 1.
    /// Tukey-Kramer and SNK: 0.001, 0.01, 0.05 or 1 (0.1 for a pair SNK did
    /// not test). Dunnett: 0.01, 0.05 or 1.
    long double P = 1;
    long double Lower = MissingValue;  // 95% confidence interval of the difference (none for SNK)
    long double Upper = MissingValue;
};

struct PostTestResult {
    int Code = 0;  // 0, or 10 when the report buffers could not be had
    /// The t (Bonferroni) or q that a difference must exceed for P < 0.05;
    /// MissingValue for SNK, whose critical value changes with the range.
    long double Critical = MissingValue;
    int Comparisons = 0;    // number of pairs compared
    bool TooFewDF = false;  // Dunnett with df <= 5: nothing was compared
    std::vector<PairComparison> Pairs;  // in report order
};

/// Bonferroni t tests over all pairs (i, j), i < j, or over the pairs whose
/// flag in `selectedPairs` (numbered as PairIndex numbers them over the
/// groups) is set when `selectedOnly`. `ordinary`: independent groups; false
/// for repeated measures. At least one pair must be compared.
PostTestResult BonferroniTest(ReportWriter& report, DataDocument& document, int df, bool ordinary,
                              std::span<const bool> selectedPairs, bool selectedOnly, long double ms);

/// Tukey-Kramer test over all pairs, or with `newmanKeuls` the
/// Student-Newman-Keuls test (groups ordered by mean, no confidence intervals).
PostTestResult TukeyKramerTest(ReportWriter& report, DataDocument& document, int df, bool newmanKeuls,
                               long double ms);

inline PostTestResult StudentNewmanKeulsTest(ReportWriter& report, DataDocument& document, int df,
                                             long double ms) {
    return TukeyKramerTest(report, document, df, true, ms);
}

/// Dunnett's test of every group against the control, `controlGroup` being
/// its position among the groups (0 = first; a position outside the groups
/// takes the first). Needs df > 5; otherwise it only says so.
PostTestResult DunnettTest(ReportWriter& report, DataDocument& document, int df, int controlGroup,
                           bool twoSided, long double ms);

/// The ANOVA table the linear trend splits. Individual (between rows) is
/// used for repeated measures only.
struct TrendAnovaInput {
    long double SSBetween = 0;  // treatment (between columns)
    int DFIndividual = 0;
    long double SSIndividual = 0;
    long double MSIndividual = 0;
    int DFResidual = 0;
    long double SSResidual = 0;
    long double MSResidual = 0;
    int DFTotal = 0;
    long double SSTotal = 0;
};

struct LinearTrendResult {
    int Code = 0;                   // 0, or 10 when the report buffer could not be had
    std::vector<int> Coefficients;  // codes of the groups in list order
    long double L = 0;              // sum of code x mean
    long double D = 0;              // sum of code^2 / N
    long double S = 0;              // sum of code^2
    long double SSLinear = 0;
    long double Slope = 0;
    long double RSquared = 0;
    long double FLinear = 0;
    long double PLinear = 1;
    int DFNonlinear = 0;
    long double SSNonlinear = 0;
    long double MSNonlinear = 0;
    long double FNonlinear = 0;
    long double PNonlinear = 1;
};

/// Codes of k equally spaced groups: i - (k + 1)/2 for odd k, 2i - k - 1 for even k (i = 1..k).
std::vector<int> LinearTrendCoefficients(int k);

/// Test for linear trend between the group means and their order. Needs at
/// least three groups (the nonlinear part has k - 2 degrees of freedom).
LinearTrendResult LinearTrendTest(ReportWriter& report, DataDocument& document, bool ordinary,
                                  const TrendAnovaInput& anova);

}  // namespace vextal
