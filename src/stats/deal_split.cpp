#include "stats/deal_split.h"

#include "stats/prefix_search.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace vextal {

namespace {

using Wide = __int128;

// Ranks given to the groups of A at most: the subset sums of U are tabled.
constexpr int MaxSetRanks = 14;
// Canonical deals of U into the groups of A at most.
constexpr double MaxPartitions = 200000;
// Room for the tables of p's subsets, one per rank of U chosen (32 MB).
constexpr double MaxTableBytes = 32.0 * 1024 * 1024;

double Choose(std::int64_t n, std::int64_t k) {
    if (k < 0 || k > n)
        return 0;
    double c = 1;
    for (std::int64_t i = 1; i <= k; ++i) c = c * static_cast<double>(n - k + i) / static_cast<double>(i);
    return c;
}

// Deals of Σ sizes positions into the groups, equal sizes unordered.
double CanonicalDeals(const std::vector<std::int64_t>& sizes) {
    double deals = 1;
    std::int64_t placed = 0;
    for (std::size_t g = 0, run = 0; g < sizes.size(); ++g) {
        placed += sizes[g];
        deals *= Choose(placed, sizes[g]);
        run = g > 0 && sizes[g] == sizes[g - 1] ? run + 1 : 1;
        deals /= static_cast<double>(run);
    }
    return deals;
}

struct SplitPlan {
    int P = -1; // the group whose subsets of V are counted
    int Q = -1; // the group that takes the rest of V
    std::vector<int> A;
    std::int64_t K = 0;
    double Cost = -1;
};

// Whether p's values are listed once per set of ranks: it pays when there
// are many deals of U to look them up for.
bool ListsValues(double partitions, double range) {
    return partitions * 30 > range * 5;
}

SplitPlan Plan(std::span<const std::int32_t> sizes) {
    SplitPlan best;
    const auto groups = static_cast<int>(sizes.size());
    std::int64_t total = 0;
    for (const std::int32_t n : sizes) total += n;
    for (int p = 0; p < groups; ++p)
        for (int q = 0; q < groups; ++q) {
            if (p == q || sizes[p] > sizes[q] || (sizes[p] == sizes[q] && p > q))
                continue;
            std::vector<std::int64_t> a;
            SplitPlan plan;
            for (int g = 0; g < groups; ++g)
                if (g != p && g != q) {
                    plan.A.push_back(g);
                    a.push_back(sizes[g]);
                    plan.K += sizes[g];
                }
            if (a.empty() || plan.K > MaxSetRanks)
                continue;
            const double partitions = CanonicalDeals(a);
            if (partitions > MaxPartitions)
                continue;
            const double sets = Choose(total, plan.K);
            const double nodes = Choose(total + 1, plan.K);
            const double range = static_cast<double>(sizes[p]) * static_cast<double>(total) + 1;
            if (8 * static_cast<double>(plan.K + 1) * (sizes[p] + 1) * range > MaxTableBytes)
                continue;
            // Nanoseconds, then work units of the state walk (20 ns); half
            // the sets are visited (their mirror images are not). Each deal
            // of U costs a search in the listed values of p and q, or a
            // closed form when the values are not listed (see Leaf). The
            // last factor brings the sum to the times measured (within a
            // factor of 2 or 3 either way).
            const bool listed = ListsValues(partitions, range);
            const double perDeal = listed ? partitions * 2.5 + range * 4 : partitions * 40;
            plan.Cost = (sets / 2 * (perDeal + std::ldexp(1.0, static_cast<int>(plan.K)) + 50) +
                         nodes / 2 * (sizes[p] + 1) * range * 0.6) / 20 * 0.4;
            plan.P = p;
            plan.Q = q;
            if (best.Cost < 0 || plan.Cost < best.Cost)
                best = std::move(plan);
        }
    return best;
}

class SplitCount {
public:
    SplitCount(std::span<const std::int32_t> sizes, const SplitPlan& plan, std::uint64_t lcm, std::int64_t needed,
               const CountingStep& step)
        : plan_(plan), step_(step), need_(needed) {
        for (const std::int32_t n : sizes) {
            total_ += n;
            sizes_.push_back(n);
            weights_.push_back(static_cast<std::int64_t>(lcm / static_cast<std::uint64_t>(n)));
        }
        places_ = sizes_[static_cast<std::size_t>(plan.P)];
        width_ = places_ * total_ + 1;
        sets_ = Choose(total_, plan.K) / 2; // about half are visited
        lcm_ = static_cast<std::int64_t>(lcm);
        ListPartitions();
        std::vector<std::int64_t> order;
        for (std::size_t g = 0; g < plan.A.size(); ++g) {
            order.push_back(Size(g));
            aWeights_.push_back(lcm_ / Size(g));
        }
        do blockOrders_.insert(blockOrders_.end(), order.begin(), order.end());
        while (std::next_permutation(order.begin(), order.end()));
        ListTails();
    }

