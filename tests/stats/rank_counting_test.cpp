// The counting tables against the walks over every arrangement.
#include "stats/rank_counting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "stats/nonparametric_anova.h"
#include "stats/rank_enumeration.h"
#include "stats/spearman.h"
#include "stats/walked_exact_p.h"

namespace vextal {
namespace {

TEST(RankCounting, SubsetSumsMatchTheSignWalkForEverySizeAndThreshold) {
    for (int n = 0; n <= 14; ++n) {
        const int top = n * (n + 1) / 2;
        for (int threshold = -1; threshold <= top + 1; ++threshold)
            EXPECT_EQ(CountSignAssignmentsAtLeast(n, threshold, 1 << 30, {}).Count,
                      CountRankSubsetsAtLeast(n, threshold))
                << n << " " << threshold;
    }
    // The largest size with an exact P: the whole table adds to 2^29, and
    // the middle is symmetric.
    EXPECT_EQ(std::int64_t{1} << 29, CountRankSubsetsAtLeast(29, 0));
    EXPECT_EQ(CountRankSubsetsAtLeast(29, 218) , (std::int64_t{1} << 29) - CountRankSubsetsAtLeast(29, 218));
}

TEST(RankCounting, GaussianBinomialMatchesTheRankSetWalk) {
    for (int n = 0; n <= 16; ++n)
        for (int m = 0; m <= n; ++m) {
            const int lowest = m * (m + 1) / 2;
            const int highest = lowest + m * (n - m);
            for (int threshold = lowest - 1; threshold <= highest + 1; ++threshold)
                ASSERT_EQ(CountRankSetsAtMost(n, m, threshold, 1 << 30, {}).Count,
                          CountRankSetsAtMostFast(n, m, threshold))
                    << n << " " << m << " " << threshold;
        }
    // Lopsided sizes, where the shorter product must be used: C(2000, 1998).
    EXPECT_EQ(1999000, CountRankSetsAtMostFast(2000, 1998, 1 << 30));
    EXPECT_EQ(1, CountRankSetsAtMostFast(2000, 1998, 1998 * 1999 / 2));
    // Under the largest exact size the counts still add to C(n, m).
    const std::vector<std::uint64_t> counts = RankSetSumCounts(34, 16);
    EXPECT_EQ(2203961430ULL, std::accumulate(counts.begin(), counts.end(), std::uint64_t{0}));
}

TEST(RankCounting, PermutationTableMatchesTheAssignmentWalk) {
    for (int n = 0; n <= 8; ++n) {
        const std::int64_t top = (static_cast<std::int64_t>(n) * n * n - n) / 3;
        for (std::int64_t dHigh = -1; dHigh <= top + 2; ++dHigh) {
            std::int64_t walked = 0;
            const std::int64_t expected = CountRankAssignmentsAtLeast(n, dHigh, nullptr, walked);
            const RankCount counted = CountPermutationsAtLeast(n, dHigh, {});
            ASSERT_TRUE(counted.Done);
            EXPECT_EQ(expected, static_cast<std::int64_t>(counted.Extreme)) << n << " " << dHigh;
            EXPECT_EQ(walked, static_cast<std::int64_t>(counted.Total));
        }
    }
    // A stop at the first step is reported as such.
    const RankCount stopped = CountPermutationsAtLeast(12, 100, [](long double) { return false; });
    EXPECT_FALSE(stopped.Done);
    EXPECT_TRUE(stopped.Stopped);
}

// KW of a deal of the ranks: groups[i] holds group i's ranks.
long double DealKW(const std::vector<std::vector<int>>& groups, int total) {
    long double sum = 0;
    for (const std::vector<int>& g : groups) {
        const long double r = std::accumulate(g.begin(), g.end(), 0);
        sum += r * r / static_cast<long double>(g.size());
    }
    const long double N = total;
    return 12 / (N * (N + 1)) * sum - 3 * (N + 1);
}

TEST(RankCounting, KruskalWallisCountsMatchTheDealingWalk) {
    // Shapes with two, three and four groups, equal sizes among them, and
    // random deals: the observed statistic is a value the table itself
    // reaches, so the comparison at the threshold is exercised every time.
    const std::vector<std::vector<std::int32_t>> shapes = {
        {1, 1},    {2, 5},    {4, 4},       {1, 1, 1},    {1, 2, 3},    {2, 2, 2},
        {3, 3, 4}, {2, 3, 4}, {1, 1, 2, 2}, {2, 2, 2, 2}, {1, 2, 2, 3}, {5, 6},
        {1, 1, 2, 2, 3}, {2, 2, 2, 2, 2}, {1, 1, 1, 1, 2, 3}, {1, 1, 1, 1, 1, 1, 1, 4},
    };
    std::mt19937 random(20240611);
    for (const std::vector<std::int32_t>& sizes : shapes) {
        const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
        std::vector<int> ranks(static_cast<std::size_t>(total));
        std::iota(ranks.begin(), ranks.end(), 1);
        for (int trial = 0; trial < 6; ++trial) {
            std::shuffle(ranks.begin(), ranks.end(), random);
            std::vector<std::vector<int>> groups;
            auto at = ranks.begin();
            for (const std::int32_t n : sizes) {
                groups.emplace_back(at, at + n);
                at += n;
            }
            const long double kw = DealKW(groups, total);
            const ExactPResult counted = KruskalWallisExactP(sizes, kw, 0.5L, nullptr);
            const ExactPResult walked = KruskalWallisWalkedP(sizes, kw, 0.5L, nullptr);
            ASSERT_EQ(NonparametricExactState::Exact, counted.State);
            EXPECT_EQ(walked.Counted, counted.Counted);
            EXPECT_EQ(walked.Extreme, counted.Extreme) << sizes.size() << " groups, N " << total;
            EXPECT_EQ(walked.P, counted.P);
        }
    }
}

TEST(RankCounting, KruskalWallisTableGivesWayWhenItWouldGrowTooLarge) {
    const std::vector<std::int32_t> sizes = {1, 1, 200};
    const RankCount limited = CountDealsAtLeast(sizes, 0, {}, 100, 1 << 30);
    EXPECT_FALSE(limited.Done);
    EXPECT_FALSE(limited.Stopped);
    const RankCount full = CountDealsAtLeast(sizes, 0, {}, 1 << 20, 1 << 30);
    ASSERT_TRUE(full.Done);
    EXPECT_EQ(202u * 201u, full.Total);
    EXPECT_EQ(full.Total, full.Extreme);
    // Every deal of (1, 1, 1) has Σ R² = 14: nothing beyond it.
    const std::vector<std::int32_t> singles = {1, 1, 1};
    EXPECT_EQ(6u, CountDealsAtLeast(singles, 14 - 1e-8L, {}, 100, 100).Extreme);
    EXPECT_EQ(0u, CountDealsAtLeast(singles, 14 + 1e-8L, {}, 100, 100).Extreme);
}

TEST(RankCounting, KruskalWallisDenseAndHashedTablesAgree) {
    // A small state allowance leaves the dense table no room, so the hashed
    // table (equal groups kept in sorted order) does the counting. The
    // expected counts come from a separate table with exact fractions.
    const std::vector<std::int32_t> sizes = {2, 2, 2, 3, 3};
    const std::pair<long double, std::uint64_t> expected[] = {
        {0, 1663200}, {520, 1550100}, {540, 1180332}, {560, 766224}, {580, 394644}, {600, 150828}, {620, 32112}};
    for (const auto& [threshold, count] : expected) {
        const RankCount dense = CountDealsAtLeast(sizes, threshold, {}, 1 << 20, 1 << 30);
        const RankCount hashed = CountDealsAtLeast(sizes, threshold, {}, 100000, 1 << 30);
        ASSERT_TRUE(dense.Done);
        ASSERT_TRUE(hashed.Done);
        EXPECT_EQ(1663200u, dense.Total);
        EXPECT_EQ(dense.Total, hashed.Total);
        EXPECT_EQ(count, dense.Extreme) << threshold;
        EXPECT_EQ(count, hashed.Extreme) << threshold;
    }
    // Either table stops when told to.
    const CountingStep stop = [](long double) { return false; };
    for (const std::int64_t maxStates : {std::int64_t{1} << 20, std::int64_t{100000}}) {
        const RankCount stopped = CountDealsAtLeast(sizes, 0, stop, maxStates, 1 << 30);
        EXPECT_TRUE(stopped.Stopped);
        EXPECT_FALSE(stopped.Done);
    }
    // Five groups of two: the largest Σ R²/n, 382.5, takes the pairs (1, 2),
    // (3, 4), ... in any of the 5! orders of the groups.
    const std::vector<std::int32_t> pairs = {2, 2, 2, 2, 2};
    EXPECT_EQ(120u, CountDealsAtLeast(pairs, 382.5L - 1e-8L, {}, 1 << 20, 1 << 30).Extreme);
    EXPECT_EQ(0u, CountDealsAtLeast(pairs, 382.5L + 1e-8L, {}, 1 << 20, 1 << 30).Extreme);
}

TEST(RankCounting, KruskalWallisCountsBeyondThirtyTwoBits) {
    // 40!/(5!·5!·30!) deals, more than a 32-bit entry holds; the counts at
    // and above the thresholds come from a separate table over the ranks,
    // with Σ R²/n kept as exact fractions. The largest value is 19872.5
    // ({1..5} and {36..40} in the small groups among others).
    const std::vector<std::int32_t> sizes = {5, 5, 30};
    const std::pair<long double, std::uint64_t> expected[] = {
        {0, 213610453056ULL}, {17000, 109872419452ULL}, {18000, 1659832708ULL}, {19872.5L - 1e-8L, 6}, {19872.5L + 1e-8L, 0}};
    for (const auto& [threshold, count] : expected) {
        const RankCount counted = CountDealsAtLeast(sizes, threshold, {}, 1 << 20, 1 << 30);
        ASSERT_TRUE(counted.Done);
        EXPECT_EQ(213610453056ULL, counted.Total);
        EXPECT_EQ(count, counted.Extreme) << threshold;
    }
}

TEST(RankCounting, FriedmanCountsMatchTheRowWalk) {
    const std::vector<std::pair<int, int>> shapes = {{1, 2}, {2, 2}, {9, 2}, {2, 3}, {5, 3},
                                                     {3, 4}, {2, 5}, {1, 6}, {2, 6}};
    std::mt19937 random(7);
    for (const auto& [rows, columns] : shapes) {
        for (int trial = 0; trial < 4; ++trial) {
            std::vector<long double> sums(static_cast<std::size_t>(columns), 0);
            std::vector<int> order(static_cast<std::size_t>(columns));
            for (int row = 0; row < rows; ++row) {
                std::iota(order.begin(), order.end(), 1);
                std::shuffle(order.begin(), order.end(), random);
                for (int c = 0; c < columns; ++c) sums[static_cast<std::size_t>(c)] += order[static_cast<std::size_t>(c)];
            }
            long double square = 0;
            for (const long double r : sums) square += r * r;
            const long double n = rows;
            const long double k = columns;
            const long double fr = 12 * square / (n * k * (k + 1)) - 3 * n * (k + 1);
            const ExactPResult counted = FriedmanExactP(rows, columns, fr, 0.5L, nullptr);
            const ExactPResult walked = FriedmanWalkedP(rows, columns, fr, 0.5L, nullptr);
            ASSERT_EQ(NonparametricExactState::Exact, counted.State);
            EXPECT_EQ(walked.Counted, counted.Counted);
            EXPECT_EQ(walked.Extreme, counted.Extreme) << rows << " x " << columns;
            EXPECT_EQ(walked.P, counted.P);
        }
    }
}

} // namespace
} // namespace vextal
