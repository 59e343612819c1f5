// Kruskal-Wallis, Friedman and their post tests. Statistics and exact P
// values of the named data sets were computed independently in Python with
// exact fractions: average ranks by hand-written ranking, exact P by listing
// every deal of the ranks into the groups (every tuple of row orderings for
// Friedman); approximate P from the closed form exp(−x/2) of chi-square
// with 2 df.
#include "stats/nonparametric_anova.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"
#include "workflow/calculation_progress.h"

using namespace vextal;

namespace {

using Columns = std::vector<std::vector<long double>>;
constexpr long double Missing = MissingValue;

DataDocument Document(const Columns& columns) {
    DataDocument document;
    DataTable& table = document.Table;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        for (std::size_t r = 0; r < columns[c].size(); ++r)
            SetValue(table, static_cast<int>(r), static_cast<int>(c), columns[c][r]);
        table.SummaryEntered[c] = false;
        table.ColumnInfo[c].Title = std::string(1, static_cast<char>('A' + c));
    }
    ComputeColumnStats(table);
    BuildAnalysisColumns(table);
    return document;
}

// Rows of a matched design, turned into columns.
DataDocument Matched(const Columns& rows) {
    Columns columns(rows.front().size());
    for (const auto& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c) columns[c].push_back(row[c]);
    return Document(columns);
}

struct Run {
    int Code = 0;
    std::string Text;
    Lines Shown;
    bool Contains(const std::string& line) const {
        return std::find(Shown.begin(), Shown.end(), line) != Shown.end();
    }
};

struct KW : Run {
    KruskalWallisResult Result;
};
struct Fr : Run {
    FriedmanResult Result;
};

KW RunKW(DataDocument document, int condition = 0, std::span<const bool> pairs = {}, bool selectedOnly = false,
         CalculationProgress* progress = nullptr) {
    KW run;
    ReportWriter report;
    run.Code = RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        run.Result = KruskalWallisTest(document, NonparametricPostTest::Dunn, condition, report, pairs, selectedOnly,
                                       progress);
    });
    run.Text = report.Text();
    run.Shown = ShownLines(run.Text);
    return run;
}

Fr RunFr(DataDocument document, NonparametricPostTest kind = NonparametricPostTest::Dunn, int condition = 0,
         int control = 0, CalculationProgress* progress = nullptr) {
    Fr run;
    ReportWriter report;
    run.Code = RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        run.Result = FriedmanTest(document, kind, condition, report, true, control, {}, false, progress);
    });
    run.Text = report.Text();
    run.Shown = ShownLines(run.Text);
    return run;
}

// A clock that moves on a second every time it is read, so that every
// progress report after the first two seconds estimates the remaining time.
class RacingClock : public Clock {
public:
    long long NowMs() const override { return now += 1000; }
    mutable long long now = 0;
};

// Exact P of Σ R²/n by listing every permutation of the ranks (each deal
// appears Π n! times), independent of the dealing walk.
long double PermutationP(const std::vector<int>& sizes, long double observed) {
    std::vector<int> ranks(std::accumulate(sizes.begin(), sizes.end(), 0));
    std::iota(ranks.begin(), ranks.end(), 1);
    long long extreme = 0, total = 0;
    do {
        long double s = 0;
        std::size_t at = 0;
        for (const int n : sizes) {
            long double sum = 0;
            for (int i = 0; i < n; ++i) sum += ranks[at++];
            s += sum * sum / n;
        }
        ++total;
        extreme += s >= observed - 1e-8L;
    } while (std::next_permutation(ranks.begin(), ranks.end()));
    return static_cast<long double>(extreme) / total;
}

}  // namespace

