#include "stats/fisher_exact.h"

#include <algorithm>
#include <utility>

#include "stats/pvalue.h"

namespace vextal {

namespace {

// Tables of the other tail whose probability equals the observed one up to
// rounding must count as "no more likely"; the walk's products differ from
// the exact value only in the last bits.
constexpr long double TieTolerance = 1e-7L;

} // namespace

FisherResult fisher_exact(std::int32_t A, std::int32_t B, std::int32_t C, std::int32_t D) {
    FisherResult result;
    if (A < 0 || B < 0 || C < 0 || D < 0)
        return result;
    const std::int64_t n = std::int64_t{A} + B + C + D;
    if (n == 0 || n > FisherMaximumN)
        return result;

    // Arrange the table as [[s, r], [q, p]] with p >= s, q >= r and r*q >= s*p.
    // The exchanges only mirror or transpose the table, which keeps the set of
    // margins and so the probability of every table; afterwards lowering s
    // moves further in the direction of the observed association.
    std::int64_t s = A, r = B, q = C, p = D;
    if (p < s)
        std::swap(s, p);
    if (q < r)
        std::swap(r, q);
    if ((s + r) * q < (q + p) * s) {
        std::swap(s, r);
        std::swap(q, p);
    }

    PrimeExponents work;
    work.AddFactorial(static_cast<int>(s + r), +1);
    work.AddFactorial(static_cast<int>(q + p), +1);
    work.AddFactorial(static_cast<int>(s + q), +1);
    work.AddFactorial(static_cast<int>(r + p), +1);
    work.AddFactorial(static_cast<int>(n), -1);
    work.AddFactorial(static_cast<int>(s), -1);
    work.AddFactorial(static_cast<int>(r), -1);
    work.AddFactorial(static_cast<int>(q), -1);
    work.AddFactorial(static_cast<int>(p), -1);
    const long double observed = prime_product(work);

    // Towards the association: every table here is less likely than the one
    // before it, since (r + 1)(q + 1) > r*q >= s*p.
    long double oneSided = observed;
    long double probability = observed;
    for (std::int64_t ts = s, tr = r, tq = q, tp = p; ts > 0;) {
        probability = probability * ts * tp / ((tr + 1) * (tq + 1));
        --ts, ++tr, ++tq, --tp;
        if (probability <= observed)
            oneSided += probability;
    }

    long double twoSided;
    if (s + r == q + p || s + q == r + p) {
        // A balanced margin makes the distribution symmetric. Doubling counts
        // the observed table twice when it is the central one, hence the cap.
        twoSided = std::min(2 * oneSided, 1.0L);
    } else {
        twoSided = oneSided;
        const long double limit = observed * (1 + TieTolerance);
        probability = observed;
        for (std::int64_t ts = s, tr = r, tq = q, tp = p; tr > 0;) {
            probability = probability * tr * tq / ((ts + 1) * (tp + 1));
            ++ts, --tr, --tq, ++tp;
            if (probability <= limit)
                twoSided += probability;
        }
        twoSided = std::min(twoSided, 1.0L);
    }

    result.Observed = observed;
    result.OneSided = std::min(oneSided, 1.0L);
    result.TwoSided = twoSided;
    return result;
}

} // namespace vextal
