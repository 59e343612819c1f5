#include "stats/t_test_report.h"

#include <array>
#include <span>
#include <string_view>

#include "report/column_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/t_tests.h"

namespace vextal {

namespace {

constexpr int TitleWidth = 65;

void UnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_line(text);
    report.toggle_underline();
}

void Title(ReportWriter& report, std::string_view title) { UnderlinedLine(report, centred(title, TitleWidth)); }

void Number(ReportWriter& report, long double x) { report.write_number(FiveSignificant, x); }

void DegreesOfFreedom(ReportWriter& report, int df) {
    report.write_text(" with ");
    report.write_integer(df);
    report.write_line(" degrees of freedom.");
}

void Interval(ReportWriter& report, const TTestStatistic& test) {
    Number(report, test.Lower);
    report.write_text(" to ");
    Number(report, test.Upper);
}

void SummaryOfData(ReportWriter& report, std::span<const ColumnInfo> columns) {
    Title(report, "Summary of Data");
    WriteTTestSummaryBlock(report, columns);
    report.write_closing();
}

void WriteNormalityAdvice(ReportWriter& report, std::string_view failed) {
    report.write_line(failed);
    report.write_line("Consider using a nonparametric test or transforming the data ");
}

void WriteFTest(ReportWriter& report, const UnpairedTTestResult& r) {
    UnderlinedLine(report, "Assumption test: Are the standard deviations equal?");
    report.write_line("The t test assumes that the columns come from populations with equal SDs.");
    report.write_line("The following calculations test that assumption.");
    report.new_line();
    report.write_text("F = ");
    Number(report, r.F);
    report.new_line();
    report.write_p_value(0, false, r.PF);
    report.write_line("This test suggests that the difference between the two SDs is");
    report.significance_word(r.PF);
    report.write_text("significant.  ");
    if (r.PF < 0.05L) {
        report.write_line("Since the t test assumes populations with equal");
        report.write_line("SDs, you should consider transforming your data (reciprocal or log),");
        report.write_line("selecting a nonparametric test, or selecting the alternate (Welch) t test.");
    } else {
        report.new_line();
    }
}

void WritePairing(ReportWriter& report, const PairedTTestResult& r) {
    UnderlinedLine(report, "Assumption test: Was the pairing effective?");
    switch (r.Pairing) {
    case PairingCheck::TooFewPairs:
        report.write_line("There are too few pairs to calculate r.");
        break;
    case PairingCheck::NotChecked:
    case PairingCheck::NoVariability:
        report.write_line("Can't calculate r. One group has no variability.");
        break;
    case PairingCheck::Correlated:
        report.write_text("Correlation coefficient (r) = ");
        Number(report, r.R);
        report.new_line();
        if (r.R < 0) {
            report.write_line("The negative correlation coefficient indicates that the pairing or");
            report.write_line("matching was NOT effective.");
        } else {
            report.write_p_value(1, true, r.PR / 2);
            report.write_line("Effective pairing results in a significant correlation between the columns.");
            report.write_text("With these data, the pairing (or matching) appears ");
            if (r.PR <= 0.05L) {
                report.write_line("to be effective.");
            } else {
                report.write_line("not to be effective.");
                report.write_line("The unpaired test may be more appropriate.");
            }
        }
        break;
    }
    report.new_line();
}

}  // namespace

void WriteNormalityBlock(ReportWriter& report, const NormalityCheck& n) {
    if (!n.Tested) {
        report.write_text(n.N <= 4 ? "   Too few values to test normality."
                                   : "   The normality test could not be performed.");
        return;
    }
    report.write_text("   The Kolmogorov-Smirnov distance (KS) is ");
    report.write_number_width(6, 2, n.KS);
    report.new_line();
    report.write_text("   The P value is ");
    if (n.P > 0.1L) {
        report.write_text(">0.10");
    } else if (n.P < 0.0001L) {
        report.write_text("<0.0001");
        report.new_line();
    } else {
        report.write_number(4, n.P);
    }
    report.new_line();
    if (n.P < 0.05L) {
        WriteNormalityAdvice(report, "The data failed the normality test with P<0.05.");
        report.write_text("(i.e. converting to logarithms or reciprocals). ");
    } else {
        report.write_text("The data passed the normality test with P>0.05.");
    }
}