TEST(KruskalWallis, SeparatedGroupsGiveExactP) {
    const KW run = RunKW(Document({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}));
    ASSERT_EQ(0, run.Code);
    const KruskalWallisResult& r = run.Result;
    EXPECT_NEAR(7.2L, r.KW, 1e-15L);
    EXPECT_EQ(2, r.DF);
    EXPECT_EQ(NonparametricExactState::Exact, r.Exact.State);
    EXPECT_EQ(1680, r.Exact.Arrangements);
    EXPECT_NEAR(6.0L / 1680, r.P, 1e-18L);
    EXPECT_NEAR(std::exp(-3.6L), r.ApproximateP, 1e-6L);
    // Everything before the summary table, which the rank summary tests cover.
    ExpectLines(run.Text.substr(0, run.Text.find(UnderlineMarker + centred("Summary of Data", 65))),
                {"[u]" + centred("Kruskal-Wallis Test (Nonparametric ANOVA)", 65) + "[u]",
                 "",
                 "The P value is 0.0036, considered very significant.",
                 "Variation among column medians is significantly greater than expected",
                 "by chance.",
                 "",
                 "The P value is exactly correct (no approximations). ",
                 "",
                 "[u]Calculation detail[u]",
                 "",
                 "[b]                 Number     Sum     Mean  [b]",
                 "[b]                   of       of       of   [b]",
                 "[b]     Group       Points    Ranks    Ranks [b]",
                 "[b]===============  =======  =======  =======[b]",
                 "[b][b]              A        3    6.000    2.000",
                 "              B        3   15.000    5.000",
                 "              C        3   24.000    8.000",
                 "",
                 "Kruskal-Wallis Statistic KW = 7.200",
                 "",
                 "[u]Dunn's Multiple Comparisons Test[u]",
                 "",
                 "",
                 "[b]                                   Mean Rank [b]",
                 "[b]            Comparison             Difference   P value  [b]",
                 "[b]================================== ========== ===========[b]",
                 "[b][b]              A vs. B                  -3.000  ns  P>0.05",
                 "              A vs. C                  -6.000  *   P<0.05",
                 "              B vs. C                  -3.000  ns  P>0.05",
                 "",
                 ""});
}

TEST(KruskalWallis, UnequalGroupsMatchIndependentEnumeration) {
    const KW run = RunKW(Document({{12, 15, 19}, {21, 10, 30, 33}, {25, 40, 28, 41, 38}}));
    const KruskalWallisResult& r = run.Result;
    EXPECT_NEAR(5.803846153846154L, r.KW, 1e-14L);
    EXPECT_EQ(27720, r.Exact.Arrangements);
    EXPECT_NEAR(1140.0L / 27720, r.P, 1e-18L);
    EXPECT_NEAR(0.054917507850614L, r.ApproximateP, 1e-6L);
    EXPECT_EQ(9, r.Groups[0].RankSum);
    EXPECT_EQ(46, r.Groups[2].RankSum);

    // The dealing walk against a plain walk over permutations, for group
    // sizes in any order, singletons included.
    for (const std::vector<int>& sizes : {std::vector<int>{1, 1, 1, 1}, {3, 1, 2}, {2, 4, 1}, {5, 3}, {2, 2, 2, 2}}) {
        const int n = std::accumulate(sizes.begin(), sizes.end(), 0);
        // The most extreme deal (ranks in order) and two middling values.
        long double extreme = 0;
        for (int at = 0, g = 0; g < static_cast<int>(sizes.size()); at += sizes[g++])
            extreme += std::pow(sizes[g] * (2 * at + sizes[g] + 1) / 2.0L, 2) / sizes[g];
        for (const long double kw : {0.5L, 2.0L, 12 * extreme / (n * (n + 1)) - 3 * (n + 1)}) {
            const long double observed = (kw + 3 * n + 3) * n * (n + 1) / 12;
            const ExactPResult exact = KruskalWallisExactP(sizes, kw, 0.5L, nullptr);
            ASSERT_EQ(NonparametricExactState::Exact, exact.State);
            EXPECT_NEAR(PermutationP(sizes, observed), exact.P, 1e-15L) << sizes.size() << " groups, KW " << kw;
        }
    }
}

