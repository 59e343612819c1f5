// Reference values (T+, T−, U, rank sums, tie terms, z and exact P) come from
// an independent brute-force script in exact rational arithmetic: average
// ranks by counting, every sign assignment or rank set listed one by one.
// Approximate P values are the tail of t with 5000 df (which is what z_prob
// takes a normal deviate as), from a continued fraction of the incomplete
// beta function.
#include "stats/rank_tests.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/column_stats.h"
#include "stats/rank_enumeration.h"
#include "workflow/calculation_progress.h"

using namespace vextal;

namespace {

using Values = std::vector<long double>;

DataDocument Document(const std::vector<Values>& columns) {
    DataDocument document = NewDocument();
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (std::size_t row = 0; row < columns[c].size(); ++row)
            SetValue(document.Table, static_cast<int>(row), static_cast<int>(c), columns[c][row]);
    ComputeColumnStats(document);
    document.Table.ColumnInfo[0].Title = "Before";
    document.Table.ColumnInfo[1].Title = "After";
    return document;
}

// Lines without the underline markers.
Lines Plain(const ReportWriter& report) {
    Lines lines = ShownLines(report.Text());
    for (std::string& line : lines)
        for (std::size_t at; (at = line.find("[u]")) != std::string::npos;)
            line.erase(at, 3);
    return lines;
}

bool Has(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool HasRegardless(const Lines& lines) {
    return Has(lines, "Regardless of what data you enter, it is impossible for this test to");
}

void ExpectStartsWith(const Lines& expected, const Lines& lines) {
    ASSERT_GT(lines.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(expected[i], lines[i]) << "line " << i + 1;
}

// The window-message hook moves the clock on at every progress call, and
// may press Cancel.
class SteppingClock : public Clock {
public:
    long long NowMs() const override { return now; }
    long long now = 1000000;
};

struct Progress {
    explicit Progress(bool cancel, long long stepMs = 1000)
        : progress(clock, ProgressHooks{[this, cancel, stepMs] {
                                            clock.now += stepMs;
                                            ++calls;
                                            if (cancel)
                                                progress.RequestCancel();
                                        },
                                        nullptr, nullptr, nullptr}) {
        progress.BeginCalculation();
    }
    SteppingClock clock;
    int calls = 0;
    CalculationProgress progress;
};

using Numbers = std::vector<long double>;
constexpr long double Tight = 1e-15L;

} // namespace

TEST(RankEnumeration, CountsMatchAListingOfEveryArrangement) {
    // {n, threshold, count} of sign assignments with a positive sum >= threshold.
    const int signs[][3] = {{0, 0, 1}, {1, 1, 1}, {5, 8, 16}, {10, 30, 433}, {12, 50, 868}, {12, 79, 0}};
    for (const auto& [n, threshold, count] : signs) {
        EXPECT_EQ(count, CountSignAssignmentsAtLeast(n, threshold, 7, {}).Count) << n << " " << threshold;
        EXPECT_EQ(std::int64_t{1} << n, CountSignAssignmentsAtLeast(n, threshold, 7, {}).Visited);
    }
    // {n, m, threshold, count, C(n, m)} of rank sets with a sum <= threshold.
    const int sets[][5] = {{1, 1, 1, 1, 1}, {5, 2, 5, 4, 10}, {12, 7, 40, 171, 792}, {14, 7, 45, 657, 3432}};
    for (const auto& [n, m, threshold, count, total] : sets) {
        const EnumerationCount walk = CountRankSetsAtMost(n, m, threshold, 3, {});
        EXPECT_EQ(count, walk.Count) << "n " << n << " m " << m;
        EXPECT_EQ(total, walk.Visited);
    }
}

TEST(SignedRankTest, OneTwoThreeFourIsOneSixteenthAndCannotBeSignificant) {
    DataDocument document = Document({{1, 2, 3, 4}});
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, WilcoxonSignedRankTest(document, 0, report, true, 0, nullptr, &outcome));
    EXPECT_EQ(662, document.ReportHelpTopic);
    const SignedRankResult& r = outcome.SignedRank;
    EXPECT_EQ((Numbers{10, 0, 4, 16, 1.0L / 16}),
              (Numbers{r.TPlus, r.TMinus, 1.0L * r.N, r.Arrangements, r.P}));
    EXPECT_NEAR(1.6431676725154982L, r.Z, Tight);
    ExpectStartsWith({"", "[u]                    Wilcoxon signed rank test                    [u]",
                      "[u][u]Does the median of Before differ significantly from 0.000? ", "",
                      "The two-tailed P value is 0.1250, considered not significant.", "", "",
                      "Regardless of what data you enter, it is impossible for this test to",
                      "yield P < 0.05 with so few data points.", "", "[u]Calculation details[u]",
                      "[u][u]Sum of all signed ranks (W) = 10.000", "Sum of positive ranks (T+) = 10.000",
                      "Sum of negative ranks (T-) = 0.000", "Number of pairs = 4",
                      "[u]                         Summary of Data                         [u]", "[u][u]",
                      "    Parameter:          Before"},
                     ShownLines(report.Text()));

    // One tail: 16 arrangements are still fewer than 20.
    report.restart_report();
    WilcoxonSignedRankTest(document, 0, report, false, 0, nullptr);
    EXPECT_TRUE(Has(Plain(report), "The one-tailed P value is 0.0625, considered not quite significant."));
    EXPECT_TRUE(HasRegardless(Plain(report)));
}

TEST(SignedRankTest, RealisticDataWithTiesAndZeros) {
    // Against a median of 5: one value equals it, |d| has two pairs of ties.
    DataDocument document = Document({{7.5, 3, 5, 8.25, 6.5, 2.5, 9.75, 7, 4.5, 6, 11, 5.75}});
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, WilcoxonSignedRankTest(document, 0, report, true, 5, nullptr, &outcome));
    const SignedRankResult& r = outcome.SignedRank;
    EXPECT_EQ((Numbers{11, 1, 52, -14, 38, 12, 104}),
              (Numbers{1.0L * r.N, 1.0L * r.Zeros, r.TPlus, r.TMinus, r.W, r.TieSum, r.Count}));
    EXPECT_NEAR(104.0L / 2048, r.P, Tight); // untied ranks 1..11 with a positive sum of 52 or more
    EXPECT_NEAR(1.6464783901129438L, r.Z, Tight);
    EXPECT_NEAR(0.049864075519799766L, r.ApproximateP, 1e-6L * r.ApproximateP);
    const Lines lines = Plain(report);
    for (const char* line :
         {"Does the median of Before differ significantly from 5.000? ",
          "The two-tailed P value is 0.1016, considered not significant.",
          "(P value may be inaccurate because of ties.)",
          "Sum of all signed ranks (W) = 38.000 (corrected for ties)", "Sum of negative ranks (T-) = -14.000",
          "Number of pairs = 11", "Note: 1 zero value was excluded from calculations."})
        EXPECT_TRUE(Has(lines, line)) << line;
    EXPECT_FALSE(HasRegardless(lines));

