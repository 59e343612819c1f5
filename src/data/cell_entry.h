// Data entry in the spreadsheet grid without the widget: the text a cell
// shows, which keys the in-place editor takes, how typed text becomes a
// value, the commit of an edited cell with the column's decimal bookkeeping,
// and the column and row titles.
//
// Questions the user must answer are returned to the caller as YesNoQuestion
// records; the caller shows the text and calls again with the answer. No
// routine here opens a window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "data/data_document.h"
#include "data/grid_selection.h"
#include "data/number_settings.h"

namespace vextal {

inline constexpr std::size_t MaxCellTextLength = 14;      // editor and CellTextToValue
inline constexpr std::size_t MaxGridCellDrawn = 20;       // characters drawn per cell
inline constexpr std::size_t MaxColumnTitleEditLength = 15;
inline constexpr std::size_t MaxDataSetTitleEditLength = 100;
inline constexpr long double LargestCellMagnitude = 1.5E38L;
inline constexpr int MaxCountedCellDigits = 14;  // integer digits plus decimals a column keeps

/// Row 0 of grid column `column` (0..25): "X", "Y1".."Y25" for XY data,
/// "Variable A" for multiple regression, "Outcome A" for larger tables and
/// "Group A" for the other formats.
std::string GridColumnHeader(DataFormat format, int column);

/// The text of a data cell: "" for MissingValue; seven significant digits in
/// exponent form (two-digit exponent, "1.234568E+07") when the value is not 0
/// and its magnitude is above 10,000,000 or at most 0.0001; otherwise fixed
/// with `decimals` decimals, cut to 14 characters. No surrounding blanks.
std::string FormatGridCell(long double value, int decimals);

/// Decimals column `column` shows: ColumnFormat when fixed, else AutoDecimals.
int ColumnDecimals(const DataTable& table, int column);

/// FormatGridCell of the stored cell with its column's decimals.
std::string GridCellText(const DataTable& table, int row, int column);

/// Keys the data grid's editor takes besides editing keys: "," "-" "." 0-9 E e.
bool IsCellKey(char key);

/// False when the editor already holds 14 characters and none is selected.
bool EditorTakesMoreText(std::size_t textLength, bool textSelected);

/// The cell text with every locale decimal separator written as "." (the
/// text the cell shows when it is committed).
std::string WithPointSeparator(std::string_view text, const NumberSettings& settings);

/// The value of typed text. At most the first 14 characters count; blanks and
/// "+" are dropped; the first "," or "." is the decimal point and later ones
/// are dropped; the first "E"/"e" is the exponent mark and later ones are
/// dropped; only the first minus stays, and besides it a minus right after
/// the exponent mark. Trailing "-", "." and "E" are removed. Empty
/// or unreadable text, and magnitudes above 1.5E38, give MissingValue.
long double CellTextToValue(std::string_view text);

enum class Repaint { None, Cell, Column, Grid };

inline Repaint Wider(Repaint a, Repaint b) { return a > b ? a : b; }

enum class Answer { Yes, No };

/// What a question's answers do.
enum class QuestionEffect {
    EraseMeanData,        // mean, SD and SEM of the column are erased, the value is stored
    EmptyCell,            // the typed value is dropped and the cell shows empty
    MoveNumberToCell,     // the title is left empty and its number goes into the current cell
    KeepTitleStopAsking,  // the title stays; the question is not asked again in this run
};

struct YesNoQuestion {
    std::string Text;
    QuestionEffect OnYes;
    QuestionEffect OnNo;
};

/// Stores a value into data cell (row, column) as the grid does: SetValue,
/// and for a value the column's SummaryEntered flag is cleared. Storing an
/// empty cell into an empty cell changes nothing (so a column holding typed
/// summary data is not marked for recomputation); emptying a cell runs
/// MarkColumnIfEmptied and UpdateExtentsAfterStore. True when the table
/// changed.
bool StoreCell(DataTable& table, int row, int column, long double value);

/// A column of raw values that holds no value any more becomes a summary
/// column again: SummaryEntered 1, N -1, mean, SD and SEM missing. True when
/// it did. Columns already flagged SummaryEntered keep their typed summary.
bool MarkColumnIfEmptied(DataTable& table, int column);

/// The decimal bookkeeping for a value stored into `column`: raises
/// AutoDecimals (automatic format) or lowers a fixed ColumnFormat that no
/// longer fits 14 digits. Returns how much must be redrawn.
Repaint UpdateColumnDecimals(DataTable& table, int column, long double value);

struct CellCommitResult {
    /// Set when the user must answer before anything is stored; call
    /// CommitCell again with the answer.
    std::optional<YesNoQuestion> Question;
    bool Stored = false;        // the table was written
    std::string ShownText;      // the typed text with "." as decimal point
    std::string CellText;       // what the cell shows after the commit
    Repaint Redraw = Repaint::None;
};

/// Commits the edited text of data cell (row 0..999, column 0..25). Call it
/// only when the editor changed the text since the last commit. A value
/// typed into a column holding a typed mean returns the "Erase mean data?"
/// question first; without an answer nothing is stored. A store marks the
/// document changed.
CellCommitResult CommitCell(DataDocument& document, int row, int column, std::string_view text,
                            const NumberSettings& settings,
                            std::optional<Answer> answer = std::nullopt);

/// The "Erase mean data?" message for a column header.
std::string EraseMeanDataQuestion(std::string_view columnHeader);

// ----------------------------------------------------------------- titles

inline constexpr std::string_view NumericTitleQuestionText =
    "You entered a number as the column title. Is this number supposed to go into the first "
    "data row instead?";

/// Program-wide answer memory of the numeric-title question.
struct NumericTitleQuestionState {
    bool Enabled = true;
};

/// True when the text holds only cell keys and at least one digit.
bool LooksLikeNumber(std::string_view text);

/// Stores a column title (cut to 80 characters); marks the document changed
/// when it differs.
void SetColumnTitle(DataDocument& document, int column, std::string_view text);
/// Stores a row title of data row 0..999 (cut to 10 characters).
void SetRowTitle(DataDocument& document, int row, std::string_view text);

struct ColumnTitleResult {
    std::optional<YesNoQuestion> Question;  // ask, then call again with the answer
    /// Set when the title's number is to be committed into the current cell
    /// (through CommitCell, like typed text).
    std::optional<std::string> NumberForCell;
};

/// Leaving the column-title editor with `text`: a numeric title asks the
/// question (while it is enabled); Yes leaves the title empty and hands the
/// number back for the current cell, No turns the question off and keeps
/// the title. The title is stored in every case but a pending question.
ColumnTitleResult LeaveColumnTitle(DataDocument& document, int column, std::string_view text,
                                   NumericTitleQuestionState& state,
                                   std::optional<Answer> answer = std::nullopt);

/// Text cut to at most `count` characters (UTF-8 code points).
std::string TruncateCharacters(std::string_view text, std::size_t count);

}  // namespace vextal
