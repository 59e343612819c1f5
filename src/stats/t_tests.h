// The t tests: one sample against a hypothetical mean, two unpaired columns
// (Student's test with the pooled SD and an F test of equal variances, or
// Welch's test with Satterthwaite's degrees of freedom cut to a whole
// number), and two paired columns, checked for effective pairing by the
// Pearson correlation of the pairs and for normality of the differences by
// the Kolmogorov-Smirnov test.
//
// Method: t = |difference| / SE with its two-tailed P from t_prob; the
// one-tailed P is half of it. The 95% confidence interval of the difference
// is difference ± critical_t95(df) × SE, where critical_t95 takes the
// textbook table up to 13 df and beyond that 1.96·df / (df − 1.20722),
// which stays within 0.0003 of the exact 97.5% point of t.
//
// Accuracy: t, SE and the interval to extended precision; P values follow
// t_prob and f_prob (about six significant digits).
//
// The computing functions must run inside the calculation fault guard; the
// data checks come back as codes in the results.
#pragma once

#include <cstdint>

#include "data/column_info.h"
#include "data/number_text.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int OneSampleTTestHelpTopic = 538;
inline constexpr int UnpairedTTestHelpTopic = 93;
inline constexpr int PairedTTestHelpTopic = 104;

/// 95% critical value of t with df >= 1 degrees of freedom, two-tailed
/// (2.5% in each tail) or one-tailed; NaN with the invalid flag for df < 1.
long double critical_t95(std::int32_t df, bool twoTailed);

/// A column as the t tests see it.
struct TTestColumn {
    ColumnInfo Info;        // title, N, mean, SD, SEM, ... and the normality result
    bool Averaged = false;  // typed as mean, SD or SEM, and N: no values to pair or test for normality
};

/// Summary of an analysis column: the column statistics for values in
/// cells, or the typed mean, SD or SEM, and N completed with the derived
/// fields. A column is averaged in mean/SD/N and mean/SEM/N documents, and
/// in raw-data documents when it holds a typed summary but no cell values.
/// An index outside the table reads as an empty column.
TTestColumn ReadTTestColumn(const DataDocument& document, int column);

/// t, its P values and the 95% confidence interval of one difference.
struct TTestStatistic {
    long double Difference = MissingValue;  // the mean difference tested
    long double SE = MissingValue;          // its standard error
    std::int32_t DF = 0;
    long double T = MissingValue;           // |Difference| / SE, never negative
    long double PTwoTailed = MissingValue;
    long double POneTailed = MissingValue;  // half the two-tailed P, whatever the direction
    long double CriticalT = MissingValue;   // critical_t95(DF, two-tailed)
    long double Lower = MissingValue;
    long double Upper = MissingValue;
};

/// Kolmogorov-Smirnov test of one set of values, as the report shows it.
struct NormalityCheck {
    bool Tested = false;  // false: too few values (N <= 4) or no test possible
    std::int32_t N = 0;
    long double KS = MissingValue;
    long double P = MissingValue;  // 0.2 stands for "more than 0.10"
    bool Failed() const { return Tested && P < 0.05L; }
};

struct OneSampleTTestResult {
    int Code = 0;  // 40 SD of zero, 49 fewer than two values
    TTestColumn Column;
    long double Hypothetical = 0;
    int Tails = 2;
    TTestStatistic Test;      // Difference = mean − hypothetical
    NormalityCheck Normality; // of the column's values (not for averaged data)
    long double ReportedP() const { return Tails == 1 ? Test.POneTailed : Test.PTwoTailed; }
};

struct UnpairedTTestResult {
    int Code = 0;  // 40 a column's SD is zero, 49 a column with fewer than two values
    bool Welch = false;
    TTestColumn A, B;
    int Tails = 2;
    TTestStatistic Test;                        // Difference = mean of B − mean of A
    long double PooledVariance = MissingValue;  // Student's test
    long double WelchDF = MissingValue;         // Welch's test: Satterthwaite's df before truncation
    // F test of equal variances (Student's test only): larger SD² / smaller SD².
    long double F = MissingValue;
    std::int32_t FNumeratorDF = 0;
    std::int32_t FDenominatorDF = 0;
    long double PF = MissingValue;  // two-sided, at most 1
    bool NormalityFailed = false;   // a column's normality P is 0.05 or less
    long double ReportedP() const { return Tails == 1 ? Test.POneTailed : Test.PTwoTailed; }
};

/// How the check of the pairing came out.
enum class PairingCheck : int {
    NotChecked = 0,      // no t (the differences do not vary) or a code was set
    TooFewPairs = 1,     // three pairs or fewer
    NoVariability = 2,   // a column, or one side of the pairs, does not vary
    Correlated = 3,      // R and PR hold the Pearson correlation of the pairs
};

struct PairedTTestResult {
    int Code = 0;  // 44 averaged data, 49 a column with fewer than two values, 50 fewer than two pairs
    TTestColumn A, B;
    ColumnInfo Difference;  // the differences A − B, titled "Difference"
    std::int32_t Pairs = 0;
    int Tails = 2;
    bool DifferencesVary = false;  // false: no t, P or interval (Test holds DF and the difference only)
    TTestStatistic Test;           // Difference = mean of the differences
    PairingCheck Pairing = PairingCheck::NotChecked;
    long double R = MissingValue;
    long double PR = MissingValue;  // two-tailed P of r
    NormalityCheck Normality;       // of the differences
    long double ReportedP() const { return Tails == 1 ? Test.POneTailed : Test.PTwoTailed; }
};

/// One-sample t test of a column's mean against `hypothetical`.
OneSampleTTestResult OneSampleTTest(const TTestColumn& column, long double hypothetical, bool twoTailed);

/// Unpaired t test of two columns: Student's with `equalSD`, else Welch's.
UnpairedTTestResult UnpairedTTest(const TTestColumn& a, const TTestColumn& b, bool equalSD, bool twoTailed);

/// Paired t test of analysis columns `first` (A) and `second` (B): fills the
/// table's difference column with A − B (empty where either value is) and
/// tests the differences.
PairedTTestResult PairedTTest(DataTable& table, int first, const TTestColumn& a, int second, const TTestColumn& b,
                              bool twoTailed);

enum class TTestKind : int { OneSample, Unpaired, Welch, Paired };

/// The results of one t test entry point, for reports and machine output.
struct TTestOutcome {
    TTestKind Kind = TTestKind::OneSample;
    int Code = 0;
    OneSampleTTestResult OneSample;
    UnpairedTTestResult Unpaired;  // Student's and Welch's tests
    PairedTTestResult Paired;
};

/// The one-sample t test of an analysis column: sets CalcError and
/// ReportHelpTopic, writes the report (or the code's message) and returns the
/// code. `outcome`, when given, receives the results.
int OneSampleTTestAnalysis(DataDocument& document, int column, ReportWriter& report, bool twoSided,
                           long double hypothetical, TTestOutcome* outcome = nullptr);

/// The unpaired (Student's with `equalSD`, else Welch's) or paired t test of
/// two analysis columns, as OneSampleTTestAnalysis.
int TwoColumnTTestAnalysis(DataDocument& document, int first, int second, ReportWriter& report, bool equalSD,
                           bool twoSided, bool unpaired, TTestOutcome* outcome = nullptr);

}  // namespace vextal