    DataDocument twoZeros = Document({{5, 5, 6, 7, 3}});
    report.restart_report();
    WilcoxonSignedRankTest(twoZeros, 0, report, true, 5, nullptr);
    EXPECT_TRUE(Has(Plain(report), "Note: 2 zero values were excluded from calculations."));
}

TEST(SignedRankTest, ThirtyDifferencesUseTheNormalApproximation) {
    Values values;
    for (int v = -5; v <= 25; ++v)
        if (v != 0)
            values.push_back(v);
    DataDocument document = Document({values});
    ReportWriter report;
    RankTestOutcome outcome;
    Progress progress(false);
    ASSERT_EQ(0, WilcoxonSignedRankTest(document, 0, report, true, 0, &progress.progress, &outcome));
    const SignedRankResult& r = outcome.SignedRank;
    EXPECT_EQ(RankExactState::TooLong, r.ExactState);
    EXPECT_EQ(0, progress.calls) << "no enumeration is started";
    EXPECT_EQ((Numbers{30, 437.5L, 30}), (Numbers{1.0L * r.N, r.TPlus, r.TieSum}));
    EXPECT_NEAR(4.206781593172236L, r.Z, 1e-14L);
    EXPECT_EQ(r.ApproximateP, r.P);
    EXPECT_TRUE(Has(Plain(report), "(The P value is an estimate based on a normal approximation.)"));
}

