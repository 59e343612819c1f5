#include "stats/linear_regression.h"

#include <gtest/gtest.h>

#include <vector>

#include "report/report_writer.h"
#include "xy_test_support.h"

using namespace vextal;

namespace {

struct Outcome {
    RegressionLine Line;
    std::string Text;
};

Outcome Regress(DataDocument& document, bool runs = false, bool force = false, bool curve = false, long double x0 = 0,
            long double y0 = 0) {
    ReportWriter report;
    Outcome run;
    run.Line = LinearRegression(document, runs, force, report, curve, x0, y0);
    run.Text = report.Text();
    return run;
}

}  // namespace

TEST(LinearRegression, PerfectLineReport) {
    DataDocument document = XYDocument({{1, 2}, {2, 4}, {3, 6}});
    const Outcome run = Regress(document, true);
    EXPECT_EQ(0, run.Line.Code);
    EXPECT_EQ(2.0L, run.Line.Slope);
    EXPECT_EQ(0.0L, run.Line.Intercept);
    EXPECT_EQ(1.0L, run.Line.RSquared);
    EXPECT_EQ(194, document.ReportHelpTopic);
    ExpectLines(run.Text, {"[u]                        Linear Regression                        [u]", "[u][u]", "",
                           "Number of points = 3", "", "Your data form a perfect line:", "Slope = 2.000",
                           "Y-intercept = 0.000", "P = 0.0000", "r squared = 1.0000"});

    // Rounding makes the residual sum of squares of this line slightly
    // negative; its square root must not end the analysis.
    DataDocument decimals = NewDocument();
    for (int i = 0; i < 5; ++i) {
        const long double x = 0.1L * (i + 1) * 0.1L;
        SetValue(decimals.Table, i, 0, x);
        SetValue(decimals.Table, i, 1, (0.1L * 1 + 0.3L) * x + 0.7L);
    }
    const Outcome decimalRun = Regress(decimals);
    EXPECT_EQ(0, decimalRun.Line.Code);
    ExpectBlock(decimalRun.Text, {"Your data form a perfect line:", "Slope = 0.4000", "Y-intercept = 0.7000"});
}

TEST(LinearRegression, DataChecks) {
    DataDocument twoRows = XYDocument({{1, 2, 3, 4, 5, 6}, {2, 3, 4, 5, 6, 7}, {Empty, 9}, {5}});
    const Outcome tooFew = Regress(twoRows);
    EXPECT_EQ(36, tooFew.Line.Code) << "rows with data count, not points";
    EXPECT_EQ(36, twoRows.CalcError);
    EXPECT_TRUE(IsMissing(tooFew.Line.Slope));
    ExpectLines(tooFew.Text, {"", "Linear regression requires at least three points.", ""});

    DataDocument oneX = XYDocument({{3, 1}, {3, 2}, {3, 5}});
    EXPECT_EQ(37, Regress(oneX).Line.Code);
    DataDocument flat = XYDocument({{1, 4}, {2, 4}, {3, 4}});
    EXPECT_EQ(38, Regress(flat).Line.Code);
    EXPECT_EQ(38, Regress(flat, false, true, false, 0, 4).Line.Code) << "forced through a point on the flat line";
}

// A standard curve: absorbance against concentration. Reference values from
// an independent 40-digit calculation (mpmath, closed forms and the
// regularized incomplete beta function).
TEST(LinearRegression, OrdinaryFitMatchesReferenceValues) {
    DataDocument document = XYDocument({{0, 0.052}, {2, 0.213}, {4, 0.401}, {6, 0.589}, {8, 0.802}, {10, 0.968},
                                        {12, 1.190}, {14, 1.347}});
    RegressionOptions options;
    const LinearRegressionAnalysis a = AnalyseLinearRegression(document.Table, options);
    ASSERT_EQ(0, a.Code);
    ExpectClose(0.094428571428571428571L, a.Parameters.Slope, 1e-15L);
    ExpectClose(0.03425L, a.Parameters.YIntercept, 1e-14L);
    ExpectClose(0.0012346850930142327696L, a.Parameters.SlopeSE, 1e-14L);
    ExpectClose(0.01033011662682515525L, a.Parameters.YInterceptSE, 1e-14L);
    ExpectClose(-0.36270801815431164902L, a.Parameters.XIntercept, 1e-14L);
    ExpectClose(0.99897526503281624063L, a.RSquared, 1e-15L);
    ExpectClose(0.0160033478640296655L, a.SyX, 1e-14L);
    ExpectClose(5849.1725003486264119L, a.F, 1e-13L);
    ExpectClose(3.3639663967843391052e-10L, a.P, 1e-5L);

    const Outcome run = Regress(document);
    EXPECT_EQ(7.0L, run.Line.MeanX);
    EXPECT_EQ(168.0L, run.Line.Sxx);
    EXPECT_EQ(8, run.Line.N);
    ExpectBlock(run.Text, {"[b][b][b]Slope[b]         0.09443  0.001235   0.09141   0.09745",
                           "[b]Y intercept[b]   0.03425   0.01033  0.008972   0.05953",
                           "[b]X intercept[b]   -0.3627", "",
                           "Correlation coefficient (r) = 0.9995.  r squared = 0.9990", "",
                           "Standard deviation of residuals from line (Sy.x) = 0.01600"});
    ExpectBlock(run.Text, {"[b]Total[b]                                          7     1.500", "F = 5849.2"});
}

