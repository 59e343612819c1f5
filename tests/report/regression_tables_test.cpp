#include "report/regression_tables.h"

#include <gtest/gtest.h>

#include "table_text.h"

using namespace vextal;

TEST(RegressionParameterTable, OrdinaryAndForcedFits) {
    RegressionParameters p{.Slope = 2.0346L,
                           .SlopeSE = 0.1234L,
                           .SlopeLower = 1.7562L,
                           .SlopeUpper = 2.3128L,
                           .YIntercept = -1.5L,
                           .YInterceptSE = 0.75L,
                           .YInterceptLower = -3.2L,
                           .YInterceptUpper = 0.2L,
                           .XIntercept = 0.7373L};
    ReportWriter report;
    WriteRegressionParameterTable(report, p, false);
    const Lines expected{
        "[b]             Best-fit  Standard  95% confidence interval[b]",
        "[b] Parameter    Value     Error      from       to   [b]",
        "[b]===========  ========  ========  ========  ========[b]",
        "[b][b][b]Slope[b]           2.035    0.1234     1.756     2.313",
        "[b]Y intercept[b]    -1.500    0.7500    -3.200    0.2000",
        "[b]X intercept[b]    0.7373",
    };
    ExpectLines(report.Text(), expected);

    p.XIntercept = MissingValue;
    ReportWriter forced;
    WriteRegressionParameterTable(forced, p, true);
    const Lines lines = ShownLines(forced.Text());
    ASSERT_EQ(6u, lines.size());
    EXPECT_EQ("[b]Y intercept[b]    -1.500", lines[4]);
    EXPECT_EQ("[b]X intercept[b]  Undefined", lines[5]);
}

TEST(RegressionRowTable, HeaderAndRows) {
    ReportWriter report;
    WriteRegressionRowTableHeader(report);
    WriteRegressionRowTableRow(report, 1, 1, 2.5L, 3, 2.4L, 0.5L, 0.1L);
    WriteRegressionRowTableRow(report, 12, 150, 310, 2, 305.25L, MissingValue, 4.75L);
    const Lines expected{
        "[b]                         # of   Predicted  Standard [b]",
        "[b]Row  X Value    Mean Y   Reps.      Y      Deviation  Residual[b]",
        "[b]===  ========  ========  =====  =========  =========  ========[b]",
        "[b][b]  1     1.000     2.500      3      2.400     0.5000    0.1000",
        " 12    150.00    310.00      2     305.25                4.750",
    };
    ExpectLines(report.Text(), expected);
}
