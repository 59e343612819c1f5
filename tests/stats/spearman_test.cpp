// Reference values (rs, exact and approximate P, limits) come from an
// independent script: rs as the Pearson correlation of average ranks, the
// exact P by brute force over all permutations, the t tail by a continued
// fraction to 1e-16. The limits use the normal quantile of the program's own
// bisection search (1.96045, not 1.95996), reproduced step by step.
#include "stats/spearman.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <string>
#include <vector>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/ranks.h"
#include "workflow/calculation_progress.h"

using namespace vextal;

namespace {

// The report's lines, style markers removed.
std::vector<std::string> Lines(const std::string& text) {
    std::string plain;
    for (char c : text)
        if (c != UnderlineMarker && c != BoldMarker)
            plain += c;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = plain.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(plain.substr(start, end - start));
    lines.push_back(plain.substr(start));
    return lines;
}

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct Outcome {
    int code;
    std::vector<std::string> lines;
    int helpTopic;
};

// X in column A, each of `ys` in the next columns.
Outcome Analyse(const std::vector<long double>& x, const std::vector<std::vector<long double>>& ys,
                CalculationProgress* progress = nullptr) {
    DataDocument document = NewDocument();
    for (std::size_t row = 0; row < x.size(); ++row) {
        SetValue(document.Table, static_cast<int>(row), 0, x[row]);
        for (std::size_t c = 0; c < ys.size(); ++c)
            SetValue(document.Table, static_cast<int>(row), static_cast<int>(c) + 1, ys[c][row]);
    }
    ReportWriter report;
    const int code = SpearmanCorrelation(document, report, progress);
    EXPECT_EQ(code, document.CalcError);
    return {code, Lines(report.Text()), document.ReportHelpTopic};
}

std::vector<long double> Iota(int n, int step = 1) {
    std::vector<long double> v;
    for (int i = 0; i < n; ++i)
        v.push_back(1 + i * step);
    return v;
}

// A clock that moves on by a fixed step at every reading.
struct SteppingClock : Clock {
    explicit SteppingClock(long long s) : step(s) {}
    long long NowMs() const override { return now += step; }
    long long step;
    mutable long long now = 0;
};

// The user presses Cancel as soon as the first progress call lets window
// messages through.
struct CancellingProgress {
    SteppingClock clock{600};
    CalculationProgress progress{clock, ProgressHooks{[this] { progress.RequestCancel(); }, {}, {}, {}}};
};

const std::string TestHeading = "Test: Is r significantly different than zero?";
const std::string Interrupted = "The P value is approximate because exact calculations were interrupted.";
const std::string TooLong = "The P value is approximate because exact calculations would have taken";

} // namespace

TEST(SpearmanStatistic, MatchesIndependentReference) {
    const std::vector<long double> x{1.2, 2.5, 3.1, 4.8, 5.0, 6.7, 7.3};
    const std::vector<long double> y{2.0, 1.5, 4.2, 3.9, 6.1, 5.5, 8.8};
    const SpearmanStatistic s = SpearmanRankCorrelation(x, y);
    EXPECT_EQ(7, s.N);
    EXPECT_NEAR(0.8928571429L, s.Rs, 1e-9L);
    EXPECT_NEAR(0.00680719L, s.ApproximateP, 1e-6L);
    const SpearmanExactResult exact = SpearmanExactP(7, s.ApproximateP, s.Rs, nullptr);
    EXPECT_EQ(SpearmanExactState::Exact, exact.State);
    EXPECT_EQ(106, exact.DHigh);
    EXPECT_EQ(31, exact.Count);
    EXPECT_NEAR(0.01230159L, exact.P, 1e-8L);

    EXPECT_EQ(47, SpearmanRankCorrelation({}, y).Code);
    // Perfect negative correlation: no division by zero, P = 0.
    const SpearmanStatistic reversed = SpearmanRankCorrelation(Iota(5), Iota(5, -1));
    EXPECT_EQ(-1, reversed.Rs);
    EXPECT_EQ(0, reversed.ApproximateP);
    // rs = 0 counts the central ΣD² in both tails: 2 · 13/24 is capped at 1.
    EXPECT_EQ(13, SpearmanExactP(4, 0.5L, 0, nullptr).Count);
    EXPECT_EQ(1, SpearmanExactP(4, 0.5L, 0, nullptr).P);
}

