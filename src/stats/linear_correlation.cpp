#include "stats/linear_correlation.h"

#include <algorithm>
#include <cmath>
#include <string_view>
#include <utility>
#include <vector>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/calc_error.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"

namespace vextal {

namespace {

using Pairs = std::vector<std::pair<long double, long double>>;

constexpr int NoPairs = 47;
constexpr int SingleXValue = 37;
constexpr int SingleYValue = 38;
constexpr int TooFewPairs = 39;

CorrelationResult Correlate(const Pairs& pairs) {
    CorrelationResult c;
    c.N = static_cast<int>(pairs.size());
    if (c.N == 0) {
        c.Code = NoPairs;
        return c;
    }
    long double sumX = 0, sumY = 0;
    for (const auto& [x, y] : pairs) {
        sumX += x;
        sumY += y;
    }
    const long double meanX = sumX / c.N, meanY = sumY / c.N;
    for (const auto& [x, y] : pairs) {
        c.Sxx += (x - meanX) * (x - meanX);
        c.Syy += (y - meanY) * (y - meanY);
        c.Sxy += (x - meanX) * (y - meanY);
    }
    if (c.Sxx == 0) c.Code = SingleXValue;
    else if (c.Syy == 0) c.Code = SingleYValue;
    else if (c.N < 3) c.Code = TooFewPairs;
    if (c.Code != 0) return c;

    c.R = std::clamp(c.Sxy / std::sqrt(c.Sxx * c.Syy), -1.0L, 1.0L);
    c.RSquared = c.R * c.R;
    const bool line = std::fabs(c.R) == 1;  // every point on one line: no scatter left
    if (line) {
        c.P = 0;
    } else {
        const long double se = std::sqrt((1 - c.RSquared) / (c.N - 2));
        c.T = std::fabs(c.R / se);
        c.P = t_prob(c.N - 2, c.T);
    }
    if (c.N >= 4) {
        if (line) {
            c.Lower = c.Upper = c.R;
        } else {
            const long double z = 0.5L * (std::log(1 + c.R) - std::log(1 - c.R));
            const long double h = std::sqrt(1.0L / (c.N - 3)) * inverse_z(0.025L);
            c.Lower = std::tanh(z - h);
            c.Upper = std::tanh(z + h);
        }
    }
    return c;
}

void UnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_line(text);
    report.toggle_underline();
}

}  // namespace

CorrelationResult CorrelationSums(std::span<const long double> x, std::span<const long double> y) {
    Pairs pairs;
    const std::size_t count = std::min(x.size(), y.size());
    for (std::size_t i = 0; i < count; ++i)
        if (!IsMissing(x[i]) && !IsMissing(y[i])) pairs.emplace_back(x[i], y[i]);
    return Correlate(pairs);
}

CorrelationResult CorrelationSums(const DataTable& table, int xColumn) {
    Pairs pairs;
    const int lastColumn = ColumnCountForAnalysis(table);
    for (int row = 0; row <= table.LastRow; ++row) {
        const long double x = GetValue(table, row, xColumn);
        if (IsMissing(x)) continue;
        for (int column = 0; column <= lastColumn; ++column) {
            if (column == xColumn) continue;
            const long double y = GetValue(table, row, column);
            if (!IsMissing(y)) pairs.emplace_back(x, y);
        }
    }
    return Correlate(pairs);
}

CorrelationResult CorrelationSums(const DataTable& table, int xColumn, int yColumn) {
    Pairs pairs;
    for (int row = 0; row <= table.LastRow; ++row) {
        const long double x = GetValue(table, row, xColumn);
        const long double y = GetValue(table, row, yColumn);
        if (!IsMissing(x) && !IsMissing(y)) pairs.emplace_back(x, y);
    }
    return Correlate(pairs);
}

void WriteLinearCorrelationReport(ReportWriter& report, const CorrelationResult& c) {
    UnderlinedLine(report, centred("Linear Correlation", 65));
    report.new_line();
    report.new_line();
    report.write_text("Number of points = ");
    report.write_integer(c.N);
    report.new_line();
    report.new_line();
    report.write_text("Correlation coefficient (r) = ");
    report.write_number(FiveSignificant, c.R);
    report.new_line();
    report.write_text("95% confidence interval: ");
    if (IsMissing(c.Lower)) {
        report.write_text("(Requires more than 3 points) ");
    } else {
        report.write_number(FiveSignificant, c.Lower);
        report.write_text(" to ");
        report.write_number(FiveSignificant, c.Upper);
    }
    report.new_line();
    report.write_text("Coefficient of determination (r squared) = ");
    report.write_number(FiveSignificant, c.RSquared);
    report.new_line();
    report.new_line();
    report.new_line();
    UnderlinedLine(report, "Test: Is r significantly different than zero?");
    report.write_p_value(2, true, c.P);
}

int LinearCorrelation(DataDocument& document, ReportWriter& report) {
    document.ReportHelpTopic = LinearCorrelationHelpTopic;
    return RunAnalysisFrame(report, document.CalcError, nullptr, [&] {
        const CorrelationResult result = CorrelationSums(document.Table, 0);
        if (result.Code != 0) throw CalcFault{result.Code};
        WriteLinearCorrelationReport(report, result);
    });
}

}  // namespace vextal
