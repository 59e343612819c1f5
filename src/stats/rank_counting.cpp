#include "stats/rank_counting.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <unordered_map>

#include "stats/deal_search.h"
#include "stats/deal_split.h"
#include "stats/fault_guard.h"

namespace vextal {

namespace {

using Wide = unsigned __int128;

// Room the dense Kruskal-Wallis table may take at most.
constexpr long double DenseByteLimit = 256.0L * 1024 * 1024;

// The smallest integer at least `x` (x finite, |x| < 2^100).
__int128 CeilToInteger(long double x) {
    return static_cast<__int128>(std::ceil(x));
}

} // namespace

std::int64_t CountRankSubsetsAtLeast(int n, std::int64_t threshold) {
    if (n < 0 || n > 40)
        throw CalcFault{CalcOverflow};
    const int top = n * (n + 1) / 2;
    std::vector<std::uint64_t> bySum(static_cast<std::size_t>(top) + 1, 0);
    bySum[0] = 1;
    for (int rank = 1, reach = 0; rank <= n; ++rank) {
        reach += rank;
        for (int s = reach; s >= rank; --s) bySum[static_cast<std::size_t>(s)] += bySum[static_cast<std::size_t>(s - rank)];
    }
    std::uint64_t count = 0;
    for (int s = std::max<std::int64_t>(0, std::min<std::int64_t>(threshold, top + 1)); s <= top; ++s)
        count += bySum[static_cast<std::size_t>(s)];
    return static_cast<std::int64_t>(count);
}

std::vector<std::uint64_t> RankSetSumCounts(int n, int m) {
    if (n < 0 || m < 0 || m > n)
        throw CalcFault{CalcInvalid};
    // [n, m]_q = [n, n − m]_q: the shorter product does the same job.
    const int k = std::min(m, n - m);
    const int rest = n - k;
    // C(n, k) must fit, and so must the table.
    long double total = 1;
    for (int i = 1; i <= k; ++i) total = total * (rest + i) / i;
    const long double degree = static_cast<long double>(k) * rest;
    if (total > 9.0e18L || degree > 1.0e8L)
        return {};
    // Multiplying by (1 − q^(rest + i)) before dividing by (1 − q^i) reaches
    // k more than the final degree k · rest.
    std::vector<__int128> p(static_cast<std::size_t>(degree) + static_cast<std::size_t>(k) + 1, 0);
    p[0] = 1;
    std::size_t reach = 0; // degree so far
    for (int i = 1; i <= k; ++i) {
        const std::size_t up = static_cast<std::size_t>(rest + i);
        // × (1 − q^up)
        for (std::size_t d = reach + up; d >= up; --d) p[d] -= p[d - up];
        reach += up;
        // ÷ (1 − q^i): exact, the quotient is [rest + i, i]_q.
        const std::size_t step = static_cast<std::size_t>(i);
        for (std::size_t d = step; d <= reach; ++d) p[d] += p[d - step];
        reach -= step;
    }
    std::vector<std::uint64_t> counts(reach + 1);
    for (std::size_t d = 0; d <= reach; ++d) counts[d] = static_cast<std::uint64_t>(p[d]);
    return counts;
}

std::int64_t CountRankSetsAtMostFast(int n, int m, std::int64_t threshold) {
    const std::vector<std::uint64_t> counts = RankSetSumCounts(n, m);
    if (counts.empty())
        return -1;
    const std::int64_t lowest = static_cast<std::int64_t>(m) * (m + 1) / 2;
    std::uint64_t count = 0;
    for (std::size_t d = 0; d < counts.size() && lowest + static_cast<std::int64_t>(d) <= threshold; ++d)
        count += counts[d];
    return static_cast<std::int64_t>(count);
}

namespace {

// The Kruskal-Wallis table over the ranks in dense form: one block of cells
// per vector of counts taken by the tracked groups (every group but the
// last), each block indexed by the offsets of the groups' rank sums above
// their least possible value. A rank is dealt in place, the blocks visited
// from the highest count vector down, so that every block still holds the
// previous rank's entries when its successors read it. Every step is a
// shifted addition of contiguous rows.
// `Cell` holds every entry: none exceeds the number of deals in all.
template <class Cell>
class DenseDealTable {
public:
    explicit DenseDealTable(std::span<const std::int32_t> sizes) : sizes_(sizes.begin(), sizes.end()) {
        for (const std::int32_t size : sizes_) total_ += size;
        tracked_ = static_cast<int>(sizes_.size()) - 1;
        // Beyond 32 tracked groups, or a million count vectors, the table
        // could never be held anyway.
        long double blocks = 1;
        for (int g = 0; g < tracked_; ++g) blocks *= sizes_[static_cast<std::size_t>(g)] + 1;
        if (tracked_ > 32 || blocks > 1.0e6L) {
            cells_ = std::numeric_limits<long double>::infinity();
            work_ = cells_;
            return;
        }
        countStride_.assign(static_cast<std::size_t>(tracked_), 1);
        for (int g = tracked_ - 2; g >= 0; --g)
            countStride_[static_cast<std::size_t>(g)] =
                countStride_[static_cast<std::size_t>(g) + 1] * (sizes_[static_cast<std::size_t>(g) + 1] + 1);
        blocks_ = countStride_.empty() ? 1 : countStride_[0] * (sizes_[0] + 1);
        blockStart_.resize(static_cast<std::size_t>(blocks_) + 1);
        long double cells = 0;
        std::vector<std::int64_t> c(static_cast<std::size_t>(tracked_));
        for (std::int64_t b = 0; b < blocks_; ++b) {
            Counts(b, c);
            long double size = 1;
            for (int g = 0; g < tracked_; ++g) size *= static_cast<long double>(Width(c[static_cast<std::size_t>(g)]));
            blockStart_[static_cast<std::size_t>(b)] = static_cast<std::int64_t>(std::min(cells, 9.0e18L));
            cells += size;
        }
        cells_ = cells;
        blockStart_.back() = static_cast<std::int64_t>(std::min(cells, 9.0e18L));
        // The cells reached, rank by rank, are the work.
        if (static_cast<long double>(blocks_) * static_cast<long double>(total_) > 1.0e8L) {
            work_ = std::numeric_limits<long double>::infinity();
            return;
        }
        for (std::int64_t rank = 1; rank <= total_; ++rank)
            for (std::int64_t b = 0; b < blocks_; ++b) {
                Counts(b, c);
                std::int64_t taken = 0;
                long double reached = 1;
                for (const std::int64_t ci : c) {
                    taken += ci;
                    reached *= static_cast<long double>(std::max<std::int64_t>(0, Reach(ci, rank)));
                }
                if (taken <= rank && rank - taken <= sizes_.back())
                    work_ += reached;
            }
    }