TEST(SpearmanStatistic, AverageRanksAndTieSum) {
    const Ranking r = AverageRanks(std::vector<long double>{3, 1, 4, 1, 5, 9, 2, 6, 5, 5});
    EXPECT_EQ((std::vector<long double>{4, 1.5, 5, 1.5, 7, 10, 3, 9, 7, 7}), r.Ranks);
    EXPECT_EQ(0.5L + 2.0L, r.TieSum);      // a pair (8 − 2)/12 and a triple (27 − 3)/12
    const long double nan = std::nanl(""); // sorts last, so the sort stays well defined
    EXPECT_EQ((std::vector<long double>{3.5L, 2, 3.5L, 1}),
              AverageRanks(std::vector<long double>{nan, 2, nan, 1}).Ranks);
}

TEST(SpearmanExact, WalkCountsLikeABruteForce) {
    for (int n = 1; n <= 7; ++n) {
        std::vector<int> perm(static_cast<std::size_t>(n));
        std::iota(perm.begin(), perm.end(), 0);
        std::vector<std::int64_t> byD(static_cast<std::size_t>(n * n * n) + 1, 0);
        do {
            int d = 0;
            for (int i = 0; i < n; ++i)
                d += (perm[i] - i) * (perm[i] - i);
            ++byD[static_cast<std::size_t>(d)];
        } while (std::next_permutation(perm.begin(), perm.end()));
        std::int64_t atLeast = 0, walked = 0;
        for (int dHigh = static_cast<int>(byD.size()) - 1; dHigh >= 0; --dHigh) {
            atLeast += byD[static_cast<std::size_t>(dHigh)];
            EXPECT_EQ(atLeast, CountRankAssignmentsAtLeast(n, dHigh, nullptr, walked)) << n << " " << dHigh;
        }
        EXPECT_EQ(atLeast, walked);
    }
}

TEST(SpearmanReport, FourPerfectPairsGiveTheExactPAndTheSmallSampleWarning) {
    const Outcome run = Analyse({1, 2, 3, 4}, {{10, 20, 30, 40}});
    EXPECT_EQ(0, run.code);
    EXPECT_EQ(SpearmanHelpTopic, run.helpTopic);
    // clang-format off
    const std::vector<std::string> expected{
        std::string(20, ' ') + "Spearman Rank Correlation" + std::string(20, ' '), "", "", "Number of points = 4", "",
        "Spearman r = 1.000", "", "", "", "", TestHeading, "",
        "The two-tailed P value is 0.0833, considered not quite significant.",
        "Regardless of what data you enter, it is impossible for this test to",
        "yield P < 0.05 with so few data points.", ""};
    // clang-format on
    EXPECT_EQ(expected, run.lines);
}

TEST(SpearmanReport, ExactPValuesOfRealisticData) {
    // Ties in X only.
    const Outcome ties = Analyse({1, 2, 2, 3, 4, 4, 4, 5}, {{1.1, 2.7, 2.2, 3.5, 3.3, 5.1, 4.4, 4.9}});
    EXPECT_TRUE(Has(ties.lines, "Spearman r = 0.8716 (corrected for ties)"));
    EXPECT_TRUE(Has(ties.lines, "The two-tailed P value is 0.0072, considered very significant."));
    EXPECT_TRUE(Has(ties.lines, "The P value may be inaccurate because of ties."));

    // Two Y columns: a row gives one pair per Y, all with the row's X.
    const long double none = MissingValue;
    const Outcome reps = Analyse(Iota(5), {{2.0, 3.5, 3.0, 6.0, 5.5}, {1.0, 4.0, none, 7.0, 6.5}});
    EXPECT_TRUE(Has(reps.lines, "Number of points = 9"));
    EXPECT_TRUE(Has(reps.lines, "Spearman r = 0.8306 (corrected for ties)"));
    EXPECT_TRUE(Has(reps.lines, "The two-tailed P value is 0.0083, considered very significant."));
}

