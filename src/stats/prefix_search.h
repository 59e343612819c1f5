// The end of a prefix on which a condition holds, searched from a guess,
// and the weight of the points where a convex quadratic reaches a bound.
#pragma once

#include <algorithm>
#include <cmath>
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

/// The total weight of the x in [0, top] where `reaches` holds, given that
/// it holds on a prefix of [0, split] and a suffix of [split + 1, top]: a
/// convex quadratic αx² + βx + γ reaching zero, `split` its turn clamped to
/// [−1, top]. The two ends are guessed from the real roots (in double
/// precision) and settled exactly by `reaches`. upTo(x) is the weight of
/// 0..x, and 0 for x = −1.
template <class Reaches, class UpTo>
std::uint64_t WeightBesideTurn(std::int64_t split, std::int64_t top, double alpha, double beta, double gamma,
                               Reaches reaches, UpTo upTo) {
    double lowRoot = static_cast<double>(split);
    double highRoot = static_cast<double>(split) + 1;
    const double disc = beta * beta - 4 * alpha * gamma;
    if (disc > 0) {
        const double root = std::sqrt(disc);
        lowRoot = (-beta - root) / (2 * alpha);
        highRoot = (-beta + root) / (2 * alpha);
    }
    std::uint64_t weight = 0;
    if (split >= 0) {
        const auto guess = static_cast<std::int64_t>(std::clamp(std::floor(lowRoot), -1.0, double(split)));
        weight += upTo(LastHolding(guess, split, reaches));
    }
    // The suffix is the prefix of top − x.
    if (split < top) {
        const auto guess =
            static_cast<std::int64_t>(std::clamp(std::ceil(highRoot), double(split) + 1, double(top) + 1));
        const std::int64_t from =
            LastHolding(top - guess, top - split - 1, [&](std::int64_t e) { return reaches(top - e); });
        weight += upTo(top) - upTo(top - from - 1);
    }
    return weight;
}

} // namespace vextal