void WriteOneSampleTTestReport(ReportWriter& report, const OneSampleTTestResult& r) {
    const std::string& title = r.Column.Info.Title;
    report.new_line();
    Title(report, "One sample t test");
    report.write_text("Does the mean of ");
    report.write_text(title);
    report.write_text(" differ significantly from ");
    Number(report, r.Hypothetical);
    report.write_line("? ");
    report.new_line();

    UnderlinedLine(report, "P value");
    report.write_p_value(r.Tails, true, r.ReportedP());
    report.new_line();
    report.write_text("t = ");
    Number(report, r.Test.T);
    DegreesOfFreedom(report, r.Test.DF);
    report.new_line();

    UnderlinedLine(report, "95% Confidence interval");
    report.write_text("Mean difference = ");
    Number(report, r.Test.Difference);
    report.write_text(" (Mean of ");
    report.write_text(title);
    report.write_text(" minus ");
    Number(report, r.Hypothetical);
    report.write_line(") ");
    report.write_line("The 95% confidence interval of the difference:");
    report.write_text("   ");
    Interval(report, r.Test);
    report.new_line();
    report.new_line();

    if (!r.Column.Averaged) {
        UnderlinedLine(report, "Assumption test: Are the data sampled from a Gaussian distribution?");
        report.write_line("The one sample t test assumes that the differences are sampled from a ");
        report.write_line("Gaussian distribution. This assumption is tested using the ");
        report.write_line("method of Kolmogorov and Smirnov:");
        WriteNormalityBlock(report, r.Normality);
    }
    report.new_line();
    report.new_line();
    const std::array<ColumnInfo, 1> columns{r.Column.Info};
    SummaryOfData(report, columns);
}

void WriteUnpairedTTestReport(ReportWriter& report, const UnpairedTTestResult& r) {
    const std::string& titleA = r.A.Info.Title;
    const std::string& titleB = r.B.Info.Title;
    Title(report, r.Welch ? "Unpaired t test with Welch correction" : "Unpaired t test");
    report.write_text("Do the means of ");
    report.write_text(titleA);
    report.write_text(" and ");
    report.write_text(titleB);
    report.write_line(" differ significantly?");
    report.new_line();

    UnderlinedLine(report, "P value");
    report.write_p_value(r.Tails, true, r.ReportedP());
    if (r.Welch) report.write_line("Welch correction applied. This test does not assume equal variances.");
    report.new_line();
    report.write_text(r.Welch ? "Welch's approximate t = " : "t = ");
    Number(report, r.Test.T);
    DegreesOfFreedom(report, r.Test.DF);
    report.new_line();

    UnderlinedLine(report, "95% confidence interval");
    report.write_text("Mean difference = ");
    Number(report, r.Test.Difference);
    report.write_text(" (Mean of ");
    report.write_text(titleB);
    report.write_text(" minus mean of ");
    report.write_text(titleA);
    report.write_line(") ");
    report.write_text("The 95% confidence interval of the difference: ");
    Interval(report, r.Test);
    report.new_line();
    report.new_line();

    if (!r.Welch) WriteFTest(report, r);
    report.new_line();
    UnderlinedLine(report, "Assumption test: Are the data sampled from Gaussian distributions?");
    report.write_line("The t test assumes that the data are sampled from populations that follow ");
    report.write_line("Gaussian distributions. This assumption is tested using the method ");
    report.write_line("Kolmogorov and Smirnov:");
    WriteNormalityTableHeader(report);
    WriteNormalityTableRow(report, r.A.Info, r.A.Averaged);
    WriteNormalityTableRow(report, r.B.Info, r.B.Averaged);
    if (r.NormalityFailed) {
        report.new_line();
        WriteNormalityAdvice(report, "At least one column failed the normality test with P<0.05.");
        report.write_line("(i.e. converting to logarithms or reciprocals). ");
    }
    report.new_line();
    const std::array<ColumnInfo, 2> columns{r.A.Info, r.B.Info};
    SummaryOfData(report, columns);
}

void WritePairedTTestReport(ReportWriter& report, const PairedTTestResult& r) {
    Title(report, "Paired t test");
    report.write_text("Does the mean of the differences between ");
    report.write_text(r.A.Info.Title);
    report.write_text(" and ");
    report.write_line(r.B.Info.Title);
    report.write_line(" differ significantly from zero?");
    report.new_line();

    UnderlinedLine(report, "P value");
    if (r.DifferencesVary) report.write_p_value(r.Tails, true, r.ReportedP());
    report.new_line();
    if (r.DifferencesVary) {
        report.write_text("t = ");
        Number(report, r.Test.T);
        DegreesOfFreedom(report, r.Test.DF);
    } else {
        // Equal differences have no spread: t is not defined.
        report.write_text("t is undefined");
        DegreesOfFreedom(report, r.Test.DF);
    }
    report.new_line();

    UnderlinedLine(report, "95% confidence interval");
    report.write_text("Mean difference = ");
    Number(report, r.Test.Difference);
    report.write_line(" (Mean of paired differences)");
    const std::array<ColumnInfo, 3> columns{r.A.Info, r.B.Info, r.Difference};
    if (!r.DifferencesVary) {
        report.new_line();
        report.write_line("The t test cannot be performed when the standard deviation");
        report.write_line("is zero. ");
        SummaryOfData(report, columns);
        return;
    }
    report.write_text("The 95% confidence interval of the difference: ");
    Interval(report, r.Test);
    report.new_line();
    report.new_line();

    WritePairing(report, r);
    UnderlinedLine(report, "Assumption test: Are the differences sampled from a Gaussian distribution?");
    report.write_line("The paired t test assumes that the differences are sampled from a ");
    report.write_line("Gaussian distribution. This assumption is tested using the ");
    report.write_line("method of Kolmogorov and Smirnov:");
    WriteNormalityBlock(report, r.Normality);
    report.new_line();
    SummaryOfData(report, columns);
}

}  // namespace vextal
