// Exact null distributions of the signed rank and rank sum statistics by
// complete enumeration.
//
// Method: the sign assignments of the ranks 1..n are walked in Gray-code
// order, so that each step flips one sign and moves the running sum of the
// positive ranks by one rank; the m-element subsets of 1..n are walked in
// increasing lexicographic order by their first m − 1 ranks, kept with their
// running sum, and the sets that a head completes (its last rank running up
// to n) are counted together. Each step is O(1) and allocates nothing.
//
// Accuracy: exact integer counts.
#pragma once

#include <cstdint>
#include <functional>

namespace vextal {

/// Told the number of arrangements walked so far; returns false to stop.
using EnumerationProgress = std::function<bool(std::int64_t visited)>;

struct EnumerationCount {
    std::int64_t Visited = 0; // arrangements walked
    std::int64_t Count = 0;   // of those, meeting the condition
    bool Stopped = false;     // the progress callback stopped the walk
};

/// Largest n CountSignAssignmentsAtLeast accepts.
inline constexpr int MaxSignAssignmentRanks = 40;

/// Walks the 2^n assignments of signs to the ranks 1..n (0 <= n <= 40) and
/// counts those whose sum of positive ranks is at least `threshold`.
/// `progress` (may be empty) is called after every `interval` assignments.
EnumerationCount CountSignAssignmentsAtLeast(int n, std::int64_t threshold, std::int64_t interval,
                                             const EnumerationProgress& progress);

/// Walks the C(n, m) sets of m distinct ranks from 1..n (0 <= m <= n) and
/// counts those whose rank sum is at most `threshold`. `progress` is called
/// each time at least another `interval` sets have been walked.
EnumerationCount CountRankSetsAtMost(int n, int m, std::int64_t threshold, std::int64_t interval,
                                     const EnumerationProgress& progress);

} // namespace vextal
