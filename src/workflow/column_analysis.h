// The analyses of column data (raw or averaged): one column, two columns, or
// the ANOVA family, as the selected columns and the choices decide.
#pragma once

#include "report/json_value.h"

namespace vextal {

struct DataDocument;
class CalculationProgress;
class ReportWriter;

struct ColumnAnalysisOutcome {
    int CalcError = 0;
    bool MessageOnly = false;
    JsonValue Values = JsonValue::Object();
};

/// Runs the column analysis the choices call for and writes its report.
/// Untitled selected columns are called "Column C" and deselected columns
/// hold no values while it runs; both are restored afterwards.
ColumnAnalysisOutcome RunColumnAnalysis(DataDocument& document, ReportWriter& report, CalculationProgress* progress);

}  // namespace vextal
