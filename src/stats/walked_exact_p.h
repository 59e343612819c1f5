// The exact P values of Kruskal-Wallis and Friedman by walking every
// arrangement: the reference that the counting tables are checked against
// and timed by.
#pragma once

#include <cstdint>
#include <span>

#include "stats/nonparametric_anova.h"

namespace vextal {

/// KruskalWallisExactP, always by the walk over the deals of the ranks.
ExactPResult KruskalWallisWalkedP(std::span<const std::int32_t> groupSizes, long double kw,
                                  long double approximateP, CalculationProgress* progress);

/// FriedmanExactP, always by the walk over the compositions of the row orderings.
ExactPResult FriedmanWalkedP(std::int32_t rows, std::int32_t columns, long double fr, long double approximateP,
                             CalculationProgress* progress);

} // namespace vextal
