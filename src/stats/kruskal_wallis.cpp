// Kruskal-Wallis test and its exact P value by dealing the ranks into the
// groups.
#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/column_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/fault_guard.h"
#include "stats/nonparametric_anova.h"
#include "stats/nonparametric_report.h"
#include "stats/pvalue.h"
#include "stats/rank_counting.h"
#include "stats/ranks.h"
#include "stats/walked_exact_p.h"

namespace vextal {

namespace {

using namespace nonparametric;

constexpr int NotEnoughData = 11;
constexpr int PrimeTableLimit = 2000;  // binomial_coefficient's prime table covers n up to this

// C(n, k) beyond the prime table, exact below `cap` and `cap` above it. The
// running product C(n − k + i, i) grows with i, so the loop ends as soon as
// it passes the cap.
std::int64_t CappedBinomial(std::int64_t n, std::int64_t k, std::int64_t cap) {
    k = std::min(k, n - k);
    if (k < 0) return 0;
    std::int64_t c = 1;
    for (std::int64_t i = 1; i <= k; ++i) {
        c = c * (n - k + i) / i;  // exact: C(n − k + i, i) = C(n − k + i − 1, i − 1)·(n − k + i)/i
        if (c > cap) return cap + 1;
    }
    return c;
}

// Deals the ranks 1..N into groups of the given sizes, each group taking an
// increasing set of the ranks still free and the last group the rest, and
// counts the deals whose Σ R²/n reaches `threshold`. The free ranks are a
// linked list that a taken rank leaves and rejoins in constant time, so
// every step of the walk costs O(1) and nothing is allocated while walking.
class RankDealing {
public:
    RankDealing(std::span<const std::int32_t> sizes, long double threshold, const EnumerationStep& step)
        : sizes_(sizes.begin(), sizes.end()), threshold_(threshold), step_(step) {
        for (const std::int32_t n : sizes_) total_ += n;
        next_.resize(static_cast<std::size_t>(total_) + 2);
        prev_.resize(next_.size());
        for (std::size_t node = 0; node < next_.size(); ++node) {
            next_[node] = static_cast<int>(node) + 1;
            prev_[node] = static_cast<int>(node) - 1;
        }
        freeAtGroup_.resize(sizes_.size());
        int dealt = 0;
        for (std::size_t g = 0; g < sizes_.size(); ++g) {
            freeAtGroup_[g] = total_ - dealt;
            dealt += sizes_[g];
        }
        rankTotal_ = static_cast<std::int64_t>(total_) * (total_ + 1) / 2;
    }

    void Run() {
        if (sizes_.size() < 2)
            Leaf(0, 0);
        else
            Slot(0, 0, 0, freeAtGroup_[0], 0, 0, 0);
    }
    bool Stopped() const { return stopped_; }
    std::int64_t Walked() const { return walked_; }
    std::int64_t Extreme() const { return extreme_; }

private:
    void Leaf(long double partial, std::int64_t dealtSum) {
        const long double rest = static_cast<long double>(rankTotal_ - dealtSum);
        if (partial + rest * rest / sizes_.back() >= threshold_) ++extreme_;
        ++walked_;
        if ((walked_ & (ProgressInterval - 1)) == 0 && step_ && !step_(static_cast<long double>(walked_)))
            stopped_ = true;
    }

    // Takes the slot-th rank of `group` from the free ranks after node `after`
    // (`freeAfter` of them are free).
    void Slot(std::size_t group, int slot, int after, int freeAfter, std::int64_t groupSum, long double partial,
              std::int64_t dealtSum) {
        const int size = sizes_[group];
        if (slot == size) {
            const long double sum = static_cast<long double>(groupSum);
            partial += sum * sum / size;
            dealtSum += groupSum;
            if (group + 2 == sizes_.size())
                Leaf(partial, dealtSum);
            else
                Slot(group + 1, 0, 0, freeAtGroup_[group + 1], 0, partial, dealtSum);
            return;
        }
        const int stillNeeded = size - slot - 1;
        for (int rank = next_[after]; freeAfter - 1 >= stillNeeded && !stopped_; rank = next_[rank]) {
            --freeAfter;
            next_[prev_[rank]] = next_[rank];
            prev_[next_[rank]] = prev_[rank];
            Slot(group, slot + 1, rank, freeAfter, groupSum + rank, partial, dealtSum);
            next_[prev_[rank]] = rank;
            prev_[next_[rank]] = rank;
        }
    }

