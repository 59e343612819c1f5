// Exact null distributions of the rank statistics by counting instead of
// walking every arrangement.
//
// Method:
// - signed rank: the number of subsets of the ranks 1..n by their sum, a
//   subset-sum table built one rank at a time (O(n³));
// - rank sum: the m-subsets of 1..n by their sum are the coefficients of the
//   Gaussian binomial [n, m]_q, built as Π (1 − q^(n−m+i)) / (1 − q^i), one
//   exact polynomial multiplication and division per factor (O(m²(n − m)));
// - Kruskal-Wallis: two groups use the Gaussian binomial; three or four a
//   table over the ranks 1..N of the (size, rank sum) of every group but the
//   largest, dense arrays, one per vector of sizes, when it fits and beats
//   the split; otherwise (and from five groups on) the split by groups
//   (deal_split.h) for groups of unlike size, or the walk over merged states
//   with bounds (deal_search.h), tried first for four or more groups of one
//   size and for three or four groups, within the split's estimated work;
// - Friedman: a table over the rows of the column rank sums, kept sorted
//   (the statistic does not depend on the column order), each entry weighted
//   by the number of row orderings that reach it;
// - Spearman: a table over the subsets of ranks given to the first positions,
//   with the partial Σ (rank − position)², capped at the threshold.
//
// Accuracy: exact integer counts. The Kruskal-Wallis statistic is compared
// as an exact integer: Σ R²·(L/n) against the threshold times L, where L is
// the least common multiple of the group sizes.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace vextal {

/// Told the share of the work done (0..1); returns false to stop.
using CountingStep = std::function<bool(long double done)>;

/// Subsets of the ranks 1..n (0 <= n <= 40) whose sum is at least `threshold`.
std::int64_t CountRankSubsetsAtLeast(int n, std::int64_t threshold);

/// Number of m-subsets of 1..n by rank sum: entry s − m(m + 1)/2 holds those
/// summing to s. Empty when the counts would not fit in 64 bits.
std::vector<std::uint64_t> RankSetSumCounts(int n, int m);

/// m-subsets of 1..n (0 <= m <= n) whose rank sum is at most `threshold`;
/// -1 when the counts would not fit in 64 bits.
std::int64_t CountRankSetsAtMostFast(int n, int m, std::int64_t threshold);

/// The outcome of a counting table.
struct RankCount {
    bool Done = false;      // false: stopped by the step, or too large a table (see Stopped)
    bool Stopped = false;   // the step answered false
    std::uint64_t Total = 0;    // arrangements (Friedman: their weight)
    std::uint64_t Extreme = 0;  // of those, with the statistic at least the threshold
};

/// Deals of the ranks 1..N into groups of the given (positive) sizes whose
/// Σ R²/n is at least `threshold`. `maxStates` bounds the room of the dense
/// table (64 bytes a state), `maxWork` the work of each method (steps of
/// tens of nanoseconds). Not Done (and not Stopped) when no method fits in
/// them: the caller then walks the arrangements instead.
RankCount CountDealsAtLeast(std::span<const std::int32_t> sizes, long double threshold, const CountingStep& step,
                            std::int64_t maxStates, std::int64_t maxWork);

/// Weight of the (k!)^rows orderings of the rows (columns k <= 6) whose
/// Σ (column rank sum)² is at least `threshold`.
RankCount CountRowOrderingsAtLeast(int rows, int columns, long double threshold, const CountingStep& step);

/// Permutations of the ranks 1..n (n <= 12) whose Σ (rank − position)² is at
/// least `dHigh`.
RankCount CountPermutationsAtLeast(int n, std::int64_t dHigh, const CountingStep& step);

} // namespace vextal
