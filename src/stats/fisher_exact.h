// Fisher's exact test of a two-by-two table.
//
// Method: the probability of the observed table under fixed margins is
// formed exactly from prime exponents (no large factorials); neighbouring
// tables follow by the hypergeometric ratio of successive tables. The
// one-sided P sums the tail in the direction of the observed association;
// the two-sided P adds every table of the other tail that is no more likely
// than the observed one (twice the one-sided P when a margin is balanced,
// never more than 1).
//
// Accuracy: the observed probability is exact to extended precision; each
// step of the walk adds a rounding error of about 1e-19, so P values carry
// far more digits than the four that reports print.
#pragma once

#include <cstdint>

#include "data/number_text.h"

namespace vextal {

/// The exact test is computed only up to this many observations; the prime
/// table behind prime_product ends at 1999.
inline constexpr std::int64_t FisherMaximumN = 2000;

struct FisherResult {
    long double OneSided = MissingValue;
    long double TwoSided = MissingValue;
    long double Observed = MissingValue; // probability of the observed table
};

/// P values for the table [[A, B], [C, D]]. All three are MissingValue when a
/// count is negative, the total is 0 or above FisherMaximumN.
FisherResult fisher_exact(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D);

} // namespace vextal