// NIST StRD NoInt1 and NoInt2 (lines through the origin), certified values.
TEST(LinearRegression, ForcedThroughOriginMatchesCertifiedValues) {
    struct Case {
        std::vector<long double> X, Y;
        long double Slope, SlopeSE, ResidualSD, RSquared, F;
    };
    const Case cases[] = {
        {{60, 61, 62, 63, 64, 65, 66, 67, 68, 69, 70}, {130, 131, 132, 133, 134, 135, 136, 137, 138, 139, 140},
         2.07438016528926L, 0.0165289256198347L, 3.56753034006338L, 0.999365492298663L, 15750.25L},
        {{4, 5, 6}, {3, 4, 4}, 0.727272727272727L, 0.0420827318078432L, 0.369274472937998L, 0.993348115299335L,
         298.6666666666667L},
    };
    for (const Case& c : cases) {
        DataDocument document = NewDocument();
        for (std::size_t i = 0; i < c.X.size(); ++i) {
            SetValue(document.Table, static_cast<int>(i), 0, c.X[i]);
            SetValue(document.Table, static_cast<int>(i), 1, c.Y[i]);
        }
        RegressionOptions options;
        options.ForceThroughPoint = true;
        const LinearRegressionAnalysis a = AnalyseLinearRegression(document.Table, options);
        ASSERT_EQ(0, a.Code);
        ExpectClose(c.Slope, a.Parameters.Slope, 1e-13L);
        ExpectClose(c.SlopeSE, a.Parameters.SlopeSE, 1e-13L);
        ExpectClose(c.ResidualSD, a.SyX, 1e-13L);
        ExpectClose(c.RSquared, a.RSquared, 1e-13L);
        ExpectClose(c.F, a.T * a.T, 1e-13L);
        EXPECT_EQ(0.0L, a.Parameters.YIntercept);
    }
}

TEST(LinearRegression, ForcedThroughOriginReport) {
    DataDocument document = XYDocument({{1, 1}, {2, 3}, {3, 3}});
    const Outcome run = Regress(document, false, true);
    ASSERT_EQ(0, run.Line.Code);
    ExpectClose(16.0L / 14, run.Line.Slope, 1e-18L);
    EXPECT_EQ(0.0L, run.Line.Intercept);
    ExpectBlock(run.Text, {"[b]Y intercept[b]     0.000", "[b]X intercept[b]     0.000", "",
                           "The line was forced through the point:", "X=0.000  Y=0.000"});
    // Reference: SE = 0.159719, t = 7.15542, two-tailed P(t, 2 df) = 0.018977.
    ExpectBlock(run.Text, {"The P value is 0.0190, considered significant.",
                           "The slope is significantly different from zero.", "t = 7.155 with 2 degrees of freedom."});
}

// Rows with replicates and a slight curve. Reference
// values (40 digits): lack-of-fit F = 4.058685, P = 0.057844; residuals of
// the row means 0.019718, -0.018310, 0.143662, -0.494366, 0.267606.
TEST(LinearRegression, ReplicatesReport) {
    DataDocument document =
        XYDocument({{1, 2.1, 2.3, 1.9}, {2, 3.8, 4.2}, {3, 6.3, 5.9, 6.1}, {4, 7.2, 7.6}, {5, 10.3, 9.9}});
    const Outcome run = Regress(document, true);
    ASSERT_EQ(0, run.Line.Code);
    ExpectBlock(run.Text, {
        "[b]===  ========  ========  =====  =========  =========  ========[b]",
        "[b][b]  1     1.000     2.100      3      2.080     0.2000   0.01972",
        "  2     2.000     4.000      2      4.018     0.2828  -0.01831",
        "  3     3.000     6.100      3      5.956     0.2000    0.1437",
        "  4     4.000     7.400      2      7.894     0.2828   -0.4944",
        "  5     5.000    10.100      2      9.832     0.2828    0.2676",
        "",
        "",
        "  The residual values are the distances (biases) of the mean Y values",
        "  from the best-fit line determined by linear regression.",
    });
    ExpectBlock(run.Text, {
        "There is not a significant departure from linearity.",
        "",
        "",
        "[u]Test: Are the data significantly nonlinear?[u]",
        "[u][u]",
        "F = 4.059",
        "The P value is 0.0578. ",
        "The departures from linearity are not quite significant.",
        "This result was obtained from the following ANOVA table that compares",
        "deviations from linearity with scatter among replicates.",
        "",
        "[b]        Source of                    Degrees of   Sum of     Mean  [b]",
    });
    ExpectBlock(run.Text, {
        "[b][b][b]Linear regression (model)[b]                     1    88.891",
        "[b]Deviations from linearity[b]                     3    0.6958    0.2319",
        "[b]Residual (scatter among replicates)[b]           7    0.4000   0.05714",
        "-----------------------------------  ----------  --------",
        "[b]Total[b]                                        11    89.987",
    });
    EXPECT_EQ("[b]Total[b]                                        11    89.987", ShownLines(run.Text).back());
}