TEST(SignedRankTest, AStatisticAtTheCentreGivesAProbabilityNotAboveOne) {
    // T+ = |T−| = 5: the continuity correction must not push z past 0, and
    // the doubled exact tail (9/16) must not pass 1.
    DataDocument document = Document({{1, -2, -3, 4}});
    ReportWriter report;
    RankTestOutcome outcome;
    WilcoxonSignedRankTest(document, 0, report, true, 0, nullptr, &outcome);
    EXPECT_EQ((Numbers{0, 0.5L, 9.0L / 16, 1}),
              (Numbers{outcome.SignedRank.Z, outcome.SignedRank.ApproximateP, outcome.SignedRank.P,
                       outcome.ReportedP()}));
    EXPECT_TRUE(Has(Plain(report), "The two-tailed P value is > 0.9999, considered not significant."));
}

TEST(RankTestProgress, CountingFinishesBeforeACancelOrASlowClockCanStopIt) {
    // The counts take microseconds: the exact calculation is opened and
    // closed, and neither a cancel nor a slow clock gets a say.
    Values values;
    for (int v = 1; v <= 20; ++v)
        values.push_back(v % 3 == 0 ? -v : v);
    DataDocument document = Document({values});
    Progress cancel(true);
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, WilcoxonSignedRankTest(document, 0, report, true, 0, &cancel.progress, &outcome));
    EXPECT_EQ(RankExactState::Exact, outcome.SignedRank.ExactState);
    EXPECT_EQ(1048576, outcome.SignedRank.Visited);
    EXPECT_EQ(outcome.SignedRank.Count / outcome.SignedRank.Arrangements, outcome.SignedRank.P);
    EXPECT_FALSE(cancel.progress.Status().CancelVisible) << "the exact calculation was closed";

    Progress slow(false, 3000);
    WilcoxonSignedRankTest(document, 0, report, true, 0, &slow.progress, &outcome);
    EXPECT_EQ(RankExactState::Exact, outcome.SignedRank.ExactState);

    // Mann-Whitney, 12 + 12 untied values: 2,704,156 rank sets.
    Values a, b;
    for (int i = 0; i < 12; ++i) {
        a.push_back(2 * i + (i % 4 == 0 ? 1 : 0));
        b.push_back(2 * i + (i % 4 == 0 ? 0 : 1));
    }
    DataDocument columns = Document({a, b});
    Progress cancelSets(true);
    report.restart_report();
    ASSERT_EQ(0, MannWhitneyTest(columns, 0, 1, report, true, &cancelSets.progress, &outcome));
    EXPECT_EQ(RankExactState::Exact, outcome.MannWhitney.ExactState);
    EXPECT_EQ(2704156, outcome.MannWhitney.Visited);
    EXPECT_FALSE(cancelSets.progress.Status().CancelVisible);
    EXPECT_FALSE(Has(Plain(report), "The P value is an estimate based on a normal approximation."));
}

TEST(MatchedPairsTest, RealisticPairsWithAnEqualPair) {
    DataDocument document =
        Document({{12, 15, 9, 20, 14, 11, 18, 16, 13, 10}, {10, 16, 9, 15, 11, 12, 13, 12, 14, 7}});
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, WilcoxonMatchedPairsTest(document, 0, 1, report, true, nullptr, &outcome));
    EXPECT_EQ(658, document.ReportHelpTopic);
    const SignedRankResult& r = outcome.SignedRank;
    EXPECT_EQ((Numbers{9, 1, 39, -6, 36, 10}),
              (Numbers{1.0L * r.N, 1.0L * r.Zeros, r.TPlus, r.TMinus, r.TieSum, 1.0L * outcome.Pairs}));
    EXPECT_NEAR(14.0L / 512, r.P, Tight);
    EXPECT_NEAR(1.9055722693613237L, r.Z, Tight);
    EXPECT_NEAR(0.02838151088642273L, r.ApproximateP, 1e-6L * r.ApproximateP);
    EXPECT_NEAR(0.7416447632896788L, outcome.SpearmanR, Tight);

    const Lines lines = Plain(report);
    ExpectStartsWith({"            Wilcoxon matched-pairs signed-ranks test             ",
                      "Does the median of the differences between Before and After",
                      " differ signficantly from zero?", "",
                      "The two-tailed P value is 0.0547, considered not quite significant.", "", ""},
                     lines);
    for (const char* line :
         {"Sum of negative ranks (T-) = -6.000", "Note: 1 pair was excluded from calculations because both",
          "values were equal.", "Nonparametric Spearman correlation coefficient (r) = 0.7416",
          "columns.  With these data, the pairing (or matching) appears to be effective."})
        EXPECT_TRUE(Has(lines, line)) << line;
    EXPECT_NE(std::string::npos, lines.back().find("3.667")) << "the differences close the summary block";
}