    RankCount Run() {
        RankCount result;
        // The subsets of all the ranks by size (up to places_) and sum, kept
        // cumulative over the sum: row c, column s holds the c-subsets
        // summing to at most s.
        tables_.assign(static_cast<std::size_t>((plan_.K + 1) * (places_ + 1) * width_), 0);
        std::uint64_t* base = tables_.data();
        base[0] = 1;
        for (std::int64_t r = 1; r <= total_; ++r)
            for (std::int64_t c = std::min(places_, r); c >= 1; --c)
                for (std::int64_t s = c * r; s >= r; --s) base[c * width_ + s] += base[(c - 1) * width_ + s - r];
        for (std::int64_t c = 0; c <= places_; ++c)
            for (std::int64_t s = 1; s < width_; ++s) base[c * width_ + s] += base[c * width_ + s - 1];
        listValues_ =
            ListsValues(static_cast<double>(partitions_.size() / plan_.A.size()), static_cast<double>(width_));
        chosen_.assign(static_cast<std::size_t>(plan_.K), 0);
        sums_.assign(std::size_t{1} << plan_.K, 0);
        Visit(0, 1);
        if (stopped_) {
            result.Stopped = true;
            return result;
        }
        result.Done = true;
        result.Total = Deals();
        result.Extreme = extreme_;
        return result;
    }

private:
    std::uint64_t Deals() const {
        std::uint64_t deals = 1;
        std::int64_t placed = 0;
        for (const std::int64_t n : sizes_) {
            placed += n;
            Wide c = 1;
            for (std::int64_t i = 1; i <= n; ++i) c = c * (placed - n + i) / i;
            deals *= static_cast<std::uint64_t>(c);
        }
        return deals;
    }

    // The canonical deals of K positions into the groups of A (each group's
    // positions as a mask; groups of one size with increasing least
    // positions), and how many labelled deals each stands for.
    void ListPartitions() {
        std::vector<std::uint32_t> masks(plan_.A.size());
        multiplicity_ = 1;
        for (std::size_t g = 0, run = 0; g < plan_.A.size(); ++g) {
            run = g > 0 && Size(g) == Size(g - 1) ? run + 1 : 1;
            multiplicity_ *= run;
        }
        const std::uint32_t all = (std::uint32_t{1} << plan_.K) - 1;
        Partition(0, all, masks);
    }

    std::int64_t Size(std::size_t g) const { return sizes_[static_cast<std::size_t>(plan_.A[g])]; }

    void Partition(std::size_t g, std::uint32_t free, std::vector<std::uint32_t>& masks) {
        if (g == masks.size()) {
            partitions_.insert(partitions_.end(), masks.begin(), masks.end());
            return;
        }
        // A group of the same size as the one before starts after its start.
        std::uint32_t first = free;
        if (g > 0 && Size(g) == Size(g - 1))
            first &= ~((std::uint32_t{2} << std::countr_zero(masks[g - 1])) - 1);
        Subsets(g, free, first, 0, Size(g), masks);
    }

    // Completes group g's mask with `left` more positions out of
    // `candidates`, in increasing order.
    void Subsets(std::size_t g, std::uint32_t free, std::uint32_t candidates, std::uint32_t mask, std::int64_t left,
                 std::vector<std::uint32_t>& masks) {
        if (left == 0) {
            masks[g] = mask;
            Partition(g + 1, free & ~mask, masks);
            return;
        }
        for (std::uint32_t rest = candidates; std::popcount(rest) >= left; rest &= rest - 1) {
            const std::uint32_t bit = rest & (~rest + 1);
            Subsets(g, free, free & ~((bit << 1) - 1), mask | bit, left - 1, masks);
        }
    }

