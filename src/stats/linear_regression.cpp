#include "stats/linear_regression.h"

#include <algorithm>
#include <cmath>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"
#include "stats/xy_rows.h"

namespace vextal {

namespace {

constexpr int TooFewRows = 36;
constexpr int SingleXValue = 37;
constexpr int FlatLineWithoutScatter = 38;

RegressionSums ComputeSums(const std::vector<XYRow>& rows, long double x0, long double y0) {
    RegressionSums s;
    for (const XYRow& row : rows) {
        if (!row.HasData()) continue;
        ++s.Rows;
        s.MaxReplicates = std::max(s.MaxReplicates, static_cast<int>(row.Y.size()));
        for (long double y : row.Y) {
            ++s.N;
            s.SumX += row.X - x0;
            s.SumY += y - y0;
        }
    }
    if (s.N == 0) return s;
    s.MeanX = s.SumX / s.N;
    s.MeanY = s.SumY / s.N;
    for (const XYRow& row : rows) {
        if (!row.HasData()) continue;
        const long double dx = row.X - x0 - s.MeanX;
        long double total = 0;
        for (long double y : row.Y) {
            const long double dy = y - y0 - s.MeanY;
            s.Sxx += dx * dx;
            s.Syy += dy * dy;
            s.Sxy += dx * dy;
            total += y - y0;
        }
        const long double replicates = static_cast<long double>(row.Y.size());
        s.RowTotalsTerm += total * total / replicates;
        const long double rowMean = total / replicates;
        for (long double y : row.Y) s.RowScatter += (y - y0 - rowMean) * (y - y0 - rowMean);
    }
    return s;
}

// A sum of squares that is zero in exact arithmetic can come out a few units
// of the last place below zero.
long double NotNegative(long double ss) { return ss < 0 ? 0 : ss; }

std::vector<RegressionRowSummary> SummariseRows(const std::vector<XYRow>& rows, long double slope,
                                                long double intercept) {
    std::vector<RegressionRowSummary> summaries;
    for (const XYRow& row : rows) {
        if (!row.HasData()) continue;
        RegressionRowSummary summary;
        summary.X = row.X;
        summary.Replicates = static_cast<int>(row.Y.size());
        long double sum = 0;
        for (long double y : row.Y) sum += y;
        summary.MeanY = sum / summary.Replicates;
        if (summary.Replicates > 1) {
            long double squares = 0;
            for (long double y : row.Y) squares += (y - summary.MeanY) * (y - summary.MeanY);
            summary.SD = std::sqrt(squares / (summary.Replicates - 1));
        }
        summary.PredictedY = PredictY(slope, intercept, row.X);
        summary.Residual = summary.MeanY - summary.PredictedY;
        summaries.push_back(summary);
    }
    return summaries;
}

// Splits the residual scatter into the deviations of the row means from the
// line and the scatter of the replicates about their row means. The
// reference model of the forced line has no fitted mean, so its row means
// are taken about zero and its deviations keep one more degree of freedom.
LinearityTest TestLinearity(const LinearRegressionAnalysis& a) {
    const RegressionSums& s = a.Sums;
    LinearityTest test;
    test.Performed = true;
    test.SSRegression = a.SSRegression;
    test.SSTotal = a.SSTotal;
    test.DFTotal = a.DFTotal;
    // The scatter among rows is the total less the scatter within rows; the
    // latter is summed from deviations about each row's mean, so no large
    // uncentred totals are subtracted (Y near 1E9 keeps its digits).
    test.DFDeviations = a.Forced ? s.Rows - 1 : s.Rows - 2;
    test.SSReplicates = s.RowScatter;
    test.SSDeviations = NotNegative(a.SSTotal - s.RowScatter - a.SSRegression);
    test.DFReplicates = s.N - s.Rows;
    test.MSDeviations = test.SSDeviations / test.DFDeviations;
    test.MSReplicates = test.SSReplicates / test.DFReplicates;
    if (test.MSReplicates > 0) {
        test.F = test.MSDeviations / test.MSReplicates;
        test.P = f_prob(test.DFDeviations, test.DFReplicates, test.F);
    }
    return test;
}

RegressionLine GraphValues(const LinearRegressionAnalysis& a) {
    RegressionLine line;
    line.Slope = a.Parameters.Slope;
    line.Intercept = a.Parameters.YIntercept;
    line.SlopeLower = a.Parameters.SlopeLower;
    line.SlopeUpper = a.Parameters.SlopeUpper;
    line.MeanX = a.Sums.MeanX + a.X0;
    line.Sxx = a.Sums.Sxx;
    line.SyX = a.SyX;
    line.RSquared = a.RSquared;
    line.N = a.Sums.N;
    return line;
}

}  // namespace

int CountRegressionRows(const DataTable& table) {
    const std::vector<XYRow> rows = ReadXYRows(table);
    return static_cast<int>(std::count_if(rows.begin(), rows.end(), [](const XYRow& row) { return row.HasData(); }));
}

LinearRegressionAnalysis AnalyseLinearRegression(const DataTable& table, const RegressionOptions& options) {
    LinearRegressionAnalysis a;
    a.Forced = options.ForceThroughPoint;
    a.X0 = a.Forced ? options.X0 : 0;
    a.Y0 = a.Forced ? options.Y0 : 0;
    const std::vector<XYRow> rows = ReadXYRows(table);
    a.Sums = ComputeSums(rows, a.X0, a.Y0);
    const RegressionSums& s = a.Sums;
    if (s.Rows < 3) {
        a.Code = TooFewRows;
        return a;
    }
    if (s.Sxx == 0) {
        a.Code = SingleXValue;
        return a;
    }

    const long double n = s.N;
    RegressionParameters& p = a.Parameters;
    long double slopeDivisor = 0;
    if (!a.Forced) {
        p.Slope = s.Sxy / s.Sxx;
        p.YIntercept = s.MeanY - p.Slope * s.MeanX;
        a.SSRegression = p.Slope * s.Sxy;
        a.SSTotal = s.Syy;
        a.SSResidual = NotNegative(a.SSTotal - a.SSRegression);
        a.DFResidual = s.N - 2;
        a.DFTotal = s.N - 1;
        slopeDivisor = s.Sxx;
    } else {
        const long double sumXY = s.Sxy + n * s.MeanX * s.MeanY;
        const long double sumXX = s.Sxx + n * s.MeanX * s.MeanX;
        const long double sumYY = s.Syy + n * s.MeanY * s.MeanY;
        p.Slope = sumXY / sumXX;
        p.YIntercept = a.Y0 - p.Slope * a.X0;
        a.SSResidual = NotNegative(sumYY - sumXY * sumXY / sumXX);
        a.SSTotal = sumYY;
        a.SSRegression = a.SSTotal - a.SSResidual;
        a.DFResidual = s.N - 1;
        a.DFTotal = s.N;
        slopeDivisor = sumXX;
    }
    a.MSRegression = a.SSRegression;
    a.MSResidual = a.SSResidual / a.DFResidual;
    a.SyX = std::sqrt(a.MSResidual);
    p.SlopeSE = a.MSResidual == 0 ? 0 : std::sqrt(a.MSResidual / slopeDivisor);
    if (p.Slope == 0 && p.SlopeSE == 0) {
        a.Code = FlatLineWithoutScatter;
        return a;
    }
    p.YInterceptSE = std::sqrt((s.MeanX * s.MeanX / s.Sxx + 1 / n) * a.MSResidual);
    const long double t = critical_t(a.DFResidual);
    p.SlopeLower = p.Slope - t * p.SlopeSE;
    p.SlopeUpper = p.Slope + t * p.SlopeSE;
    p.YInterceptLower = p.YIntercept - t * p.YInterceptSE;
    p.YInterceptUpper = p.YIntercept + t * p.YInterceptSE;
    p.XIntercept = p.Slope == 0 ? MissingValue : -p.YIntercept / p.Slope;

    a.RSquared = std::min(std::fabs(a.SSRegression / a.SSTotal), 1.0L);
    a.R = std::copysign(std::sqrt(a.RSquared), p.Slope);
    if (p.Slope == 0) a.R = 0;
    a.PerfectLine = a.RSquared == 1;

    // A perfect line has no residual scatter to test against; its report
    // shows the line alone (and the standard curve).
    if (!a.PerfectLine) {
        // r squared below 1 leaves a positive residual mean square.
        if (!a.Forced) {
            a.F = a.MSRegression / a.MSResidual;
            a.P = f_prob(1, a.DFResidual, a.F);
        } else {
            a.T = p.Slope / p.SlopeSE;
            a.P = t_prob(a.DFResidual, a.T);
        }
        a.RowTableShown = s.MaxReplicates > 1 && s.N <= MaxPointsForRowTable;
        if (a.RowTableShown) a.RowTable = SummariseRows(rows, p.Slope, p.YIntercept);
        if (options.RunsTest) {
            a.RunsTestPerformed = true;
            a.Runs = a.Forced ? LineRunsTest(table, p.Slope, 0, a.X0, a.Y0)
                              : LineRunsTest(table, p.Slope, p.YIntercept);
            if (s.MaxReplicates > 1) a.Linearity = TestLinearity(a);
        }
    }
    if (options.InterpolateUnknowns) {
        a.StandardCurvePerformed = true;
        a.Curve = ComputeStandardCurve(table, p.Slope, p.YIntercept);
    }
    return a;
}

RegressionLine LinearRegression(DataDocument& document, bool runsTest, bool forceThroughPoint, ReportWriter& report,
                                bool interpolateUnknowns, long double x0, long double y0,
                                LinearRegressionAnalysis* details) {
    document.ReportHelpTopic = LinearRegressionHelpTopic;
    RegressionOptions options;
    options.RunsTest = runsTest;
    options.ForceThroughPoint = forceThroughPoint;
    options.InterpolateUnknowns = interpolateUnknowns;
    options.X0 = x0;
    options.Y0 = y0;

    RegressionLine line;
    const int code = RunAnalysisFrame(
        report, document.CalcError,
        [&document] { return CountRegressionRows(document.Table) < 3 ? TooFewRows : 0; },
        [&] {
            const LinearRegressionAnalysis analysis = AnalyseLinearRegression(document.Table, options);
            if (analysis.Code != 0) throw CalcFault{analysis.Code};
            WriteLinearRegressionReport(report, analysis);
            line = GraphValues(analysis);
            if (details) *details = analysis;
        });
    if (code != 0) line = RegressionLine{};
    line.Code = code;
    return line;
}

}  // namespace vextal
