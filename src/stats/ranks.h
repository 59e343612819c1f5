// Average ranks of a sequence, the ranking shared by the rank tests and the
// rank correlation.
//
// Method: a stable sort of the positions by value; each group of t equal
// values gets the mean of the positions it occupies, and adds (t³ − t)/12 to
// the tie sum that the tie corrections use. Exact for every rank (ranks are
// whole or half numbers); the tie sum is exact below about 10^6 values.
#pragma once

#include <span>
#include <vector>

namespace vextal {

struct Ranking {
    std::vector<long double> Ranks; // 1-based rank of each value, in the input order
    long double TieSum = 0;         // sum of (t³ − t)/12 over groups of t tied values
};

/// Ranks `values` from 1 (smallest) to n; tied values share the average of
/// their positions. A NaN sorts above every number and ties only with NaN.
Ranking AverageRanks(std::span<const long double> values);

} // namespace vextal
