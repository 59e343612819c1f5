#include "stats/two_by_two.h"

#include <climits>
#include <cmath>

#include "data/data_document.h"
#include "report/contingency_tables.h"
#include "stats/calc_error.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "stats/two_by_two_report.h"
#include "workflow/analysis_choices.h"

namespace vextal {

namespace {

constexpr int MissingCountCode = 45;
constexpr int FractionCode = 30;
constexpr int NegativeCode = 31;
constexpr int ZeroRowCode = 32;
constexpr int ZeroColumnCode = 33;

// Below this many observations, or with an expected count of 5 or less, the
// chi-square P value is flagged as inaccurate; from FisherMaximumN on the
// exact test is no alternative, so no note is given.
constexpr std::int64_t SmallNumbersN = 40;
constexpr long double SmallExpectedCount = 5;

long double Z95() {
    return critical_z(2, 0.05L);
}

// A count or degrees of freedom that must fit a 32-bit integer.
std::int32_t ToInt32(std::int64_t value) {
    if (value > INT_MAX || value < INT_MIN)
        throw CalcFault{CalcOverflow};
    return static_cast<std::int32_t>(value);
}

long double Fraction(std::int64_t part, std::int64_t whole) {
    return whole == 0 ? MissingValue : static_cast<long double>(part) / whole;
}

RatioEstimate LogScaleInterval(long double ratio, long double standardError) {
    RatioEstimate estimate;
    estimate.Value = ratio;
    const long double z = Z95();
    estimate.Lower = std::exp(std::log(ratio) - z * standardError);
    estimate.Upper = std::exp(std::log(ratio) + z * standardError);
    return estimate;
}

DiagnosticEstimate Proportion(std::int64_t part, std::int64_t whole) {
    DiagnosticEstimate estimate;
    estimate.Value = Fraction(part, whole);
    if (whole > 0)
        estimate.Interval = binomial_ci(ToInt32(whole), ToInt32(part));
    return estimate;
}

bool SmallNumbersNote(const TwoByTwoCells& cells) {
    const long double n = static_cast<long double>(cells.A) + cells.B + cells.C + cells.D;
    if (n >= FisherMaximumN)
        return false;
    const long double rows[2] = {static_cast<long double>(cells.A) + cells.B,
                                 static_cast<long double>(cells.C) + cells.D};
    const long double columns[2] = {static_cast<long double>(cells.A) + cells.C,
                                    static_cast<long double>(cells.B) + cells.D};
    bool ample = n > SmallNumbersN;
    for (long double row : rows)
        for (long double column : columns)
            ample = ample && row * column / n > SmallExpectedCount;
    return !ample;
}

} // namespace

int CheckTwoByTwo(const TwoByTwoTable& table, TwoByTwoCells& cells) {
    const long double values[4] = {table.A, table.B, table.C, table.D};
    for (long double v : values)
        if (IsMissing(v))
            return MissingCountCode;

    int code = 0;
    for (long double v : values) {
        if (!(std::floor(v) == v))
            code = FractionCode; // NaN is no whole number either
        if (v < 0)
            code = NegativeCode;
    }
    // A row or column "of zeros" holds two zero cells; with a negative count
    // a zero total would misname the fault.
    const auto zero = [&](int i, int j) { return values[i] == 0 && values[j] == 0; };
    if (zero(0, 1) || zero(2, 3))
        code = ZeroRowCode;
    if (zero(0, 2) || zero(1, 3))
        code = ZeroColumnCode;
    if (code != 0)
        return code;

    long double total = 0;
    for (long double v : values) {
        if (v > INT_MAX)
            return CalcOverflow;
        total += v;
    }
    if (total > INT_MAX)
        return CalcOverflow;
    cells = {static_cast<std::int32_t>(values[0]), static_cast<std::int32_t>(values[1]),
             static_cast<std::int32_t>(values[2]), static_cast<std::int32_t>(values[3])};
    return 0;
}

long double chi_square_2x2(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    const long double a = A, b = B, c = C, d = D;
    const long double denominator = (a + b) * (c + d) * (a + c) * (b + d);
    if (denominator == 0)
        return MissingValue;
    const long double cross = a * d - b * c;
    return (a + b + c + d) * cross * cross / denominator;
}

long double chi_square_2x2_yates(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    const long double observed[2][2] = {{static_cast<long double>(A), static_cast<long double>(B)},
                                        {static_cast<long double>(C), static_cast<long double>(D)}};
    const long double rows[2] = {observed[0][0] + observed[0][1], observed[1][0] + observed[1][1]};
    const long double columns[2] = {observed[0][0] + observed[1][0], observed[0][1] + observed[1][1]};
    if (rows[0] * rows[1] * columns[0] * columns[1] == 0)
        return MissingValue;
    const long double n = rows[0] + rows[1];
    long double chiSquare = 0;
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j) {
            const long double expected = rows[i] * columns[j] / n;
            // The correction never turns a deviation of 0.5 or less into a
            // positive contribution: such a cell fits as well as it can.
            const long double delta = std::fmax(std::fabs(observed[i][j] - expected) - 0.5L, 0.0L);
            chiSquare += delta * delta / expected;
        }
    return chiSquare;
}

