#include "stats/nonparametric_report.h"

#include "data/data_table.h"
#include "report/column_tables.h"
#include "report/report_writer.h"
#include "workflow/calculation_progress.h"

namespace vextal::nonparametric {

ExactCalculationScope::ExactCalculationScope(CalculationProgress* progress, long double approximateP,
                                             long double total)
    : bracket_(progress, approximateP), progress_(progress), total_(total) {}

bool ExactCalculationScope::Step(long double done) {
    const long double percent = total_ > 0 ? done * 100 / total_ : 0;
    switch (ReportExactProgress(progress_, percent)) {
        case ExactProgress::Continue:
            return true;
        case ExactProgress::Cancelled:
            stopState_ = NonparametricExactState::Interrupted;
            return false;
        case ExactProgress::TooLong:
            stopState_ = NonparametricExactState::TooLong;
            return false;
    }
    return true;
}

bool PostTestWanted(int condition, long double P) { return condition == 0 || (condition == 2 && P <= 0.05L); }

bool PostTestSkipped(int condition, long double P) { return condition == 2 && P > 0.05L; }

void WriteUnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_text(text);
    report.toggle_underline();
    report.new_line();
}

void WriteMedianVerdict(ReportWriter& report, long double P) {
    report.write_p_value(0, true, P);
    report.write_text("Variation among column medians is ");
    if (P > 0.05L) report.write_text("not ");
    report.write_line("significantly greater than expected");
    report.write_line("by chance.");
    report.new_line();
}

void WriteExactness(ReportWriter& report, const ExactPResult& exact, std::string_view tiesReason) {
    if (exact.State == NonparametricExactState::Exact) {
        report.write_line("The P value is exactly correct (no approximations). ");
        if (exact.Arrangements < FewArrangements) {
            report.write_line("Regardless of what data you enter, it is impossible for this test to");
            report.write_line("yield P < 0.05 with so few data points.");
        }
        return;
    }
    report.write_line("The P value is approximate (from chi-square distribution) because");
    switch (exact.State) {
        case NonparametricExactState::Interrupted:
            report.write_line("you interrupted the exact computations.");
            break;
        case NonparametricExactState::TooLong:
            report.write_line("exact calculations would have taken too long.");
            break;
        default:
            report.write_line(tiesReason);
            break;
    }
}

void WritePostTestsNotCalculated(ReportWriter& report) {
    report.toggle_bold();
    report.write_line("Post tests were not calculated because the P value was greater");
    report.write_line("than 0.05.");
    report.toggle_bold();
}

void WriteRankSummary(ReportWriter& report, const DataTable& table) {
    WriteUnderlinedLine(report, centred("Summary of Data", TitleWidth));
    report.new_line();
    WriteRankSummaryTableHeader(report);
    const int last = ColumnCountForAnalysis(table);
    for (int index = 0; index <= last; ++index) {
        const int column = MapColumn(table, index);
        if (column < 0 || column >= DataColumnCount) continue;
        WriteRankSummaryTableRow(report, table.ColumnInfo[column]);
    }
}

}  // namespace vextal::nonparametric
