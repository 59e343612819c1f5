// The text the data grid and the summary grid exchange with the clipboard:
// cells separated by TAB, rows by CR LF, no line end after the last row.
// Copying writes what the cells show (with the user's decimal separator);
// pasting reads TAB, "," and ";" as field separators and stores each field
// through the same value rules as typing.
//
// Nothing here touches a window or the system clipboard: the caller gets
// the text, shows the messages and answers the questions.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "data/grid_selection.h"
#include "data/number_settings.h"

namespace vextal {

/// The clipboard takes a piece of text only while the text so far, the
/// piece and 2 stay below this many bytes.
inline constexpr std::size_t ClipboardLimit = 65000;

inline constexpr const char* ClipboardTooLargeMessage =
    "Contents were too large (>64K) to copy completely to the clipboard.";
inline constexpr const char* NotEnoughMemoryMessage = "Not enough memory.";
inline constexpr const char* IncludeColumnTitlesQuestion = "Include column titles?";
inline constexpr const char* IncludeRowTitlesQuestion = "Include row titles?";

/// What Copy asks about titles before it builds the text.
enum class CopyTitleQuestion {
    Dialog,        // everything selected: the "Copy to clipboard" dialog
    ColumnTitles,  // whole columns: "Include column titles?" (Yes, No, Cancel)
    RowTitles,     // whole rows: "Include row titles?" (Yes, No, Cancel)
    None,          // any other block: no titles
};

CopyTitleQuestion CopyTitleQuestionFor(const GridSelection& selection);

struct ClipboardText {
    std::string Text;
    bool Truncated = false;  // the size limit cut the text: show ClipboardTooLargeMessage
};

/// The clipboard text of a selection of the data grid. Rows below the
/// lowest value of the selected columns are left out; nothing is copied
/// when no selected column holds a value. Values are written as the grid
/// shows them, with the settings' decimal separator; excluded values as
/// plain numbers. With column titles the first line holds the titles (after
/// an empty cell when row titles are included); with row titles every row
/// starts with its row title.
ClipboardText BuildClipboardText(const DataTable& table, const GridSelection& selection,
                                 bool withColumnTitles, bool withRowTitles,
                                 const NumberSettings& settings);

struct CutResult {
    ClipboardText Copied;
    bool Changed = false;  // the selection was cleared
};

/// Copy, then Clear of the selection (the Delete key's rules).
CutResult CutSelection(DataDocument& document, const GridSelection& selection, bool withColumnTitles,
                       bool withRowTitles, const NumberSettings& settings);

/// A value written with `decimals` decimals (trailing zeros and a trailing
/// point removed), cut to `width` characters and read back. When the cut
/// would remove integer digits the value is returned unchanged, so the
/// magnitude of a large value survives.
long double ValueThroughText(long double value, int decimals, std::size_t width);

/// The value of one pasted field: blanks around it removed; empty text, text
/// containing "#", text that is no number, and magnitudes above 1.5E38 give
/// MissingValue; a number keeps what 12 decimals in 14 characters hold.
long double PastedFieldValue(std::string_view text, const NumberSettings& settings);

/// Stores a pasted field into data cell (row 0..999, column 0..25) as typing
/// would: the column's decimals follow the value, a value clears the
/// column's SummaryEntered flag and the cell's exclusion, and a column left
/// empty becomes a summary column again. True when the table changed.
bool PasteValue(DataDocument& document, std::string_view text, int row, int column,
                const NumberSettings& settings);

/// Title row / row-title column index used as a paste start.
inline constexpr int TitleRow = -1;
inline constexpr int RowTitleColumn = -1;

struct PasteResult {
    /// Set when the cursor's column holds a typed mean: ask, then call
    /// PasteAtCursor again with the answer (No cancels the paste).
    std::optional<YesNoQuestion> Question;
    bool Changed = false;  // values or titles were stored
};

/// Pastes clipboard text at the cursor (data row 0..999, column 0..25).
/// With everything or whole columns selected the first line fills the
/// column titles; with everything or whole rows selected the first field of
/// each line fills the row titles. Transposed, line l goes down column
/// start+l. The settings' decimal separator is read as "."; TAB, "," and
/// ";" end a field, LF ends a line, CR is ignored, a NUL ends the text. A
/// last line without a line end is pasted whole.
PasteResult PasteAtCursor(DataDocument& document, std::string_view text, int cursorRow, int cursorColumn,
                          const GridSelection& selection, bool transposed, const NumberSettings& settings,
                          std::optional<Answer> answer = std::nullopt);

/// Pastes the first line of `text` as column titles from `column` on; TAB,
/// "," and ";" separate titles, titles beyond Z are dropped. True when a
/// title changed.
bool PasteTitles(DataDocument& document, std::string_view text, int column);

// ------------------------------------------------------------ summary grid

/// Rows of the summary grid, 1..16 (row 1 the titles, 2 the mean, 3 the SD
/// or SEM, 4 N, then the derived statistics).
inline constexpr int SummaryGridRows = 16;
inline constexpr int SummaryGridShortRows = 8;

/// Text of summary grid cell (gridRow 1..16, column): column -1 is the
/// row-label column.
using SummaryCellText = std::function<std::string(int gridRow, int column)>;

/// The clipboard text of the summary grid: rows 1..16 (1..8 when column A
/// holds a typed summary but no raw value), from the label column to the
/// last column whose N is not 0, with the clipboard's size limit.
ClipboardText BuildSummaryClipboardText(const DataTable& table, const SummaryCellText& cellText);

/// Pastes text into the summary grid from (gridRow, column; -1 is the label
/// column): each line fills the next row, each field the next column; TAB
/// and "," separate fields. Only the title, mean, SD/SEM and N rows of
/// columns that take typed summaries are stored; values are read as by
/// PastedFieldValue. True when the document changed.
bool PasteSummary(DataDocument& document, std::string_view text, int gridRow, int column,
                  const NumberSettings& settings);

}  // namespace vextal
