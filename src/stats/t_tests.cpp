#include "stats/t_tests.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <initializer_list>
#include <limits>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"
#include "stats/fault_guard.h"
#include "stats/linear_correlation.h"
#include "stats/pvalue.h"
#include "stats/t_test_report.h"

namespace vextal {

namespace {

constexpr int ZeroSDCode = 40;
constexpr int AveragedPairsCode = 44;
constexpr int SingleValueCode = 49;
constexpr int SinglePairCode = 50;

// Values typed in decimals are not exact binary fractions: a column of
// seven 0.7s has a computed mean a few units in the last place away from
// 0.7, and 3.1 − 8.1 is not exactly −5. A spread below this fraction of the
// values' magnitude is such rounding noise (at most about 3e-17 for 1000
// values in extended precision), not a real spread, and counts as zero.
constexpr long double RoundingNoise = 1e-15L;

bool IsAveragedFormat(DataFormat format) {
    return format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN;
}

// True when the column's SD is zero, or only rounding noise of its values.
bool NoSpread(const TTestColumn& column) {
    const ColumnInfo& info = column.Info;
    if (column.Averaged || IsMissing(info.Minimum) || IsMissing(info.Maximum)) return info.SD == 0;
    return info.SD <= RoundingNoise * std::max(std::fabs(info.Minimum), std::fabs(info.Maximum));
}

// A summary the tests cannot use: a typed column without a mean, or without
// an SD or SEM (or with a negative one); for values in cells this only
// happens when their sums overflowed.
int UnusableSummaryCode(const TTestColumn& column) {
    const ColumnInfo& info = column.Info;
    const bool noMean = IsMissing(info.Mean);
    const bool noSD = IsMissing(info.SD) || IsMissing(info.SEM) || info.SD < 0;
    if (!noMean && !noSD) return 0;
    if (!column.Averaged) return CalcOverflow;
    return noMean ? SingleValueCode : ZeroSDCode;
}

// The checks shared by the one-sample and unpaired tests, in their order:
// a zero SD, then too few values (which overrides it), then an unusable
// typed summary.
int ColumnCode(std::initializer_list<const TTestColumn*> columns) {
    int code = 0;
    for (const TTestColumn* column : columns)
        if (NoSpread(*column)) code = ZeroSDCode;
    for (const TTestColumn* column : columns)
        if (column->Info.N < 2) code = SingleValueCode;
    if (code != 0) return code;
    for (const TTestColumn* column : columns)
        if (const int unusable = UnusableSummaryCode(*column); unusable != 0) return unusable;
    return 0;
}

// t, P values and interval of `difference` with standard error `se`.
TTestStatistic Statistic(long double difference, long double se, std::int32_t df) {
    TTestStatistic s;
    s.Difference = difference;
    s.SE = se;
    s.DF = df;
    s.T = std::fabs(difference / se);
    s.PTwoTailed = t_prob(df, s.T);
    s.POneTailed = s.PTwoTailed / 2;
    s.CriticalT = critical_t95(df, true);
    const long double half = s.CriticalT * se;
    s.Lower = difference - half;
    s.Upper = difference + half;
    return s;
}

NormalityCheck ColumnNormality(const TTestColumn& column) {
    NormalityCheck check;
    check.N = column.Info.N;
    if (column.Averaged) return check;
    check.KS = column.Info.KSDistance;
    check.P = column.Info.NormalityP;
    check.Tested = check.N > 4 && !IsMissing(check.KS) && !IsMissing(check.P);
    return check;
}

// Satterthwaite's df cut to a whole number. A value that is whole but for
// rounding (equal SDs and sizes give exactly 2n − 2) keeps its whole part.
std::int32_t TruncatedDF(long double df) {
    if (std::isnan(df)) throw CalcFault{CalcInvalid};
    if (df > static_cast<long double>(std::numeric_limits<std::int32_t>::max())) throw CalcFault{CalcOverflow};
    const std::int32_t whole = CheckedToInt(std::trunc(df * (1 + RoundingNoise)));
    return std::max<std::int32_t>(whole, 1);  // never below min(N_A, N_B) − 1 >= 1 in exact arithmetic
}

}  // namespace

long double critical_t95(std::int32_t df, bool twoTailed) {
    // 97.5% and 95% points of t for 1 to 13 df.
    static constexpr std::array<long double, 13> TwoTailed = {12.706L, 4.303L, 3.182L, 2.776L, 2.571L,
                                                              2.447L,  2.365L, 2.306L, 2.262L, 2.228L,
                                                              2.201L,  2.179L, 2.160L};
    static constexpr std::array<long double, 13> OneTailed = {6.314L, 2.920L, 2.353L, 2.132L, 2.015L,
                                                              1.943L, 1.895L, 1.860L, 1.833L, 1.812L,
                                                              1.796L, 1.782L, 1.771L};
    if (df < 1) {
        std::feraiseexcept(FE_INVALID);
        return std::numeric_limits<long double>::quiet_NaN();
    }
    if (df <= 13) return (twoTailed ? TwoTailed : OneTailed)[static_cast<std::size_t>(df - 1)];
    // z·df / (df − c): 1.96 and 1.6449 are the normal 97.5% and 95% points;
    // c fits the exact values from 14 df on.
    const long double n = df;
    return twoTailed ? 1.96L * n / (n - 1.20722L) : 1.6449L * n / (n - 0.92591L);
}

TTestColumn ReadTTestColumn(const DataDocument& document, int column) {
    const DataTable& table = document.Table;
    TTestColumn result;
    const int tableColumn = MapColumn(table, column);
    if (tableColumn < 0 || tableColumn >= DataColumnCount) return result;
    result.Info = table.ColumnInfo[static_cast<std::size_t>(tableColumn)];
    result.Averaged = IsAveragedFormat(document.State.Format) ||
                      (result.Info.N > 0 && ColumnIsEmpty(table, tableColumn) &&
                       !(IsMissing(result.Info.Mean) && IsMissing(result.Info.SD) && IsMissing(result.Info.SEM)));
    if (result.Averaged) ComputeSummaryFromEntered(table, -1, result.Info);
    return result;
}

OneSampleTTestResult OneSampleTTest(const TTestColumn& column, long double hypothetical, bool twoTailed) {
    OneSampleTTestResult r;
    r.Column = column;
    r.Hypothetical = hypothetical;
    r.Tails = twoTailed ? 2 : 1;
    r.Code = ColumnCode({&column});
    if (r.Code != 0) return r;

    const ColumnInfo& info = column.Info;
    const long double se = info.SD / std::sqrt(static_cast<long double>(info.N));
    r.Test = Statistic(info.Mean - hypothetical, se, info.N - 1);
    r.Normality = ColumnNormality(column);
    return r;
}

UnpairedTTestResult UnpairedTTest(const TTestColumn& a, const TTestColumn& b, bool equalSD, bool twoTailed) {
    UnpairedTTestResult r;
    r.Welch = !equalSD;
    r.A = a;
    r.B = b;
    r.Tails = twoTailed ? 2 : 1;
    r.Code = ColumnCode({&a, &b});
    if (r.Code != 0) return r;

    const long double nA = a.Info.N, nB = b.Info.N;
    const long double sdA = a.Info.SD, sdB = b.Info.SD;
    const long double difference = b.Info.Mean - a.Info.Mean;
    if (equalSD) {
        const std::int32_t df = CheckedToInt((nA - 1) + (nB - 1));
        r.PooledVariance = (sdA * sdA * (nA - 1) + sdB * sdB * (nB - 1)) / df;
        const long double se = std::sqrt(r.PooledVariance * (nA + nB) / (nA * nB));
        r.Test = Statistic(difference, se, df);

        // F test: the larger variance over the smaller; on a tie B counts as the larger.
        const bool bLarger = sdA <= sdB;
        const long double larger = bLarger ? sdB : sdA, smaller = bLarger ? sdA : sdB;
        r.F = (larger * larger) / (smaller * smaller);
        r.FNumeratorDF = (bLarger ? b.Info.N : a.Info.N) - 1;
        r.FDenominatorDF = (bLarger ? a.Info.N : b.Info.N) - 1;
        // Doubling the upper tail can pass 1 when the larger variance has
        // the more degrees of freedom; a probability stops at 1.
        r.PF = std::min(1.0L, 2 * f_prob(r.FNumeratorDF, r.FDenominatorDF, r.F));
    } else {
        const long double vA = sdA * sdA / nA, vB = sdB * sdB / nB;
        r.WelchDF = (vA + vB) * (vA + vB) / (vB * vB / (nB - 1) + vA * vA / (nA - 1));
        r.Test = Statistic(difference, std::sqrt(vB + vA), TruncatedDF(r.WelchDF));
    }
    for (const TTestColumn* column : {&a, &b}) {
        const NormalityCheck normality = ColumnNormality(*column);
        if (normality.Tested && normality.P <= 0.05L) r.NormalityFailed = true;
    }
    return r;
}

PairedTTestResult PairedTTest(DataTable& table, int first, const TTestColumn& a, int second, const TTestColumn& b,
                              bool twoTailed) {
    PairedTTestResult r;
    r.A = a;
    r.B = b;
    r.Tails = twoTailed ? 2 : 1;
    if (a.Averaged || b.Averaged)
        r.Code = AveragedPairsCode;
    else if (a.Info.N < 2 || b.Info.N < 2)
        r.Code = SingleValueCode;
    if (r.Code != 0) return r;

    // The differences, and the magnitude of the values they come from.
    long double magnitude = 0;
    for (int row = 0; row < TableRowCount; ++row) {
        long double difference = MissingValue;
        if (row <= table.LastRow) {
            const long double x = GetValue(table, row, first), y = GetValue(table, row, second);
            if (!IsMissing(x) && !IsMissing(y)) {
                difference = x - y;
                if (!std::isfinite(difference)) throw CalcFault{CalcOverflow};
                magnitude = std::max({magnitude, std::fabs(x), std::fabs(y)});
            }
        }
        SetValue(table, row, DifferenceColumnIndex, difference);
    }
    r.Difference.Title = "Difference";
    ComputeSummaryFromEntered(table, DifferenceColumnIndex, r.Difference);
    r.Pairs = r.Difference.N;
    if (r.Pairs < 2) {
        r.Code = SinglePairCode;
        return r;
    }
    if (IsMissing(r.Difference.Mean) || IsMissing(r.Difference.SD)) throw CalcFault{CalcOverflow};

    const std::int32_t df = r.Pairs - 1;
    r.DifferencesVary = r.Difference.SD > RoundingNoise * magnitude;
    if (!r.DifferencesVary) {
        // Show the spread the report speaks of, not the rounding noise.
        r.Difference.SD = r.Difference.SEM = 0;
        r.Difference.LowerCI = r.Difference.UpperCI = r.Difference.Mean;
        r.Test.Difference = r.Difference.Mean;
        r.Test.DF = df;
        return r;
    }
    r.Test = Statistic(r.Difference.Mean, r.Difference.SD / std::sqrt(static_cast<long double>(r.Pairs)), df);

    if (r.Pairs <= 3) {
        r.Pairing = PairingCheck::TooFewPairs;
    } else if (NoSpread(a) || NoSpread(b)) {
        r.Pairing = PairingCheck::NoVariability;
    } else {
        // Columns that vary may still be constant over the complete pairs.
        const CorrelationResult c = CorrelationSums(table, first, second);
        if (c.Code != 0 || IsMissing(c.R) || IsMissing(c.P)) {
            r.Pairing = PairingCheck::NoVariability;
        } else {
            r.Pairing = PairingCheck::Correlated;
            r.R = c.R;
            r.PR = c.P;
        }
    }

    r.Normality.N = r.Pairs;
    if (r.Pairs > 4) {
        const NormalityResult n = NormalityTestKS(table, DifferenceColumnIndex, r.Difference.Mean, r.Difference.SD);
        r.Normality.Tested = !IsMissing(n.KS) && !IsMissing(n.P);
        r.Normality.KS = r.Difference.KSDistance = n.KS;
        r.Normality.P = r.Difference.NormalityP = n.P;
        r.Difference.Passed = r.Normality.Tested && n.P > 0.05L;
    }
    return r;
}

int OneSampleTTestAnalysis(DataDocument& document, int column, ReportWriter& report, bool twoSided,
                           long double hypothetical, TTestOutcome* outcome) {
    document.ReportHelpTopic = OneSampleTTestHelpTopic;
    OneSampleTTestResult result;
    const int code = RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        ComputeColumnStats(document);
        result = OneSampleTTest(ReadTTestColumn(document, column), hypothetical, twoSided);
        if (result.Code != 0) throw CalcFault{result.Code};
        WriteOneSampleTTestReport(report, result);
    });
    if (outcome) {
        *outcome = {};
        outcome->Kind = TTestKind::OneSample;
        outcome->Code = code;
        outcome->OneSample = result;
    }
    return code;
}

