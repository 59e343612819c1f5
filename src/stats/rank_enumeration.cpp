#include "stats/rank_enumeration.h"

#include <algorithm>
#include <bit>

#include "stats/fault_guard.h"

namespace vextal {

EnumerationCount CountSignAssignmentsAtLeast(int n, std::int64_t threshold, std::int64_t interval,
                                             const EnumerationProgress& progress) {
    if (n < 0 || n > MaxSignAssignmentRanks)
        throw CalcFault{CalcOverflow};
    if (interval < 1)
        interval = 1;

    // Gray-code walk: step i flips the sign of rank (lowest set bit of i) + 1,
    // so the running sum of positive ranks changes by exactly that rank.
    const std::uint64_t total = std::uint64_t{1} << n;
    std::uint64_t positive = 0; // bit k set: rank k + 1 counted as positive
    std::int64_t sum = 0;
    EnumerationCount result;
    result.Count = sum >= threshold ? 1 : 0;
    std::int64_t untilReport = interval;
    for (std::uint64_t i = 1; i < total; ++i) {
        if (--untilReport == 0) {
            untilReport = interval;
            if (progress && !progress(static_cast<std::int64_t>(i))) {
                result.Visited = static_cast<std::int64_t>(i);
                result.Stopped = true;
                return result;
            }
        }
        const int bit = std::countr_zero(i);
        const std::uint64_t flag = std::uint64_t{1} << bit;
        positive ^= flag;
        const std::int64_t rank = bit + 1;
        sum += (positive & flag) != 0 ? rank : -rank;
        result.Count += sum >= threshold ? 1 : 0;
    }
    result.Visited = static_cast<std::int64_t>(total);
    return result;
}

namespace {

// The walk over rank sets. Level k chooses the (k + 1)-th smallest rank of
// the set, carrying the sum of the ranks chosen before it; at the last level
// the sets that end in each candidate rank are counted together.
class RankSetWalk {
public:
    RankSetWalk(int n, int m, std::int64_t threshold, std::int64_t interval,
                const EnumerationProgress& progress)
        : n_(n), m_(m), threshold_(threshold), interval_(interval), progress_(progress),
          nextReport_(interval) {}

    EnumerationCount Run() {
        Level(0, 1, 0);
        return result_;
    }

private:
    // Sets whose last rank runs over lowest..highest after ranks summing to
    // `partial`: counted together, those with a rank sum at most the threshold.
    void Last(std::int64_t lowest, std::int64_t highest, std::int64_t partial) {
        const std::int64_t highestCounted = std::min(highest, threshold_ - partial);
        result_.Count += std::max<std::int64_t>(0, highestCounted - lowest + 1);
        result_.Visited += highest - lowest + 1;
    }

    void Report() {
        if (result_.Visited < nextReport_)
            return;
        nextReport_ = (result_.Visited / interval_ + 1) * interval_;
        if (progress_ && !progress_(result_.Visited))
            result_.Stopped = true;
    }

    // Choices at level k run from `lowest` up to the highest rank that still
    // leaves room for the m − k − 1 larger ones.
    void Level(int k, std::int64_t lowest, std::int64_t partial) {
        const std::int64_t highest = n_ - m_ + 1 + k;
        if (k == m_ - 1) {
            Last(lowest, highest, partial);
            Report();
            return;
        }
        if (k == m_ - 2) {
            for (std::int64_t rank = lowest; rank <= highest; ++rank)
                Last(rank + 1, highest + 1, partial + rank);
            Report();
            return;
        }
        for (std::int64_t rank = lowest; rank <= highest && !result_.Stopped; ++rank)
            Level(k + 1, rank + 1, partial + rank);
    }

    int n_;
    int m_;
    std::int64_t threshold_;
    std::int64_t interval_;
    const EnumerationProgress& progress_;
    std::int64_t nextReport_;
    EnumerationCount result_;
};

} // namespace

EnumerationCount CountRankSetsAtMost(int n, int m, std::int64_t threshold, std::int64_t interval,
                                     const EnumerationProgress& progress) {
    if (n < 0 || m < 0 || m > n)
        throw CalcFault{CalcInvalid};
    if (interval < 1)
        interval = 1;
    if (m == 0) {
        EnumerationCount result;
        result.Visited = 1;
        result.Count = threshold >= 0 ? 1 : 0;
        return result;
    }
    return RankSetWalk(n, m, threshold, interval, progress).Run();
}

} // namespace vextal
