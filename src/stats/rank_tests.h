// Rank tests for one and two columns: the Wilcoxon signed rank test of one
// column against a hypothetical median, the Wilcoxon matched-pairs
// signed-ranks test, and the Mann-Whitney test of two unpaired columns.
//
// Method: the signed rank statistic ranks |value − median| with average
// ranks for ties (zero differences are set aside); Mann-Whitney counts the
// pairs (a, b) with b > a, a tie counting one half. Each gives a normal
// approximation with a continuity correction of 0.5 and, when the sample is
// small enough and the user lets it finish, an exact P by complete
// enumeration: every one of the 2^N sign assignments of the untied ranks
// 1..N (N < 30), or every set of m ranks out of 1..n (fewer than two
// thousand million sets; untied data only).
//
// Accuracy: statistics are exact (whole or half numbers); the approximate P
// follows z_prob; the exact P is a ratio of exact counts. For tied signed
// ranks the exact P uses the untied ranks 1..N and the report says so.
#pragma once

#include <cstdint>
#include <span>

#include "data/number_text.h"

namespace vextal {

struct DataDocument;
class ReportWriter;
class CalculationProgress;

inline constexpr int SignedRankHelpTopic = 662;
inline constexpr int MatchedPairsHelpTopic = 658;
inline constexpr int MannWhitneyHelpTopic = 114;

/// Largest N whose signed rank P is enumerated, plus one.
inline constexpr int SignedRankExactLimit = 30;
/// Mann-Whitney enumerates only when the number of rank sets is below this.
inline constexpr long double MannWhitneyExactLimit = 2000000000.0L;

/// How the exact P of a rank test came out.
enum class RankExactState : int {
    Cancelled = 0, // the user cancelled the enumeration
    Exact = 1,     // enumeration finished (or allowed and not yet run)
    TooLong = 2,   // not attempted, or abandoned because it would take too long
    TiedRanks = 4, // Mann-Whitney only: not attempted because of tied ranks
};

/// The signed rank statistic of a set of differences and its P values.
struct SignedRankResult {
    long double W = 0;      // T+ + T−
    long double TPlus = 0;  // sum of the positive ranks
    long double TMinus = 0; // sum of the negative ranks, negative or zero
    std::int32_t N = 0;     // differences ranked (zeros excluded)
    std::int32_t Zeros = 0; // differences of exactly zero, excluded
    bool Ties = false;      // some |differences| tied
    long double TieSum = 0; // sum of t³ − t over groups of t tied |differences|
    long double Z = 0;
    long double ApproximateP = MissingValue; // one-tailed
    RankExactState ExactState = RankExactState::TooLong;
    long double Arrangements = 0; // 2^N when enumeration is allowed, else 0
    long double Visited = 0;      // sign assignments walked
    long double Count = 0;        // of those, with a positive sum >= max(T+, |T−|)
    long double P = MissingValue; // one-tailed: the exact P when ExactState is Exact, else the approximate P
};

/// The Mann-Whitney statistic of two columns and its P values.
struct MannWhitneyResult {
    std::int32_t NA = 0;
    std::int32_t NB = 0;
    long double UCount = 0; // pairs with b > a, ties counting one half
    long double U = 0;      // the smaller of the two U values
    long double UPrime = 0; // NA × NB − U
    long double RankSumA = 0;
    long double RankSumB = 0;
    long double TieTerm = 0; // sum of t² − 1 over values of A tied with t − 1 values of B
    long double Sigma = 0;
    long double Z = 0;
    long double ApproximateP = MissingValue; // one-tailed
    RankExactState ExactState = RankExactState::TooLong;
    long double Arrangements = 0; // C(n, m), when the data are untied
    std::int32_t Visited = 0;     // rank sets walked
    std::int32_t Count = 0;       // of those, with a rank sum <= the observed statistic
    long double P = MissingValue; // one-tailed, as in SignedRankResult
};

enum class RankTest : int { SignedRank, MatchedPairs, MannWhitney };

/// Everything a rank test report shows, for reports and machine output.
struct RankTestOutcome {
    RankTest Test = RankTest::SignedRank;
    int Code = 0;
    int Tails = 2;
    long double Hypothetical = 0;  // the median tested (signed rank test)
    SignedRankResult SignedRank;   // signed rank and matched-pairs tests
    MannWhitneyResult MannWhitney; // Mann-Whitney test
    // Matched pairs: the Spearman correlation of the pairs.
    std::int32_t Pairs = 0;
    long double SpearmanR = MissingValue;
    long double SpearmanP = MissingValue; // two-tailed
    /// The P value reported: the one-tailed P, doubled for two tails (at most 1).
    long double ReportedP() const;
};

/// Signed rank statistic of `values` against `median` (missing values are
/// skipped); the exact P is enumerated when allowed, reporting to `progress`.
/// `twoTailed` only changes the approximate P shown while enumerating.
/// Must run inside the calculation fault guard.
SignedRankResult signed_rank_test(std::span<const long double> values, long double median, bool twoTailed,
                                  CalculationProgress* progress);

/// Mann-Whitney statistic of columns `a` and `b` (missing values skipped).
/// Must run inside the calculation fault guard.
MannWhitneyResult mann_whitney(std::span<const long double> a, std::span<const long double> b, bool twoTailed,
                               CalculationProgress* progress);

/// The analysis entry points: check the data, compute, write the report (or
/// the message of the code), set CalcError and ReportHelpTopic, and return
/// the code. `outcome`, when given, receives the results.
int WilcoxonSignedRankTest(DataDocument& document, int column, ReportWriter& report, bool twoSided,
                           long double hypothetical, CalculationProgress* progress,
                           RankTestOutcome* outcome = nullptr);
int WilcoxonMatchedPairsTest(DataDocument& document, int first, int second, ReportWriter& report,
                             bool twoSided, CalculationProgress* progress,
                             RankTestOutcome* outcome = nullptr);
int MannWhitneyTest(DataDocument& document, int first, int second, ReportWriter& report, bool twoSided,
                    CalculationProgress* progress, RankTestOutcome* outcome = nullptr);

} // namespace vextal
