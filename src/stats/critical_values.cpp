#include "stats/critical_values.h"

#include <span>

#include "stats/critical_tables.h"
#include "stats/pvalue.h"

namespace vextal {

namespace {

// Interpolated lookup in a table with increasing row keys (df) and column keys
// (number of means). The caller guarantees rows[0] <= df and
// columns[0] <= k <= columns.back(), so every index below stays inside.
template <class Value>
long double Lookup(std::span<const int> rows, std::span<const int> columns, int df, int k, Value value) {
    const int lastRow = static_cast<int>(rows.size()) - 1;
    int c = 0;
    while (columns[c] < k) ++c;
    int r = 0;
    while (r < lastRow && rows[r] < df) ++r;
    // df beyond the infinite-df key reads the last row unchanged.
    const bool exactRow = df == rows[r] || (r == lastRow && df > rows[lastRow]);

    auto inDf = [&](int column) -> long double {
        const long double upper = value(r, column);
        if (exactRow) return upper;
        const long double lower = value(r - 1, column);
        const long double fraction =
            static_cast<long double>(df - rows[r - 1]) / static_cast<long double>(rows[r] - rows[r - 1]);
        return lower + fraction * (upper - lower);
    };

    if (columns[c] == k) return inDf(c);
    const long double left = inDf(c - 1);
    const long double right = inDf(c);
    const long double fraction =
        static_cast<long double>(k - columns[c - 1]) / static_cast<long double>(columns[c] - columns[c - 1]);
    return left + fraction * (right - left);
}

}  // namespace

long double StudentizedRangeCritical(int df, int k, long double alpha) {
    if (df < QTableRowKey[0] || k < QTableColumnKey[0]) return 0;
    if (!SameAlpha(alpha, 0.05L) && !SameAlpha(alpha, 0.01L) && !SameAlpha(alpha, 0.001L)) return 0;
    const int lastColumnKey = QTableColumnKey[QTableColumnCount - 1];
    if (k > lastColumnKey) k = lastColumnKey;
    return Lookup(QTableRowKey, QTableColumnKey, df, k,
                  [alpha](int row, int column) { return q_table_value(row, column, alpha); });
}

long double DunnettCritical(int df, int means, bool twoSided, long double alpha) {
    if (df < DunnettRowKey[0] || means < 2) return 0;
    int alphaIndex = 0;
    if (SameAlpha(alpha, 0.05L))
        alphaIndex = 0;
    else if (SameAlpha(alpha, 0.01L))
        alphaIndex = 1;
    else
        return 0;
    const std::span<const int> columns = twoSided ? std::span<const int>(DunnettTwoSidedColumnKey)
                                                  : std::span<const int>(DunnettOneSidedColumnKey);
    // The published tables stop at 21 means (two-sided) and 10 means
    // (one-sided). More groups than that take the last column: the critical
    // value grows only slowly with the number of means (from 2.91 at 21 means
    // to about 2.96 at 26, two-sided 0.05, infinite df), so the last column
    // errs a little on the liberal side rather than inventing an
    // extrapolation the tables do not support.
    if (means > columns.back()) means = columns.back();
    return Lookup(DunnettRowKey, columns, df, means, [twoSided, alphaIndex](int row, int column) {
        return DunnettTableValue(twoSided, alphaIndex, row, column);
    });
}

}  // namespace vextal
