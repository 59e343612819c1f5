#include "stats/two_by_two_report.h"

#include "data/number_text.h"
#include "report/contingency_tables.h"
#include "report/result_tables.h"
#include "stats/two_by_two.h"

namespace vextal {

namespace {

constexpr int TitleWidth = 65;
constexpr int DiagnosticStops[] = {30, 40, 48, 52};

void WriteRatioInterval(ReportWriter& report, long double lower, long double upper) {
    report.write_text("95% Confidence Interval: ");
    WriteRatio(report, lower);
    report.write_text(" to ");
    WriteRatio(report, upper);
    report.new_line();
}

void WriteBoldLine(ReportWriter& report, std::string_view first, std::string_view second = {},
                   std::string_view third = {}) {
    report.toggle_bold();
    report.write_text(first);
    report.write_text(second);
    report.write_text(third);
    report.toggle_bold();
    report.new_line();
}

void WriteAssociation(ReportWriter& report, bool significant) {
    report.write_text("The row/column association is ");
    if (!significant)
        report.write_text("not ");
    report.write_line("statistically significant.");
}

void WriteChiSquareSection(ReportWriter& report, const TwoByTwoResult& result) {
    write_table_p_value(report, result.TwoSided ? 2 : 1, true, result.ReportedP);
    WriteAssociation(report, result.Significant);
    if (result.SmallNumbersNote) {
        report.new_line();
        report.write_line("Note: With such small values, the chi-square P value");
        report.write_line("is not accurate.  Use Fisher's exact test instead.");
    }
    report.new_line();
    WriteUnderlinedHeading(report, "Calculation details:");
    report.write_text(result.YatesCorrection ? "Chi-square statistic (with Yates correction) = "
                                             : "Chi-square statistic (no Yates correction) = ");
    WriteRatio(report, result.ChiSquare);
    report.new_line();
    report.write_line("Degrees of freedom = 1");
}

void WriteRelativeRisk(ReportWriter& report, const RatioEstimate& risk) {
    report.new_line();
    WriteUnderlinedHeading(report, "Relative Risk");
    report.write_text("Relative risk = ");
    WriteRatio(report, risk.Value);
    report.new_line();
    WriteRatioInterval(report, risk.Lower, risk.Upper);
    report.write_line("(using the approximation of Katz.)");
}

void WriteOddsRatio(ReportWriter& report, const OddsRatioEstimate& odds) {
    report.new_line();
    WriteUnderlinedHeading(report, "Odds Ratio");
    report.write_text("Odds ratio= ");
    WriteRatio(report, odds.Ratio.Value);
    report.new_line();
    WriteRatioInterval(report, odds.Ratio.Lower, odds.Ratio.Upper);
    report.write_line("(using the approximation of Woolf.)");
    if (odds.HalfAdded) {
        report.write_line("Note that at least one value is zero.  To make calculations possible,");
        report.write_line("0.5 was added to each value.");
    }
}

void WriteRowFraction(ReportWriter& report, std::string_view row, std::string_view title,
                      const ProportionEstimate& estimate) {
    WriteBoldLine(report, row, title, "):");
    report.write_text("  Fraction in the left column: ");
    report.write_number(FiveSignificant, estimate.Fraction);
    report.new_line();
    if (estimate.Interval) {
        report.write_text("  95% Confidence Interval of that fraction: ");
        report.write_number(FiveSignificant, estimate.Interval->Lower);
        report.write_text(" to ");
        report.write_number(FiveSignificant, estimate.Interval->Upper);
        report.new_line();
    }
}

void WriteDifference(ReportWriter& report, const ProportionDifference& difference,
                     const TwoByTwoCounts& table) {
    report.new_line();
    WriteUnderlinedHeading(report, "Difference between the two proportions");
    WriteRowFraction(report, "Top row (", table.Row1Title, difference.Top);
    WriteRowFraction(report, "Bottom row (", table.Row2Title, difference.Bottom);
    WriteBoldLine(report, "Difference:");
    report.write_text("  Difference between the fractions: ");
    report.write_number(FiveSignificant, difference.Difference);
    report.new_line();
    if (difference.StandardError && difference.Interval) {
        report.write_text("  Standard error of the difference: ");
        report.write_number(FiveSignificant, *difference.StandardError);
        report.new_line();
        report.write_text("  95% confidence interval of difference: ");
        report.write_number(FiveSignificant, difference.Interval->Lower);
        report.write_text(" to ");
        report.write_number(FiveSignificant, difference.Interval->Upper);
        report.new_line();
    } else {
        report.new_line();
        report.write_line("The standard error and the confidence interval of the difference between");
        report.write_line("proportions can only be calculated when each cell is greater than five.");
    }
}

void WriteDiagnosticLine(ReportWriter& report, std::string_view name, const DiagnosticEstimate& estimate) {
    report.write_text(name);
    report.tab();
    report.write_number(FiveSignificant, estimate.Value);
    report.tab();
    report.write_number(FiveSignificant, estimate.Interval.Lower);
    report.tab();
    report.write_text("to");
    report.tab();
    report.write_number(FiveSignificant, estimate.Interval.Upper);
    report.new_line();
}

void WriteDiagnostics(ReportWriter& report, const DiagnosticResult& diagnostics) {
    report.new_line();
    WriteUnderlinedHeading(report, "Sensitivity and specificity");
    report.clear_tab_stops();
    for (int stop : DiagnosticStops)
        report.add_tab_stop(stop);
    report.toggle_bold();
    report.write_text("Variable");
    report.tab();
    report.write_text("Value");
    report.tab();
    report.write_text("95% Confidence Interval");
    report.toggle_bold();
    report.new_line();
    WriteDiagnosticLine(report, "Sensitivity", diagnostics.Sensitivity);
    WriteDiagnosticLine(report, "Specificity", diagnostics.Specificity);
    WriteDiagnosticLine(report, "Positive Predictive Value", diagnostics.PositivePredictiveValue);
    WriteDiagnosticLine(report, "Negative Predictive Value", diagnostics.NegativePredictiveValue);
    if (diagnostics.LikelihoodRatio) {
        report.write_text("Likelihood Ratio");
        report.tab();
        WriteRatio(report, *diagnostics.LikelihoodRatio);
        report.new_line();
    }
}

} // namespace

void write_table_p_value(ReportWriter& report, int tails, bool with_significance, long double P) {
    report.write_text("The ");
    if (tails == 1)
        report.write_text("one-sided ");
    if (tails == 2)
        report.write_text("two-sided ");
    report.write_text("P value is ");
    // Fixed notation throughout: the report's exponent form would turn
    // P = 0.0001 itself into "1.000E-04".
    report.write_text(P < 0.0001L ? std::string("< 0.0001") : FormatFixed(P, 4));
    if (with_significance) {
        report.write_text(", considered ");
        report.significance_word(P);
        report.write_line("significant.");
    } else {
        report.write_line(". ");
    }
}

void WriteUnderlinedTitle(ReportWriter& report, std::string_view title) {
    WriteUnderlinedHeading(report, centred(title, TitleWidth));
}

void WriteUnderlinedHeading(ReportWriter& report, std::string_view heading) {
    report.toggle_underline();
    report.write_text(heading);
    report.toggle_underline();
    report.new_line();
}

void WriteTwoByTwoReport(ReportWriter& report, const TwoByTwoResult& result, const TwoByTwoCounts& table) {
    report.new_line();
    WriteUnderlinedTitle(report, result.FisherChosen ? "Fisher's Exact Test" : "Chi-square Test");
    if (result.FisherChosen && !result.FisherTooLarge) {
        write_table_p_value(report, result.TwoSided ? 2 : 1, true, result.ReportedP);
        WriteAssociation(report, result.Significant);
    } else {
        if (result.FisherChosen) {
            report.write_line("The numbers are too large for Fisher's exact test.  The");
            report.write_line("chi-square approximation was performed instead.");
            report.new_line();
        }
        WriteChiSquareSection(report, result);
    }
    if (result.RelativeRisk)
        WriteRelativeRisk(report, *result.RelativeRisk);
    if (result.OddsRatio)
        WriteOddsRatio(report, *result.OddsRatio);
    if (result.Difference)
        WriteDifference(report, *result.Difference, table);
    if (result.Diagnostics)
        WriteDiagnostics(report, *result.Diagnostics);

    report.new_line();
    WriteUnderlinedHeading(report, "Data analyzed");
    WriteTwoByTwoBlock(report, table, false);
    report.new_line();
    report.write_closing();
}

} // namespace vextal
