// Post tests after Kruskal-Wallis and Friedman: Dunn's multiple comparisons
// and the comparisons of every column with a control.
#include <algorithm>
#include <cmath>
#include <numeric>

#include "report/comparison_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/nonparametric_anova.h"
#include "stats/nonparametric_report.h"
#include "stats/pvalue.h"

namespace vextal {

namespace {

using namespace nonparametric;

// Infinite-df critical values of Dunnett's test for 1..12, 15 and 20
// comparisons with a control, from the published tables.
constexpr int TabledComparisons = 14;
using CriticalList = std::array<long double, TabledComparisons>;
constexpr CriticalList TwoSided05 = {1.96L, 2.21L, 2.35L, 2.44L, 2.51L, 2.57L, 2.61L,
                                     2.65L, 2.69L, 2.72L, 2.74L, 2.77L, 2.83L, 2.91L};
constexpr CriticalList TwoSided01 = {2.58L, 2.79L, 2.92L, 3.00L, 3.06L, 3.11L, 3.15L,
                                     3.19L, 3.22L, 3.25L, 3.27L, 3.29L, 3.35L, 3.42L};
constexpr CriticalList OneSided05 = {1.65L, 1.92L, 2.06L, 2.16L, 2.24L, 2.29L, 2.34L,
                                     2.38L, 2.42L, 2.45L, 2.48L, 2.50L, 2.57L, 2.64L};
constexpr CriticalList OneSided01 = {2.33L, 2.56L, 2.69L, 2.77L, 2.84L, 2.89L, 2.94L,
                                     2.97L, 3.00L, 3.03L, 3.06L, 3.08L, 3.14L, 3.21L};
constexpr int At12 = 11;  // list positions of 12, 15 and 20 comparisons
constexpr int At15 = 12;
constexpr int At20 = 13;

// The rank-sum difference beyond which a comparison after Friedman has P < 0.05.
void WriteDunnCritical(ReportWriter& report, long double critical) {
    report.write_text("If the difference between rank sum means is greater than ");
    report.write_number(FiveSignificant, critical);
    report.write_line(" then the P value");
    report.write_line("is less than 0.05.");
}

}  // namespace

DunnResult DunnComparisons(std::span<const RankGroup> groups, bool independent, std::span<const bool> selectedPairs,
                           bool selectedOnly, long double tieSum, std::int32_t n, std::int32_t rows) {
    const int g = static_cast<int>(groups.size());
    auto compared = [&](int i, int j) {
        if (!selectedOnly) return true;
        const int index = PairIndex(i, j, g);
        return index >= 0 && index < static_cast<int>(selectedPairs.size()) && selectedPairs[index];
    };

    DunnResult result;
    result.Independent = independent;
    for (int i = 0; i < g; ++i)
        for (int j = i + 1; j < g; ++j)
            if (compared(i, j)) ++result.Comparisons;
    if (!independent) result.TieNote = tieSum != n;
    // Without a pair there is no level 0.05/(2m) to divide.
    if (result.Comparisons == 0) return result;

    const long double m = result.Comparisons;
    const long double z05 = inverse_z(0.05L / (2 * m));
    const long double z01 = inverse_z(0.01L / (2 * m));
    const long double z001 = inverse_z(0.001L / (2 * m));
    const long double N = n;
    const long double k = g;
    const long double matchedSE = std::sqrt(rows * k * (k + 1) / 6);
    if (!independent) result.Critical = matchedSE * z05;

    for (int i = 0; i < g; ++i)
        for (int j = i + 1; j < g; ++j) {
            if (!compared(i, j)) continue;
            DunnComparison pair;
            pair.First = i;
            pair.Second = j;
            if (independent) {
                pair.Difference = groups[i].MeanRank - groups[j].MeanRank;
                pair.SE = std::sqrt((N * (N * N - 1) - tieSum) * (1.0L / groups[i].N + 1.0L / groups[j].N) /
                                    (12 * (N - 1)));
            } else {
                pair.Difference = groups[i].RankSum - groups[j].RankSum;
                pair.SE = matchedSE;
            }
            const long double d = std::fabs(pair.Difference);
            pair.P = d >= pair.SE * z001 ? 0.001L : d >= pair.SE * z01 ? 0.01L : d >= pair.SE * z05 ? 0.05L : 1.0L;
            result.Pairs.push_back(pair);
        }
    return result;
}

void WriteDunnTest(ReportWriter& report, std::span<const RankGroup> groups, const DunnResult& result) {
    report.new_line();
    if (result.Comparisons > 0) {
        WriteUnderlinedLine(report, "Dunn's Multiple Comparisons Test");
        if (!result.Independent) WriteDunnCritical(report, result.Critical);
        report.new_line();
    }
    report.new_line();
    WriteDunnTableHeader(report, result.Independent ? DunnDifference::MeanRank : DunnDifference::RankSum);
    for (const DunnComparison& pair : result.Pairs)
        WriteDunnTableRow(report, groups[pair.First].Title, groups[pair.Second].Title, pair.Difference, pair.P);
    report.new_line();
    if (result.TieNote) report.write_line("The data contain ties, however, this post test does not correct for ties.");
}

DunnResult DunnTest(ReportWriter& report, std::span<const RankGroup> groups, bool independent,
                    std::span<const bool> selectedPairs, bool selectedOnly, long double tieSum, std::int32_t n,
                    std::int32_t rows) {
    const DunnResult result = DunnComparisons(groups, independent, selectedPairs, selectedOnly, tieSum, n, rows);
    WriteDunnTest(report, groups, result);
    return result;
}

long double ControlComparisonCritical(int comparisons, bool twoSided, long double alpha) {
    if (comparisons < 1) return 0;
    const bool at01 = SameAlpha(alpha, 0.01L);
    if (!at01 && !SameAlpha(alpha, 0.05L)) return 0;
    const CriticalList& list = twoSided ? (at01 ? TwoSided01 : TwoSided05) : (at01 ? OneSided01 : OneSided05);
    if (comparisons <= 12) return list[comparisons - 1];
    if (comparisons <= 15) return list[At12] + (list[At15] - list[At12]) * (comparisons - 12) / 3.0L;
    // Beyond 20 the line through 15 and 20 is extended.
    return list[At15] + (list[At20] - list[At15]) * (comparisons - 15) / 5.0L;
}

ControlComparisonsResult ControlComparisons(std::span<const RankGroup> groups, int control, bool twoSided,
                                            std::int32_t rows) {
    ControlComparisonsResult result;
    const int k = static_cast<int>(groups.size());
    result.Control = control >= 0 && control < k ? control : 0;
    result.TwoSided = twoSided;
    result.Q05 = ControlComparisonCritical(k - 1, twoSided, 0.05L);
    result.Q01 = ControlComparisonCritical(k - 1, twoSided, 0.01L);
    result.SE = std::sqrt(rows * static_cast<long double>(k) * (k + 1) / 6);
    if (k == 0) return result;

    // The other columns in ascending order of their means (ties keep their order).
    std::vector<int> order(static_cast<std::size_t>(k));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return groups[a].Mean < groups[b].Mean; });
    const RankGroup& c = groups[result.Control];
    for (const int other : order) {
        if (other == result.Control) continue;
        ControlComparison pair;
        pair.Control = result.Control;
        pair.Other = other;
        pair.Difference = c.RankSum - groups[other].RankSum;
        const long double d = std::fabs(pair.Difference);
        pair.P = result.SE * result.Q01 <= d ? 0.01L : result.SE * result.Q05 <= d ? 0.05L : 1.0L;
        pair.Lower = pair.Difference - result.SE * result.Q05;
        pair.Upper = pair.Difference + result.SE * result.Q05;
        result.Pairs.push_back(pair);
    }
    return result;
}