    // Cells the table would hold.
    long double Cells() const { return cells_; }
    // Cells reached over all the ranks.
    long double Work() const { return work_; }

    template <class Visit>
    RankCount Run(const CountingStep& step, Visit visit) {
        RankCount result;
        table_.assign(static_cast<std::size_t>(cells_), 0);
        table_[0] = 1;
        const auto t = static_cast<std::size_t>(tracked_);
        std::vector<std::int64_t> c(t);
        std::vector<std::int64_t> from(t);
        for (std::int64_t rank = 1; rank <= total_; ++rank) {
            for (std::int64_t b = blocks_ - 1; b >= 0; --b) {
                Counts(b, c);
                std::int64_t taken = 0;
                for (const std::int64_t ci : c) taken += ci;
                const std::int64_t last = rank - taken; // the last group's count after this rank
                if (last < 0)
                    continue; // not reachable yet
                if (last > sizes_.back()) {
                    // The last group would overflow: whatever the block held is gone.
                    if (last - 1 == sizes_.back())
                        ForRows(c, rank - 1, 0, [&](std::int64_t at, std::int64_t length) {
                            std::fill_n(table_.begin() + at, length, 0);
                        });
                    continue;
                }
                // The block keeps its entries (the rank goes to the last
                // group) and takes those of each block one short in a
                // tracked group, shifted by the rank.
                for (std::size_t g = 0; g < t; ++g) {
                    if (c[g] == 0 || c[g] > rank)
                        continue;
                    from = c;
                    from[g] -= 1;
                    const std::int64_t shift = (rank - c[g]) * Stride(c, g);
                    const std::int64_t source = blockStart_[static_cast<std::size_t>(b - countStride_[g])];
                    const std::int64_t target = blockStart_[static_cast<std::size_t>(b)] + shift;
                    ForRows(from, rank - 1, c, g, [&](std::int64_t at, std::int64_t to, std::int64_t length) {
                        const Cell* in = table_.data() + source + at;
                        Cell* out = table_.data() + target + to;
                        for (std::int64_t i = 0; i < length; ++i) out[i] += in[i];
                    });
                }
            }
            if (step && !step(static_cast<long double>(rank) / static_cast<long double>(total_))) {
                result.Stopped = true;
                return result;
            }
        }
        // Only the block of full groups is left.
        const std::int64_t rankTotal = total_ * (total_ + 1) / 2;
        std::vector<std::int64_t> full(t);
        for (std::size_t g = 0; g < t; ++g) full[g] = sizes_[g];
        std::vector<std::int64_t> sums(sizes_.size());
        const std::int64_t start = blockStart_[static_cast<std::size_t>(blocks_ - 1)];
        const std::int64_t cells = blockStart_.back() - start;
        std::vector<std::int64_t> offset(t, 0);
        for (std::int64_t at = 0; at < cells; ++at) {
            const std::uint64_t count = table_[static_cast<std::size_t>(start + at)];
            if (count != 0) {
                std::int64_t dealt = 0;
                for (std::size_t g = 0; g < t; ++g) {
                    sums[g] = full[g] * (full[g] + 1) / 2 + offset[g];
                    dealt += sums[g];
                }
                sums.back() = rankTotal - dealt;
                result.Total += count;
                if (visit(sums))
                    result.Extreme += count;
            }
            for (std::size_t g = t; g-- > 0;) {
                if (++offset[g] < Width(full[g]))
                    break;
                offset[g] = 0;
            }
        }
        result.Done = true;
        return result;
    }

private:
    // Sum offsets of a group holding c of the ranks 1..N: 0..c(N − c).
    std::int64_t Width(std::int64_t c) const { return c * (total_ - c) + 1; }
    // Offsets reached after `rank` ranks: 0..c(rank − c).
    static std::int64_t Reach(std::int64_t c, std::int64_t rank) { return c * (rank - c) + 1; }

