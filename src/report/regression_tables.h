// Tables of the linear regression report: the best-fit parameters and the
// per-row statistics of data with replicates.
#pragma once

#include "data/number_text.h"
#include "report/report_writer.h"

namespace vextal {

struct RegressionParameters {
    long double Slope = MissingValue;
    long double SlopeSE = MissingValue;
    long double SlopeLower = MissingValue;  // 95% confidence limits
    long double SlopeUpper = MissingValue;
    long double YIntercept = MissingValue;
    long double YInterceptSE = MissingValue;
    long double YInterceptLower = MissingValue;
    long double YInterceptUpper = MissingValue;
    long double XIntercept = MissingValue;  // missing when the slope is 0
};

/// Header and the Slope, Y intercept and X intercept rows. A line forced
/// through a point shows only the value of its Y intercept.
void WriteRegressionParameterTable(ReportWriter& report, const RegressionParameters& parameters, bool forced);

void WriteRegressionRowTableHeader(ReportWriter& report);
/// `row` counts the rows with data from 1.
void WriteRegressionRowTableRow(ReportWriter& report, int row, long double x, long double meanY,
                                int replicates, long double predictedY, long double sd, long double residual);

}  // namespace vextal
