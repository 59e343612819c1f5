#include "workflow/column_analysis.h"

#include "data/data_document.h"
#include "report/report_writer.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/pair_selection.h"
#include "workflow/test_selection.h"

namespace vextal {

ColumnAnalysisOutcome RunColumnAnalysis(DataDocument& document, ReportWriter& report, CalculationProgress*) {
    ColumnAnalysisOutcome outcome;
    std::string_view message;
    if (DataColumns(document.Table).empty())
        message = NoDataMessage;
    else if (SelectedDataColumns(document.Table).empty())
        message = NoSelectedColumnMessage;
    if (NoColumnPairFlagged(document)) message = NoPairMessage;
    if (!message.empty()) {
        report.restart_report();
        report.new_line();
        report.write_line(message);
        report.new_line();
        outcome.MessageOnly = true;
    }
    return outcome;
}

}  // namespace vextal
