#include "data/summary_entry.h"

#include <cmath>
#include <limits>

#include "data/cell_entry.h"

namespace vextal {

bool SummaryCellEditable(const DataDocument& document, int gridRow, int column) {
    const DataFormat format = document.State.Format;
    if (format != DataFormat::RawData && format != DataFormat::MeanSDN &&
        format != DataFormat::MeanSEMN)
        return false;
    if (column < 0 || column > LastDataColumn || !document.Table.SummaryEntered[column]) return false;
    return gridRow >= SummaryTitleRow && gridRow <= SummaryNRow;
}

bool IsSummaryKey(char key, int gridRow) {
    if (gridRow == SummaryNRow && (key == ',' || key == '.')) return false;
    return IsCellKey(key);
}

int SummaryNFromValue(long double value) {
    if (IsMissing(value) || !std::isfinite(value) || value < 2) return 0;
    const long double whole = std::floor(value);
    if (whole > static_cast<long double>(std::numeric_limits<int>::max())) return -1;
    return static_cast<int>(whole);
}

bool StoreSummaryEntry(DataDocument& document, int gridRow, int column, std::string_view text,
                       const NumberSettings& settings) {
    if (!SummaryCellEditable(document, gridRow, column)) return false;
    if (gridRow == SummaryTitleRow) {
        SetColumnTitle(document, column, text);
        return true;
    }
    ColumnInfo& info = document.Table.ColumnInfo[column];
    const bool sdShown = document.State.ErrorBars == ErrorBarKind::SD;
    long double& shownError = sdShown ? info.SD : info.SEM;
    long double& derivedError = sdShown ? info.SEM : info.SD;
    const long double value = CellTextToValue(WithPointSeparator(text, settings));

    switch (gridRow) {
    case SummaryMeanRow:
        info.Mean = value;
        break;
    case SummaryErrorRow:
        // The other error is derived from this one and N; a stale copy would
        // override what was just typed.
        shownError = value;
        derivedError = MissingValue;
        break;
    default: {
        const int n = SummaryNFromValue(value);
        if (n < 0) return false;
        info.N = n;
        if (!IsMissing(shownError)) derivedError = MissingValue;
        break;
    }
    }
    MarkChanged(document.State);
    return true;
}

}  // namespace vextal
