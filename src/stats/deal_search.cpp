#include "stats/deal_search.h"

#include "stats/prefix_search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace vextal {

namespace {

using Wide = __int128;
using Key = unsigned __int128;

// More groups than this never reach the search (26 columns at most).
constexpr int MaxGroups = 64;
// Cached cumulative counts at most (8 bytes each, 64 MB in all).
constexpr std::size_t MaxTableEntries = std::size_t{1} << 23;
// States of one step at most (16 bytes each, in three buffers: 96 MB).
constexpr std::size_t MaxLayerEntries = std::size_t{1} << 21;
// Joint tables of two subsets only for runs of at most this many values.
constexpr std::int64_t MaxJointValues = 40;
// The number of deals must stay below this.
constexpr long double DealLimit = 0x1p62L;

// Binomial coefficients up to C(66, 33) < 2^63, the rows a table holds.
constexpr int PascalRows = 67;

class Pascal {
public:
    Pascal() {
        for (int n = 0; n < PascalRows; ++n) {
            rows_[n][0] = 1;
            for (int k = 1; k <= n; ++k) rows_[n][k] = rows_[n - 1][k - 1] + (k < n ? rows_[n - 1][k] : 0);
        }
    }
    std::uint64_t operator()(std::int64_t n, std::int64_t k) const { return rows_[n][k]; }

private:
    std::array<std::array<std::uint64_t, PascalRows>, PascalRows> rows_{};
};

const Pascal& PascalTable() {
    static const Pascal table;
    return table;
}

// C(n, k) for 0 <= k <= n, known to be below 2^62 (a factor of the number
// of deals).
std::uint64_t Binomial(std::int64_t n, std::int64_t k) {
    k = std::min(k, n - k);
    if (k <= 0)
        return k == 0 ? 1 : 0;
    if (n < PascalRows)
        return PascalTable()(n, k);
    Wide c = 1;
    for (std::int64_t i = 1; i <= k; ++i) c = c * (n - k + i) / i; // exact: C(n − k + i, i)
    return static_cast<std::uint64_t>(c);
}

// ⌊p/q⌋ for q > 0.
template <class Int>
Int FloorDivide(Int p, Int q) {
    const Int quotient = p / q;
    return quotient * q > p ? quotient - 1 : quotient;
}

// A growing array of trivial entries that neither fills new room nor keeps
// the old contents when told not to.
template <class T>
class Buffer {
public:
    std::size_t Size() const { return size_; }
    T* Data() { return data_.get(); }
    const T* Data() const { return data_.get(); }
    T& operator[](std::size_t at) { return data_[at]; }
    const T& operator[](std::size_t at) const { return data_[at]; }
    void Clear() { size_ = 0; }
    void Push(const T& value) {
        if (size_ == capacity_)
            Reserve(std::max<std::size_t>(1024, 2 * capacity_), true);
        data_[size_++] = value;
    }
    // Room for `size` entries, their contents undefined.
    void Resize(std::size_t size) {
        if (size > capacity_)
            Reserve(size + size / 2, false);
        size_ = size;
    }
    void Swap(Buffer& other) {
        std::swap(data_, other.data_);
        std::swap(size_, other.size_);
        std::swap(capacity_, other.capacity_);
    }

private:
    void Reserve(std::size_t capacity, bool keep) {
        std::unique_ptr<T[]> data(new T[capacity]);
        if (keep)
            std::copy(data_.get(), data_.get() + size_, data.get());
        data_ = std::move(data);
        capacity_ = capacity;
    }