TEST(SpearmanReport, ThirteenPairsAreApproximate) {
    const Outcome run = Analyse({3.1, 4.7, 2.2, 8.9, 5.5, 6.1, 7.7, 1.4, 9.3, 6.6, 2.9, 8.1, 5.0},
                                {{14, 11, 9, 22, 19, 12, 18, 15, 17, 25, 10, 13, 24}});
    EXPECT_TRUE(Has(run.lines, "Spearman r = 0.4890"));
    EXPECT_TRUE(Has(run.lines, "95% confidence interval: -0.1031 to 0.8252"));
    EXPECT_TRUE(Has(run.lines, "The two-tailed P value is 0.0899, considered not quite significant."));
    EXPECT_TRUE(Has(run.lines, TooLong));

    // A perfect negative correlation is reported, not turned into "Divide by zero".
    const Outcome reversed = Analyse(Iota(13), {Iota(13, -1)});
    EXPECT_EQ(0, reversed.code);
    EXPECT_TRUE(Has(reversed.lines, "Spearman r = -1.000"));
    EXPECT_TRUE(Has(reversed.lines, "95% confidence interval: -1.000 to -1.000"));
    EXPECT_TRUE(Has(reversed.lines, "The two-tailed P value is < 0.0001, considered extremely significant."));
}

TEST(SpearmanReport, StoppedEnumerations) {
    // Twelve pairs, cancelled at the first progress call: the test section
    // stays (N > 10) with the approximate P.
    CancellingProgress cancelled;
    const Outcome twelve = Analyse(Iota(12), {{2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 12, 11}}, &cancelled.progress);
    EXPECT_EQ(0, twelve.code);
    EXPECT_TRUE(Has(twelve.lines, "Spearman r = 0.9580"));
    EXPECT_TRUE(Has(twelve.lines, "95% confidence interval: 0.8479 to 0.9889"));
    EXPECT_TRUE(Has(twelve.lines, "The two-tailed P value is < 0.0001, considered extremely significant."));
    EXPECT_TRUE(Has(twelve.lines, Interrupted));
    EXPECT_FALSE(cancelled.progress.Status().CancelVisible) << "the enumeration is closed";

    const SpearmanExactResult exact = SpearmanExactP(12, 0.5L, 0.5L, &cancelled.progress);
    EXPECT_EQ(SpearmanExactState::Interrupted, exact.State);
    EXPECT_EQ(0, exact.Assignments);

    // A very slow machine: 6 % done after 60 s is far beyond ten minutes.
    SteppingClock slow(60000);
    CalculationProgress progress(slow);
    const Outcome tooLong = Analyse(Iota(12), {{2, 1, 4, 3, 6, 5, 8, 7, 10, 9, 12, 11}}, &progress);
    EXPECT_TRUE(Has(tooLong.lines, TooLong));

    // Eight pairs are counted before any progress report is due.
    CancellingProgress stopped;
    const Outcome eight = Analyse(Iota(8), {{2, 1, 4, 3, 6, 5, 8, 7}}, &stopped.progress);
    EXPECT_TRUE(Has(eight.lines, TestHeading));
    EXPECT_FALSE(Has(eight.lines, Interrupted));
}

TEST(SpearmanReport, DataChecks) {
    const long double none = MissingValue;
    EXPECT_EQ(47, Analyse({1, 2, 3}, {{none, none, none}}).code);
    EXPECT_EQ(47, Analyse({none, none}, {{1, 2}}).code);
    const Outcome allX = Analyse({5, 5, 5}, {{1, 2, 3}});
    EXPECT_EQ(37, allX.code);
    EXPECT_EQ((std::vector<std::string>{"", std::string(CalcErrorMessage(37)[0]), "", ""}), allX.lines);
    EXPECT_EQ(38, Analyse({1, 2, 3}, {{4, 4, 4}}).code);
    EXPECT_EQ(37, Analyse({7}, {{1}}).code) << "a single pair has nothing to rank";
}
