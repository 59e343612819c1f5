// The Number Format dialog without the widget: which columns it names, its
// label, its preset, and what OK does to the columns' formats and decimals.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/data_document.h"
#include "data/grid_selection.h"

namespace vextal {

inline constexpr std::string_view NumberFormatCaption = "Number Format";
inline constexpr std::string_view AutomaticDecimalsText =
    "Choose the number of decimal points automatically.";
inline constexpr std::string_view FixedDecimalsTextBefore = "Show values with ";
inline constexpr std::string_view FixedDecimalsTextAfter = "digits after the decimal point.";
inline constexpr int MaxFixedDecimals = 12;
inline constexpr int AutomaticFormat = -1;

struct NumberFormatDialogState {
    std::string Label;     // "For columns A-Z:", "For columns B-D:" or "For column C:"
    int FirstColumn = 0;   // the named columns
    int LastColumn = 0;
    bool Fixed = false;    // preset the fixed choice with Decimals
    int Decimals = 0;      // the number field, 0..12
};

/// The dialog for a selection and the grid's current column. Several columns
/// are named when everything or whole columns are selected, or when the
/// selection starts at the first data row and reaches the last value of
/// each of its columns; always only when it spans more than one column.
/// Otherwise the current column is named. The fixed choice is preset when
/// every named column has the same fixed format; else the field shows the
/// decimals the first named column shows now.
NumberFormatDialogState PrepareNumberFormat(const DataTable& table, const GridSelection& selection,
                                            int currentColumn);

/// OK: stores `setting` (AutomaticFormat or 0..12) as the format of columns
/// first..last. A column switched to automatic has its AutoDecimals
/// recounted from its values. Returns the columns whose setting changed
/// (to be redrawn); an out-of-range setting changes nothing. A change marks
/// the document modified (the formats are saved with it).
std::vector<int> ApplyNumberFormat(DataDocument& document, int firstColumn, int lastColumn,
                                   int setting);

/// The largest number of decimals among the column's values that are shown
/// in fixed form, each counted on the value written with 14 decimals, with
/// binary noise and trailing zeros removed.
int RecountAutoDecimals(const DataTable& table, int column);

}  // namespace vextal