    std::unique_ptr<T[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// The states of one step of the walk, packed (see DealSearch::Pack), with
// the number of partial deals that reach each. Children are appended, then
// sorted by key (radix sort, least significant digit first) and merged, so
// that deals arriving at one state by different ways are counted together.
template <class KeyT>
class Layer {
public:
    struct Entry {
        KeyT StateKey;
        std::uint64_t Weight;
    };

    std::size_t Size() const { return entries_.Size(); }
    const Entry& operator[](std::size_t at) const { return entries_[at]; }
    void Clear() { entries_.Clear(); }
    void Add(KeyT key, std::uint64_t weight) { entries_.Push({key, weight}); }
    void Swap(Layer& other) { entries_.Swap(other.entries_); }

    // Sorts by key (`bits` wide), with `scratch` for room, and merges equal
    // keys.
    void Merge(int bits, Buffer<Entry>& scratch) {
        const std::size_t size = entries_.Size();
        Entry* entries = entries_.Data();
        if (size < 512) {
            std::sort(entries, entries + size, [](const Entry& x, const Entry& y) { return x.StateKey < y.StateKey; });
        } else {
            constexpr int Digit = 11;
            constexpr std::size_t Buckets = std::size_t{1} << Digit;
            std::array<std::size_t, Buckets> counts;
            scratch.Resize(size);
            for (int shift = 0; shift < bits; shift += Digit) {
                counts.fill(0);
                for (std::size_t at = 0; at < size; ++at)
                    ++counts[static_cast<std::size_t>(entries_[at].StateKey >> shift) & (Buckets - 1)];
                std::size_t position = 0;
                for (std::size_t& c : counts) position += std::exchange(c, position);
                Entry* out = scratch.Data();
                for (std::size_t at = 0; at < size; ++at) {
                    const Entry& e = entries_[at];
                    out[counts[static_cast<std::size_t>(e.StateKey >> shift) & (Buckets - 1)]++] = e;
                }
                entries_.Swap(scratch);
            }
            entries = entries_.Data();
        }
        std::size_t kept = 0;
        for (std::size_t at = 0; at < size; ++at) {
            if (kept > 0 && entries[kept - 1].StateKey == entries[at].StateKey)
                entries[kept - 1].Weight += entries[at].Weight;
            else
                entries[kept++] = entries[at];
        }
        entries_.Resize(kept);
    }

private:
    Buffer<Entry> entries_;
};

// Pairs of disjoint subsets (sizes i and j) of `left` consecutive values by
// the offsets of their sums above the least, cumulative along the second.
struct JointTable {
    std::int64_t Rows = 0;
    std::int64_t Columns = 0;
    std::vector<std::uint64_t> Counts;
    std::vector<std::uint64_t> Cumulative;
};

// The problem as the search sees it.
struct DealProblem {
    std::vector<std::int64_t> Sizes; // ascending
    std::vector<std::int64_t> Weights; // L/n
    std::int64_t Total = 0;          // N
    Wide Need = 0;                   // Σ D²·(L/n) must reach this
};

// The search proper, with `Int` wide enough for every sum it forms.
template <class Int, class KeyT>
class DealSearch {
public:
    DealSearch(const DealProblem& problem, const CountingStep& step, std::int64_t maxWork)
        : step_(step), maxWork_(maxWork), groups_(static_cast<int>(problem.Sizes.size())),
          total_(problem.Total), need_(static_cast<Int>(problem.Need)) {
        for (int g = 0; g < groups_; ++g) {
            size_[g] = problem.Sizes[static_cast<std::size_t>(g)];
            weight_[g] = problem.Weights[static_cast<std::size_t>(g)];
            places_[g] = size_[g];
            sums_[g] = 0;
            classStart_[g] = g > 0 && size_[g] == size_[g - 1] ? classStart_[g - 1] : g;
        }
        // A state packs into 128 bits as (places, D + n·N) of every group
        // but the last.
        int bits = 0;
        for (int g = 0; g + 1 < groups_; ++g) {
            const auto n = static_cast<std::uint64_t>(size_[g]);
            placeBits_[g] = std::bit_width(n);
            sumBits_[g] = std::bit_width(2 * n * static_cast<std::uint64_t>(total_));
            bits += placeBits_[g] + sumBits_[g];
        }
        keyBits_ = bits;
        packable_ = bits < static_cast<int>(8 * sizeof(KeyT));
    }

    RankCount Run() {
        RankCount result;
        if (!packable_)
            return result;
        const std::uint64_t all = Completions();
        std::uint64_t extreme = 0;
        if (Settle(extreme)) {
            result.Done = true;
            result.Total = all;
            result.Extreme = extreme;
            return result;
        }
        Layer<KeyT> current;
        Layer<KeyT> next;
        Buffer<typename Layer<KeyT>::Entry> scratch;
        current.Add(Pack(), 1);
        for (dealt_ = 0; current.Size() > 0; dealtSum_ += Value(dealt_), ++dealt_) {
            next.Clear();
            for (std::size_t at = 0; at < current.Size(); ++at) {
                work_ += 4;
                if (work_ > maxWork_)
                    return result;
                if ((++nodes_ & 4095) == 0) {
                    const double done = (static_cast<double>(dealt_) + static_cast<double>(at) /
                                         static_cast<double>(current.Size())) / static_cast<double>(total_);
                    if (step_ && !step_(done)) {
                        result.Stopped = true;
                        return result;
                    }
                }
                Unpack(current[at].StateKey);
                extreme += Expand(current[at].Weight, next);
                if (next.Size() > MaxLayerEntries)
                    return result; // beyond the room allowed
            }
            next.Merge(keyBits_, scratch);
            current.Swap(next);
            if (step_ && !step_(static_cast<double>(dealt_ + 1) / static_cast<double>(total_))) {
                result.Stopped = true;
                return result;
            }
        }
        result.Done = true;
        result.Total = all;
        result.Extreme = extreme;
        return result;
    }

private:
    // The rank dealt when `dealt` ranks are gone (N first), doubled and
    // centred.
    std::int64_t Value(std::int64_t dealt) const { return total_ - 1 - 2 * dealt; }

    void Unpack(KeyT key) {
        std::int64_t places = total_ - dealt_;
        std::int64_t sums = dealtSum_;
        for (int g = groups_ - 2; g >= 0; --g) {
            sums_[g] = static_cast<std::int64_t>(key & ((KeyT{1} << sumBits_[g]) - 1)) - size_[g] * total_;
            key >>= sumBits_[g];
            places_[g] = static_cast<std::int64_t>(key & ((KeyT{1} << placeBits_[g]) - 1));
            key >>= placeBits_[g];
            places -= places_[g];
            sums -= sums_[g];
        }
        places_[groups_ - 1] = places;
        sums_[groups_ - 1] = sums;
    }

    // (places, D + n·N) of every group but the last, which the others and
    // the step determine.
    KeyT Pack() const {
        KeyT key = 0;
        for (int g = 0; g + 1 < groups_; ++g) {
            key = key << placeBits_[g] | static_cast<KeyT>(places_[g]);
            key = key << sumBits_[g] | static_cast<KeyT>(sums_[g] + size_[g] * total_);
        }
        return key;
    }

    // Deals the next rank to each open group, one of each run of equal
    // groups holding alike, weighted by the run: each new state is settled
    // at once if it can be, or goes to the next step. Returns the extreme
    // deals settled.
    std::uint64_t Expand(std::uint64_t weight, Layer<KeyT>& next) {
        const std::int64_t value = Value(dealt_);
        std::uint64_t extreme = 0;
        for (int g = 0; g < groups_; ++g) {
            const int start = classStart_[g];
            if (places_[g] == 0 || (g > start && places_[g - 1] == places_[g] && sums_[g - 1] == sums_[g]))
                continue;
            int end = g + 1;
            while (end < groups_ && classStart_[end] == start && places_[end] == places_[g] && sums_[end] == sums_[g])
                ++end;
            const auto run = static_cast<std::uint64_t>(end - g);
            // The dealt group has fewer places: it moves towards the front of
            // its run of equal sizes, which stays in increasing order.
            const std::int64_t place = places_[g] - 1;
            const std::int64_t sum = sums_[g] + value;
            int at = g;
            for (; at > start && std::pair(places_[at - 1], sums_[at - 1]) > std::pair(place, sum); --at) {
                places_[at] = places_[at - 1];
                sums_[at] = sums_[at - 1];
            }
            places_[at] = place;
            sums_[at] = sum;
            ++dealt_;
            std::uint64_t count = 0;
            if (Settle(count))
                extreme += weight * run * count;
            else
                next.Add(Pack(), weight * run);
            --dealt_;
            // Put the run back as it was.
            for (; at < g; ++at) {
                places_[at] = places_[at + 1];
                sums_[at] = sums_[at + 1];
            }
            places_[g] = place + 1;
            sums_[g] = sum - value;
        }
        return extreme;
    }

    // The ways to fill the open places with the ranks left: (Σ m)!/Π m!.
    std::uint64_t Completions() const {
        std::int64_t left = total_ - dealt_;
        std::uint64_t ways = 1;
        for (int g = 0; g < groups_ && left > 0; ++g) {
            if (places_[g] == 0 || places_[g] == left)
                continue;
            ways *= Binomial(left, places_[g]);
            left -= places_[g];
        }
        return ways;
    }

    // Settles the state if it can: the number of its completions that
    // reach the threshold.
    bool Settle(std::uint64_t& extreme) {
        ++work_;
        // The ranks left are 1..left: doubled and centred, lowest, lowest + 2, ...
        const std::int64_t left = total_ - dealt_;
        const std::int64_t lowest = 1 - total_;
        const std::int64_t mean = left - total_; // their mean
        Int closed = 0;
        int open[3];
        int k = 0;
        // Around the even share u = D + m·mean, with z the sum of a group's
        // values less their mean: f = Σ w·u² + 2·Σ w·u·z + Σ w·z², where
        // |z| <= m(left − m) and Σ w·u·z is largest with the groups in
        // decreasing w·u taking blocks from the top (the least is its
        // negative: the values left are symmetric about their mean).
        Int base = 0;
        Int square = 0;
        Int slope[MaxGroups];
        std::int64_t slopePlaces[MaxGroups];
        for (int g = 0; g < groups_; ++g) {
            if (places_[g] == 0) {
                closed += weight_[g] * static_cast<Int>(sums_[g]) * sums_[g];
                continue;
            }
            if (k < 3)
                open[k] = g;
            const Int u = sums_[g] + static_cast<Int>(places_[g]) * mean;
            const Int wu = weight_[g] * u;
            base += wu * u;
            const Int spread = static_cast<Int>(places_[g]) * (left - places_[g]);
            square += weight_[g] * spread * spread;
            int at = k++;
            for (; at > 0 && slope[at - 1] < wu; --at) {
                slope[at] = slope[at - 1];
                slopePlaces[at] = slopePlaces[at - 1];
            }
            slope[at] = wu;
            slopePlaces[at] = places_[g];
        }
        if (k <= 1) {
            extreme = closed + base >= need_ ? 1 : 0;
            return true;
        }
        base += closed;
        Int linear = 0;
        std::int64_t above = 0;
        for (int t = 0; t < k; ++t) {
            const std::int64_t m = slopePlaces[t];
            linear += slope[t] * (static_cast<Int>(m) * (left - m - 2 * above));
            above += m;
        }
        if (base + 2 * linear + square < need_) {
            extreme = 0;
            return true;
        }
        if (base - 2 * linear >= need_) {
            extreme = Completions();
            return true;
        }
        if (k == 2 && TwoOpen(open[0], open[1], closed, left, lowest, extreme))
            return true;
        if (k == 3 && ThreeOpen(open, closed, left, lowest, extreme))
            return true;
        return false;
    }

    // Σ of the counts of e in [0, top] whose base + wg(a + 2e)² + wh(b − 2e)²
    // reaches need_, upTo(e) being the counts of 0..e (0 for e = −1). The
    // quadratic falls up to its turn and rises after it: the reaching e are
    // a prefix and a suffix, placed by the real roots, then settled exactly.
    template <class UpTo>
    std::uint64_t CountConvex(Int base, Int wg, Int a, Int wh, Int b, std::int64_t top, UpTo upTo) const {
        ++work_;
        auto reaches = [&](std::int64_t e) {
            const Int x = a + 2 * static_cast<Int>(e);
            const Int y = b - 2 * static_cast<Int>(e);
            return base + wg * x * x + wh * y * y >= need_;
        };
        const Int turn = FloorDivide<Int>(wh * b - wg * a, 2 * (wg + wh));
        const std::int64_t split = static_cast<std::int64_t>(std::clamp<Int>(turn, -1, top));
        // 4(wg + wh)e² + 4(wg·a − wh·b)e + (base + wg·a² + wh·b² − need) >= 0,
        // roots guessed in double precision.
        const double alpha = 4.0 * static_cast<double>(wg + wh);
        const double beta = 4.0 * static_cast<double>(wg * a - wh * b);
        const double gamma = static_cast<double>(base + wg * a * a + wh * b * b - need_);
        return WeightBesideTurn(split, top, alpha, beta, gamma, reaches, upTo);
    }

    // The bounds of the run of e short of need_ in the row before (see
    // CountRow); -1 before the first.
    struct Sweep {
        std::int64_t Low = -1;
        std::int64_t High = -1;
    };

    // As CountConvex, for one of a sequence of rows whose runs of e short of
    // need_ move little from row to row (the rows of a joint table, or the
    // positions of a single value): the ends of the run start from those of
    // the row before and step to their place. The run is an interval (the
    // quadratic is convex), its ends convex and concave functions of the
    // row, so their steps over all the rows are few.
    template <class UpTo>
    std::uint64_t CountRow(Int base, Int wg, Int a, Int wh, Int b, std::int64_t top, Sweep& sweep, UpTo upTo) const {
        ++work_;
        auto shortOf = [&](std::int64_t e) {
            const Int x = a + 2 * static_cast<Int>(e);
            const Int y = b - 2 * static_cast<Int>(e);
            return base + wg * x * x + wh * y * y < need_;
        };
        // The least value on 0..top is at the turn or next to it.
        const Int turn = FloorDivide<Int>(wh * b - wg * a, 2 * (wg + wh));
        const auto near = static_cast<std::int64_t>(std::clamp<Int>(turn, 0, top));
        const auto next = static_cast<std::int64_t>(std::clamp<Int>(turn + 1, 0, top));
        const std::int64_t least = shortOf(near) ? near : shortOf(next) ? next : -1;
        if (least < 0)
            return upTo(top);
        std::int64_t low = std::clamp(sweep.Low, std::int64_t{0}, least);
        if (shortOf(low)) {
            while (low > 0 && shortOf(low - 1)) --low;
        } else {
            while (!shortOf(low)) ++low;
        }
        std::int64_t high = std::clamp(sweep.High, least, top);
        if (shortOf(high)) {
            while (high < top && shortOf(high + 1)) ++high;
        } else {
            while (!shortOf(high)) --high;
        }
        sweep.Low = low;
        sweep.High = high;
        return upTo(low - 1) + (upTo(top) - upTo(high));
    }

    // Two groups share the `left` values lowest, lowest + 2, ...: the one
    // with fewer places takes a subset whose offset e (its sum of positions
    // above the least) has the Gaussian binomial counts, and the statistic
    // is a convex quadratic in e.
    bool TwoOpen(int g, int h, Int closed, std::int64_t left, std::int64_t lowest, std::uint64_t& extreme) {
        if (places_[g] > places_[h])
            std::swap(g, h);
        const std::int64_t m = places_[g];
        const Int all = static_cast<Int>(left) * (lowest + left - 1);
        const Int least = static_cast<Int>(m) * lowest + static_cast<Int>(m) * (m - 1);
        const std::uint64_t* below = m == 1 ? nullptr : Cumulative(left, m);
        if (m > 1 && below == nullptr)
            return false;
        extreme = CountConvex(closed, weight_[g], sums_[g] + least, weight_[h], sums_[h] + all - least,
                           m * (left - m), [&](std::int64_t e) -> std::uint64_t {
                               if (e < 0)
                                   return 0;
                               return below == nullptr ? static_cast<std::uint64_t>(e + 1) : below[e];
                           });
        return true;
    }

    // Three groups share the `left` values. The two with fewest places, p
    // and q, take subsets with position offsets (e_p, e_q), counted by a
    // joint table, or p a single value x and q a subset of the others,
    // counted from the Gaussian binomials by inclusion and exclusion of x;
    // along each e_p the statistic is a convex quadratic in e_q. False when
    // neither table applies.
    bool ThreeOpen(const int* open, Int closed, std::int64_t left, std::int64_t lowest, std::uint64_t& extreme) {
        int order[3] = {open[0], open[1], open[2]};
        std::sort(order, order + 3, [&](int x, int y) { return places_[x] < places_[y]; });
        const int p = order[0];
        const int q = order[1];
        const int r = order[2];
        const std::int64_t mp = places_[p];
        const std::int64_t mq = places_[q];
        const Int all = static_cast<Int>(left) * (lowest + left - 1);
        const Int leastP = static_cast<Int>(mp) * lowest + static_cast<Int>(mp) * (mp - 1);
        const Int leastQ = static_cast<Int>(mq) * lowest + static_cast<Int>(mq) * (mq - 1);
        const Int aP = sums_[p] + leastP;
        const Int aQ = sums_[q] + leastQ;
        const Int bR = sums_[r] + all - leastP - leastQ;
        const Int wp = weight_[p];
        const Int wq = weight_[q];
        const Int wr = weight_[r];
        extreme = 0;
        Sweep sweep;
        if (const JointTable* table = Joint(left, mp, mq)) {
            for (std::int64_t ep = 0; ep < table->Rows; ++ep) {
                const std::uint64_t* row = table->Cumulative.data() + ep * table->Columns;
                if (row[table->Columns - 1] == 0)
                    continue;
                const Int x = aP + 2 * static_cast<Int>(ep);
                extreme += CountRow(closed + wp * x * x, wq, aQ, wr, bR - 2 * static_cast<Int>(ep),
                                    table->Columns - 1, sweep,
                                    [row](std::int64_t e) -> std::uint64_t { return e < 0 ? 0 : row[e]; });
            }
            return true;
        }
        if (mp != 1 || mq > MaxGroups)
            return false;
        // p takes the position x; q an mq-subset of the other positions,
        // whose sums of positions up to s number Σ_i (−1)^i C(mq − i, s − i·x),
        // C(k, s) the k-subsets of all positions summing to at most s.
        const std::uint64_t* tables[MaxGroups + 1];
        for (std::int64_t k = 2; k <= mq; ++k)
            if ((tables[k] = Cumulative(left, k)) == nullptr)
                return false;
        auto atMost = [&](std::int64_t k, std::int64_t s) -> std::uint64_t {
            const std::int64_t e = s - k * (k - 1) / 2;
            if (e < 0)
                return 0;
            const std::int64_t top = k * (left - k);
            if (k == 0)
                return 1;
            if (k == 1)
                return static_cast<std::uint64_t>(std::min(e, top) + 1);
            return tables[k][std::min(e, top)];
        };
        const std::int64_t leastSum = mq * (mq - 1) / 2;
        for (std::int64_t position = 0; position < left; ++position) {
            const Int x = aP + 2 * static_cast<Int>(position);
            extreme += CountRow(closed + wp * x * x, wq, aQ, wr, bR - 2 * static_cast<Int>(position),
                                mq * (left - mq), sweep, [&](std::int64_t e) -> std::uint64_t {
                                       if (e < 0)
                                           return 0;
                                       const std::int64_t s = e + leastSum;
                                       std::uint64_t count = 0;
                                       for (std::int64_t i = 0; i <= mq; ++i) {
                                           const std::uint64_t c = atMost(mq - i, s - i * position);
                                           count = i % 2 == 0 ? count + c : count - c;
                                       }
                                       return count;
                                   });
        }
        return true;
    }

    const JointTable* Joint(std::int64_t left, std::int64_t i, std::int64_t j) {
        if (left > MaxJointValues || i + j > left)
            return nullptr;
        const std::uint64_t key = static_cast<std::uint64_t>(left) << 16 | static_cast<std::uint64_t>(i) << 8 |
                                  static_cast<std::uint64_t>(j);
        const auto found = joint_.find(key);
        if (found != joint_.end())
            return found->second.Rows == 0 ? nullptr : &found->second;
        const std::int64_t rows = i * (left - i) + 1;
        const std::int64_t columns = j * (left - j) + 1;
        if (entries_ + static_cast<std::size_t>(2 * rows * columns) > MaxTableEntries) {
            joint_.emplace(key, JointTable{});
            return nullptr;
        }
        // The top position goes to neither subset, to the first or to the second.
        const JointTable* neither = i + j <= left - 1 ? Joint(left - 1, i, j) : nullptr;
        const JointTable* first = i > 0 ? Joint(left - 1, i - 1, j) : nullptr;
        const JointTable* second = j > 0 ? Joint(left - 1, i, j - 1) : nullptr;
        if ((i + j <= left - 1 && neither == nullptr) || (i > 0 && first == nullptr) || (j > 0 && second == nullptr)) {
            joint_.emplace(key, JointTable{});
            return nullptr;
        }
        JointTable table;
        table.Rows = rows;
        table.Columns = columns;
        table.Counts.assign(static_cast<std::size_t>(rows * columns), 0);
        auto add = [&](const JointTable* from, std::int64_t shiftRow, std::int64_t shiftColumn) {
            if (from == nullptr)
                return;
            for (std::int64_t row = 0; row < from->Rows; ++row)
                for (std::int64_t column = 0; column < from->Columns; ++column)
                    table.Counts[static_cast<std::size_t>((row + shiftRow) * columns + column + shiftColumn)] +=
                        from->Counts[static_cast<std::size_t>(row * from->Columns + column)];
        };
        if (left == 0)
            table.Counts[0] = 1;
        add(neither, 0, 0);
        add(first, left - i, 0);
        add(second, 0, left - j);
        table.Cumulative = table.Counts;
        for (std::int64_t row = 0; row < rows; ++row)
            for (std::int64_t column = 1; column < columns; ++column)
                table.Cumulative[static_cast<std::size_t>(row * columns + column)] +=
                    table.Cumulative[static_cast<std::size_t>(row * columns + column - 1)];
        entries_ += static_cast<std::size_t>(2 * rows * columns);
        return &joint_.emplace(key, std::move(table)).first->second;
    }

    // Cumulative counts of the m-subsets of `left` consecutive positions by
    // their offset (m >= 2), cached; null when too large.
    const std::uint64_t* Cumulative(std::int64_t left, std::int64_t m) {
        const std::uint64_t key = static_cast<std::uint64_t>(left) << 32 | static_cast<std::uint64_t>(m);
        const auto found = gauss_.find(key);
        if (found != gauss_.end())
            return found->second.empty() ? nullptr : found->second.data();
        std::vector<std::uint64_t> counts = RankSetSumCounts(static_cast<int>(left), static_cast<int>(m));
        if (counts.empty() || entries_ + counts.size() > MaxTableEntries) {
            gauss_.emplace(key, std::vector<std::uint64_t>{}); // no room: the state is searched instead
            return nullptr;
        }
        for (std::size_t e = 1; e < counts.size(); ++e) counts[e] += counts[e - 1];
        entries_ += counts.size();
        return gauss_.emplace(key, std::move(counts)).first->second.data();
    }

    const CountingStep& step_;
    std::int64_t maxWork_;
    int groups_;
    std::int64_t total_;
    Int need_;
    std::int64_t size_[MaxGroups];
    std::int64_t weight_[MaxGroups];
    int classStart_[MaxGroups];
    bool packable_ = false;
    int keyBits_ = 0;
    int placeBits_[MaxGroups];
    int sumBits_[MaxGroups];

    std::int64_t places_[MaxGroups];
    std::int64_t sums_[MaxGroups];
    std::int64_t dealt_ = 0;
    std::int64_t dealtSum_ = 0; // Σ of the values dealt

    std::unordered_map<std::uint64_t, std::vector<std::uint64_t>> gauss_;
    std::unordered_map<std::uint64_t, JointTable> joint_;
    std::size_t entries_ = 0;
    std::int64_t nodes_ = 0;
    mutable std::int64_t work_ = 0; // about 20 ns each
};

} // namespace

RankCount SearchDealsAtLeast(std::span<const std::int32_t> sizes, std::uint64_t lcm, __int128 needed,
                             const CountingStep& step, std::int64_t maxWork) {
    DealProblem problem;
    long double deals = 1;
    for (std::size_t g = 0; g < sizes.size(); ++g) {
        const std::int64_t n = sizes[g];
        if (n <= 0 || (g > 0 && n < sizes[g - 1]) || lcm % static_cast<std::uint64_t>(n) != 0)
            return {};
        problem.Sizes.push_back(n);
        problem.Weights.push_back(static_cast<std::int64_t>(lcm / static_cast<std::uint64_t>(n)));
        for (std::int64_t k = 1; k <= n; ++k) deals = deals * static_cast<long double>(++problem.Total) / k;
    }
    const auto groups = static_cast<int>(sizes.size());
    if (groups < 1 || groups > MaxGroups || deals >= DealLimit || problem.Total > (std::int64_t{1} << 24))
        return {};
    // Σ D²·(L/n) >= 4·needed − L·N(N + 1)²; every sum the search forms is
    // at most a few times L·N³, and `needed` is held where it cannot
    // overflow (far beyond that, nothing reaches it).
    const long double scale = static_cast<long double>(lcm) * std::pow(static_cast<long double>(problem.Total), 3);
    if (scale >= 0x1p118L)
        return {};
    const Wide cap = Wide{1} << 121;
    const Wide n = problem.Total;
    problem.Need = 4 * std::clamp<Wide>(needed, -cap, cap) - static_cast<Wide>(lcm) * n * (n + 1) * (n + 1);
    // The width of a packed state (see DealSearch::Pack).
    int bits = 0;
    for (std::size_t g = 0; g + 1 < problem.Sizes.size(); ++g) {
        const auto size = static_cast<std::uint64_t>(problem.Sizes[g]);
        bits += std::bit_width(size) + std::bit_width(2 * size * static_cast<std::uint64_t>(problem.Total));
    }
    if (scale < 0x1p56L) {
        // 64 bits hold every sum; a threshold beyond them is clamped alike.
        const Wide narrow = Wide{1} << 60;
        problem.Need = std::clamp<Wide>(problem.Need, -narrow, narrow);
        if (bits < 64)
            return DealSearch<std::int64_t, std::uint64_t>(problem, step, maxWork).Run();
        return DealSearch<std::int64_t, Key>(problem, step, maxWork).Run();
    }
    return DealSearch<Wide, Key>(problem, step, maxWork).Run();
}

} // namespace vextal
