// Two-by-two contingency tables: Fisher's exact test or the chi-square test
// (with or without Yates' correction), the relative risk (Katz), the odds
// ratio (Woolf), the difference between the two proportions, and
// sensitivity, specificity, predictive values and likelihood ratio.
//
// Method: the intervals are 95 % intervals with z = critical_z(2, 0.05) on
// the log scale for the ratios and on the linear scale for the difference;
// single proportions get the exact Clopper-Pearson interval through the F
// distribution. Accuracy: inverse_f stops at a bracket of 0.01, so the exact
// binomial limits are good to about two or three digits; the rest is exact
// to extended precision apart from chi2_prob (about six digits).
#pragma once

#include <cstdint>
#include <optional>

#include "data/number_text.h"
#include "stats/fisher_exact.h"

namespace vextal {

struct AnalysisChoices;
struct DataDocument;
struct TwoByTwoTable;
class ReportWriter;

/// Help topic of the two-by-two results page.
inline constexpr int TwoByTwoHelpTopic = 557;

/// The four counts after the checks, laid out [[A, B], [C, D]].
struct TwoByTwoCells {
    std::int32_t A = 0;
    std::int32_t B = 0;
    std::int32_t C = 0;
    std::int32_t D = 0;
};

/// Checks the table's counts and converts them: 45 when one is missing, 30
/// for a fraction, 31 for a negative count, 32 for a row of zeros, 33 for a
/// column of zeros (a later check overwrites an earlier code), 4 when a count
/// or the total is beyond 32 bits. Returns 0 and fills `cells` when fine.
int CheckTwoByTwo(const TwoByTwoTable& table, TwoByTwoCells& cells);

/// N (AD - BC)^2 / (R1 R2 C1 C2); MissingValue when a margin is 0.
long double chi_square_2x2(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);
/// Sum of (|O - E| - 0.5)^2 / E, a deviation of 0.5 or less counting as 0;
/// MissingValue when a margin is 0.
long double chi_square_2x2_yates(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

/// A ratio with its 95 % interval. A ratio with a zero denominator is
/// MissingValue ("Infinity"); an interval that cannot be computed is
/// (-MissingValue, MissingValue).
struct RatioEstimate {
    long double Value = MissingValue;
    long double Lower = -MissingValue;
    long double Upper = MissingValue;
};

/// (A / R1) / (C / R2) with the interval of Katz.
RatioEstimate relative_risk(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

struct OddsRatioEstimate {
    RatioEstimate Ratio;
    bool HalfAdded = false; // a cell was 0, so 0.5 was added to every cell
};

/// AD / (BC) with the interval of Woolf.
OddsRatioEstimate odds_ratio(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

struct ConfidenceInterval {
    long double Lower = MissingValue;
    long double Upper = MissingValue;
};

/// Exact (Clopper-Pearson) 95 % interval of the proportion x / n, 0 <= x <= n.
/// Runs inside the fault guard: degrees of freedom beyond 32 bits (n above
/// about 10^9) throw CalcFault{4}, as do the estimates built on it.
ConfidenceInterval binomial_ci(std::int32_t n, std::int32_t x);

struct ProportionEstimate {
    long double Fraction = MissingValue;
    std::optional<ConfidenceInterval> Interval; // only with more than 5 in both cells of the row
};

struct ProportionDifference {
    ProportionEstimate Top;                // A / R1
    ProportionEstimate Bottom;             // C / R2
    long double Difference = MissingValue; // |p1 - p2|
    // Pooled standard error and 95 % interval; only when every cell exceeds 5.
    std::optional<long double> StandardError;
    std::optional<ConfidenceInterval> Interval;
};

ProportionDifference proportion_difference(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

struct DiagnosticEstimate {
    long double Value = MissingValue;
    ConfidenceInterval Interval;
};

/// Columns: condition present / absent; rows: test positive / negative.
struct DiagnosticResult {
    DiagnosticEstimate Sensitivity;             // A / (A + C)
    DiagnosticEstimate Specificity;             // D / (B + D)
    DiagnosticEstimate PositivePredictiveValue; // A / (A + B)
    DiagnosticEstimate NegativePredictiveValue; // D / (C + D)
    std::optional<long double> LikelihoodRatio; // sensitivity / (1 - specificity), when B > 0
};

DiagnosticResult sensitivity_specificity(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

/// Everything the two-by-two report shows.
struct TwoByTwoResult {
    TwoByTwoCells Cells;
    std::int64_t N = 0;
    bool FisherChosen = true;
    bool TwoSided = true;

    /// Fisher's test; its P values stay MissingValue when it was not chosen
    /// or when N is above FisherMaximumN (FisherTooLarge).
    FisherResult Fisher;
    bool FisherTooLarge = false;

    /// The chi-square test, when chosen or in place of Fisher's test.
    bool ChiSquarePerformed = false;
    bool YatesCorrection = false;
    long double ChiSquare = MissingValue;
    std::int32_t DF = 1;
    long double ChiSquareP = MissingValue; // two-sided
    long double ChiSquarePOneSided = MissingValue;
    bool SmallNumbersNote = false;

    /// The P value the report states (one- or two-sided as chosen) and whether
    /// the association is called statistically significant (P < 0.05).
    long double ReportedP = MissingValue;
    bool Significant = false;

    std::optional<RatioEstimate> RelativeRisk;
    std::optional<OddsRatioEstimate> OddsRatio;
    std::optional<ProportionDifference> Difference;
    std::optional<DiagnosticResult> Diagnostics;
};

/// Computes the tests and estimates the choices ask for.
TwoByTwoResult ComputeTwoByTwo(const TwoByTwoCells& cells, const AnalysisChoices& choices);

/// The analysis of the document's two-by-two table: checks, computes and
/// writes the report in the fault guard, or replaces the report by the
/// message of the code. Sets the document's CalcError and help topic and
/// returns the code; `result` holds the numbers when the code is 0.
int analyse_two_by_two(DataDocument& document, const AnalysisChoices& choices, ReportWriter& report,
                       TwoByTwoResult& result);
int analyse_two_by_two(DataDocument& document, const AnalysisChoices& choices, ReportWriter& report);

} // namespace vextal
