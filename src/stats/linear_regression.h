// Linear regression of XY data: the least-squares line, ordinary or forced
// through a given point, its parameters with standard errors and 95%
// confidence limits, the test of the slope, and (for Y with replicates) the
// test for departure from linearity. The entry point also writes the report
// with the runs test and the standard curve.
//
// Method: two passes in extended precision (sums, then sums of squared
// deviations about the means), so the fit loses no more than the data's own
// conditioning; a forced fit works on X - X0 and Y - Y0. Sums of squares that
// rounding leaves a few units below zero are taken as zero. P values come
// from f_prob and t_prob (about six significant digits).
#pragma once

#include <vector>

#include "data/number_text.h"
#include "report/regression_tables.h"
#include "stats/regression_runs_test.h"
#include "stats/standard_curve.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int LinearRegressionHelpTopic = 194;
/// Largest number of points for which the report lists the rows one by one.
inline constexpr int MaxPointsForRowTable = 50;

struct RegressionOptions {
    bool RunsTest = false;
    bool ForceThroughPoint = false;
    bool InterpolateUnknowns = false;
    long double X0 = 0;  // the point a forced line goes through
    long double Y0 = 0;
};

/// What the graph draws from a regression. Slope is MissingValue when the
/// regression failed (Code not 0); the graph then draws no line.
struct RegressionLine {
    int Code = 0;
    long double Slope = MissingValue;
    long double Intercept = MissingValue;
    long double SlopeLower = MissingValue;  // 95% confidence limits of the slope
    long double SlopeUpper = MissingValue;
    long double MeanX = MissingValue;  // of the points, in the table's units
    long double Sxx = MissingValue;    // sum of squares of X about its mean
    long double SyX = MissingValue;    // SD of the residuals
    long double RSquared = MissingValue;
    int N = 0;
};

/// Sums over the points, on X - X0 and Y - Y0 for a forced fit.
struct RegressionSums {
    int N = 0;              // points (X and Y both present)
    int Rows = 0;           // rows holding X and at least one Y
    int MaxReplicates = 0;  // most Y values in one row
    long double SumX = 0, SumY = 0;
    long double MeanX = 0, MeanY = 0;
    long double Sxx = 0, Syy = 0, Sxy = 0;
    long double RowTotalsTerm = 0;  // sum over rows of (row total of Y)^2 / replicates
    long double RowScatter = 0;     // sum over rows of the squared deviations of Y from the row mean
};

/// One line of the per-row table.
struct RegressionRowSummary {
    long double X = MissingValue;
    int Replicates = 0;
    long double MeanY = MissingValue;
    long double SD = MissingValue;  // divisor n - 1; missing for a single value
    long double PredictedY = MissingValue;
    long double Residual = MissingValue;  // mean Y - predicted Y
};

/// Lack-of-fit test: deviations of the row means from the line against the
/// scatter of the replicates.
struct LinearityTest {
    bool Performed = false;
    long double SSRegression = 0;
    long double SSDeviations = 0;
    int DFDeviations = 0;
    long double MSDeviations = 0;
    long double SSReplicates = 0;
    int DFReplicates = 0;
    long double MSReplicates = 0;
    long double SSTotal = 0;
    int DFTotal = 0;
    long double F = MissingValue;  // missing when the replicates do not scatter at all
    long double P = MissingValue;
};

struct LinearRegressionAnalysis {
    int Code = 0;  // 36 too few rows, 37 one X value, 38 flat line without scatter
    bool Forced = false;
    long double X0 = 0, Y0 = 0;
    RegressionSums Sums;
    RegressionParameters Parameters;  // the reported line, in the table's units
    long double SSRegression = 0, SSResidual = 0, SSTotal = 0;
    int DFResidual = 0, DFTotal = 0;
    long double MSRegression = 0;  // one degree of freedom
    long double MSResidual = 0;
    long double SyX = 0;
    long double RSquared = 0;
    long double R = 0;
    bool PerfectLine = false;  // r squared exactly 1: no tests
    long double F = MissingValue;  // slope test of the ordinary fit
    long double T = MissingValue;  // slope test of the forced fit
    long double P = MissingValue;
    bool RowTableShown = false;  // replicates present and few enough points
    std::vector<RegressionRowSummary> RowTable;
    bool RunsTestPerformed = false;
    RunsTestResult Runs;
    LinearityTest Linearity;
    bool StandardCurvePerformed = false;
    StandardCurve Curve;
};

/// Rows holding X and at least one Y.
int CountRegressionRows(const DataTable& table);

/// The fit and every test the options ask for. Meant to run inside the fault
/// guard: arithmetic faults show only in the floating-point flags.
LinearRegressionAnalysis AnalyseLinearRegression(const DataTable& table, const RegressionOptions& options);

/// The report of an analysis whose Code is 0.
void WriteLinearRegressionReport(ReportWriter& report, const LinearRegressionAnalysis& analysis);

/// The entry point: sets the document's CalcError and ReportHelpTopic, writes
/// the report (or the message of the code) and returns the graph's values;
/// `details`, when given, receives every computed value of a successful run.
RegressionLine LinearRegression(DataDocument& document, bool runsTest, bool forceThroughPoint, ReportWriter& report,
                                bool interpolateUnknowns, long double x0, long double y0,
                                LinearRegressionAnalysis* details = nullptr);

}  // namespace vextal
