// From a document's data and choices to one analysis and its report.
//
// RunAnalysis brings the column bookkeeping up to date, picks the analysis
// the format and the choices call for, runs it and leaves the report in the
// document's ResultReport. Besides the text it returns the title of the
// analysis, its calculation error code, the regression line for the graph,
// and every value it computed as a JSON object for scripted use.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "report/json_value.h"
#include "stats/linear_regression.h"
#include "stats/multiple_regression.h"

namespace vextal {

struct DataDocument;
class CalculationProgress;
class ReportWriter;

inline constexpr const char* NoDataMessage = "Until you enter data, you won't see any results!";
inline constexpr const char* NoSelectedColumnMessage = "Columns must be selected to perform test.";
inline constexpr const char* NoPairMessage = "At least one column pair must be selected.";

struct AnalysisEnvironment {
    CalculationProgress* Progress = nullptr;  // no progress display or cancel when null
    ReportClock Clock = LocalTimeNow;         // date and time of reports that show them
};

struct AnalysisOutcome {
    int CalcError = 0;
    bool MessageOnly = false;  // a message stands in place of results
    std::string Title;         // the analysis' underlined title, "" when none
    RegressionLine Line;       // XY data: the fitted line for the graph (slope missing when none)
    JsonValue Values = JsonValue::Object();
};

/// Runs the document's analysis, fills its ResultReport and clears
/// ResultsStale.
AnalysisOutcome RunAnalysis(DataDocument& document, const AnalysisEnvironment& environment = {});

/// Replaces a report by a message: an empty line, the message, an empty line.
void WriteResultsMessage(ReportWriter& report, std::string_view message);

/// The first underlined text of a report, trimmed: the analysis' title.
std::string ReportTitle(const std::string& report);

/// The report without its style markers, split into lines (CR LF or LF).
std::vector<std::string> PlainReportLines(const std::string& report);

}  // namespace vextal
