// Counting the deals of the ranks 1..N into groups of given sizes whose
// Σ R²/n reaches a threshold, by splitting the groups in two.
//
// Method: two groups p and q are set apart; the others (A) take a set U of
// K ranks. Every U is visited; the ranks outside it, V, go to p and q, and
// the number of ways p takes a subset of V with sum S is kept as V loses one
// rank after another (dividing the generating function Π (1 + x·t^r) by one
// factor per rank taken). For each U the statistic of p and q is a convex
// function of S: sorted once, it answers for every deal of U into the A
// groups (listed once for all U as partitions of K positions, equal groups
// in a canonical order) by a binary search, eight deals at a time so that
// their searches overlap. A set U and its mirror image (rank r to N + 1 − r)
// count alike, the statistic depending only on the squares of the groups'
// sums less their means: one of each pair is visited and counted twice. The
// work is about C(N, K)/2·(deals of K ranks into A): the method suits groups
// of unlike size and a few small groups beside large ones.
//
// Accuracy: exact integer counts and comparisons (64 bits; shapes whose
// sums could exceed them are declined).
#pragma once

#include <cstdint>
#include <span>

#include "stats/rank_counting.h"

namespace vextal {

/// The rough cost of SplitDealsAtLeast for these ascending sizes, in the
/// work units of SearchDealsAtLeast (about 20 ns), or a negative value when
/// it does not apply.
double SplitDealsCost(std::span<const std::int32_t> sizes);

/// Deals of the ranks 1..N into groups of the given (ascending) sizes with
/// Σ R²·(lcm/n) >= `needed`. Not Done when the method does not apply.
RankCount SplitDealsAtLeast(std::span<const std::int32_t> sizes, std::uint64_t lcm, __int128 needed,
                            const CountingStep& step);

} // namespace vextal
