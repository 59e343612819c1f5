// The text of the multiple-regression and correlation-matrix report, written
// from a computed MultipleRegressionResult.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>

#include "report/report_writer.h"
#include "stats/multiple_regression.h"

namespace vextal {

namespace {

constexpr int TitleWidth = 65;
constexpr int MatrixBlockColumns = 5;

void SetTabStops(ReportWriter& report, std::initializer_list<int> stops) {
    report.clear_tab_stops();
    for (int stop : stops)
        report.add_tab_stop(stop);
}

void UnderlinedText(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_text(text);
    report.toggle_underline();
}

void UnderlinedLine(ReportWriter& report, std::string_view text) {
    UnderlinedText(report, text);
    report.new_line();
}

void BoldHeader(ReportWriter& report, std::initializer_list<std::string_view> headings) {
    report.toggle_bold();
    bool first = true;
    for (std::string_view heading : headings) {
        if (!first)
            report.tab();
        report.write_text(heading);
        first = false;
    }
    report.toggle_bold();
    report.new_line();
}

void Lines(ReportWriter& report, std::initializer_list<std::string_view> lines) {
    for (std::string_view line : lines)
        report.write_line(line);
}

void WriteMessage(ReportWriter& report, MultipleRegressionMessage message) {
    report.restart_report();
    report.new_line();
    report.write_line(MultipleRegressionMessageText(message));
    report.new_line();
    report.write_closing();
}

void WriteEquation(ReportWriter& report, const MultipleRegressionResult& result) {
    report.write_text(" [");
    report.write_text(result.DependentName);
    report.write_text("] = ");
    for (std::size_t j = 0; j < result.Terms.size(); ++j) {
        const long double b = result.Terms[j].Coefficient;
        if (j == 0) {
            if (b < 0)
                report.write_text(" -");
        } else {
            // Terms 4, 7, 10, ... (the constant is term 1) start a new line.
            if (j % 3 == 0) {
                report.new_line();
                report.write_text("     ");
            }
            report.write_text(b < 0 ? " - " : " + ");
        }
        report.write_number(-5, std::fabs(b));
        if (j > 0) {
            report.write_text("*[");
            report.write_text(result.Variables[j - 1].Name);
            report.write_text("]");
        }
    }
    report.new_line();
    report.new_line();
}

void WriteCoefficientTable(ReportWriter& report, const MultipleRegressionResult& result) {
    const bool single = result.Variables.size() == 1;
    SetTabStops(report, {20, 32, 42, 50, 54});
    BoldHeader(report, {"Variable", "Coefficient", "SE", "95% Confidence Interval"});
    for (std::size_t j = 0; j < result.Terms.size(); ++j) {
        const RegressionTerm& term = result.Terms[j];
        if (j == 0) {
            report.write_text(single ? "Intercept  " : "(constant)  ");
        } else if (single) {
            report.write_text("Slope    ");
        } else {
            report.write_text(result.Variables[j - 1].Name);
            report.write_text("  ");
        }
        report.tab();
        report.write_number(-5, term.Coefficient);
        report.tab();
        report.write_number(-5, term.SE);
        report.tab();
        report.write_number(-5, term.Lower);
        report.tab();
        report.write_text("to");
        report.tab();
        report.write_number(-5, term.Upper);
        report.new_line();
    }
}

void WriteStatisticLine(ReportWriter& report, std::string_view label, int digits, long double value) {
    report.write_text(label);
    report.tab();
    report.write_number(digits, value);
    report.new_line();
}

void WriteGoodnessOfFit(ReportWriter& report, const MultipleRegressionResult& result) {
    report.new_line();
    UnderlinedLine(report, "How good is the fit?");
    report.new_line();
    report.write_text("R squared = ");
    report.write_number(2, result.RSquared * 100);
    report.write_line("%.");
    report.write_text("This is the percent of the variance in ");
    report.write_text(result.DependentName);
    report.write_line(" explained by the model.");
    if (result.RSquared == 1) {
        report.write_line("The model fits the data perfectly.");
        return;
    }
    report.new_line();
    report.write_p_value(0, true, result.P);
    Lines(report, {"The P value answers this question:",
                   "  If there were no linear relationship among the variables, what is ",
                   "  the chance that R squared would be that high (or higher) by chance?"});
    if (result.P > 0.05L) {
        report.new_line();
        report.write_line("Since P is high, the rest of the results will be of little interest.");
    }
    report.new_line();
    SetTabStops(report, {25, 49});
    WriteStatisticLine(report, "Sum-of-squares ", -5, result.SSResidual);
    WriteStatisticLine(report, "SD of residuals ", -5, result.SDResidual);
    WriteStatisticLine(report, "R squared", 4, result.RSquared);
    WriteStatisticLine(report, "Adjusted R squared", 4, result.AdjustedRSquared);
    WriteStatisticLine(report, result.Variables.size() == 1 ? "r" : "Multiple R ", 4, result.MultipleR);
    WriteStatisticLine(report, "F ", 4, result.F);
}

void WriteSignificanceTable(ReportWriter& report, const MultipleRegressionResult& result) {
    report.new_line();
    report.new_line();
    SetTabStops(report, {20, 32, 44, 56});
    UnderlinedLine(report, "Which variable(s) make a significant contribution?");
    BoldHeader(report, {"Variable", "t ratio", "P value", "Significant?"});
    for (std::size_t j = 0; j < result.Terms.size(); ++j) {
        const RegressionTerm& term = result.Terms[j];
        report.write_text(j == 0 ? std::string_view("(constant)")
                                 : std::string_view(result.Variables[j - 1].Name));
        report.tab();
        if (term.TInfinite)
            report.write_text("infinite");
        else
            report.write_number(-5, term.T);
        report.tab();
        if (term.P <= 0.0001L) {
            report.write_text("< 0.0001");
        } else {
            report.write_text("  ");
            report.write_number(4, term.P);
        }
        report.tab();
        report.write_line(term.P <= 0.05L ? "  Yes" : "  No");
    }
    report.new_line();
    Lines(report, {"Each P value compares the full model with a simpler model omiting",
                   "one variable. It tests the effect of one variable, after accounting",
                   "for the effects of the others."});
}

void WriteMulticollinearity(ReportWriter& report, const MultipleRegressionResult& result) {
    report.new_line();
    report.new_line();
    SetTabStops(report, {20, 37, 47});
    UnderlinedLine(report, "Is multicollinearity a problem?");
    BoldHeader(report, {"Variable", "VIF", "R2 with other X"});
    for (const RegressionVariable& variable : result.Variables) {
        report.write_text(variable.Name);
        report.tab();
        report.write_number(2, variable.VIF);
        report.tab();
        report.write_number(4, variable.RSquaredWithOthers);
        report.new_line();
    }
    report.new_line();
    Lines(report, {"Each R squared quantifies how well that X variable is predicted from",
                   "the other X variables (ignoring Y). VIF is calculated from R squared."});
    report.new_line();
    const long double vif = result.MaxVIF;
    if (vif < 4)
        Lines(report, {"All R squared values are low (<0.75). The X variables are independent ",
                       "of each other. Multicollinearity is not a problem."});
    if (vif > 4 && vif < 10)
        report.write_line("Some R squared values are high (>.75). Multicollinearity may be a problem.");
    if (vif > 10)
        report.write_line("Some R squared values are quite high (>.90). Multicollinearity is a problem.");
    if (vif > 4)
        Lines(report, {"This means that the X variables provide redundant information, ",
                       "making the confidence intervals very wide (by a factor of VIF).",
                       "Consider removing one or more X variables from the model,",
                       "or obtaining data over a wider range of X values."});
    report.new_line();
    report.new_line();
    UnderlinedText(report, "Correlation Matrix");
}

void WriteCorrelation(ReportWriter& report, long double r) {
    if (r > 0)
        report.write_text(" ");
    report.write_number(4, r);
}

std::string ColumnLabel(int column) {
    return std::string(1, static_cast<char>('A' + column)) + ":";
}

void WriteCorrelationMatrix(ReportWriter& report, const MultipleRegressionResult& result, bool excludedRows) {
    const int k = static_cast<int>(result.Variables.size());
    SetTabStops(report, {17, 26, 35, 44, 53, 62});
    // The Y column closes the last block, which holds it alone when k is a
    // multiple of five; without Y no block is left empty.
    const int blocks =
        result.Regression ? k / MatrixBlockColumns + 1 : (k + MatrixBlockColumns - 1) / MatrixBlockColumns;
    for (int block = 0; block < blocks; ++block) {
        const int first = block * MatrixBlockColumns;
        const int last = std::min(first + MatrixBlockColumns, k);
        const bool withY = result.Regression && block == blocks - 1;
        report.new_line();
        report.new_line();
        for (int j = first; j < last; ++j) {
            report.tab();
            report.write_text(" ");
            report.write_text(ColumnLabel(result.Variables[j].Column));
        }
        if (withY) {
            report.tab();
            report.write_text("|  ");
            report.write_text(ColumnLabel(result.DependentColumn));
            report.write_text(" (Y)");
        }
        for (const RegressionVariable& variable : result.Variables) {
            report.new_line();
            report.write_text(variable.Name);
            for (int j = first; j < last; ++j) {
                report.tab();
                WriteCorrelation(report, variable.Correlations[j]);
            }
            if (withY) {
                report.tab();
                report.write_text("| ");
                WriteCorrelation(report, variable.CorrelationWithY);
            }
        }
    }
    report.new_line();
    report.new_line();
    Lines(report, {"Each correlation coefficient (r) is calculated independently, ",
                   "without considering the other variables."});
    if (excludedRows)
        report.write_line("(Except that rows are excluded when any variables are missing.)");
}

void WriteSummary(ReportWriter& report, const MultipleRegressionResult& result) {
    report.new_line();
    report.new_line();
    UnderlinedLine(report, "Summary of your data");
    report.new_line();
    report.write_text("Number of rows (subjects) analyzed: ");
    report.write_integer(result.N);
    report.new_line();
    report.write_text("Number of rows with missing data, excluded from calculations: ");
    report.write_integer(result.ExcludedRows);
    report.new_line();
    if (result.Regression) {
        report.write_text("Number of degrees of freedom (#subjects - #variables - 1): ");
        report.write_integer(result.DF);
        report.new_line();
    }
}

} // namespace

void WriteMultipleRegressionReport(ReportWriter& report, const MultipleRegressionResult& result,
                                   std::string_view documentTitle, std::string_view dateTime) {
    if (result.Message != MultipleRegressionMessage::None) {
        WriteMessage(report, result.Message);
        return;
    }
    const bool several = result.Variables.size() > 1;
    report.restart_report();
    report.write_line(dateTime);
    report.new_line();
    if (!documentTitle.empty())
        report.write_line(documentTitle);
    report.new_line();
    UnderlinedLine(report,
                   centred(result.Regression ? "Multiple Regression Results" : "Correlation Matrix Results",
                           TitleWidth));
    if (result.Regression) {
        report.new_line();
        UnderlinedLine(report, "What equation fits the data the best?");
        report.new_line();
        WriteEquation(report, result);
        WriteCoefficientTable(report, result);
        WriteGoodnessOfFit(report, result);
        if (several) {
            WriteSignificanceTable(report, result);
            WriteMulticollinearity(report, result);
        }
    }
    if (several)
        WriteCorrelationMatrix(report, result, result.ExcludedRows > 0);
    WriteSummary(report, result);
    report.write_closing();
}

} // namespace vextal
