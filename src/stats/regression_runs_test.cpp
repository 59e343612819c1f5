#include "stats/regression_runs_test.h"

#include <algorithm>
#include <vector>

#include "stats/xy_rows.h"

namespace vextal {

namespace {

constexpr int MaxRunsHalf = 501;  // a larger sum takes too long and is near its normal limit anyway

// C(top, j) for j = 0..count - 1 by C(top, j) = C(top, j - 1) * (top - j + 1) / j;
// the terms past j = top come out as 0.
std::vector<long double> BinomialRow(int top, int count) {
    std::vector<long double> row(static_cast<std::size_t>(count), 0.0L);
    row[0] = 1;
    for (int j = 1; j < count; ++j)
        row[static_cast<std::size_t>(j)] = row[static_cast<std::size_t>(j - 1)] * (top - j + 1) / j;
    return row;
}

}  // namespace

long double RunsProbability(int above, int below, int runs) {
    if (runs <= 0 || above < 0 || below < 0) return RunsNoRuns;
    if (above == 0 || below == 0) return 1;  // one run is all there can be

    const int fewer = std::min(above, below);
    const int maxRuns = above == below ? 2 * fewer : 2 * fewer + 1;
    if (maxRuns - maxRuns / 2 >= MaxRunsHalf) return RunsTooMany;

    // Terms need C(m - 1, j) and C(n - 1, j) for j = 0..maxRuns / 2.
    const int count = maxRuns / 2 + 1;
    const std::vector<long double> cm = BinomialRow(above - 1, count);
    const std::vector<long double> cn = BinomialRow(below - 1, count);
    long double upToObserved = 0, total = 0;
    for (int r = 2; r <= maxRuns; ++r) {
        const std::size_t k = static_cast<std::size_t>(r / 2);
        const long double term =
            r % 2 == 0 ? 2 * cm[k - 1] * cn[k - 1] : cm[k - 1] * cn[k] + cm[k] * cn[k - 1];
        total += term;
        if (r <= runs) upToObserved += term;
    }
    return upToObserved / total;
}

RunsTestResult LineRunsTest(const DataTable& table, long double slope, long double intercept, long double x0,
                            long double y0) {
    std::vector<XYRow> rows = ReadXYRows(table);
    std::erase_if(rows, [](const XYRow& row) { return !row.HasData(); });
    std::stable_sort(rows.begin(), rows.end(), [](const XYRow& a, const XYRow& b) { return a.X < b.X; });

    RunsTestResult result;
    int previousSign = 0;
    for (const XYRow& row : rows) {
        const long double line = slope * (row.X - x0) + intercept;
        for (long double y : row.Y) {
            const long double shifted = y - y0;
            if (shifted == line) continue;
            const int sign = shifted > line ? 1 : -1;
            if (sign > 0)
                ++result.Above;
            else
                ++result.Below;
            if (sign != previousSign) ++result.Runs;
            previousSign = sign;
        }
    }
    if (result.Above >= 2 && result.Below >= 2 && result.Above + result.Below > 5)
        result.P = RunsProbability(result.Above, result.Below, result.Runs);
    return result;
}

}  // namespace vextal
