// The nonparametric counterparts of the two ANOVAs: the Kruskal-Wallis test
// of independent groups and the Friedman test of matched rows, each followed
// by Dunn's multiple comparisons or (Friedman only) by comparisons of every
// column with a control column.
//
// Method: Kruskal-Wallis ranks the pooled values (average ranks for ties),
// KW = 12/(N(N+1))·Σ n·R̄² − 3(N+1), divided by the tie correction
// 1 − Σ(t³ − t)/(N³ − N); Friedman ranks within each row,
// Fr = (12·Σ R² − 3n²k(k+1)²) / (nk(k+1) + (nk − Σt³)/(k − 1)). The
// approximate P of both is chi-square with (groups − 1) df. Without ties and
// when the number of arrangements is small enough (2·10⁹ for Kruskal-Wallis,
// 10⁹ and fewer than 7 columns for Friedman) the P value is exact: every
// arrangement of the ranks is enumerated and those whose Σ R²/n (Σ R²) is at
// least the data's are counted. The user may cancel the enumeration, and it
// gives up when it would take too long; the approximate P is then reported.
// Dunn's test compares mean ranks (Kruskal-Wallis) or rank sums (Friedman)
// with normal critical values at 0.05, 0.01 and 0.001 divided among the
// comparisons; the comparisons with a control use tabled infinite-df
// Dunnett values.
//
// Accuracy: statistics are exact up to rounding in extended precision; the
// approximate P follows chi2_prob (about six significant digits); the exact
// P is a ratio of exact counts; post-test P values are categories.
//
// The test functions must run inside the calculation fault guard (the caller
// wraps them in RunAnalysisFrame); a data check that fails throws
// CalcFault{code}: 11 not enough data (no values, fewer than two groups, or
// for Friedman fewer than two rows), 15 a gap in the Friedman rectangle.
// Data whose ranks are all alike (every value equal, or every Friedman row
// one value throughout) have no statistic: the report says so in words.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "data/number_text.h"
#include "workflow/analysis_choices.h"

