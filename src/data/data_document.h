// One open document: its data table, two-by-two table, notes and the work
// data of the last calculation. Knows nothing of windows.
#pragma once

#include <string>

#include "data/data_table.h"
#include "data/two_by_two_table.h"
#include "workflow/analysis_choices.h"

namespace vextal {

inline constexpr std::size_t MaxNotesLength = 8006;

struct DataDocument {
    DataTable Table;
    TwoByTwoTable TwoByTwo;
    std::string NotesText;  // lines separated by CR LF, at most MaxNotesLength characters
    int CalcError = 0;      // code of the last failed calculation, 0 = none
    DocumentState State;    // format, goal, analysis choices and change flags
    std::string ResultReport;  // the last analysis report (marker bytes included)
    int ReportHelpTopic = 0;   // help topic of the analysis that wrote the report
};

/// A document as New creates it (see ClearDocument).
DataDocument NewDocument();

/// What a new or cleared document gets: ClearAll, an empty DocumentTitle,
/// an empty two-by-two table and SummaryEntered set for every column.
void ClearDocument(DataDocument& document);

}  // namespace vextal