TEST(LinearRegression, ReplicateEdgeCases) {
    // Forced through (0.5, 0.25): the lack of fit is measured about the
    // forced line, with one degree of freedom more than for a free line.
    // Reference: SS lack of fit 0.154713 (3 DF), pure error 0.146667 (5 DF),
    // F = 1.758098, P = 0.271026; total 50.4225 with 9 DF.
    DataDocument forced = XYDocument({{1, 1, 1.2, 0.9}, {2, 2.2, 2.0}, {3, 2.9, 3.3, 3.1}, {4, 4.4}});
    RegressionOptions options;
    options.RunsTest = options.ForceThroughPoint = true;
    options.X0 = 0.5L;
    options.Y0 = 0.25L;
    const LinearityTest t = AnalyseLinearRegression(forced.Table, options).Linearity;
    ASSERT_TRUE(t.Performed);
    EXPECT_EQ(3, t.DFDeviations);
    EXPECT_EQ(5, t.DFReplicates);
    EXPECT_EQ(9, t.DFTotal);
    ExpectClose(0.1547126436781609195L, t.SSDeviations, 1e-14L);
    ExpectClose(0.1466666666666666667L, t.SSReplicates, 1e-14L);
    ExpectClose(1.758098223615464995L, t.F, 1e-13L);
    ExpectClose(0.2710263087014591768L, t.P, 1e-5L);
    // The row with a single Y has no SD: its field stays blank.
    ExpectBlock(Regress(forced, true, true, false, 0.5L, 0.25L).Text,
                {"  4     4.000     4.400      1      4.366              0.03448"});

    // Replicates that agree exactly leave nothing to test the deviations against.
    DataDocument identical = XYDocument({{1, 2, 2}, {2, 5, 5}, {3, 5, 5}});
    const Outcome run = Regress(identical, true);
    EXPECT_EQ(0, run.Line.Code);
    ExpectBlock(run.Text, {"[u]Test: Are the data significantly nonlinear?[u]", "[u][u]",
                           "The replicates of every row are identical, so there is no scatter to",
                           "compare the deviations from linearity with.", ""});
}

TEST(LinearRegression, LinearityTestKeepsItsDigitsForLargeY) {
    // The same data shifted by 1E9 in Y: every sum of squares is unchanged.
    const auto table = [](long double shift) {
        return XYDocument({{1, 1 + shift, 1.2L + shift, 0.9L + shift},
                           {2, 2.2L + shift, 2.0L + shift},
                           {3, 2.9L + shift, 3.3L + shift, 3.1L + shift},
                           {4, 4.4L + shift, 4.1L + shift}});
    };
    RegressionOptions options;
    options.RunsTest = true;  // the linearity test goes with it when Y has replicates
    const LinearityTest base = AnalyseLinearRegression(table(0).Table, options).Linearity;
    const LinearityTest shifted = AnalyseLinearRegression(table(1e9L).Table, options).Linearity;
    ASSERT_TRUE(base.Performed && shifted.Performed);
    ExpectClose(base.SSReplicates, shifted.SSReplicates, 1e-9L);
    ExpectClose(base.SSDeviations, shifted.SSDeviations, 1e-9L);
    ExpectClose(base.F, shifted.F, 1e-9L);
}

