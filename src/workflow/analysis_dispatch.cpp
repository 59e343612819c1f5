#include "workflow/analysis_dispatch.h"

#include <algorithm>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/column_stats.h"
#include "stats/contingency.h"
#include "stats/linear_correlation.h"
#include "stats/spearman.h"
#include "stats/two_by_two.h"
#include "workflow/analysis_values.h"
#include "workflow/calculation_progress.h"
#include "workflow/column_analysis.h"
#include "workflow/test_selection.h"

namespace vextal {

namespace {

constexpr std::string_view ClosingStars = "*     *     *";

void RunXYAnalysis(DataDocument& document, ReportWriter& report, const AnalysisEnvironment& environment,
                   AnalysisOutcome& outcome) {
    const AnalysisChoices& c = document.State.Choices;
    if (!HasData(document.Table)) {
        WriteResultsMessage(report, NoDataMessage);
        outcome.MessageOnly = true;
        return;
    }
    if (c.FitRegression) {
        LinearRegressionAnalysis details;
        outcome.Line = LinearRegression(document, c.RunsTest, c.ForceThroughPoint, report, c.InterpolateUnknowns,
                                        c.ForceX, c.ForceY, &details);
        outcome.CalcError = outcome.Line.Code;
        if (outcome.CalcError == 0) AddRegressionValues(outcome.Values, details);
        return;
    }
    if (c.CorrelationKind == 2) {
        SpearmanResult details;
        outcome.CalcError = SpearmanCorrelation(document, report, environment.Progress, &details);
        if (outcome.CalcError == 0) AddSpearmanValues(outcome.Values, details);
    } else {
        outcome.CalcError = LinearCorrelation(document, report);
        if (outcome.CalcError == 0) AddCorrelationValues(outcome.Values, CorrelationSums(document.Table, 0));
    }
}

void RunTwoByTwoAnalysis(DataDocument& document, ReportWriter& report, AnalysisOutcome& outcome) {
    // Empty titles read as the defaults for the duration of the analysis.
    TwoByTwoTable& table = document.TwoByTwo;
    const TwoByTwoTable saved = table;
    auto byDefault = [](std::string& title, const char* fallback) {
        if (title.empty()) title = fallback;
    };
    byDefault(table.Row1Title, "Top row ");
    byDefault(table.Row2Title, "Bottom row");
    byDefault(table.Column1Title, "Column A");
    byDefault(table.Column2Title, "Column B");
    TwoByTwoResult result;
    outcome.CalcError = analyse_two_by_two(document, document.State.Choices, report, result);
    table.Row1Title = saved.Row1Title;
    table.Row2Title = saved.Row2Title;
    table.Column1Title = saved.Column1Title;
    table.Column2Title = saved.Column2Title;
    if (outcome.CalcError == 0) AddTwoByTwoValues(outcome.Values, result);
}

void RunLargerTableAnalysis(DataDocument& document, ReportWriter& report, AnalysisOutcome& outcome) {
    if (!HasData(document.Table)) {
        WriteResultsMessage(report, NoDataMessage);
        outcome.MessageOnly = true;
        return;
    }
    // Untitled columns are named by their bare letter while the analysis runs.
    std::array<std::string, DataColumnCount> titles;
    for (int column = 0; column < DataColumnCount; ++column) {
        titles[column] = document.Table.ColumnInfo[column].Title;
        if (titles[column].empty()) document.Table.ColumnInfo[column].Title = std::string(1, static_cast<char>('A' + column));
    }
    ContingencyResult result;
    outcome.CalcError = analyse_larger_table(document, report, result);
    for (int column = 0; column < DataColumnCount; ++column) document.Table.ColumnInfo[column].Title = titles[column];
    if (outcome.CalcError == 0) AddContingencyValues(outcome.Values, result);
}

void RunMultipleRegressionAnalysis(DataDocument& document, ReportWriter& report,
                                   const AnalysisEnvironment& environment, AnalysisOutcome& outcome) {
    const MultipleRegressionRun run = multiple_regression(document, report, environment.Clock);
    outcome.CalcError = run.Code;
    if (run.Code == 0 && run.Result.Message == MultipleRegressionMessage::None)
        AddMultipleRegressionValues(outcome.Values, run.Result);
}

}  // namespace

void WriteResultsMessage(ReportWriter& report, std::string_view message) {
    report.restart_report();
    report.new_line();
    report.write_line(message);
    report.new_line();
}

std::string ReportTitle(const std::string& report) {
    const auto open = report.find(UnderlineMarker);
    if (open == std::string::npos) return {};
    const auto close = report.find(UnderlineMarker, open + 1);
    if (close == std::string::npos) return {};
    std::string title = report.substr(open + 1, close - open - 1);
    title.erase(std::remove_if(title.begin(), title.end(),
                               [](char c) { return c == BoldMarker || c == ItalicMarker || c == '\r' || c == '\n'; }),
                title.end());
    const auto first = title.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return title.substr(first, title.find_last_not_of(' ') - first + 1);
}

std::vector<std::string> PlainReportLines(const std::string& report) {
    std::vector<std::string> lines(1);
    for (char c : report) {
        if (c == BoldMarker || c == UnderlineMarker || c == ItalicMarker || c == '\r' || c == '\x1a') continue;
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

AnalysisOutcome RunAnalysis(DataDocument& document, const AnalysisEnvironment& environment) {
    AnalysisOutcome outcome;
    // Statistics first, so that the column count sees the current N of each column.
    if (document.State.Format == DataFormat::RawData || document.State.Format == DataFormat::MultRegData)
        ComputeColumnStats(document);
    PrepareChooseTest(document, document.State.Selection);
    document.CalcError = 0;
    document.ReportHelpTopic = 0;
    ReportWriter body;
    switch (document.State.Format) {
        case DataFormat::RawData:
        case DataFormat::MeanSDN:
        case DataFormat::MeanSEMN: {
            const ColumnAnalysisOutcome column = RunColumnAnalysis(document, body, environment.Progress);
            outcome.CalcError = column.CalcError;
            outcome.MessageOnly = column.MessageOnly;
            outcome.Values = column.Values;
            break;
        }
        case DataFormat::XYData:
            RunXYAnalysis(document, body, environment, outcome);
            break;
        case DataFormat::TwoByTwo:
            RunTwoByTwoAnalysis(document, body, outcome);
            break;
        case DataFormat::LargerTable:
            RunLargerTableAnalysis(document, body, outcome);
            break;
        case DataFormat::MultRegData:
            RunMultipleRegressionAnalysis(document, body, environment, outcome);
            break;
    }
    if (!outcome.MessageOnly && outcome.CalcError <= 0 && body.Text().find(ClosingStars) == std::string::npos)
        body.write_closing();
    outcome.Title = ReportTitle(body.Text());

    ReportWriter report;
    // Multiple regression starts its own report with the date and the title.
    if (!document.Table.DocumentTitle.empty() && document.State.Format != DataFormat::MultRegData) {
        report.write_line(document.Table.DocumentTitle);
        report.new_line();
    }
    document.ResultReport = report.Text() + body.Text();
    document.State.ResultsStale = false;
    return outcome;
}

}  // namespace vextal