int TwoColumnTTestAnalysis(DataDocument& document, int first, int second, ReportWriter& report, bool equalSD,
                           bool twoSided, bool unpaired, TTestOutcome* outcome) {
    document.ReportHelpTopic = unpaired ? UnpairedTTestHelpTopic : PairedTTestHelpTopic;
    UnpairedTTestResult unpairedResult;
    PairedTTestResult pairedResult;
    const int code = RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        ComputeColumnStats(document);
        const TTestColumn a = ReadTTestColumn(document, first), b = ReadTTestColumn(document, second);
        if (unpaired) {
            unpairedResult = UnpairedTTest(a, b, equalSD, twoSided);
            if (unpairedResult.Code != 0) throw CalcFault{unpairedResult.Code};
            WriteUnpairedTTestReport(report, unpairedResult);
        } else {
            pairedResult = PairedTTest(document.Table, first, a, second, b, twoSided);
            if (pairedResult.Code != 0) throw CalcFault{pairedResult.Code};
            WritePairedTTestReport(report, pairedResult);
        }
    });
    if (outcome) {
        *outcome = {};
        outcome->Kind = !unpaired ? TTestKind::Paired : equalSD ? TTestKind::Unpaired : TTestKind::Welch;
        outcome->Code = code;
        outcome->Unpaired = unpairedResult;
        outcome->Paired = pairedResult;
    }
    return code;
}

}  // namespace vextal