    void Remove(const std::uint64_t* __restrict source, const std::uint64_t* __restrict previous,
                std::uint64_t* __restrict row, std::int64_t r) const {
        const std::int64_t split = std::min(r, width_);
        for (std::int64_t s = 0; s < split; ++s) row[s] = source[s];
        for (std::int64_t s = split; s < width_; ++s) row[s] = source[s] - previous[s - r];
    }

    // Chooses the depth-th rank of U (ranks from `from` on); the table of
    // the ranks outside U chosen so far is tables_ at `depth`.
    void Visit(std::int64_t depth, std::int64_t from) {
        if (stopped_)
            return;
        if (depth == plan_.K) {
            Leaf();
            return;
        }
        const std::uint64_t* in = tables_.data() + depth * (places_ + 1) * width_;
        std::uint64_t* out = tables_.data() + (depth + 1) * (places_ + 1) * width_;
        // A set and its mirror image (r to N + 1 − r) count alike: the
        // statistic is a sum of squares of the groups' sums less their
        // means, which the mirror only negates. Only the sets whose least
        // and largest ranks sum to at most N + 1 are visited (see Leaf).
        const std::int64_t last = depth == 0 ? (total_ + 2 - plan_.K) / 2
                                             : total_ + 1 - chosen_[0] - (plan_.K - depth - 1);
        for (std::int64_t r = from; r <= last; ++r) {
            // Without r: out_c(t) = in_c(t) − t^r·out_{c−1}(t), on the
            // cumulative rows as well.
            std::copy(in, in + width_, out);
            for (std::int64_t c = 1; c <= places_; ++c)
                Remove(in + c * width_, out + (c - 1) * width_, out + c * width_, r);
            chosen_[static_cast<std::size_t>(depth)] = r;
            Visit(depth + 1, r + 1);
            if (stopped_)
                return;
        }
    }

    void Leaf() {
        if ((++leaves_ & 255) == 0 && step_ && !step_(std::min(1.0, static_cast<double>(leaves_) / sets_))) {
            stopped_ = true;
            return;
        }
        // Of U and its mirror, the first where the sums u_i + u_(K−1−i) of
        // the ranks from either end first differ from N + 1 falls short is
        // counted twice, the other not at all; U its own mirror once.
        std::uint64_t mirrored = 1;
        for (std::int64_t i = 0, j = plan_.K - 1; i <= j; ++i, --j) {
            const std::int64_t pair = chosen_[static_cast<std::size_t>(i)] + chosen_[static_cast<std::size_t>(j)];
            if (pair != total_ + 1) {
                mirrored = pair < total_ + 1 ? 2 : 0;
                break;
            }
        }
        if (mirrored == 0)
            return;
        weight_ = multiplicity_ * mirrored;
        // Subset sums of U by mask of positions.
        std::int64_t inU = 0;
        for (std::size_t mask = 1; mask < sums_.size(); ++mask)
            sums_[mask] = sums_[mask & (mask - 1)] + chosen_[static_cast<std::size_t>(std::countr_zero(mask))];
        inU = sums_.back();
        // p's subsets of V by sum S; the statistic of p and q, w_p·S² +
        // w_q·(T − S)², is convex in S.
        const std::uint64_t* row = tables_.data() + (plan_.K * (places_ + 1) + places_) * width_;
        const std::int64_t rest = total_ * (total_ + 1) / 2 - inU;
        const std::int64_t wp = weights_[static_cast<std::size_t>(plan_.P)];
        const std::int64_t wq = weights_[static_cast<std::size_t>(plan_.Q)];
        const std::uint64_t all = row[width_ - 1];
        const std::size_t groups = plan_.A.size();
        const std::uint64_t deals = partitions_.size() / groups;
        if (deals >= 16 && Settled(inU, rest, wp, wq, all, deals))
            return;
        std::uint64_t extreme = 0;
        const std::int64_t* aWeights = aWeights_.data();
        const std::uint32_t* partitions = partitions_.data();
        const std::int64_t* sums = sums_.data();
        auto partition = [&](std::size_t at) {
            std::int64_t a = 0;
            for (std::size_t g = 0; g < groups; ++g) {
                const std::int64_t sum = sums[partitions[at + g]];
                a += aWeights[g] * sum * sum;
            }
            return a;
        };
        if (!listValues_) {
            for (std::size_t at = 0; at < partitions_.size(); at += groups)
                extreme += CountConvex(wp, wq, rest, need_ - partition(at), row);
            extreme_ += extreme * weight_;
            return;
        }
        // Merged from both ends, the values come in decreasing order.
        auto value = [&](std::int64_t s) { return wp * s * s + wq * (rest - s) * (rest - s); };
        auto at = [&](std::int64_t s) { return s == 0 ? row[0] : row[s] - row[s - 1]; };
        std::int64_t low = 0;
        std::int64_t high = width_ - 1;
        while (low <= high && at(low) == 0) ++low;
        while (high >= low && at(high) == 0) --high;
        // values_ holds them padded to a power of two with values no need
        // reaches, below_[i] the subsets among the first i.
        values_.clear();
        below_.assign(1, 0);
        std::uint64_t running = 0;
        while (low <= high) {
            const std::int64_t vl = value(low);
            const std::int64_t vh = value(high);
            const bool takeLow = vl >= vh;
            running += at(takeLow ? low : high);
            const std::int64_t v = takeLow ? vl : vh;
            if (!values_.empty() && values_.back() == v) {
                below_.back() = running; // equal values (p and q alike) as one
            } else {
                values_.push_back(v);
                below_.push_back(running);
            }
            if (takeLow)
                do ++low;
                while (low <= high && at(low) == 0);
            else
                do --high;
                while (high >= low && at(high) == 0);
        }
        values_.resize(std::bit_ceil(values_.size()), std::numeric_limits<std::int64_t>::min());
        extreme = CountListed();
        extreme_ += extreme * weight_;
    }

