// The counting tables against the walks over every arrangement, and the
// ways of counting Kruskal-Wallis deals against each other.
#include "stats/rank_counting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

#include "stats/deal_search.h"
#include "stats/deal_split.h"
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

// Σ R²·(L/n) of every deal of the ranks 1..N into the groups, L the least
// common multiple of the sizes, by walking the deals.
std::vector<std::int64_t> EveryDealStatistic(const std::vector<std::int32_t>& sizes, std::int64_t lcm) {
    const int total = std::accumulate(sizes.begin(), sizes.end(), 0);
    std::vector<std::int32_t> free = sizes;
    std::vector<std::int64_t> sums(sizes.size(), 0);
    std::vector<std::int64_t> statistics;
    auto deal = [&](auto&& self, int rank) -> void {
        if (rank > total) {
            std::int64_t value = 0;
            for (std::size_t g = 0; g < sizes.size(); ++g) value += sums[g] * sums[g] * (lcm / sizes[g]);
            statistics.push_back(value);
            return;
        }
        for (std::size_t g = 0; g < sizes.size(); ++g)
            if (free[g] > 0) {
                --free[g];
                sums[g] += rank;
                self(self, rank + 1);
                sums[g] -= rank;
                ++free[g];
            }
    };
    deal(deal, 1);
    std::sort(statistics.begin(), statistics.end());
    return statistics;
}

std::int64_t Lcm(const std::vector<std::int32_t>& sizes) {
    std::int64_t lcm = 1;
    for (const std::int32_t n : sizes) lcm = std::lcm(lcm, std::int64_t{n});
    return lcm;
}

// Every ascending vector of group sizes with minGroups..7 groups and
// minTotal..maxTotal values in all.
std::vector<std::vector<std::int32_t>> SizeVectors(std::size_t minGroups, int minTotal, int maxTotal) {
    std::vector<std::vector<std::int32_t>> shapes;
    auto grow = [&](auto&& self, std::vector<std::int32_t> sizes, int total) -> void {
        if (sizes.size() >= minGroups && total >= minTotal)
            shapes.push_back(sizes);
        if (sizes.size() == 7)
            return;
        for (std::int32_t n = sizes.empty() ? 1 : sizes.back(); total + n <= maxTotal; ++n) {
            sizes.push_back(n);
            self(self, sizes, total + n);
            sizes.pop_back();
        }
    };
    grow(grow, {}, 0);
    return shapes;
}

// Σ R²·(L/n) of a random deal of the ranks 1..N into groups of these sizes.
std::int64_t RandomDealStatistic(const std::vector<std::int32_t>& sizes, std::int64_t lcm, std::mt19937& random) {
    std::vector<std::int64_t> ranks(static_cast<std::size_t>(std::accumulate(sizes.begin(), sizes.end(), 0)));
    std::iota(ranks.begin(), ranks.end(), 1);
    std::shuffle(ranks.begin(), ranks.end(), random);
    std::int64_t statistic = 0;
    for (std::size_t g = 0, at = 0; g < sizes.size(); at += static_cast<std::size_t>(sizes[g]), ++g) {
        const auto from = ranks.begin() + static_cast<std::ptrdiff_t>(at);
        const std::int64_t sum = std::accumulate(from, from + sizes[g], std::int64_t{0});
        statistic += sum * sum * (lcm / sizes[g]);
    }
    return statistic;
}

// Each method of counting, and the choice among them, against a threshold
// on Σ R²·(L/n); the methods that decline (Done false) are left out.
void ExpectEveryMethodCounts(const std::vector<std::int32_t>& sizes, std::int64_t needed, std::uint64_t total,
                             std::uint64_t expected) {
    const auto lcm = static_cast<std::uint64_t>(Lcm(sizes));
    const RankCount walked = SearchDealsAtLeast(sizes, lcm, needed, {}, std::int64_t{1} << 40);
    ASSERT_TRUE(walked.Done);
    EXPECT_EQ(total, walked.Total);
    EXPECT_EQ(expected, walked.Extreme) << "states walked, threshold " << needed;
    const RankCount split = SplitDealsAtLeast(sizes, lcm, needed, {});
    if (split.Done) {
        EXPECT_EQ(total, split.Total);
        EXPECT_EQ(expected, split.Extreme) << "groups split, threshold " << needed;
    }
    // Halfway to the next integer: the chosen method's own rounding is exact.
    const long double threshold = (static_cast<long double>(needed) - 0.5L) / static_cast<long double>(lcm);
    const RankCount chosen = CountDealsAtLeast(sizes, threshold, {}, 1 << 20, 1 << 30);
    ASSERT_TRUE(chosen.Done);
    EXPECT_EQ(expected, chosen.Extreme) << "threshold " << needed;
}