RatioEstimate relative_risk(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    const long double a = A, b = B, c = C, d = D;
    const long double r1 = a + b, r2 = c + d;
    RatioEstimate estimate;
    if (c * r1 != 0)
        estimate.Value = a * r2 / (c * r1);
    if (a * r1 == 0 || c * r2 == 0)
        return estimate;
    return LogScaleInterval(estimate.Value, std::sqrt(b / (a * r1) + d / (c * r2)));
}

OddsRatioEstimate odds_ratio(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    OddsRatioEstimate estimate;
    long double a = A, b = B, c = C, d = D;
    if (a == 0 || b == 0 || c == 0 || d == 0) {
        a += 0.5L, b += 0.5L, c += 0.5L, d += 0.5L;
        estimate.HalfAdded = true;
    }
    if (b * c != 0)
        estimate.Ratio.Value = a * d / (b * c);
    if (a * b * c * d == 0)
        return estimate;
    estimate.Ratio = LogScaleInterval(estimate.Ratio.Value, std::sqrt(1 / a + 1 / b + 1 / c + 1 / d));
    return estimate;
}

ConfidenceInterval binomial_ci(std::int32_t n, std::int32_t x) {
    ConfidenceInterval interval;
    if (n <= 0 || x < 0 || x > n)
        return interval;
    constexpr long double TailAlpha = 0.025L;
    const std::int64_t failures = std::int64_t{n} - x;
    if (x == 0) {
        interval.Lower = 0;
    } else {
        const long double f = inverse_f(ToInt32(2 * (failures + 1)), ToInt32(2 * std::int64_t{x}), TailAlpha);
        interval.Lower = x / (x + (failures + 1) * f);
    }
    if (failures == 0) {
        interval.Upper = 1;
    } else {
        const long double f =
            inverse_f(ToInt32(2 * std::int64_t{x} + 2), ToInt32(2 * failures), TailAlpha) * (x + 1.0L);
        interval.Upper = f / (failures + f);
    }
    return interval;
}

ProportionDifference proportion_difference(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    const std::int64_t r1 = std::int64_t{A} + B, r2 = std::int64_t{C} + D;
    ProportionDifference result;
    result.Top.Fraction = Fraction(A, r1);
    result.Bottom.Fraction = Fraction(C, r2);
    if (A > 5 && B > 5)
        result.Top.Interval = binomial_ci(ToInt32(r1), A);
    if (C > 5 && D > 5)
        result.Bottom.Interval = binomial_ci(ToInt32(r2), C);
    if (r1 == 0 || r2 == 0)
        return result;
    result.Difference = std::fabs(result.Top.Fraction - result.Bottom.Fraction);
    if (A > 5 && B > 5 && C > 5 && D > 5) {
        const long double pooled = static_cast<long double>(std::int64_t{A} + C) / (r1 + r2);
        const long double se = std::sqrt(pooled * (1 - pooled) * (1.0L / r1 + 1.0L / r2));
        result.StandardError = se;
        result.Interval = ConfidenceInterval{result.Difference - Z95() * se, result.Difference + Z95() * se};
    }
    return result;
}