    std::vector<std::int32_t> sizes_;
    long double threshold_;
    const EnumerationStep& step_;
    int total_ = 0;
    std::int64_t rankTotal_ = 0;
    std::vector<int> next_;  // node r stands for rank r; 0 and N + 1 bound the list
    std::vector<int> prev_;
    std::vector<int> freeAtGroup_;  // ranks still free when a group starts
    std::int64_t walked_ = 0;
    std::int64_t extreme_ = 0;
    bool stopped_ = false;
};

struct PooledValues {
    std::vector<RankGroup> Groups;
    std::vector<long double> Values;
    std::vector<int> GroupOf;  // group position of each value
};

PooledValues PoolAnalysisColumns(const DataTable& table) {
    PooledValues pooled;
    const int last = ColumnCountForAnalysis(table);
    for (int index = 0; index <= last; ++index) {
        const int column = MapColumn(table, index);
        if (column < 0 || column >= DataColumnCount) continue;
        const int group = static_cast<int>(pooled.Groups.size());
        int n = 0;
        for (int row = 0; row <= table.LastRow; ++row) {
            const long double x = GetValue(table, row, index);
            if (IsMissing(x)) continue;
            pooled.Values.push_back(x);
            pooled.GroupOf.push_back(group);
            ++n;
        }
        if (n == 0) continue;
        const ColumnInfo& info = table.ColumnInfo[column];
        RankGroup g;
        g.Column = column;
        g.Title = info.Title;
        g.N = n;
        g.Mean = info.Mean;
        pooled.Groups.push_back(g);
    }
    return pooled;
}

KruskalWallisResult ComputeKruskalWallis(const DataTable& table, NonparametricPostTest kind, int condition,
                                         std::span<const bool> selectedPairs, bool selectedOnly,
                                         CalculationProgress* progress) {
    PooledValues pooled = PoolAnalysisColumns(table);
    KruskalWallisResult r;
    r.N = static_cast<std::int32_t>(pooled.Values.size());
    // Ranks need values, and a comparison needs two groups.
    if (r.N == 0 || pooled.Groups.size() < 2) throw CalcFault{NotEnoughData};

    const Ranking ranking = AverageRanks(pooled.Values);
    for (std::size_t i = 0; i < pooled.Values.size(); ++i) pooled.Groups[pooled.GroupOf[i]].RankSum += ranking.Ranks[i];
    long double sumNMeanSquared = 0;
    for (RankGroup& g : pooled.Groups) {
        g.MeanRank = g.RankSum / g.N;
        sumNMeanSquared += g.N * g.MeanRank * g.MeanRank;
    }
    r.Groups = std::move(pooled.Groups);
    r.DF = static_cast<std::int32_t>(r.Groups.size()) - 1;
    r.TieSum = 12 * ranking.TieSum;

    const long double N = r.N;
    r.Correction = 1 - r.TieSum / (N * N * N - N);
    r.Uncorrected = 12 / (N * (N + 1)) * sumNMeanSquared - 3 * (N + 1);
    // Every value alike: no ranking tells the groups apart, and KW is 0/0.
    if (r.Correction == 0) {
        r.AllTied = true;
        r.Exact.State = NonparametricExactState::Ties;
        return r;
    }
    // KW is never negative; rounding can leave a hair below 0, where
    // chi2_prob would answer 0 instead of 1.
    r.KW = std::max(0.0L, r.Uncorrected / r.Correction);
    r.ApproximateP = chi2_prob(r.DF, r.KW);

    if (r.TieSum != 0) {
        r.Exact.State = NonparametricExactState::Ties;
    } else {
        std::vector<std::int32_t> sizes;
        for (const RankGroup& g : r.Groups) sizes.push_back(g.N);
        r.Exact = KruskalWallisExactP(sizes, r.KW, r.ApproximateP, progress);
    }
    r.P = r.Exact.State == NonparametricExactState::Exact ? r.Exact.P : r.ApproximateP;

    r.PostTestsSkipped = PostTestSkipped(condition, r.P);
    if (kind == NonparametricPostTest::Dunn && PostTestWanted(condition, r.P))
        r.Dunn = DunnComparisons(r.Groups, true, selectedPairs, selectedOnly, r.TieSum, r.N, 0);
    return r;
}

void WriteKruskalWallisReport(ReportWriter& report, const DataTable& table, const KruskalWallisResult& r) {
    WriteUnderlinedLine(report, centred("Kruskal-Wallis Test (Nonparametric ANOVA)", TitleWidth));
    report.new_line();
    if (r.AllTied) {
        report.write_line("Every value is the same, so the ranks cannot differ among the");
        report.write_line("columns and the Kruskal-Wallis statistic cannot be calculated.");
        report.new_line();
        WriteRankSummary(report, table);
        return;
    }
    WriteMedianVerdict(report, r.P);
    WriteExactness(report, r.Exact, "at least one column has two or more identical values.");

    report.new_line();
    WriteUnderlinedLine(report, "Calculation detail");
    report.new_line();
    WriteKruskalWallisRankTableHeader(report);
    for (const RankGroup& g : r.Groups) WriteKruskalWallisRankTableRow(report, g.Title, g.N, g.RankSum, g.MeanRank);
    report.new_line();
    report.write_text("Kruskal-Wallis Statistic KW = ");
    report.write_number(FiveSignificant, r.KW);
    if (r.TieSum > 0) report.write_text(" (corrected for ties)");
    report.new_line();

    if (r.Dunn) {
        WriteDunnTest(report, r.Groups, *r.Dunn);
        report.new_line();
    }
    if (r.PostTestsSkipped) WritePostTestsNotCalculated(report);
    WriteRankSummary(report, table);
}

}  // namespace

namespace {

// States beyond which the counting table gives way to the walk, as it does
// past 1/64 of the walk's steps: shapes such as single values beside one
// large group, whose table would outgrow the walk itself.
constexpr std::int64_t MaxCountingStates = std::int64_t{1} << 22;

ExactPResult KruskalWallisP(std::span<const std::int32_t> groupSizes, long double kw, long double approximateP,
                            CalculationProgress* progress, bool walkOnly) {
    ExactPResult result;
    std::vector<std::int32_t> sizes;
    std::int64_t n = 0;
    for (const std::int32_t size : groupSizes)
        if (size > 0) {
            sizes.push_back(size);
            n += size;
        }
    if (sizes.empty()) return result;  // no ranks, nothing to test
    // The largest group takes the ranks left over; dealing the others first
    // keeps the walk shallow.
    std::sort(sizes.begin(), sizes.end());

    // M = N!/(n₁!…n_g!) as a product of binomial coefficients, stopped once
    // it passes the limit.
    const auto limit = static_cast<std::int64_t>(KruskalWallisArrangementLimit);
    std::int64_t arrangements = 1;
    std::int64_t remaining = n;
    for (const std::int32_t size : sizes) {
        const std::int64_t c = remaining <= PrimeTableLimit
                                   ? binomial_coefficient(static_cast<std::int32_t>(remaining), size)
                                   : CappedBinomial(remaining, size, limit);
        remaining -= size;
        arrangements *= std::min(c, limit + 1);  // both factors at most limit + 1: no overflow
        if (c >= limit || arrangements > limit) {
            result.Arrangements = static_cast<long double>(std::max(arrangements, limit + 1));
            result.State = NonparametricExactState::TooLong;
            return result;
        }
    }
    result.Arrangements = static_cast<long double>(arrangements);

    const long double N = static_cast<long double>(n);
    result.ObservedSum = (kw + 3 * N + 3) * N * (N + 1) / 12;
    try {
        ExactCalculationScope scope(progress, approximateP, result.Arrangements);
        if (!scope.Step(0)) {
            result.State = scope.StopState();
            return result;
        }
        if (!walkOnly) {
            const long double arrangements = result.Arrangements;
            const CountingStep share = [&scope, arrangements](long double done) {
                return scope.Step(done * arrangements);
            };
            const auto maxWork = std::max<std::int64_t>(1000000, static_cast<std::int64_t>(arrangements / 64));
            const RankCount counted = CountDealsAtLeast(sizes, result.ObservedSum - ExtremeTolerance, share,
                                                        MaxCountingStates, maxWork);
            if (counted.Stopped) {
                result.State = scope.StopState();
                return result;
            }
            if (counted.Done) {
                result.Counted = static_cast<long double>(counted.Total);
                result.Extreme = static_cast<long double>(std::max<std::uint64_t>(1, counted.Extreme));
                result.State = NonparametricExactState::Exact;
                result.P = result.Extreme / result.Counted;
                return result;
            }
        }
        const EnumerationStep step = [&scope](long double done) { return scope.Step(done); };
        RankDealing walk(sizes, result.ObservedSum - ExtremeTolerance, step);
        walk.Run();
        result.Counted = static_cast<long double>(walk.Walked());
        if (walk.Stopped()) {
            result.State = scope.StopState();
            return result;
        }
        // The data's own arrangement always counts; never report P = 0.
        result.Extreme = static_cast<long double>(std::max<std::int64_t>(1, walk.Extreme()));
    } catch (const std::bad_alloc&) {
        result.State = NonparametricExactState::TooLong;
        return result;
    }
    result.State = NonparametricExactState::Exact;
    result.P = result.Extreme / result.Counted;
    return result;
}

}  // namespace

ExactPResult KruskalWallisExactP(std::span<const std::int32_t> groupSizes, long double kw, long double approximateP,
                                 CalculationProgress* progress) {
    return KruskalWallisP(groupSizes, kw, approximateP, progress, false);
}

ExactPResult KruskalWallisWalkedP(std::span<const std::int32_t> groupSizes, long double kw, long double approximateP,
                                  CalculationProgress* progress) {
    return KruskalWallisP(groupSizes, kw, approximateP, progress, true);
}

KruskalWallisResult KruskalWallisTest(DataDocument& document, NonparametricPostTest kind, int postTestCondition,
                                      ReportWriter& report, std::span<const bool> selectedPairs, bool selectedOnly,
                                      CalculationProgress* progress) {
    document.ReportHelpTopic = KruskalWallisHelpTopic;
    const KruskalWallisResult result =
        ComputeKruskalWallis(document.Table, kind, postTestCondition, selectedPairs, selectedOnly, progress);
    WriteKruskalWallisReport(report, document.Table, result);
    return result;
}

}  // namespace vextal