    void Counts(std::int64_t block, std::vector<std::int64_t>& c) const {
        for (std::size_t g = 0; g < c.size(); ++g) {
            c[g] = block / countStride_[g];
            block %= countStride_[g];
        }
    }

    // Distance between neighbouring offsets of group g in the block of c.
    std::int64_t Stride(const std::vector<std::int64_t>& c, std::size_t g) const {
        std::int64_t stride = 1;
        for (std::size_t h = g + 1; h < c.size(); ++h) stride *= Width(c[h]);
        return stride;
    }

    // Rows of block c reached after `rank` ranks: start and length.
    template <class Row>
    void ForRows(const std::vector<std::int64_t>& c, std::int64_t rank, std::size_t last, Row row) const {
        ForRows(c, rank, c, last, [&](std::int64_t at, std::int64_t, std::int64_t length) {
            row(blockStart_[static_cast<std::size_t>(BlockOf(c))] + at, length);
        });
    }

    // Rows of block c reached after `rank` ranks, with the position of the
    // same offsets in the block of `into` (same shape but in group `last`).
    // Groups after `last` are taken whole, unreached offsets (zeros) and
    // all, so that a row runs on through them and is as long as it can be.
    template <class Row>
    void ForRows(const std::vector<std::int64_t>& c, std::int64_t rank, const std::vector<std::int64_t>& into,
                 std::size_t last, Row row) const {
        const std::size_t t = c.size();
        if (t == 0) {
            row(0, 0, 1);
            return;
        }
        std::array<std::int64_t, 32> reach{};
        std::array<std::int64_t, 32> strideFrom{};
        std::array<std::int64_t, 32> strideTo{};
        std::array<std::int64_t, 32> offset{};
        std::int64_t sf = 1;
        std::int64_t st = 1;
        for (std::size_t g = t; g-- > 0;) {
            reach[g] = Reach(c[g], rank);
            if (reach[g] <= 0)
                return;
            strideFrom[g] = sf;
            strideTo[g] = st;
            sf *= Width(c[g]);
            st *= Width(into[g]);
        }
        const std::int64_t length = reach[last] * strideFrom[last];
        std::int64_t at = 0;
        std::int64_t to = 0;
        while (true) {
            row(at, to, length);
            std::size_t g = last;
            while (g-- > 0) {
                if (++offset[g] < reach[g]) {
                    at += strideFrom[g];
                    to += strideTo[g];
                    break;
                }
                at -= (reach[g] - 1) * strideFrom[g];
                to -= (reach[g] - 1) * strideTo[g];
                offset[g] = 0;
            }
            if (g == static_cast<std::size_t>(-1))
                return;
        }
    }