    // The number of listed values at least `need` (they decrease), by a
    // search without branches: the partitions' searches overlap.
    std::size_t Reach(std::int64_t need) const {
        const std::int64_t* v = values_.data();
        std::size_t n = values_.size();
        while (n > 1) {
            n /= 2;
            v += n & (std::size_t{0} - static_cast<std::size_t>(v[n - 1] >= need));
        }
        return static_cast<std::size_t>(v - values_.data()) + (v[0] >= need ? 1 : 0);
    }

    // The partitions again, as a head (the masks of all A groups but the
    // last two, listed once: the partitions come in lexicographic order)
    // and the masks of the last two groups.
    void ListTails() {
        const std::size_t groups = plan_.A.size();
        const std::size_t head = groups >= 2 ? groups - 2 : 0;
        for (std::size_t g = 0; g < groups; ++g)
            (g < head ? headWeights_ : tailWeights_).push_back(aWeights_[g]);
        tailWeights_.resize(2, 0); // one group: the second mask is empty
        for (std::size_t at = 0; at < partitions_.size(); at += groups) {
            const std::uint32_t* masks = partitions_.data() + at;
            if (tails_.empty() || !std::equal(masks, masks + head, heads_.end() - static_cast<std::ptrdiff_t>(head)))
                heads_.insert(heads_.end(), masks, masks + head);
            const std::uint32_t index = head == 0 ? 0 : static_cast<std::uint32_t>(heads_.size() / head - 1);
            tails_.push_back({index, masks[head], groups >= 2 ? masks[head + 1] : 0});
        }
        headValues_.assign(head == 0 ? 1 : heads_.size() / head, 0);
    }

