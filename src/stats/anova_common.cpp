#include "stats/anova_common.h"

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/column_tables.h"
#include "report/report_writer.h"
#include "report/result_tables.h"
#include "stats/fault_guard.h"

namespace vextal {

bool PostTestWanted(int condition, long double P) {
    switch (static_cast<PostTestWhen>(condition)) {
    case PostTestWhen::Always:
        return true;
    case PostTestWhen::IfSignificant:
        return P <= 0.05L;
    case PostTestWhen::Never:
        break;
    }
    return false;
}

AnovaPostTestOutcome RunAnovaPostTest(ReportWriter& report, DataDocument& document,
                                      const AnovaPostTestOptions& options, bool ordinary, int dfResidual,
                                      long double msResidual, const TrendAnovaInput& trend) {
    AnovaPostTestOutcome outcome;
    outcome.Method = options.Method;
    auto check = [](int code) {
        if (code != 0)
            throw CalcFault{code};
    };
    switch (static_cast<AnovaPostTestMethod>(options.Method)) {
    case AnovaPostTestMethod::Bonferroni:
        outcome.Comparisons = BonferroniTest(report, document, dfResidual, ordinary, options.SelectedPairs,
                                             options.SelectedOnly, msResidual);
        check(outcome.Comparisons->Code);
        break;
    case AnovaPostTestMethod::TukeyKramer:
        outcome.Comparisons = TukeyKramerTest(report, document, dfResidual, false, msResidual);
        check(outcome.Comparisons->Code);
        break;
    case AnovaPostTestMethod::NewmanKeuls:
        outcome.Comparisons = StudentNewmanKeulsTest(report, document, dfResidual, msResidual);
        check(outcome.Comparisons->Code);
        break;
    case AnovaPostTestMethod::Dunnett:
        outcome.Comparisons =
            DunnettTest(report, document, dfResidual, options.ControlGroup, true, msResidual);
        check(outcome.Comparisons->Code);
        break;
    case AnovaPostTestMethod::LinearTrend:
        outcome.Trend = LinearTrendTest(report, document, ordinary, trend);
        check(outcome.Trend->Code);
        break;
    default:
        return outcome; // an unknown method: no post test
    }
    outcome.Ran = true;
    return outcome;
}

std::vector<int> AnovaGroupColumns(const DataTable& table) {
    std::vector<int> columns;
    const int last = ColumnCountForAnalysis(table);
    for (int index = 0; index <= last; ++index) {
        const int column = MapColumn(table, index);
        if (column < 0 || column >= DataColumnCount)
            continue;
        if (table.ColumnInfo[column].N > 0)
            columns.push_back(column);
    }
    return columns;
}

bool AllGroupSDsZero(const DataTable& table) {
    const std::vector<int> columns = AnovaGroupColumns(table);
    if (columns.empty())
        return false;
    for (int column : columns)
        if (table.ColumnInfo[column].SD != 0)
            return false;
    return true;
}

void WriteUnderlinedLine(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_text(text);
    report.toggle_underline();
    report.new_line();
}

void WriteCentredHeading(ReportWriter& report, std::string_view text) {
    report.toggle_underline();
    report.write_line(centred(text, 65));
    report.toggle_underline();
}

void WriteAnovaSummaryOfData(ReportWriter& report, ReportWriter& second, const DataTable& table) {
    WriteCentredHeading(report, "Summary of Data");
    report.new_line();
    WriteDescriptiveTableHeader(report, second);
    for (int column : AnovaGroupColumns(table))
        WriteDescriptiveTableRow(report, second, table.ColumnInfo[column]);
    AppendReport(report, second);
}

} // namespace vextal