    std::int64_t BlockOf(const std::vector<std::int64_t>& c) const {
        std::int64_t b = 0;
        for (std::size_t g = 0; g < c.size(); ++g) b += c[g] * countStride_[g];
        return b;
    }

    std::vector<std::int32_t> sizes_;
    std::int64_t total_ = 0;
    int tracked_ = 0;
    std::vector<std::int64_t> countStride_;
    std::int64_t blocks_ = 0;
    std::vector<std::int64_t> blockStart_;
    long double cells_ = 0;
    long double work_ = 0;
    std::vector<Cell> table_;
};

} // namespace

RankCount CountDealsAtLeast(std::span<const std::int32_t> groupSizes, long double threshold, const CountingStep& step,
                            std::int64_t maxStates, std::int64_t maxWork) {
    RankCount result;
    std::vector<std::int32_t> sizes(groupSizes.begin(), groupSizes.end());
    if (sizes.empty() || std::any_of(sizes.begin(), sizes.end(), [](std::int32_t n) { return n <= 0; }))
        throw CalcFault{CalcInvalid};
    std::sort(sizes.begin(), sizes.end());
    std::int64_t total = 0;
    Wide lcm = 1;
    for (const std::int32_t n : sizes) {
        total += n;
        lcm = lcm / std::gcd(static_cast<std::uint64_t>(lcm), static_cast<std::uint64_t>(n)) * static_cast<Wide>(n);
        if (lcm > (Wide{1} << 40))
            return result;
    }
    // Σ R²·(L/n) >= threshold·L, both sides whole numbers.
    const long double scaled = threshold * static_cast<long double>(lcm);
    if (!std::isfinite(scaled) || std::fabs(scaled) > 1.0e30L)
        return result;
    const __int128 needed = CeilToInteger(scaled);
    auto reaches = [&](std::span<const std::int64_t> sums) {
        Wide key = 0;
        for (std::size_t g = 0; g < sizes.size(); ++g) {
            const Wide r = static_cast<Wide>(sums[g]);
            key += r * r * (lcm / static_cast<Wide>(sizes[g]));
        }
        return needed <= 0 || key >= static_cast<Wide>(needed);
    };

    const std::int64_t rankTotal = total * (total + 1) / 2;
    if (sizes.size() == 1) {
        const std::array<std::int64_t, 1> sums{rankTotal};
        result.Done = true;
        result.Total = 1;
        result.Extreme = reaches(sums) ? 1 : 0;
        return result;
    }
    if (sizes.size() == 2) {
        if (total > std::numeric_limits<int>::max())
            return result;
        const std::vector<std::uint64_t> counts = RankSetSumCounts(static_cast<int>(total), sizes[0]);
        if (counts.empty())
            return result;
        const std::int64_t lowest = static_cast<std::int64_t>(sizes[0]) * (sizes[0] + 1) / 2;
        for (std::size_t d = 0; d < counts.size(); ++d) {
            const std::int64_t sum = lowest + static_cast<std::int64_t>(d);
            const std::array<std::int64_t, 2> sums{sum, rankTotal - sum};
            result.Total += counts[d];
            if (reaches(sums))
                result.Extreme += counts[d];
        }
        result.Done = true;
        return result;
    }
    // The split's estimated work decides between it and the dense table.
    const auto wide = static_cast<std::uint64_t>(lcm);
    const double splitWork = SplitDealsCost(sizes);
    const bool canSplit = splitWork >= 0 && splitWork <= static_cast<double>(maxWork);
    // Three or four groups: the dense table takes milliseconds when it fits
    // (4 bytes a cell below 4·10^9 deals, 8 above); a cell reached costs
    // about a 32nd of a unit of the walk's work.
    long double deals = 1;
    for (std::int64_t dealt = 0; const std::int32_t n : sizes)
        for (std::int32_t i = 1; i <= n; ++i) deals = deals * static_cast<long double>(++dealt) / i;
    if (sizes.size() <= 4) {
        const long double denseBytes = std::min(64.0L * static_cast<long double>(maxStates), DenseByteLimit);
        const long double denseWork = 32.0L * static_cast<long double>(maxWork);
        auto worthIt = [&](long double work) {
            return work <= denseWork && (!canSplit || work / 32 <= static_cast<long double>(splitWork));
        };
        if (deals < 4.0e9L) {
            DenseDealTable<std::uint32_t> dense(sizes);
            if (dense.Cells() * 4 <= denseBytes && worthIt(dense.Work()))
                return dense.Run(step, reaches);
        } else if (deals < 1.8e19L) {
            DenseDealTable<std::uint64_t> dense(sizes);
            if (dense.Cells() * 8 <= denseBytes && worthIt(dense.Work()))
                return dense.Run(step, reaches);
        }
    }
    // Otherwise (or when the dense table would take longer) one of two
    // counts, each far faster than the other on some shapes: the split by
    // groups suits unlike sizes, the walk over states (which merges equal
    // groups, and closes at once the states of two or three groups left
    // open) four or more groups of one size and three or four groups beside
    // a very large one. The walk goes first there, given 0.75 of the work
    // the split would take (with three or four groups, an eighth): it
    // finishes within that on most such shapes, and on the others costs at
    // most about the split's own time again.
    std::size_t largestRun = 1;
    for (std::size_t g = 1, run = 1; g < sizes.size(); ++g) {
        run = sizes[g] == sizes[g - 1] ? run + 1 : 1;
        largestRun = std::max(largestRun, run);
    }
    // A split of under about 10 ms goes first whatever the shape: racing
    // the walk would only add to it.
    const bool splitFirst = canSplit && sizes.size() > 4 && (largestRun < 4 || splitWork <= 5.0e5);
    if (splitFirst) {
        const RankCount split = SplitDealsAtLeast(sizes, wide, needed, step);
        if (split.Done || split.Stopped)
            return split;
    }
    const bool splitAfter = canSplit && !splitFirst;
    const double share = sizes.size() <= 4 ? 0.125 : 0.75;
    const std::int64_t searchWork = splitAfter ? static_cast<std::int64_t>(splitWork * share) : maxWork;
    const RankCount walked = SearchDealsAtLeast(sizes, wide, needed, step, searchWork);
    if (walked.Done || walked.Stopped || !splitAfter)
        return walked;
    return SplitDealsAtLeast(sizes, wide, needed, step);
}

RankCount CountRowOrderingsAtLeast(int rows, int columns, long double threshold, const CountingStep& step) {
    if (rows < 0 || columns < 1 || columns > 6)
        throw CalcFault{CalcInvalid};
    RankCount result;
    std::vector<std::array<int, 6>> orderings;
    std::array<int, 6> order{};
    std::iota(order.begin(), order.begin() + columns, 1);
    do {
        orderings.push_back(order);
    } while (std::next_permutation(order.begin(), order.begin() + columns));

    // Column sums (each below 256) packed a byte each, sorted: the orderings
    // of a row are the same set whatever the order of the columns.
    auto pack = [columns](std::array<int, 6> sums) {
        for (int c = 1; c < columns; ++c)
            for (int d = c; d > 0 && sums[static_cast<std::size_t>(d - 1)] > sums[static_cast<std::size_t>(d)]; --d)
                std::swap(sums[static_cast<std::size_t>(d - 1)], sums[static_cast<std::size_t>(d)]);
        std::uint64_t key = 0;
        for (int c = 0; c < columns; ++c) key = key << 8 | static_cast<std::uint64_t>(sums[c]);
        return key;
    };
    auto unpack = [columns](std::uint64_t key) {
        std::array<int, 6> sums{};
        for (int c = columns - 1; c >= 0; --c) {
            sums[static_cast<std::size_t>(c)] = static_cast<int>(key & 0xFF);
            key >>= 8;
        }
        return sums;
    };
    if (static_cast<long double>(rows) * columns > 255)
        return result;

    std::unordered_map<std::uint64_t, std::uint64_t> current{{0, 1}};
    for (int row = 0; row + 1 < rows; ++row) {
        std::unordered_map<std::uint64_t, std::uint64_t> next;
        for (const auto& [key, count] : current) {
            const std::array<int, 6> sums = unpack(key);
            for (const std::array<int, 6>& ranks : orderings) {
                std::array<int, 6> added = sums;
                for (int c = 0; c < columns; ++c) added[static_cast<std::size_t>(c)] += ranks[static_cast<std::size_t>(c)];
                next[pack(added)] += count;
            }
        }
        current = std::move(next);
        if (step && !step(static_cast<long double>(row + 1) / rows)) {
            result.Stopped = true;
            return result;
        }
    }
    const __int128 needed = CeilToInteger(threshold);
    for (const auto& [key, count] : current) {
        const std::array<int, 6> sums = unpack(key);
        if (rows == 0) {
            result.Total += count;
            result.Extreme += needed <= 0 ? count : 0;
            continue;
        }
        for (const std::array<int, 6>& ranks : orderings) {
            std::int64_t square = 0;
            for (int c = 0; c < columns; ++c) {
                const std::int64_t r = sums[static_cast<std::size_t>(c)] + ranks[static_cast<std::size_t>(c)];
                square += r * r;
            }
            result.Total += count;
            if (square >= needed)
                result.Extreme += count;
        }
    }
    result.Done = true;
    return result;
}

RankCount CountPermutationsAtLeast(int n, std::int64_t dHigh, const CountingStep& step) {
    if (n < 0 || n > 12)
        throw CalcFault{CalcOverflow};
    RankCount result;
    std::uint64_t factorial = 1;
    for (int i = 2; i <= n; ++i) factorial *= static_cast<std::uint64_t>(i);
    result.Total = factorial;
    result.Done = true;
    if (dHigh <= 0) {
        result.Extreme = factorial;
        return result;
    }
    // Partial sums at or beyond dHigh are kept together in the last column.
    const auto width = static_cast<std::size_t>(dHigh) + 1;
    const std::size_t subsets = std::size_t{1} << n;
    if (width > 1024) {
        // Beyond the largest possible Σ D², (n³ − n)/3: nothing reaches it.
        result.Extreme = 0;
        return result;
    }
    std::vector<std::uint32_t> table(subsets * width, 0);
    table[0] = 1;
    for (std::size_t taken = 0; taken + 1 < subsets; ++taken) {
        const std::uint32_t* from = &table[taken * width];
        const int position = std::popcount(taken);
        std::size_t top = width;
        while (top > 0 && from[top - 1] == 0) --top;
        for (int rank = 0; rank < n; ++rank) {
            if ((taken >> rank & 1U) != 0)
                continue;
            std::uint32_t* to = &table[(taken | std::size_t{1} << rank) * width];
            const auto d = static_cast<std::size_t>((rank - position) * (rank - position));
            for (std::size_t s = 0; s < top; ++s) to[std::min(s + d, width - 1)] += from[s];
        }
        if ((taken & 255) == 255 && step && !step(static_cast<long double>(taken) / static_cast<long double>(subsets))) {
            result.Done = false;
            result.Stopped = true;
            return result;
        }
    }
    result.Extreme = table[(subsets - 1) * width + width - 1];
    return result;
}

} // namespace vextal