TEST(RunsProbability, EqualsFullEnumeration) {
    // Every arrangement of m pluses and n minuses, counted by its runs.
    for (int m = 1; m <= 7; ++m) {
        for (int n = 1; n <= 7; ++n) {
            std::vector<long double> count(static_cast<std::size_t>(m + n + 1), 0);
            long double total = 0;
            for (unsigned mask = 0; mask < (1u << (m + n)); ++mask) {
                if (__builtin_popcount(mask) != m) continue;
                int runs = 1;
                for (int i = 1; i < m + n; ++i) runs += ((mask >> i) & 1u) != ((mask >> (i - 1)) & 1u);
                ++count[static_cast<std::size_t>(runs)];
                ++total;
            }
            long double cumulative = 0;
            for (int runs = 2; runs <= m + n; ++runs) {
                cumulative += count[static_cast<std::size_t>(runs)];
                if (count[static_cast<std::size_t>(runs)] == 0) continue;
                ExpectClose(cumulative / total, RunsProbability(m, n, runs), 1e-16L);
            }
        }
    }
    EXPECT_EQ(RunsNoRuns, RunsProbability(0, 0, 0));
    EXPECT_EQ(1.0L, RunsProbability(4, 0, 1));
    EXPECT_EQ(RunsTooMany, RunsProbability(501, 500, 40)) << "1001 possible runs, 501 of one sign";
    const long double largest = RunsProbability(500, 500, 1000);  // 1000 possible runs
    EXPECT_NEAR(1.0L, largest, 1e-15L);
    // Terms near 1e1000; reference from exact binomials (mpmath).
    ExpectClose(2.05112301304121938915e-17L, RunsProbability(499, 20000, 900), 1e-12L);
}

TEST(LinearRegression, RunsTestVerdicts) {
    // Residuals +, -, +, -, +: three above, two below.
    DataDocument five = XYDocument({{1, -1}, {2, -3}, {3, -2}, {4, -5}, {5, -4}});
    ExpectBlock(Regress(five, true).Text,
                {"There are 3 points above the line, 2 below, and 5 runs.",
                 "Runs test cannot be performed because the sum of the number above",
                 "the line and below the line must be greater than five."});

    DataDocument three = XYDocument({{1, 1}, {2, 3}, {3, 3}});
    ExpectBlock(Regress(three, true).Text,
                {"There are 1 points above the line, 2 below, and 3 runs.",
                 "Runs test cannot be performed because both the number above the",
                 "line and below the line must be greater than one."});

    // A parabola runs above, below, then above the line: P(R <= 3) for six
    // points on each side is 12/924.
    DataDocument curve = NewDocument();
    for (int row = 0; row < 12; ++row) {
        SetValue(curve.Table, row, 0, row + 1);
        SetValue(curve.Table, row, 1, (row + 1) * (row + 1));
    }
    ExpectBlock(Regress(curve, true).Text,
                {"There are 6 points above the line, 6 below, and 3 runs.",
                 "The P value is 0.0130, considered significant.",
                 "There are significantly fewer runs than expected, suggesting that the data",
                 "follow a curve rather than a line."});

    // 1000 rows with one Y above and one below the line: too many runs to sum.
    DataDocument many = NewDocument();
    for (int row = 0; row < 1000; ++row) {
        SetValue(many.Table, row, 0, row);
        SetValue(many.Table, row, 1, row + 1);
        SetValue(many.Table, row, 2, row - 1);
    }
    const Outcome run = Regress(many, true);
    ASSERT_EQ(0, run.Line.Code);
    ExpectBlock(run.Text, {"There are 1000 points above the line, 1000 below, and 2000 runs.",
                           "The runs test P value could not be computed (too many points)."});
}

TEST(LinearRegression, StandardCurve) {
    // Curve over X 1..5; unknowns: X = 10 (beyond the curve), X = 2.5, Y = 7.
    DataDocument document = XYDocument({{1, 2}, {2, 4}, {3, 6}, {4, 8}, {5, 10}, {10}, {2.5}, {Empty, 7}});
    const Outcome run = Regress(document, false, false, true);
    ASSERT_EQ(0, run.Line.Code);
    ExpectBlock(run.Text, {"r squared = 1.0000", "", "[u]Standard Curve Calculations[u]",
                           "[u][u][b]X Values      Y Values[b]", "========      ========", "10.000        20.000         *",
                           "2.500         5.000", "3.500         7.000", "", "* - Value is outside of standard curve."});

    DataDocument noUnknowns = XYDocument({{1, 2}, {2, 4}, {3, 6}});
    ExpectBlock(Regress(noUnknowns, false, false, true).Text,
                {"========      ========", "", "To perform standard curve calculations, you must enter the unknowns",
                 "below the standard curve in the spreadsheet. Simply enter X values", "without Y, or Y values without X."});

    // A flat line gives no X for a Y; the rest of the report stands.
    DataDocument flat = XYDocument({{1, 1}, {2, 2}, {3, 1}, {Empty, 4}});
    const Outcome flatRun = Regress(flat, false, false, true);
    EXPECT_EQ(0, flatRun.Line.Code);
    EXPECT_EQ(0.0L, flatRun.Line.Slope);
    ExpectBlock(flatRun.Text, {"[b]X intercept[b]  Undefined"});
    ExpectBlock(flatRun.Text, {"========      ========", "Undefined     4.000", ""});
}
