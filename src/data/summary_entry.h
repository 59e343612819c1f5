// Entry rules of the summary grid, where the user types a column's mean, its
// SD or SEM, and N instead of raw values (averaged data, and columns of raw
// data that hold no raw value). The values go straight into the column's
// statistics record; the derived fields are completed by
// ComputeSummaryFromEntered.
#pragma once

#include <string_view>

#include "data/data_document.h"
#include "data/number_settings.h"

namespace vextal {

// Grid rows of the summary grid that take typed entries.
inline constexpr int SummaryTitleRow = 1;
inline constexpr int SummaryMeanRow = 2;
inline constexpr int SummaryErrorRow = 3;  // SD or SEM, by the document's error kind
inline constexpr int SummaryNRow = 4;

/// A summary cell can be edited in the title, mean, error and N rows of a
/// column flagged SummaryEntered, for raw and averaged data only.
bool SummaryCellEditable(const DataDocument& document, int gridRow, int column);

/// Keys the summary editor takes in a row: the data grid's keys, without ","
/// and "." in the N row.
bool IsSummaryKey(char key, int gridRow);

/// N for a typed value: its whole part when it is 2 or more, otherwise 0;
/// -1 when the whole part does not fit a 32-bit count.
int SummaryNFromValue(long double value);

/// Stores the text typed into summary cell (gridRow, column): the title, the
/// mean, the SD or SEM (the other of the two is cleared, to be derived from
/// the typed one), or N. Returns false, changing nothing, when the cell does
/// not take entries or N is too large for a count; a change marks the
/// document changed.
bool StoreSummaryEntry(DataDocument& document, int gridRow, int column, std::string_view text,
                       const NumberSettings& settings);

}  // namespace vextal