TEST(RankCounting, KruskalWallisMethodsMatchEveryDealOfSmallShapes) {
    // Every vector of three to seven group sizes with N <= 10, at thresholds
    // on either side of values the deals take (the largest and least among
    // them), each count against the deals walked one by one.
    std::mt19937 random(5);
    const std::vector<std::vector<std::int32_t>> shapes = SizeVectors(3, 0, 10);
    ASSERT_EQ(96u, shapes.size());
    for (const std::vector<std::int32_t>& sizes : shapes) {
        const std::vector<std::int64_t> statistics = EveryDealStatistic(sizes, Lcm(sizes));
        const auto total = static_cast<std::uint64_t>(statistics.size());
        std::vector<std::int64_t> thresholds = {0, statistics.front(), statistics.back(), statistics.back() + 1};
        for (int pick = 0; pick < 4; ++pick) {
            const std::int64_t value = statistics[random() % statistics.size()];
            thresholds.push_back(value);
            thresholds.push_back(value + 1);
        }
        for (const std::int64_t needed : thresholds) {
            const auto below = std::lower_bound(statistics.begin(), statistics.end(), needed);
            ExpectEveryMethodCounts(sizes, needed, total, static_cast<std::uint64_t>(statistics.end() - below));
        }
    }
}

TEST(RankCounting, KruskalWallisMethodsAgreeOnFiveToSevenGroups) {
    // The walk over states and the split by groups are independent ways to
    // count; the expected counts of (1, 1, 2, 2, 2, 3) and (2, 2, 2, 3, 3)
    // come from a separate table over the ranks with Σ R²/n as exact
    // fractions. The largest Σ R²/n of (1, 1, 2, 2, 2, 3), 502.5, takes
    // blocks of ranks in 720 deals.
    struct Case {
        std::vector<std::int32_t> Sizes;
        std::uint64_t Total;
        std::vector<std::pair<long double, std::uint64_t>> AtLeast;
    };
    const Case cases[] = {
        {{1, 1, 2, 2, 2, 3},
         831600,
         {{0, 831600}, {400, 830424}, {420, 762624}, {440, 559416}, {460, 290184}, {480, 90672}, {502.5L, 720}}},
        {{2, 2, 2, 3, 3},
         1663200,
         {{0, 1663200}, {520, 1550100}, {540, 1180332}, {560, 766224}, {580, 394644}, {600, 150828}, {620, 32112}}},
    };
    for (const Case& c : cases) {
        const std::int64_t lcm = Lcm(c.Sizes);
        for (const auto& [threshold, count] : c.AtLeast)
            ExpectEveryMethodCounts(c.Sizes, static_cast<std::int64_t>(std::ceil(threshold * lcm)), c.Total, count);
    }
    // Larger shapes: the two ways against each other at the statistics of
    // random deals.
    std::mt19937 random(11);
    const std::vector<std::vector<std::int32_t>> shapes = {
        {1, 2, 3, 4, 5}, {1, 1, 2, 3, 3, 4}, {1, 1, 2, 2, 2, 2, 3}, {2, 2, 3, 3, 4}, {1, 3, 3, 3, 3}};
    for (const std::vector<std::int32_t>& sizes : shapes) {
        const std::int64_t lcm = Lcm(sizes);
        for (int trial = 0; trial < 3; ++trial) {
            const std::int64_t needed = RandomDealStatistic(sizes, lcm, random);
            const RankCount walked = SearchDealsAtLeast(sizes, static_cast<std::uint64_t>(lcm), needed, {}, 1LL << 40);
            const RankCount split = SplitDealsAtLeast(sizes, static_cast<std::uint64_t>(lcm), needed, {});
            ASSERT_TRUE(walked.Done);
            ASSERT_TRUE(split.Done);
            EXPECT_EQ(walked.Total, split.Total);
            EXPECT_EQ(walked.Extreme, split.Extreme) << sizes.size() << " groups, trial " << trial;
            EXPECT_GE(walked.Extreme, 1u);
        }
    }
    // Five groups of two: the largest Σ R²/n, 382.5, takes the pairs (1, 2),
    // (3, 4), ... in any of the 5! orders of the groups; five groups of four,
    // 3·10^11 deals, likewise 5! at the largest, 2845 (blocks summing to
    // 10, 26, 42, 58 and 74).
    const std::vector<std::int32_t> pairs = {2, 2, 2, 2, 2};
    EXPECT_EQ(120u, CountDealsAtLeast(pairs, 382.5L - 1e-8L, {}, 1 << 20, 1 << 30).Extreme);
    EXPECT_EQ(0u, CountDealsAtLeast(pairs, 382.5L + 1e-8L, {}, 1 << 20, 1 << 30).Extreme);
    const std::vector<std::int32_t> fours = {4, 4, 4, 4, 4};
    const RankCount top = CountDealsAtLeast(fours, 2845 - 1e-8L, {}, 1 << 20, 1 << 30);
    ASSERT_TRUE(top.Done);
    EXPECT_EQ(305540235000ULL, top.Total);
    EXPECT_EQ(120u, top.Extreme);
    EXPECT_EQ(0u, CountDealsAtLeast(fours, 2845 + 1e-8L, {}, 1 << 20, 1 << 30).Extreme);
}