TEST(MatchedPairsTest, PairingCheckWithNegativeOrUndefinedCorrelation) {
    DataDocument negative = Document({{1, 2, 3, 4}, {0, -2, -4, -6}});
    ReportWriter report;
    ASSERT_EQ(0, WilcoxonMatchedPairsTest(negative, 0, 1, report, false, nullptr));
    EXPECT_TRUE(Has(Plain(report), "yield P < 0.05 with so few data pairs."));
    EXPECT_TRUE(Has(Plain(report), "matching was NOT effective."));

    // Both columns vary, but the rows holding both values share one A value.
    DataDocument tied = Document({{1, 1, 2}, {3, 4}});
    report.restart_report();
    ASSERT_EQ(0, WilcoxonMatchedPairsTest(tied, 0, 1, report, true, nullptr));
    EXPECT_TRUE(Has(Plain(report), "Can't calculate r. One group has no variability."));
}

TEST(MannWhitneyTest, ThreeAgainstThreeHasTwentyArrangements) {
    DataDocument document = Document({{1, 2, 3}, {4, 5, 6}});
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, MannWhitneyTest(document, 0, 1, report, true, nullptr, &outcome));
    EXPECT_EQ(114, document.ReportHelpTopic);
    const MannWhitneyResult& r = outcome.MannWhitney;
    EXPECT_EQ((Numbers{0, 9, 20, 20, 1, 0.05L}),
              (Numbers{r.U, r.UPrime, r.Arrangements, 1.0L * r.Visited, 1.0L * r.Count, r.P}));
    ExpectStartsWith({"", "[u]                        Mann-Whitney Test                        [u]",
                      "[u][u]Do the medians of Before and After differ significantly?", "",
                      "The two-tailed P value is 0.1000, considered not significant.",
                      "The P value is exact.", "",
                      "Regardless of what data you enter, it is impossible for this test to",
                      "yield P < 0.05 with so few data points.", "", "[u]Calculation details[u]",
                      "[u][u]Mann-Whitney U-statistic = 0.000", "U' = 9.000",
                      "Sum of ranks in Before = 6.000.  Sum of ranks in After = 15.000. ", "",
                      "[u]                         Summary of Data                         [u]",
                      "[u][u]    Parameter:          Before           After"},
                     ShownLines(report.Text()));

    report.restart_report();
    MannWhitneyTest(document, 0, 1, report, false, nullptr);
    EXPECT_TRUE(Has(Plain(report), "The one-tailed P value is 0.0500, considered not quite significant."));
    EXPECT_FALSE(HasRegardless(Plain(report)));
}

TEST(MannWhitneyTest, RealisticUntiedColumns) {
    DataDocument document =
        Document({{3.1, 4.7, 2.2, 5.9, 3.8, 4.1, 6.3}, {5.2, 6.8, 7.4, 4.9, 8.1, 5.6, 7.7, 6.1, 9.0}});
    ReportWriter report;
    RankTestOutcome outcome;
    ASSERT_EQ(0, MannWhitneyTest(document, 0, 1, report, true, nullptr, &outcome));
    const MannWhitneyResult& r = outcome.MannWhitney;
    EXPECT_EQ((Numbers{56, 7, 56, 35, 101, 11440, 45}),
              (Numbers{r.UCount, r.U, r.UPrime, r.RankSumA, r.RankSumB, r.Arrangements, 1.0L * r.Count}));
    EXPECT_NEAR(45.0L / 11440, r.P, Tight);
    EXPECT_NEAR(2.540429395319823L, r.Z, 1e-14L);
    EXPECT_NEAR(0.0055508182864153L, r.ApproximateP, 1e-6L * r.ApproximateP);
    EXPECT_TRUE(Has(Plain(report), "The two-tailed P value is 0.0079, considered very significant."));
    EXPECT_TRUE(Has(Plain(report), "Sum of ranks in Before = 35.000.  Sum of ranks in After = 101.00. "));
}