DiagnosticResult sensitivity_specificity(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    DiagnosticResult result;
    result.Sensitivity = Proportion(A, std::int64_t{A} + C);
    result.Specificity = Proportion(D, std::int64_t{B} + D);
    result.PositivePredictiveValue = Proportion(A, std::int64_t{A} + B);
    result.NegativePredictiveValue = Proportion(D, std::int64_t{C} + D);
    if (B > 0 && !IsMissing(result.Sensitivity.Value))
        result.LikelihoodRatio = result.Sensitivity.Value / (1 - result.Specificity.Value);
    return result;
}

TwoByTwoResult ComputeTwoByTwo(const TwoByTwoCells& cells, const AnalysisChoices& choices) {
    const auto [A, B, C, D] = cells;
    TwoByTwoResult result;
    result.Cells = cells;
    result.N = std::int64_t{A} + B + C + D;
    result.FisherChosen = choices.UseChiSquare == 0;
    result.TwoSided = choices.TwoByTwoTwoSided;

    if (result.FisherChosen) {
        if (result.N > FisherMaximumN)
            result.FisherTooLarge = true;
        else
            result.Fisher = fisher_exact(A, B, C, D);
    }
    result.ChiSquarePerformed = !result.FisherChosen || result.FisherTooLarge;
    if (result.ChiSquarePerformed) {
        result.YatesCorrection = choices.YatesCorrection;
        result.ChiSquare =
            result.YatesCorrection ? chi_square_2x2_yates(A, B, C, D) : chi_square_2x2(A, B, C, D);
        result.ChiSquareP = chi2_prob(result.DF, result.ChiSquare);
        result.ChiSquarePOneSided = result.ChiSquareP / 2;
        result.SmallNumbersNote = SmallNumbersNote(cells);
        result.ReportedP = result.TwoSided ? result.ChiSquareP : result.ChiSquarePOneSided;
    } else {
        result.ReportedP = result.TwoSided ? result.Fisher.TwoSided : result.Fisher.OneSided;
    }
    // The same boundary as the significance words of the P-value sentence, so
    // that P = 0.05 is never "not quite significant" and "significant" at once.
    result.Significant = result.ReportedP < 0.05L;

    if (choices.RelativeRisk)
        result.RelativeRisk = relative_risk(A, B, C, D);
    if (choices.OddsRatio)
        result.OddsRatio = odds_ratio(A, B, C, D);
    if (choices.ProportionDifference)
        result.Difference = proportion_difference(A, B, C, D);
    if (choices.Sensitivity)
        result.Diagnostics = sensitivity_specificity(A, B, C, D);
    return result;
}

int analyse_two_by_two(DataDocument& document, const AnalysisChoices& choices, ReportWriter& report,
                       TwoByTwoResult& result) {
    document.ReportHelpTopic = TwoByTwoHelpTopic;
    result = {};
    const TwoByTwoTable& table = document.TwoByTwo;
    TwoByTwoCells cells;
    const int code = RunAnalysisFrame(
        report, document.CalcError, [&] { return CheckTwoByTwo(table, cells); },
        [&] {
            result = ComputeTwoByTwo(cells, choices);
            const TwoByTwoCounts shown{table.Column1Title,
                                       table.Column2Title,
                                       table.Row1Title,
                                       table.Row2Title,
                                       cells.A,
                                       cells.B,
                                       cells.C,
                                       cells.D};
            WriteTwoByTwoReport(report, result, shown);
        });
    if (code != 0)
        result = {};
    return code;
}

int analyse_two_by_two(DataDocument& document, const AnalysisChoices& choices, ReportWriter& report) {
    TwoByTwoResult result;
    return analyse_two_by_two(document, choices, report, result);
}

} // namespace vextal
