// Counting the deals of the ranks 1..N into groups of given sizes whose
// Σ R²/n reaches a threshold, by a walk over the ranks with states merged.
//
// Method: the ranks are dealt from the top (N first). Ranks are measured
// from the centre, doubled (y = 2r − N − 1), and a group's doubled centred
// sum D = 2R − n(N + 1) gives Σ R²·(L/n) = (Σ D²·(L/n) + L·N(N + 1)²)/4, L
// the least common multiple of the sizes. A partial deal is a state: every
// group's free places and its partial D, groups of one size in increasing
// order (their labels do not change the statistic); the partial deals that
// reach one state are counted together, one step of the walk at a time
// (states packed into an integer, sorted and merged). A new state is settled
// at once when it can be:
// - by bounds on the statistic over all its completions (tangent plane of
//   the convex statistic at the even share, plus the largest and least value
//   of the linear part over the deals of the ranks left, which are sorted
//   blocks): if every completion falls short it counts nothing, if every one
//   reaches the threshold it counts all of them (a multinomial);
// - with two groups left open, from the number of m-subsets of the ranks
//   left by their sum (a Gaussian binomial), the statistic being a convex
//   quadratic in that sum;
// - with three, from a joint table of two disjoint subsets by their sums
//   (or, for a single value beside a long run, the Gaussian binomials with
//   that value taken out), convex along each row: the run of each row that
//   falls short is found by stepping from the ends of the row before's.
//
// Accuracy: exact integer counts; every comparison with the threshold is
// exact (64 bits when the sums allow, else 128).
#pragma once

#include <cstdint>
#include <span>

#include "stats/rank_counting.h"

namespace vextal {

/// Deals of the ranks 1..N into groups of the given (positive, ascending)
/// sizes with Σ R²·(lcm/n) >= `needed`, lcm the least common multiple of
/// the sizes. Not Done (and not Stopped) when the walk would take more
/// than `maxWork` units (about 20 ns each), more room than allowed, or numbers that would not
/// fit; the step is told the share of the ranks dealt.
RankCount SearchDealsAtLeast(std::span<const std::int32_t> sizes, std::uint64_t lcm, __int128 needed,
                             const CountingStep& step, std::int64_t maxWork);

} // namespace vextal
