#include "workflow/analysis_choices.h"

namespace vextal {

void MarkChanged(DocumentState& state) {
    state.ResultsStale = true;
    state.DocumentModified = true;
}

AnalysisChoices DefaultChoices() { return AnalysisChoices{}; }

void ResetChoices(AnalysisChoices& choices) {
    const std::uint8_t kept = choices.OneColNonParametric;
    choices = DefaultChoices();
    choices.OneColNonParametric = kept;
}

void ResetDocumentState(DocumentState& state) {
    ResetChoices(state.Choices);
    state.ErrorBars = ErrorBarKind::SD;
    state.GraphByColumns = true;
}

int PairIndex(int first, int second, int count) {
    if (first < 0 || second <= first || second >= count) return -1;
    // Pairs starting at column i number count - 1 - i.
    return first * (2 * count - first - 1) / 2 + (second - first - 1);
}

GoalFamily GoalFamilyOf(DataFormat format) {
    switch (format) {
        case DataFormat::LargerTable:
        case DataFormat::TwoByTwo:
            return GoalFamily::ContingencyFamily;
        case DataFormat::XYData:
        case DataFormat::MultRegData:
            return GoalFamily::RegressionFamily;
        default:
            return GoalFamily::AnovaFamily;
    }
}

bool DataFormatFromCode(int code, DataFormat& format) {
    if (code < 1 || code > 7) return false;
    format = static_cast<DataFormat>(code);
    return true;
}

std::string DataFormatCaption(DataFormat format) {
    switch (format) {
        case DataFormat::RawData: return "Raw data.";
        case DataFormat::MeanSDN: return "Averaged data. Mean, SD && N.";
        case DataFormat::MeanSEMN: return "Averaged data. Mean, SEM && N.";
        case DataFormat::LargerTable: return "Larger contingency table.";
        case DataFormat::TwoByTwo: return "Two rows, two columns.";
        case DataFormat::XYData: return "X and Y (or two or more Y replicates). ";
        case DataFormat::MultRegData: return "Y and 2 or more X variables (multiple reg).";
    }
    return {};
}

std::string GoalCaption(GoalFamily goal) {
    switch (goal) {
        case GoalFamily::AnovaFamily: return "Compare means (or medians)";
        case GoalFamily::RegressionFamily: return "Regression and correlation";
        case GoalFamily::ContingencyFamily: return "Analyze a contingency table";
    }
    return {};
}

ErrorBarKind ErrorBarsForFormat(DataFormat format, ErrorBarKind current) {
    if (format == DataFormat::MeanSDN) return ErrorBarKind::SD;
    if (format == DataFormat::MeanSEMN) return ErrorBarKind::SEM;
    return current;
}

}  // namespace vextal
