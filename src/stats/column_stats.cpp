#include "stats/column_stats.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "stats/pvalue.h"

namespace vextal {

namespace {

std::vector<long double> ColumnValues(const DataTable& table, int column) {
    std::vector<long double> values;
    for (int row = 0; row <= table.LastRow; ++row) {
        const long double x = GetValue(table, row, column);
        if (!IsMissing(x)) values.push_back(x);
    }
    return values;
}

long double FiniteOrMissing(long double x) { return std::isfinite(x) ? x : MissingValue; }

// Steps shared by the lazy computation and the one-column form: N, mean,
// SD, SEM, extremes, median and confidence limits of the column's values.
void ComputeRawStatistics(const DataTable& table, int column, ColumnInfo& record) {
    const std::vector<long double> values = ColumnValues(table, column);
    const int n = static_cast<int>(values.size());
    record.N = n;
    if (n < 1) {
        record.Mean = record.SD = record.SEM = record.Median = MissingValue;
        record.Minimum = record.Maximum = MissingValue;
        record.UpperCI = record.LowerCI = MissingValue;
        return;
    }
    long double sum = 0;
    long double minimum = values[0], maximum = values[0];
    for (long double x : values) {
        sum += x;
        minimum = std::min(minimum, x);
        maximum = std::max(maximum, x);
    }
    const long double mean = sum / n;
    long double squares = 0;
    for (long double x : values) squares += (x - mean) * (x - mean);
    long double sd = 0, sem = 0;
    if (n >= 2) {
        sd = std::sqrt(squares / (n - 1));
        sem = sd / std::sqrt(static_cast<long double>(n));
    }
    record.Mean = FiniteOrMissing(mean);
    record.SD = FiniteOrMissing(sd);
    record.SEM = FiniteOrMissing(sem);
    record.Minimum = minimum;
    record.Maximum = maximum;
    record.Median = FiniteOrMissing(ColumnMedian(table, column));
    // With one value the SEM is 0 and the interval collapses to the mean.
    const long double halfWidth = n >= 2 ? critical_t(n - 1) * sem : 0;
    record.UpperCI = FiniteOrMissing(mean + halfWidth);
    record.LowerCI = FiniteOrMissing(mean - halfWidth);
    if (IsMissing(record.Mean) || IsMissing(record.SD)) record.UpperCI = record.LowerCI = MissingValue;
}

}  // namespace

long double ColumnMedian(const DataTable& table, int column) {
    std::vector<long double> values = ColumnValues(table, column);
    const std::size_t n = values.size();
    if (n == 0) return MissingValue;
    std::sort(values.begin(), values.end());
    if (n % 2 == 1) return values[n / 2];
    return (values[n / 2 - 1] + values[n / 2]) / 2;
}

long double KSProbability(long double ks, int n) {
    long double a, b, c;
    if (n <= 100) {
        a = -7.01256L * (n + 2.78019L);
        b = 2.99587L * std::sqrt(n + 2.78019L);
        c = 2.1804661L + 0.974598L / std::sqrt(static_cast<long double>(n)) + 1.67997L / n;
    } else {
        a = -7.90289126054L * power(n, 0.98L);
        b = 3.180370175721L * power(n, 0.49L);
        c = 2.2947256L;
    }
    // The distance at which the approximation gives exactly 0.10; it is not
    // used for larger P values.
    const long double d10 = (-b - std::sqrt(b * b - 4 * a * c)) / (2 * a);
    if (ks < d10) return NormalityPAboveTenPercent;
    if (ks == d10) return 0.1L;
    return std::exp(a * ks * ks + b * ks + c - 2.3025851L);  // 2.3025851 = ln 10
}

NormalityResult NormalityTestKS(const DataTable& table, int column, long double mean, long double sd) {
    std::vector<long double> values = ColumnValues(table, column);
    std::sort(values.begin(), values.end());
    const int n = static_cast<int>(values.size());
    NormalityResult result;
    if (n < 1) return result;
    long double ks = 0;
    for (int i = 1; i <= n; ++i) {
        const long double z = (values[i - 1] - mean) / sd;
        long double F = 0.5L * z_prob(z);  // upper tail of |z|
        if (z > 0) F = 1 - F;              // the normal cumulative probability of z
        // The empirical distribution steps from (i-1)/n to i/n at this value;
        // both sides count, for the first value as for the others.
        const long double above = std::fabs(F - static_cast<long double>(i) / n);
        const long double below = std::fabs(F - static_cast<long double>(i - 1) / n);
        ks = std::max({ks, above, below});
    }
    result.KS = ks;
    result.P = KSProbability(ks, n);
    return result;
}

void ComputeSummaryFromEntered(const DataTable& table, int column, ColumnInfo& record) {
    if (column >= 0) {
        ComputeRawStatistics(table, column, record);
        return;
    }
    const int n = record.N;
    if (!IsMissing(record.SD))
        record.SEM = n < 1 ? MissingValue : sem_from_sd(n, record.SD);
    else if (!IsMissing(record.SEM))
        record.SD = n < 1 ? MissingValue : sd_from_sem(n, record.SEM);
    // A single typed value has no degrees of freedom, hence no interval.
    if (!IsMissing(record.SEM) && !IsMissing(record.Mean) && n > 1) {
        const long double halfWidth = critical_t(n - 1) * record.SEM;
        record.UpperCI = record.Mean + halfWidth;
        record.LowerCI = record.Mean - halfWidth;
    } else {
        record.UpperCI = record.LowerCI = MissingValue;
    }
}

void ComputeColumnStats(DataTable& table) {
    for (int column = 0; column < DataColumnCount; ++column) {
        ColumnInfo& record = table.ColumnInfo[column];
        const bool changed = table.ColumnChanged[column];
        if (changed) {
            ComputeRawStatistics(table, column, record);
            if (record.N < 1) table.ColumnSelected[column] = false;
        }
        if (!table.SummaryEntered[column] &&
            (changed || (IsMissing(record.NormalityP) && IsMissing(record.KSDistance)))) {
            if (record.N > 4 && !IsMissing(record.SD) && record.SD > 0) {
                const NormalityResult normality = NormalityTestKS(table, column, record.Mean, record.SD);
                record.KSDistance = normality.KS;
                record.NormalityP = normality.P;
                record.Passed = normality.P > 0.05L;
            } else {
                record.KSDistance = record.NormalityP = MissingValue;
            }
        }
        table.ColumnChanged[column] = false;
    }
}

void ComputeColumnStats(DataDocument& document) {
    const DataFormat format = document.State.Format;
    if (format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN) return;
    ComputeColumnStats(document.Table);
}

}  // namespace vextal