TEST(MannWhitneyTest, ATieAcrossTheColumnsRulesOutTheExactMethod) {
    DataDocument document = Document({{1, 2, 3, 5}, {5, 6, 7, 8}});
    ReportWriter report;
    RankTestOutcome outcome;
    Progress progress(false);
    ASSERT_EQ(0, MannWhitneyTest(document, 0, 1, report, true, &progress.progress, &outcome));
    const MannWhitneyResult& r = outcome.MannWhitney;
    EXPECT_EQ(RankExactState::TiedRanks, r.ExactState);
    EXPECT_EQ(0, progress.calls);
    EXPECT_EQ((Numbers{3, 0.5L, 15.5L, 10.5L, 25.5L}),
              (Numbers{r.TieTerm, r.U, r.UPrime, r.RankSumA, r.RankSumB}));
    EXPECT_NEAR(2.0267669898480496L, r.Z, Tight);
    EXPECT_NEAR(0.02136960705497793L, r.ApproximateP, 1e-6L * r.ApproximateP);
    EXPECT_EQ(r.ApproximateP, r.P);
    const Lines lines = Plain(report);
    EXPECT_TRUE(Has(lines, "The P value is an estimate based on a normal approximation."));
    EXPECT_TRUE(Has(lines, "The 'exact' method would not be exact, due to tied ranks."));
    EXPECT_FALSE(HasRegardless(lines));
}

TEST(RankTestChecks, DataThatCannotBeTestedGiveTheirCodes) {
    ReportWriter report;
    DataDocument identical = Document({{1, 2, 3, 5}, {1, 2, 3, 5}});
    EXPECT_EQ(41, WilcoxonMatchedPairsTest(identical, 0, 1, report, true, nullptr));
    EXPECT_EQ(41, identical.CalcError);
    EXPECT_TRUE(Has(Plain(report), "Paired t test requires at least two distinct paired differences."));
    DataDocument onePair = Document({{1, 2, 3}, {4, MissingValue, MissingValue, 7, 8}});
    EXPECT_EQ(50, WilcoxonMatchedPairsTest(onePair, 0, 1, report, true, nullptr)) << "and not 41";

    DataDocument flat = Document({{2, 2, 2}, {1, 5, 9}});
    EXPECT_EQ(40, MannWhitneyTest(flat, 1, 0, report, true, nullptr));
    DataDocument single = Document({{2}, {1, 5, 9}});
    EXPECT_EQ(49, WilcoxonMatchedPairsTest(single, 1, 0, report, true, nullptr)) << "and not 40";

    DataDocument averaged = Document({{1, 2, 3}, {4, 5, 7}});
    averaged.State.Format = DataFormat::MeanSDN;
    EXPECT_EQ(42, WilcoxonSignedRankTest(averaged, 0, report, true, 0, nullptr));
    EXPECT_TRUE(Has(Plain(report), "Nonparametric tests require raw data exclusively.  No"));
    averaged.State.Format = DataFormat::MeanSEMN;
    EXPECT_EQ(42, MannWhitneyTest(averaged, 0, 1, report, true, nullptr));
    EXPECT_EQ(42, WilcoxonMatchedPairsTest(averaged, 0, 1, report, true, nullptr));
    averaged.State.Format = DataFormat::RawData;
    EXPECT_EQ(42, MannWhitneyTest(averaged, -1, 1, report, true, nullptr)) << "column -1 is averaged data";
    EXPECT_EQ(0, MannWhitneyTest(averaged, 0, 1, report, true, nullptr));
    EXPECT_EQ(0, averaged.CalcError) << "a run clears the code of the last one";
}