namespace vextal {

struct DataDocument;
class ReportWriter;
class CalculationProgress;

inline constexpr int KruskalWallisHelpTopic = 555;
inline constexpr int FriedmanHelpTopic = 567;

/// Kruskal-Wallis enumerates only up to this many arrangements of the ranks.
inline constexpr long double KruskalWallisArrangementLimit = 2000000000.0L;
/// Friedman enumerates only up to this many arrangements ((k!)^n) ...
inline constexpr long double FriedmanArrangementLimit = 1000000000.0L;
/// ... and only up to this many columns.
inline constexpr int FriedmanMaxExactColumns = 6;

/// How the P value of a Kruskal-Wallis or Friedman test came out.
enum class NonparametricExactState : int {
    Interrupted = 0,  // the user cancelled the enumeration: approximate P
    Exact = 1,        // enumerated: exact P
    TooLong = 2,      // too many arrangements, or it would take too long: approximate P
    Ties = 3,         // tied values: approximate P
};

/// The post test the dispatcher chose.
enum class NonparametricPostTest : int {
    None = 0,
    Dunn = 1,                // Dunn's multiple comparisons (both tests)
    ControlComparisons = 2,  // every column against the control (Friedman only)
};

/// One group: an analysis column with values.
struct RankGroup {
    int Column = 0;  // table column 0..25
    std::string Title;
    std::int32_t N = 0;            // values (Friedman: rows)
    long double RankSum = 0;
    long double MeanRank = 0;      // RankSum / N
    long double Mean = MissingValue;  // column mean from ColumnInfo (orders the control comparisons)
};

/// The outcome of an exact enumeration.
struct ExactPResult {
    NonparametricExactState State = NonparametricExactState::TooLong;
    long double P = MissingValue;      // the exact P when State is Exact
    long double Arrangements = 0;      // M, or (k!)^n; once it exceeds the limit only known to exceed it
    long double ObservedSum = 0;       // Σ R²/n (Kruskal-Wallis) or Σ R² (Friedman) of the data
    long double Counted = 0;           // arrangements walked (Friedman: their weight)
    long double Extreme = 0;           // of those, at least as extreme as the data
};

/// One comparison of Dunn's test.
struct DunnComparison {
    int First = 0;   // positions among the groups
    int Second = 0;
    long double Difference = 0;  // mean ranks (Kruskal-Wallis) or rank sums (Friedman), First − Second
    long double SE = 0;
    long double P = 1;  // 0.001, 0.01, 0.05 or 1
};

struct DunnResult {
    bool Independent = true;  // after Kruskal-Wallis; false after Friedman
    std::int32_t Comparisons = 0;
    /// Friedman: the difference of rank sums beyond which P < 0.05; MissingValue otherwise.
    long double Critical = MissingValue;
    bool TieNote = false;  // Friedman data with ties (the test does not correct for them)
    std::vector<DunnComparison> Pairs;
};

/// One comparison of a column with the control after Friedman.
struct ControlComparison {
    int Control = 0;  // positions among the groups
    int Other = 0;
    long double Difference = 0;  // rank sum of the control minus that of the other column
    long double P = 1;           // 0.01, 0.05 or 1
    long double Lower = 0;       // 95% confidence interval of the difference
    long double Upper = 0;
};

struct ControlComparisonsResult {
    int Control = 0;  // position among the groups
    bool TwoSided = true;
    long double Q05 = 0;  // critical values for k − 1 comparisons
    long double Q01 = 0;
    long double SE = 0;
    std::vector<ControlComparison> Pairs;  // in ascending order of the column means
};

struct KruskalWallisResult {
    std::vector<RankGroup> Groups;
    std::int32_t N = 0;       // values
    long double TieSum = 0;   // T = Σ (t³ − t) over runs of tied values
    long double Correction = 1;       // C = 1 − T / (N³ − N)
    long double Uncorrected = 0;      // KW before the tie correction
    bool AllTied = false;     // every value equal: no statistic
    long double KW = MissingValue;    // KW / C
    std::int32_t DF = 0;
    long double ApproximateP = MissingValue;
    ExactPResult Exact;
    long double P = MissingValue;     // the exact P when Exact.State is Exact, else the approximate P
    bool PostTestsSkipped = false;    // post tests only when P <= 0.05 and P was greater
    std::optional<DunnResult> Dunn;
};

struct FriedmanResult {
    std::vector<RankGroup> Groups;
    std::int32_t Rows = 0;
    std::int32_t Columns = 0;
    std::int32_t N = 0;       // values, Rows × Columns
    long double TieSum = 0;   // U = Σ t³ over runs of equal values within rows (U = N without ties)
    bool AllTied = false;     // every row holds one value throughout: no statistic
    long double Fr = MissingValue;
    std::int32_t DF = 0;
    long double ApproximateP = MissingValue;
    ExactPResult Exact;
    long double P = MissingValue;
    bool PostTestsSkipped = false;
    std::optional<DunnResult> Dunn;
    std::optional<ControlComparisonsResult> Control;
};

/// Exact P of KW from groups of the given sizes (no ties): the share of the
/// N!/(n₁!…n_g!) ways of dealing the ranks 1..N into the groups whose
/// Σ R²/n is at least the data's. Reports progress when `progress` is not
/// null, bracketed by BeginExactCalculation(approximateP)/EndExactCalculation.
ExactPResult KruskalWallisExactP(std::span<const std::int32_t> groupSizes, long double kw,
                                 long double approximateP, CalculationProgress* progress);

/// Exact P of Fr from `rows` rows of `columns` untied ranks: the share of the
/// (k!)^n arrangements whose Σ R² is at least the data's.
ExactPResult FriedmanExactP(std::int32_t rows, std::int32_t columns, long double fr, long double approximateP,
                            CalculationProgress* progress);

/// Dunn's multiple comparisons of every pair (i, j), i < j, of the groups, or
/// of those whose flag in `selectedPairs` (numbered as PairIndex numbers them
/// over the groups) is set when `selectedOnly`. `tieSum`: T of Kruskal-Wallis
/// or U of Friedman; `n`: the number of values; `rows`: Friedman's rows.
DunnResult DunnComparisons(std::span<const RankGroup> groups, bool independent,
                           std::span<const bool> selectedPairs, bool selectedOnly, long double tieSum,
                           std::int32_t n, std::int32_t rows);
/// Writes Dunn's test from its result.
void WriteDunnTest(ReportWriter& report, std::span<const RankGroup> groups, const DunnResult& result);
/// Computes and writes Dunn's test.
DunnResult DunnTest(ReportWriter& report, std::span<const RankGroup> groups, bool independent,
                    std::span<const bool> selectedPairs, bool selectedOnly, long double tieSum, std::int32_t n,
                    std::int32_t rows);

/// Critical value of the comparisons with a control for `comparisons`
/// comparisons (infinite df), alpha 0.05 or 0.01.
long double ControlComparisonCritical(int comparisons, bool twoSided, long double alpha);

/// Rank sums of every group against the control (`control`: position among
/// the groups; one outside them takes the first), after Friedman with `rows`
/// rows of k = groups.size() columns.
ControlComparisonsResult ControlComparisons(std::span<const RankGroup> groups, int control, bool twoSided,
                                            std::int32_t rows);
void WriteControlComparisons(ReportWriter& report, std::span<const RankGroup> groups,
                             const ControlComparisonsResult& result);
/// Computes and writes the comparisons with the control.
ControlComparisonsResult ControlComparisonsTest(ReportWriter& report, std::span<const RankGroup> groups,
                                                int control, bool twoSided, std::int32_t rows);

/// Pair flags that select exactly the pairs of `groupCount` groups holding
/// the control (position `control`): the Dunn comparisons of the all versus
/// control choice after Kruskal-Wallis. A fresh copy; the stored choices stay
/// as the user left them.
std::array<bool, SelectedPairCount> PairFlagsWithControl(int groupCount, int control);

/// The Kruskal-Wallis analysis of the document's analysis columns: computes,
/// writes its report (the caller closes it) and returns the results. Sets
/// the help topic. `postTestCondition`: 0 always, 1 never, 2 only when
/// P <= 0.05. Must run inside the fault guard.
KruskalWallisResult KruskalWallisTest(DataDocument& document, NonparametricPostTest kind, int postTestCondition,
                                      ReportWriter& report, std::span<const bool> selectedPairs, bool selectedOnly,
                                      CalculationProgress* progress);

/// The Friedman analysis of the complete rectangle of the analysis columns.
/// `controlColumn`: the control's position among the columns with data.
FriedmanResult FriedmanTest(DataDocument& document, NonparametricPostTest kind, int postTestCondition,
                            ReportWriter& report, bool twoSided, int controlColumn,
                            std::span<const bool> selectedPairs, bool selectedOnly, CalculationProgress* progress);

}  // namespace vextal