    // The extreme deals of U over the listed partitions. The searches run a
    // batch at a time, step by step, so that their loads overlap.
    std::uint64_t CountListed() {
        const std::size_t head = headWeights_.size();
        const std::int64_t* sums = sums_.data();
        for (std::size_t h = 0; h < headValues_.size(); ++h) {
            std::int64_t a = 0;
            for (std::size_t g = 0; g < head; ++g) {
                const std::int64_t sum = sums[heads_[h * head + g]];
                a += headWeights_[g] * sum * sum;
            }
            headValues_[h] = need_ - a;
        }
        constexpr std::size_t Batch = 8;
        const std::int64_t* values = values_.data();
        const std::uint64_t* below = below_.data();
        const std::int64_t* heads = headValues_.data();
        const std::size_t size = values_.size();
        const std::int64_t w1 = tailWeights_[0];
        const std::int64_t w2 = tailWeights_[1];
        auto need = [&](const Tail& tail) {
            const std::int64_t s1 = sums[tail.First];
            const std::int64_t s2 = sums[tail.Second];
            return heads[tail.Head] - w1 * s1 * s1 - w2 * s2 * s2;
        };
        const std::size_t count = tails_.size();
        const Tail* tails = tails_.data();
        std::uint64_t extreme = 0;
        std::size_t at = 0;
        for (; at + Batch <= count; at += Batch) {
            std::int64_t needs[Batch];
            std::size_t found[Batch];
            for (std::size_t b = 0; b < Batch; ++b) {
                needs[b] = need(tails[at + b]);
                found[b] = 0;
            }
            for (std::size_t n = size; n > 1;) {
                n /= 2;
                for (std::size_t b = 0; b < Batch; ++b)
                    found[b] += n & (std::size_t{0} - static_cast<std::size_t>(values[found[b] + n - 1] >= needs[b]));
            }
            for (std::size_t b = 0; b < Batch; ++b)
                extreme += below[found[b] + (values[found[b]] >= needs[b] ? 1 : 0)];
        }
        for (; at < count; ++at) extreme += below[Reach(need(tails[at]))];
        return extreme;
    }

    // Settles every deal of U at once when the bounds allow: the A groups'
    // statistic is at most its largest over blocks of the sorted U (a convex
    // function is largest at a vertex) and at least L·ΣU²/K (Cauchy-Schwarz);
    // p and q's lies between its value at the turn and at the ends of the
    // sums p can take.
    bool Settled(std::int64_t inU, std::int64_t rest, std::int64_t wp, std::int64_t wq, std::uint64_t all,
                 std::uint64_t deals) {
        std::int64_t prefix[MaxSetRanks + 1] = {0};
        for (std::int64_t i = 0; i < plan_.K; ++i) prefix[i + 1] = prefix[i] + chosen_[static_cast<std::size_t>(i)];
        std::int64_t aMost = 0;
        for (std::size_t at = 0; at < blockOrders_.size(); at += plan_.A.size()) {
            std::int64_t a = 0;
            std::int64_t start = 0;
            for (std::size_t g = 0; g < plan_.A.size(); ++g) {
                const std::int64_t n = blockOrders_[at + g];
                const std::int64_t sum = prefix[start + n] - prefix[start];
                a += lcm_ / n * sum * sum;
                start += n;
            }
            aMost = std::max(aMost, a);
        }
        const std::int64_t aLeast = lcm_ * inU / plan_.K * inU; // rounded down
        // p's least and largest sums: its places filled from either end of V.
        std::int64_t sLow = 0;
        std::int64_t sHigh = 0;
        for (std::int64_t r = 1, taken = 0, u = 0; taken < places_; ++r) {
            if (u < plan_.K && chosen_[static_cast<std::size_t>(u)] == r) {
                ++u;
                continue;
            }
            sLow += r;
            ++taken;
        }
        for (std::int64_t r = total_, taken = 0, u = plan_.K - 1; taken < places_; --r) {
            if (u >= 0 && chosen_[static_cast<std::size_t>(u)] == r) {
                --u;
                continue;
            }
            sHigh += r;
            ++taken;
        }
        auto b = [&](std::int64_t sum) { return wp * sum * sum + wq * (rest - sum) * (rest - sum); };
        const std::int64_t turn = wq * rest / (wp + wq);
        const std::int64_t bMost = std::max(b(sLow), b(sHigh));
        const std::int64_t bLeast = std::min(b(std::clamp(turn, sLow, sHigh)), b(std::clamp(turn + 1, sLow, sHigh)));
        if (aLeast + bLeast >= need_) {
            extreme_ += deals * weight_ * all;
            return true;
        }
        return aMost + bMost < need_;
    }