TEST(KruskalWallis, TiesUseCorrectedApproximateP) {
    const KW run = RunKW(Document({{1, 2, 2, 5}, {3, 4, 6}, {7, 8, 2.5L, 9}}));
    EXPECT_NEAR(5.076103500761035L, run.Result.KW, 1e-14L);
    EXPECT_EQ(6, run.Result.TieSum);
    EXPECT_EQ(NonparametricExactState::Ties, run.Result.Exact.State);
    EXPECT_NEAR(0.07902020099697961L, run.Result.P, 1e-6L);
    EXPECT_TRUE(run.Contains("at least one column has two or more identical values."));
    EXPECT_TRUE(run.Contains("Kruskal-Wallis Statistic KW = 5.076 (corrected for ties)"));

    // Equal mean ranks: KW is 0 and P is 1, not a rounding error below 0.
    const KW equal = RunKW(Document({{1, 2, 2, 3}, {3, 2, 2, 1}}));
    EXPECT_EQ(1, equal.Result.P);
}

TEST(KruskalWallis, FewPointsCanNeverBeSignificant) {
    const KW run = RunKW(Document({{3, 1}, {2, 4}}));
    EXPECT_NEAR(0.6L, run.Result.KW, 1e-15L);
    EXPECT_EQ(6, run.Result.Exact.Arrangements);
    EXPECT_NEAR(4.0L / 6, run.Result.P, 1e-18L);
    EXPECT_TRUE(run.Contains("Regardless of what data you enter, it is impossible for this test to"));
    EXPECT_TRUE(run.Contains("yield P < 0.05 with so few data points."));
}

TEST(KruskalWallis, DataThatCannotBeTested) {
    EXPECT_EQ(11, RunKW(Document({})).Code);
    EXPECT_EQ(11, RunKW(Document({{1, 2, 3}})).Code) << "one group has nothing to compare with";

    const KW tied = RunKW(Document({{4, 4}, {4, 4, 4}}));
    EXPECT_EQ(0, tied.Code) << "identical values end in a message, not a fault";
    EXPECT_TRUE(tied.Result.AllTied);
    EXPECT_TRUE(tied.Contains("Every value is the same, so the ranks cannot differ among the"));
}