TEST(RankCounting, KruskalWallisSplitMatchesTheWalkOnElevenToThirteenRanks) {
    // Every vector of five to seven group sizes with N from 11 to 13 (the
    // split then sees sets of ranks and their mirror images, its own mirror
    // among them, and searches its listed values in batches), at the
    // statistics of random deals and one more: the two ways against each
    // other. The split's step reports shares in [0, 1], never falling.
    std::mt19937 random(17);
    const std::vector<std::vector<std::int32_t>> shapes = SizeVectors(5, 11, 13);
    ASSERT_EQ(96u, shapes.size());
    for (const std::vector<std::int32_t>& sizes : shapes) {
        const std::int64_t lcm = Lcm(sizes);
        for (int trial = 0; trial < 3; ++trial) {
            const std::int64_t needed = RandomDealStatistic(sizes, lcm, random) + (trial == 2 ? 1 : 0);
            long double last = 0;
            bool ordered = true;
            const CountingStep step = [&](long double done) {
                ordered = ordered && done >= last && done <= 1;
                last = done;
                return true;
            };
            const RankCount walked = SearchDealsAtLeast(sizes, static_cast<std::uint64_t>(lcm), needed, {}, 1LL << 40);
            const RankCount split = SplitDealsAtLeast(sizes, static_cast<std::uint64_t>(lcm), needed, step);
            ASSERT_TRUE(walked.Done);
            ASSERT_TRUE(split.Done);
            EXPECT_EQ(walked.Total, split.Total);
            EXPECT_EQ(walked.Extreme, split.Extreme) << ::testing::PrintToString(sizes) << " at " << needed;
            EXPECT_TRUE(ordered);
        }
    }
}

