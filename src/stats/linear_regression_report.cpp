// The text of the linear regression report, written from a finished
// LinearRegressionAnalysis.
#include <array>
#include <string_view>

#include "report/anova_table.h"
#include "report/regression_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/linear_regression.h"

namespace vextal {

namespace {

constexpr int TitleWidth = 65;
constexpr int CurveDecimals = 3;

void UnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_line(text);
    report.toggle_underline();
}

void NewLines(ReportWriter& report, int count) {
    for (int i = 0; i < count; ++i) report.new_line();
}

void NumberLine(ReportWriter& report, std::string_view label, long double x) {
    report.write_text(label);
    report.write_number(FiveSignificant, x);
    report.new_line();
}

void WritePerfectLine(ReportWriter& report, const LinearRegressionAnalysis& a) {
    report.write_line("Your data form a perfect line:");
    NumberLine(report, "Slope = ", a.Parameters.Slope);
    NumberLine(report, "Y-intercept = ", a.Parameters.YIntercept);
    report.write_line("P = 0.0000");
    report.write_line("r squared = 1.0000");
}

void WriteFit(ReportWriter& report, const LinearRegressionAnalysis& a) {
    WriteRegressionParameterTable(report, a.Parameters, a.Forced);
    report.new_line();
    if (a.Forced) {
        report.write_line("The line was forced through the point:");
        report.write_text("X=");
        report.write_number(FiveSignificant, a.X0);
        report.write_text("  Y=");
        report.write_number(FiveSignificant, a.Y0);
        report.new_line();
    } else {
        report.write_text("Correlation coefficient (r) = ");
        report.write_number(FiveSignificant, a.R);
        report.write_text(".  r squared = ");
        report.write_number(FiveSignificant, a.RSquared);
    }
    NewLines(report, 2);
    NumberLine(report, "Standard deviation of residuals from line (Sy.x) = ", a.SyX);
}

void WriteRowTable(ReportWriter& report, const LinearRegressionAnalysis& a) {
    NewLines(report, 3);
    UnderlinedLine(report, "Descriptive statistics for each row");
    report.new_line();
    WriteRegressionRowTableHeader(report);
    int number = 0;
    for (const RegressionRowSummary& row : a.RowTable)
        WriteRegressionRowTableRow(report, ++number, row.X, row.MeanY, row.Replicates, row.PredictedY, row.SD,
                                   row.Residual);
    NewLines(report, 2);
    report.write_line("  The residual values are the distances (biases) of the mean Y values");
    report.write_line("  from the best-fit line determined by linear regression.");
}

void WriteSlopeTest(ReportWriter& report, const LinearRegressionAnalysis& a) {
    NewLines(report, 2);
    UnderlinedLine(report, "Test: Is the slope significantly different from zero?");
    report.new_line();
    report.write_p_value(0, true, a.P);
    if (a.Forced) {
        report.write_text("The slope is ");
        if (a.P > 0.05L) report.write_text("not ");
        report.write_text("significantly different from zero.");
        report.new_line();
        report.write_text("t = ");
        report.write_number(FiveSignificant, a.T);
        report.write_text(" with ");
        report.write_integer(a.DFResidual);
        report.write_line(" degrees of freedom.");
        return;
    }
    report.new_line();
    report.write_line("This result was obtained from the following ANOVA table.");
    const std::vector<std::string> labels = AnovaRowLabels(AnovaVariant::Regression);
    const std::array<AnovaRow, 3> rows{{
        {labels[0], 1, a.SSRegression, a.MSRegression},
        {labels[1], a.DFResidual, a.SSResidual, a.MSResidual},
        {labels[2], a.DFTotal, a.SSTotal, std::nullopt},
    }};
    WriteAnovaTable(report, AnovaVariant::Regression, rows);
    NumberLine(report, "F = ", a.F);
}

void WriteRunsTest(ReportWriter& report, const RunsTestResult& runs) {
    NewLines(report, 2);
    UnderlinedLine(report, "Runs test: Do the number of runs indicate a linear model?");
    report.write_line("One way to evaluate linearity is by counting runs.  If the data");
    report.write_line("deviate substantially from linearity, the number of runs will be");
    report.write_line("small.");
    report.write_text("There are ");
    report.write_integer(runs.Above);
    report.write_text(" points above the line, ");
    report.write_integer(runs.Below);
    report.write_text(" below, and ");
    report.write_integer(runs.Runs);
    report.write_line(" runs.");
    if (runs.Above < 2 || runs.Below < 2) {
        report.write_line("Runs test cannot be performed because both the number above the");
        report.write_line("line and below the line must be greater than one.");
    } else if (runs.Above + runs.Below > 5) {
        if (runs.P == RunsTooMany) {
            report.write_line("The runs test P value could not be computed (too many points).");
        } else if (runs.P != RunsNoRuns) {
            report.write_p_value(0, true, runs.P);
            if (runs.P < 0.05L) {
                report.write_line("There are significantly fewer runs than expected, suggesting that the data");
                report.write_line("follow a curve rather than a line.");
            } else {
                report.write_line("There is not a significant departure from linearity.");
            }
        }
    } else {
        report.write_line("Runs test cannot be performed because the sum of the number above");
        report.write_line("the line and below the line must be greater than five.");
    }
}

void WriteLinearityTest(ReportWriter& report, const LinearityTest& test) {
    NewLines(report, 2);
    UnderlinedLine(report, "Test: Are the data significantly nonlinear?");
    report.new_line();
    if (IsMissing(test.F)) {
        report.write_line("The replicates of every row are identical, so there is no scatter to");
        report.write_line("compare the deviations from linearity with.");
    } else {
        NumberLine(report, "F = ", test.F);
        report.write_p_value(0, false, test.P);
        report.write_text("The departures from linearity are ");
        report.significance_word(test.P);
        report.write_text("significant.");
        report.new_line();
        report.write_line("This result was obtained from the following ANOVA table that compares");
        report.write_line("deviations from linearity with scatter among replicates.");
    }
    report.new_line();
    const std::vector<std::string> labels = AnovaRowLabels(AnovaVariant::RegressionReplicates);
    const std::array<AnovaRow, 4> rows{{
        {labels[0], 1, test.SSRegression, std::nullopt},
        {labels[1], test.DFDeviations, test.SSDeviations, test.MSDeviations},
        {labels[2], test.DFReplicates, test.SSReplicates, test.MSReplicates},
        {labels[3], test.DFTotal, test.SSTotal, std::nullopt},
    }};
    WriteAnovaTable(report, AnovaVariant::RegressionReplicates, rows);
}

void WriteStandardCurve(ReportWriter& report, const StandardCurve& curve) {
    report.new_line();
    report.clear_tab_stops();
    report.add_tab_stop(15);
    report.add_tab_stop(30);
    UnderlinedLine(report, "Standard Curve Calculations");
    report.toggle_bold();
    report.write_text("X Values");
    report.tab();
    report.write_text("Y Values");
    report.toggle_bold();
    report.new_line();
    report.write_rule(8, '=');
    report.tab();
    report.write_rule(8, '=');
    report.new_line();
    for (const StandardCurveEntry& entry : curve.Entries) {
        if (IsMissing(entry.X))
            report.write_text("Undefined");
        else
            report.write_number(CurveDecimals, entry.X);
        report.tab();
        report.write_number(CurveDecimals, entry.Y);
        if (entry.Outside) {
            report.tab();
            report.write_text("*");
        }
        report.new_line();
    }
    report.new_line();
    if (curve.Entries.empty()) {
        report.write_line("To perform standard curve calculations, you must enter the unknowns");
        report.write_line("below the standard curve in the spreadsheet. Simply enter X values");
        report.write_line("without Y, or Y values without X.");
    } else if (curve.AnyOutside) {
        report.write_line("* - Value is outside of standard curve.");
    }
}

}  // namespace

void WriteLinearRegressionReport(ReportWriter& report, const LinearRegressionAnalysis& a) {
    UnderlinedLine(report, centred("Linear Regression", TitleWidth));
    NewLines(report, 2);
    report.write_text("Number of points = ");
    report.write_integer(a.Sums.N);
    NewLines(report, 2);
    if (a.PerfectLine) {
        WritePerfectLine(report, a);
    } else {
        WriteFit(report, a);
        if (a.RowTableShown) WriteRowTable(report, a);
        WriteSlopeTest(report, a);
        if (a.RunsTestPerformed) WriteRunsTest(report, a.Runs);
        if (a.Linearity.Performed) WriteLinearityTest(report, a.Linearity);
    }
    if (a.StandardCurvePerformed) WriteStandardCurve(report, a.Curve);
}

}  // namespace vextal