TEST(KruskalWallis, DunnComparesOnlyTheFlaggedPairs) {
    const std::array<bool, SelectedPairCount> flags = PairFlagsWithControl(3, 2);
    EXPECT_TRUE(flags[PairIndex(0, 2, 3)] && flags[PairIndex(1, 2, 3)]);
    EXPECT_FALSE(flags[PairIndex(0, 1, 3)]);

    const KW run = RunKW(Document({{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}), 0, flags, true);
    ASSERT_TRUE(run.Result.Dunn);
    ASSERT_EQ(2, run.Result.Dunn->Comparisons);
    EXPECT_EQ(0, run.Result.Dunn->Pairs[0].First);
    EXPECT_EQ(1, run.Result.Dunn->Pairs[1].First);
    // SE = sqrt(N(N² − 1)(1/3 + 1/3)/(12(N − 1))) = sqrt(5).
    EXPECT_NEAR(std::sqrt(5.0L), run.Result.Dunn->Pairs[0].SE, 1e-15L);
}

TEST(KruskalWallis, LongEnumerationGivesUpOrIsCancelled) {
    // Three single values beside a large group: too many states for the
    // counting table, so the deals are walked.
    std::vector<long double> rest;
    for (int v = 4; v <= 1000; ++v) rest.push_back(v);
    const DataDocument big = Document({{1}, {2}, {3}, rest});
    RacingClock clock;
    CalculationProgress progress(clock);
    const KW tooLong = RunKW(big, 0, {}, false, &progress);
    EXPECT_EQ(NonparametricExactState::TooLong, tooLong.Result.Exact.State);
    EXPECT_LT(tooLong.Result.Exact.Counted, 100000) << "the 1000·999·998 deals were not all walked";
    EXPECT_EQ(tooLong.Result.ApproximateP, tooLong.Result.P);
    EXPECT_TRUE(tooLong.Contains("exact calculations would have taken too long."));
    EXPECT_FALSE(progress.Status().CancelVisible) << "the enumeration's bracket was closed";

    CalculationProgress cancelling(clock, ProgressHooks{[&] { cancelling.RequestCancel(); }, nullptr, nullptr, nullptr});
    const KW cancelled = RunKW(big, 0, {}, false, &cancelling);
    EXPECT_EQ(NonparametricExactState::Interrupted, cancelled.Result.Exact.State);
    EXPECT_TRUE(cancelled.Contains("you interrupted the exact computations."));

    // Beyond the limit nothing is walked.
    const ExactPResult many = KruskalWallisExactP(std::vector<std::int32_t>{10, 10, 10}, 1, 0.5L, nullptr);
    EXPECT_EQ(NonparametricExactState::TooLong, many.State);
    EXPECT_EQ(0, many.Counted);
    EXPECT_EQ(NonparametricExactState::TooLong,
              KruskalWallisExactP(std::vector<std::int32_t>{2500, 2500}, 1, 0.5L, nullptr).State);
    // Past the prime table of binomial_coefficient a count can still be small.
    const ExactPResult lopsided = KruskalWallisExactP(std::vector<std::int32_t>{2500, 1}, 1, 0.5L, nullptr);
    EXPECT_EQ(NonparametricExactState::Exact, lopsided.State);
    EXPECT_EQ(2501, lopsided.Arrangements);
}

TEST(Friedman, ThreeColumnsTwoRowsAreExact) {
    const Fr run = RunFr(Matched({{1, 2, 3}, {1, 3, 2}}));
    ASSERT_EQ(0, run.Code);
    EXPECT_EQ(3, run.Result.Fr);
    EXPECT_EQ(36, run.Result.Exact.Arrangements);
    EXPECT_EQ(0.5L, run.Result.P);
    EXPECT_NEAR(0.22313016014842982L, run.Result.ApproximateP, 1e-6L);
    EXPECT_TRUE(run.Contains("The P value is exactly correct (no approximations). "));
    EXPECT_FALSE(run.Contains("yield P < 0.05 with so few data points."));
    EXPECT_TRUE(run.Contains("Number of Rows = 2"));
    EXPECT_TRUE(run.Contains("Number of Columns = 3"));
    EXPECT_TRUE(run.Contains("Friedman Statistic Fr = 3.000"));

    const Fr tied = RunFr(Matched({{1, 2, 2}, {1, 3, 2}}));
    EXPECT_EQ(NonparametricExactState::Ties, tied.Result.Exact.State);
    EXPECT_TRUE(tied.Contains("at least one row has two or more identical values."));
    EXPECT_TRUE(tied.Contains("The data contain ties, however, this post test does not correct for ties."));
}

TEST(Friedman, StatisticsMatchIndependentEnumeration) {
    const Fr run = RunFr(Matched({{10, 20, 30}, {12, 25, 18}, {11, 19, 31}, {9, 22, 35}}), NonparametricPostTest::Dunn,
                         2);
    EXPECT_EQ(6.5L, run.Result.Fr);
    EXPECT_NEAR(54.0L / 1296, run.Result.P, 1e-18L);
    ASSERT_TRUE(run.Result.Dunn) << "P <= 0.05 runs the post test";
    // z of one-tailed P 0.05/6 is 2.39398; inverse_z finds it to about 1e-3.
    EXPECT_NEAR(std::sqrt(8.0L) * 2.39398L, run.Result.Dunn->Critical, 0.005L);
    EXPECT_TRUE(run.Contains("[u]Dunn's Multiple Comparisons Test[u]"));
    EXPECT_TRUE(run.Contains("              A vs. C                  -7.000  *   P<0.05"));

    const FriedmanResult four = RunFr(Matched({{5.1L, 4.2L, 6.3L, 5.9L}, {4.8L, 4.1L, 6.0L, 5.2L},
                                               {5.5L, 4.9L, 6.8L, 6.1L}})).Result;
    EXPECT_EQ(9, four.Fr);
    EXPECT_NEAR(24.0L / 13824, four.P, 1e-18L);

    const FriedmanResult tied = RunFr(Matched({{10, 20, 20}, {12, 25, 18}, {11, 19, 31}, {9, 22, 35}})).Result;
    EXPECT_NEAR(6.533333333333333L, tied.Fr, 1e-14L);
    EXPECT_EQ(18, tied.TieSum);
    EXPECT_NEAR(0.038133326547045196L, tied.P, 1e-6L);

    // Every composition's weight adds up to (k!)^n.
    EXPECT_EQ(24 * 24 * 24, FriedmanExactP(3, 4, 0, 1, nullptr).Counted);
}

TEST(Friedman, ControlComparisonsFollowTheColumnMeans) {
    const Fr run = RunFr(Matched({{5.1L, 4.2L, 6.3L, 5.9L}, {4.8L, 4.1L, 6.0L, 5.2L}, {5.5L, 4.9L, 6.8L, 6.1L}}),
                         NonparametricPostTest::ControlComparisons, 0, 1);
    ASSERT_TRUE(run.Result.Control);
    const ControlComparisonsResult& c = *run.Result.Control;
    EXPECT_EQ(2.35L, c.Q05);
    ASSERT_EQ(3u, c.Pairs.size());
    // Means: B 4.40 < A 5.13 < D 5.73 < C 6.37; rank sums A 6, B 3, C 12, D 9.
    EXPECT_EQ(0, c.Pairs[0].Other);
    EXPECT_EQ(3, c.Pairs[1].Other);
    EXPECT_EQ(2, c.Pairs[2].Other);
    EXPECT_EQ(-9, c.Pairs[2].Difference);
    EXPECT_EQ(0.05L, c.Pairs[2].P) << "|−9| >= sqrt(10)·2.35";
    EXPECT_TRUE(run.Contains("[u]Nonparametric Multiple Comparisons Test with Control Group[u]"));
    EXPECT_TRUE(run.Contains("If the value of q is greater than 2.350 then the P value is less"));

    EXPECT_NEAR(2.79L, ControlComparisonCritical(13, true, 0.05L), 1e-15L);
    EXPECT_NEAR(2.99L, ControlComparisonCritical(25, true, 0.05L), 1e-15L);
    EXPECT_EQ(2.33L, ControlComparisonCritical(1, false, 0.01L));
}

TEST(Friedman, DataThatCannotBeTestedExactly) {
    const Fr seven = RunFr(Matched({{1, 2, 3, 4, 5, 6, 7}, {7, 6, 5, 4, 3, 2, 1}}));
    EXPECT_EQ(NonparametricExactState::TooLong, seven.Result.Exact.State);
    EXPECT_TRUE(seven.Contains("exact calculations would have taken too long."));

    const Fr skipped = RunFr(Matched({{1, 2, 3}, {1, 3, 2}}), NonparametricPostTest::Dunn, 2);
    EXPECT_FALSE(skipped.Result.Dunn);
    EXPECT_TRUE(skipped.Contains("[b]Post tests were not calculated because the P value was greater[b]"));

    const Fr tied = RunFr(Matched({{1, 1, 1}, {5, 5, 5}}));
    EXPECT_EQ(0, tied.Code) << "rows of equal values end in a message, not a fault";
    EXPECT_TRUE(tied.Result.AllTied);

    EXPECT_EQ(15, RunFr(Matched({{1, 2, 3}, {1, Missing, 2}})).Code);
    EXPECT_EQ(11, RunFr(Matched({{1, 2, 3}})).Code);

    RacingClock clock;
    CalculationProgress cancelling(clock, ProgressHooks{[&] { cancelling.RequestCancel(); }, nullptr, nullptr, nullptr});
    const Fr cancelled = RunFr(Matched({{1, 2, 3, 4, 5, 6}, {2, 1, 3, 4, 6, 5}, {6, 5, 4, 3, 2, 1}}),
                               NonparametricPostTest::None, 0, 0, &cancelling);
    EXPECT_EQ(NonparametricExactState::Interrupted, cancelled.Result.Exact.State);
}