TEST(RankCounting, KruskalWallisLongRunsBesideSmallGroups) {
    // One or two small groups beside a large one, counted with the values
    // left in long runs (the small groups' sums beside a Gaussian binomial,
    // one value taken out), against loops over the small groups' ranks.
    auto expectAtQuantiles = [](const std::vector<std::int32_t>& sizes, std::vector<std::int64_t>& statistics) {
        std::sort(statistics.begin(), statistics.end());
        for (const std::size_t at : {std::size_t{0}, statistics.size() / 3, statistics.size() / 2, statistics.size() - 5}) {
            const auto below = std::lower_bound(statistics.begin(), statistics.end(), statistics[at]);
            ExpectEveryMethodCounts(sizes, statistics[at], statistics.size(),
                                    static_cast<std::uint64_t>(statistics.end() - below));
        }
    };
    {
        // L = 800: Σ R²·(L/n) = 800·(x² + y²) + rest².
        const std::vector<std::int32_t> sizes = {1, 1, 800};
        const std::int64_t n = 802;
        const std::int64_t all = n * (n + 1) / 2;
        std::vector<std::int64_t> statistics;
        for (std::int64_t x = 1; x <= n; ++x)
            for (std::int64_t y = 1; y <= n; ++y)
                if (x != y)
                    statistics.push_back(800 * (x * x + y * y) + (all - x - y) * (all - x - y));
        expectAtQuantiles(sizes, statistics);
    }
    {
        // L = 120: Σ R²·(L/n) = 120·x² + 60·(y + z)² + rest².
        const std::vector<std::int32_t> sizes = {1, 2, 120};
        const std::int64_t n = 123;
        const std::int64_t all = n * (n + 1) / 2;
        std::vector<std::int64_t> statistics;
        for (std::int64_t x = 1; x <= n; ++x)
            for (std::int64_t y = 1; y <= n; ++y)
                for (std::int64_t z = y + 1; z <= n; ++z)
                    if (x != y && x != z) {
                        const std::int64_t rest = all - x - y - z;
                        statistics.push_back(120 * x * x + 60 * (y + z) * (y + z) + rest * rest);
                    }
        expectAtQuantiles(sizes, statistics);
    }
}

TEST(RankCounting, KruskalWallisCountsStopAndGiveWay) {
    // Every way of counting stops when the step says so, and gives way
    // (neither done nor stopped) beyond its allowance of work. The
    // threshold is Σ R²/n at KW = groups − 1, amid the deals.
    const CountingStep stop = [](long double) { return false; };
    const std::vector<std::vector<std::int32_t>> shapes = {{2, 2, 2, 3, 3}, {1, 2, 3, 4, 5}, {3, 3, 3, 3, 4}};
    for (const std::vector<std::int32_t>& sizes : shapes) {
        const auto lcm = static_cast<std::uint64_t>(Lcm(sizes));
        const long double n = std::accumulate(sizes.begin(), sizes.end(), 0);
        const long double threshold = (static_cast<long double>(sizes.size()) + 2 + 3 * n) * n * (n + 1) / 12;
        const auto needed = static_cast<std::int64_t>(std::ceil(threshold * static_cast<long double>(lcm)));
        const RankCount walked = SearchDealsAtLeast(sizes, lcm, needed, stop, std::int64_t{1} << 40);
        EXPECT_TRUE(walked.Stopped);
        EXPECT_FALSE(walked.Done);
        const RankCount split = SplitDealsAtLeast(sizes, lcm, needed, stop);
        EXPECT_TRUE(split.Stopped);
        EXPECT_FALSE(split.Done);
        const RankCount chosen = CountDealsAtLeast(sizes, threshold, stop, 1 << 20, 1 << 30);
        EXPECT_TRUE(chosen.Stopped);
        EXPECT_FALSE(chosen.Done);
        const RankCount limited = CountDealsAtLeast(sizes, threshold, {}, 1 << 20, 10);
        EXPECT_FALSE(limited.Done);
        EXPECT_FALSE(limited.Stopped);
    }
    // Three groups: the dense table without room, then the other ways.
    const std::vector<std::int32_t> sizes = {1, 1, 200};
    const RankCount full = CountDealsAtLeast(sizes, 0, {}, 100, 1 << 30);
    ASSERT_TRUE(full.Done);
    EXPECT_EQ(202u * 201u, full.Total);
    EXPECT_EQ(full.Total, full.Extreme);
    // Every deal of (1, 1, 1) has Σ R² = 14: nothing beyond it.
    const std::vector<std::int32_t> singles = {1, 1, 1};
    EXPECT_EQ(6u, CountDealsAtLeast(singles, 14 - 1e-8L, {}, 100, 100).Extreme);
    EXPECT_EQ(0u, CountDealsAtLeast(singles, 14 + 1e-8L, {}, 100, 100).Extreme);
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
