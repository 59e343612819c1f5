#include "stats/rank_tests.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "stats/rank_counting.h"
#include "stats/rank_enumeration.h"
#include "stats/rank_test_report.h"
#include "stats/ranks.h"
#include "stats/spearman.h"
#include "workflow/calculation_progress.h"

namespace vextal {

namespace {

constexpr int ZeroSDCode = 40;
constexpr int NoDistinctDifferencesCode = 41;
constexpr int AveragedDataCode = 42;
constexpr int SingleValueCode = 49;
constexpr int SinglePairCode = 50;

// Rank sets between progress reports of the walk (used only when the
// counting table cannot hold the counts): the progress call reads the clock,
// which would dominate a step of the walk if made at every one.
constexpr std::int64_t MannWhitneyProgressInterval = 256;

constexpr const char* DifferenceTitle = "Difference";


// The progress callback of an enumeration of `total` arrangements: an answer
// other than Continue lands in `state` and stops the walk.
EnumerationProgress ReportTo(CalculationProgress* progress, long double total, RankExactState& state) {
    if (!progress)
        return {};
    return [progress, total, &state](std::int64_t visited) {
        const ExactProgress answer =
            ReportExactProgress(progress, static_cast<long double>(visited) * 100 / total);
        if (answer == ExactProgress::Continue)
            return true;
        state = answer == ExactProgress::Cancelled ? RankExactState::Cancelled : RankExactState::TooLong;
        return false;
    };
}

// One-tailed P of a normal deviate corrected for continuity. The correction
// can carry a statistic that sits at the centre of its distribution past
// it; such a statistic is no evidence either way, so z stays at 0.
long double ApproximateOneTailedP(long double distance, long double sd, long double& z) {
    z = sd > 0 ? std::max(0.0L, (distance - 0.5L) / sd) : 0;
    return z_prob(z) / 2;
}

std::int32_t CountOf(std::size_t size) {
    if (size > static_cast<std::size_t>(INT32_MAX))
        throw CalcFault{CalcOverflow};
    return static_cast<std::int32_t>(size);
}

std::vector<long double> PresentValues(std::span<const long double> values) {
    std::vector<long double> present;
    present.reserve(values.size());
    for (long double v : values)
        if (!IsMissing(v))
            present.push_back(v);
    return present;
}

std::vector<long double> ColumnValues(const DataTable& table, int column) {
    std::vector<long double> values;
    for (int row = 0; row <= table.LastRow; ++row) {
        const long double v = GetValue(table, row, column);
        if (!IsMissing(v))
            values.push_back(v);
    }
    return values;
}

bool AveragedData(const DataDocument& document, int column) {
    const DataFormat format = document.State.Format;
    return column == -1 || format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN;
}

// The summary of a data column; an index outside the table reads as a
// column without values.
const ColumnInfo& InfoOf(const DataTable& table, int column) {
    static const ColumnInfo none;
    if (column < 0 || column >= DataColumnCount)
        return none;
    return table.ColumnInfo[static_cast<std::size_t>(column)];
}

// The checks every rank test makes of its columns: averaged data, then a
// column without scatter, then one with fewer than two values (which wins).
int CheckColumns(const DataDocument& document, std::initializer_list<int> columns) {
    for (int column : columns)
        if (AveragedData(document, column))
            return AveragedDataCode;
    int code = 0;
    for (int column : columns)
        if (InfoOf(document.Table, column).SEM == 0)
            code = ZeroSDCode;
    for (int column : columns)
        if (InfoOf(document.Table, column).N < 2)
            code = SingleValueCode;
    return code;
}

} // namespace

long double RankTestOutcome::ReportedP() const {
    const long double oneTailed = Test == RankTest::MannWhitney ? MannWhitney.P : SignedRank.P;
    if (IsMissing(oneTailed) || Tails != 2)
        return oneTailed;
    // A probability: doubling the tail of a discrete statistic whose
    // observed value is central would pass 1.
    return std::min(1.0L, 2 * oneTailed);
}

SignedRankResult signed_rank_test(std::span<const long double> values, long double median, bool twoTailed,
                                  CalculationProgress* progress) {
    SignedRankResult r;
    std::vector<long double> magnitudes;
    std::vector<unsigned char> negative;
    for (long double v : values) {
        if (IsMissing(v))
            continue;
        const long double d = v - median;
        if (d == 0) {
            ++r.Zeros;
            continue;
        }
        magnitudes.push_back(std::fabs(d));
        negative.push_back(d < 0 ? 1 : 0);
    }
    r.N = CountOf(magnitudes.size());

    // Average ranks of |d|; each group of t tied values adds t³ − t.
    const Ranking ranking = AverageRanks(magnitudes);
    for (std::size_t i = 0; i < magnitudes.size(); ++i)
        if (negative[i] != 0)
            r.TMinus -= ranking.Ranks[i];
    r.TieSum = 12 * ranking.TieSum;
    r.Ties = r.TieSum > 0;

    const long double n = r.N;
    r.TPlus = n * (n + 1) / 2 + r.TMinus;
    r.W = r.TPlus + r.TMinus;

    const long double variance = (n * (n + 1) * (2 * n + 1) - r.TieSum / 2) / 24;
    r.ApproximateP = ApproximateOneTailedP(std::fabs(r.TPlus - n * (n + 1) / 4), std::sqrt(variance), r.Z);

    if (r.N < SignedRankExactLimit) {
        r.ExactState = RankExactState::Exact;
        r.Arrangements = std::ldexp(1.0L, r.N);
        // The walk uses the untied ranks 1..N, whose positive sums are whole
        // numbers: a sum reaches a statistic of tied ranks (a half-integer)
        // exactly when it reaches its ceiling.
        const long double observed = std::max(r.TPlus, std::fabs(r.TMinus));
        const auto threshold = static_cast<std::int64_t>(std::ceil(observed));
        ExactCalculationBracket scope(progress, twoTailed ? 2 * r.ApproximateP : r.ApproximateP);
        r.Visited = r.Arrangements;
        r.Count = static_cast<long double>(CountRankSubsetsAtLeast(r.N, threshold));
    } else {
        r.ExactState = RankExactState::TooLong;
    }

    r.P = r.ExactState == RankExactState::Exact ? r.Count / r.Arrangements : r.ApproximateP;
    return r;
}

MannWhitneyResult mann_whitney(std::span<const long double> a, std::span<const long double> b, bool twoTailed,
                               CalculationProgress* progress) {
    MannWhitneyResult r;
    const std::vector<long double> xa = PresentValues(a);
    const std::vector<long double> xb = PresentValues(b);
    r.NA = CountOf(xa.size());
    r.NB = CountOf(xb.size());

    for (long double x : xa) {
        long double tied = 1; // this value of A and the values of B equal to it
        for (long double y : xb) {
            if (y > x) {
                r.UCount += 1;
            } else if (y == x) {
                r.UCount += 0.5L;
                tied += 1;
            }
        }
        if (tied >= 2)
            r.TieTerm += (tied - 1) * tied * (tied + 1) / tied;
    }

    const long double na = r.NA;
    const long double nb = r.NB;
    const long double n = na + nb;
    const long double pairs = na * nb;
    r.RankSumA = na * (na + 1) / 2 + pairs - r.UCount;
    r.RankSumB = n * (n + 1) / 2 - r.RankSumA;
    r.U = pairs / 2 < r.UCount ? pairs - r.UCount : r.UCount;
    r.UPrime = pairs - r.U;

    r.Sigma = std::sqrt((n * n * n - n - r.TieTerm) / 12 * pairs / (n * n - n));
    r.ApproximateP = ApproximateOneTailedP(std::fabs(r.U - pairs / 2), r.Sigma, r.Z);

    if (r.TieTerm > 0) {
        r.ExactState = RankExactState::TiedRanks;
    } else {
        r.ExactState = RankExactState::Exact;
        const std::int32_t total = CountOf(xa.size() + xb.size());
        const std::int32_t m = std::max(r.NA, r.NB);
        r.Arrangements = binomial_coefficient(total, m);
        if (r.Arrangements < MannWhitneyExactLimit) {
            // Sets of m ranks whose own U is at most the observed (smaller) U:
            // those with a rank sum at most U + m(m + 1)/2.
            const long double largest = r.U + static_cast<long double>(m) * (m + 1) / 2;
            const auto threshold = static_cast<std::int64_t>(std::floor(largest));
            ExactCalculationBracket scope(progress, twoTailed ? 2 * r.ApproximateP : r.ApproximateP);
            const std::int64_t counted = CountRankSetsAtMostFast(total, m, threshold);
            if (counted >= 0) {
                r.Visited = CountOf(static_cast<std::size_t>(r.Arrangements));
                r.Count = CountOf(static_cast<std::size_t>(counted));
            } else {
                const EnumerationCount walk =
                    CountRankSetsAtMost(total, m, threshold, MannWhitneyProgressInterval,
                                        ReportTo(progress, r.Arrangements, r.ExactState));
                r.Visited = CountOf(static_cast<std::size_t>(walk.Visited));
                r.Count = CountOf(static_cast<std::size_t>(walk.Count));
            }
        } else {
            r.ExactState = RankExactState::TooLong;
        }
    }

    if (r.ExactState == RankExactState::Exact) {
        if (r.Visited == 0)
            throw CalcFault{CalcDivideByZero};
        r.P = static_cast<long double>(r.Count) / r.Visited;
    } else {
        r.P = r.ApproximateP;
    }
    return r;
}

int WilcoxonSignedRankTest(DataDocument& document, int column, ReportWriter& report, bool twoSided,
                           long double hypothetical, CalculationProgress* progress,
                           RankTestOutcome* outcome) {
    document.ReportHelpTopic = SignedRankHelpTopic;
    RankTestOutcome result;
    result.Tails = twoSided ? 2 : 1;
    result.Hypothetical = hypothetical;
    const ColumnInfo& info = InfoOf(document.Table, column);

    result.Code = RunAnalysisFrame(
        report, document.CalcError, [&] { return CheckColumns(document, {column}); },
        [&] {
            const std::vector<long double> values = ColumnValues(document.Table, column);
            result.SignedRank = signed_rank_test(values, hypothetical, twoSided, progress);
            WriteSignedRankReport(report, result, info);
        });
    if (outcome)
        *outcome = result;
    return result.Code;
}

int WilcoxonMatchedPairsTest(DataDocument& document, int first, int second, ReportWriter& report,
                             bool twoSided, CalculationProgress* progress, RankTestOutcome* outcome) {
    document.ReportHelpTopic = MatchedPairsHelpTopic;
    RankTestOutcome result;
    result.Test = RankTest::MatchedPairs;
    result.Tails = twoSided ? 2 : 1;
    DataTable& table = document.Table;
    const ColumnInfo& infoA = InfoOf(table, first);
    const ColumnInfo& infoB = InfoOf(table, second);

    result.Code = RunAnalysisFrame(
        report, document.CalcError,
        [&] {
            return CheckColumns(document, {first, second});
        },
        [&] {
            // The differences A − B of the rows where both hold a value.
            std::vector<long double> xs, ys, differences;
            for (int row = 0; row < TableRowCount; ++row) {
                const long double x = GetValue(table, row, first);
                const long double y = GetValue(table, row, second);
                const bool pair = !IsMissing(x) && !IsMissing(y);
                SetValue(table, row, DifferenceColumnIndex, pair ? x - y : MissingValue);
                if (!pair)
                    continue;
                xs.push_back(x);
                ys.push_back(y);
                differences.push_back(x - y);
            }
            ColumnInfo summary;
            summary.Title = DifferenceTitle;
            ComputeSummaryFromEntered(table, DifferenceColumnIndex, summary);
            result.Pairs = summary.N;

            int code = 0;
            if (summary.SD == 0)
                code = NoDistinctDifferencesCode;
            if (summary.N < 2)
                code = SinglePairCode;
            if (code != 0)
                throw CalcFault{code};

            result.SignedRank = signed_rank_test(differences, 0, twoSided, progress);
            const SpearmanStatistic spearman = SpearmanRankCorrelation(xs, ys);
            if (spearman.Code == 0) {
                result.SpearmanR = spearman.Rs;
                result.SpearmanP = spearman.ApproximateP;
            }
            WriteMatchedPairsReport(report, result, infoA, infoB, summary);
        });
    if (outcome)
        *outcome = result;
    return result.Code;
}

int MannWhitneyTest(DataDocument& document, int first, int second, ReportWriter& report, bool twoSided,
                    CalculationProgress* progress, RankTestOutcome* outcome) {
    document.ReportHelpTopic = MannWhitneyHelpTopic;
    RankTestOutcome result;
    result.Test = RankTest::MannWhitney;
    result.Tails = twoSided ? 2 : 1;
    const ColumnInfo& infoA = InfoOf(document.Table, first);
    const ColumnInfo& infoB = InfoOf(document.Table, second);

    result.Code = RunAnalysisFrame(
        report, document.CalcError,
        [&] {
            return CheckColumns(document, {first, second});
        },
        [&] {
            const std::vector<long double> a = ColumnValues(document.Table, first);
            const std::vector<long double> b = ColumnValues(document.Table, second);
            result.MannWhitney = mann_whitney(a, b, twoSided, progress);
            WriteMannWhitneyReport(report, result, infoA, infoB);
        });
    if (outcome)
        *outcome = result;
    return result.Code;
}

} // namespace vextal
