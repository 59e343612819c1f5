// The end of a prefix on which a condition holds, searched from a guess.
#pragma once

#include <algorithm>
#include <cstdint>

namespace vextal {

/// The largest x in [−1, high] such that holds() is true on 0..x, given
/// that holds is true on a prefix of 0..high. Steps from `guess` (the
/// answer is usually within a step or two of it), then bisects.
template <class Holds>
std::int64_t LastHolding(std::int64_t guess, std::int64_t high, Holds holds) {
    std::int64_t x = std::clamp<std::int64_t>(guess, -1, high);
    for (int step = 0; step < 3; ++step) {
        const bool here = x < 0 || holds(x);
        if (here && (x == high || !holds(x + 1)))
            return x;
        x += here ? 1 : -1;
    }
    std::int64_t yes = -1;
    std::int64_t no = high + 1;
    while (no - yes > 1) {
        const std::int64_t mid = yes + (no - yes) / 2;
        (holds(mid) ? yes : no) = mid;
    }
    return yes;
}

} // namespace vextal