    // The subsets S (cumulative counts in `row`) with wp·S² + wq·(rest − S)²
    // at least `need`: those up to the turn from the left, those after it
    // from the right, each bound guessed from the real roots and settled
    // exactly.
    std::uint64_t CountConvex(std::int64_t wp, std::int64_t wq, std::int64_t rest, std::int64_t need,
                              const std::uint64_t* row) const {
        const std::int64_t top = width_ - 1;
        auto reaches = [&](std::int64_t s) { return wp * s * s + wq * (rest - s) * (rest - s) >= need; };
        // The turn ⌊wq·rest/(wp + wq)⌋ (rest >= 0).
        const std::int64_t split = std::min(wq * rest / (wp + wq), top);
        // (wp + wq)S² − 2wq·rest·S + wq·rest² − need >= 0
        const double alpha = static_cast<double>(wp + wq);
        const double beta = -2.0 * static_cast<double>(wq) * static_cast<double>(rest);
        const double gamma = static_cast<double>(wq) * static_cast<double>(rest) * static_cast<double>(rest) -
                             static_cast<double>(need);
        const double disc = beta * beta - 4 * alpha * gamma;
        if (disc < 0 && reaches(split) && (split == top || reaches(split + 1)))
            return row[top];
        return WeightBesideTurn(split, top, alpha, beta, gamma, reaches,
                                [&](std::int64_t s) { return s < 0 ? std::uint64_t{0} : row[s]; });
    }

    const SplitPlan& plan_;
    const CountingStep& step_;
    std::int64_t need_;
    std::int64_t total_ = 0;
    std::vector<std::int64_t> sizes_;
    std::vector<std::int64_t> weights_;
    std::int64_t places_ = 0;
    std::int64_t width_ = 0;
    double sets_ = 0;
    std::vector<std::uint32_t> partitions_;
    std::uint64_t multiplicity_ = 1;
    std::uint64_t weight_ = 1; // multiplicity_ times the mirror's share, for the current U
    std::vector<std::uint64_t> tables_;
    std::vector<std::int64_t> chosen_;
    std::vector<std::int64_t> sums_;
    std::vector<std::int64_t> values_;
    std::vector<std::uint64_t> below_;
    bool listValues_ = true;
    std::int64_t lcm_ = 0;
    std::vector<std::int64_t> blockOrders_; // the orders of the A sizes, one after another
    std::vector<std::int64_t> aWeights_;    // L/n of the A groups
    struct Tail {
        std::uint32_t Head;   // index of the head
        std::uint32_t First;  // masks of the last two groups
        std::uint32_t Second;
    };
    std::vector<std::uint32_t> heads_;       // the head masks, head after head
    std::vector<Tail> tails_;                // one per partition
    std::vector<std::int64_t> headWeights_;  // L/n of the head groups
    std::vector<std::int64_t> tailWeights_;  // L/n of the last two (0: none)
    std::vector<std::int64_t> headValues_;   // need less the head's statistic, per U
    std::uint64_t extreme_ = 0;
    std::uint64_t leaves_ = 0;
    bool stopped_ = false;
};

// L·N³ below this keeps every sum of squares in 64 bits.
constexpr double ScaleLimit = 0x1p60;

} // namespace

double SplitDealsCost(std::span<const std::int32_t> sizes) {
    if (sizes.size() < 3 || !std::is_sorted(sizes.begin(), sizes.end()) || sizes.front() <= 0)
        return -1;
    return Plan(sizes).Cost;
}

RankCount SplitDealsAtLeast(std::span<const std::int32_t> sizes, std::uint64_t lcm, __int128 needed,
                            const CountingStep& step) {
    if (sizes.size() < 3 || !std::is_sorted(sizes.begin(), sizes.end()))
        return {};
    std::int64_t total = 0;
    for (const std::int32_t n : sizes) {
        if (n <= 0 || lcm % static_cast<std::uint64_t>(n) != 0)
            return {};
        total += n;
    }
    if (static_cast<double>(lcm) * std::pow(static_cast<double>(total), 3) >= ScaleLimit)
        return {};
    // The number of deals must fit.
    double deals = 1;
    for (std::int64_t placed = 0; const std::int32_t n : sizes) {
        placed += n;
        deals *= Choose(placed, n);
    }
    if (deals >= 0x1p62)
        return {};
    const SplitPlan plan = Plan(sizes);
    if (plan.Cost < 0)
        return {};
    const auto need = static_cast<std::int64_t>(std::clamp<Wide>(needed, -1, Wide{1} << 61));
    return SplitCount(sizes, plan, lcm, need, step).Run();
}

} // namespace vextal
