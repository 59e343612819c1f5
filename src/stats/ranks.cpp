#include "stats/ranks.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vextal {

namespace {

// A strict weak order over all values, NaN included, so that the sort stays
// well defined whatever the caller passes.
bool Before(long double a, long double b) {
    const bool aNaN = std::isnan(a);
    const bool bNaN = std::isnan(b);
    if (aNaN || bNaN)
        return !aNaN && bNaN;
    return a < b;
}

} // namespace

Ranking AverageRanks(std::span<const long double> values) {
    const std::size_t n = values.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return Before(values[a], values[b]); });

    Ranking ranking;
    ranking.Ranks.assign(n, 0);
    std::size_t first = 0;
    while (first < n) {
        // [first, last) is one group of equal values in sorted order.
        std::size_t last = first + 1;
        while (last < n && !Before(values[order[first]], values[order[last]]))
            ++last;
        const long double rank = (static_cast<long double>(first + 1) + static_cast<long double>(last)) / 2;
        for (std::size_t i = first; i < last; ++i)
            ranking.Ranks[order[i]] = rank;
        const long double t = static_cast<long double>(last - first);
        ranking.TieSum += (t * t * t - t) / 12;
        first = last;
    }
    return ranking;
}

} // namespace vextal