void WriteControlComparisons(ReportWriter& report, std::span<const RankGroup> groups,
                             const ControlComparisonsResult& result) {
    WriteUnderlinedLine(report, "Nonparametric Multiple Comparisons Test with Control Group");
    report.new_line();
    report.write_text("If the value of q is greater than ");
    report.write_number(FiveSignificant, result.Q05);
    report.write_line(" then the P value is less");
    report.write_line("than 0.05.");
    report.new_line();
    report.new_line();
    WriteDunnettTableHeader(report, false);
    ReportWriter intervals;
    WriteDunnettCIHeader(intervals);
    for (const ControlComparison& pair : result.Pairs) {
        const std::string& control = groups[pair.Control].Title;
        const std::string& other = groups[pair.Other].Title;
        WriteDunnettTableRow(report, false, control, other, pair.Difference, MissingValue, pair.P);
        WriteDunnettCIRow(intervals, control, other, pair.Difference, pair.Lower, pair.Upper);
    }
    report.new_line();
    AppendReport(report, intervals);
    report.new_line();
}

ControlComparisonsResult ControlComparisonsTest(ReportWriter& report, std::span<const RankGroup> groups,
                                                int control, bool twoSided, std::int32_t rows) {
    const ControlComparisonsResult result = ControlComparisons(groups, control, twoSided, rows);
    WriteControlComparisons(report, groups, result);
    return result;
}

std::array<bool, SelectedPairCount> PairFlagsWithControl(int groupCount, int control) {
    std::array<bool, SelectedPairCount> flags{};
    // A stored position that no longer fits the columns falls back to the first.
    if (control < 0 || control >= groupCount) control = 0;
    for (int other = 0; other < groupCount; ++other) {
        if (other == control) continue;
        const int index = PairIndex(std::min(control, other), std::max(control, other), groupCount);
        if (index >= 0 && index < SelectedPairCount) flags[static_cast<std::size_t>(index)] = true;
    }
    return flags;
}

}  // namespace vextal
