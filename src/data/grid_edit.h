// Block commands of the data grid: Clear, Delete cells, Insert cells and
// Exclude, over a selection in data coordinates.
//
// Cells move with their exclusion flags. Whole columns move with their
// title, statistics record, number format, decimals and summary and
// selection flags; whole rows move with their row titles (a title that is
// still the row's number is renumbered). What passes row 999 or column Z is
// discarded. Each command leaves the extents right and marks the document
// changed when the table changed. Stores that would not change a cell are
// skipped, so a column holding a typed summary keeps it.
#pragma once

#include <optional>
#include <string_view>

#include "data/data_document.h"
#include "data/grid_selection.h"

namespace vextal {

/// The Delete key: with everything selected the whole table is emptied
/// (titles stay; statistics, summaries and decimals are reset); otherwise
/// every selected cell is emptied, columns left empty become summary columns
/// again (N -1, mean, SD, SEM missing) and lose their AutoDecimals. True when
/// the table changed.
bool ClearCells(DataDocument& document, const GridSelection& selection);
/// The Delete key with a title editor open empties that title instead.
void ClearColumnTitle(DataDocument& document, int column);
void ClearRowTitle(DataDocument& document, int row);

/// How a Delete or Insert command applies to a selection.
enum class BlockCommand {
    ClearEverything,  // Delete with everything selected
    WholeColumns,
    WholeRows,
    AskUser,          // a block: the caller shows the dialog and passes the choice
};

enum class BlockChoice { ShiftCells, EntireRows, EntireColumns };

struct BlockDialogText {
    std::string_view Caption;
    std::string_view ShiftCells;
    std::string_view EntireRows;
    std::string_view EntireColumns;
    std::string_view Hint;  // empty when the dialog has none
};

inline constexpr BlockDialogText DeleteDialogText{
    "Delete", "&Shift cells up", "Delete entire &rows", "Delete entire &columns",
    "This command deletes the selected block of data and fills in the gap. If you want to "
    "delete selected values without moving others, cancel from this dialog and then press "
    "the DEL key."};

inline constexpr BlockDialogText InsertDialogText{
    "Insert ", "&Shift cells down", "Insert entire &rows", "Insert entire &columns", ""};

BlockCommand DeleteCommandFor(const GridSelection& selection);
/// Everything selected inserts whole rows (the data move out, titles stay).
BlockCommand InsertCommandFor(const GridSelection& selection);

/// Delete cells. For a block (AskUser) `choice` says what the dialog chose;
/// without one nothing happens. True when the command ran.
bool DeleteCells(DataDocument& document, const GridSelection& selection,
                 std::optional<BlockChoice> choice = std::nullopt);
/// Insert cells, with the same convention.
bool InsertCells(DataDocument& document, const GridSelection& selection,
                 std::optional<BlockChoice> choice = std::nullopt);

/// Columns left..right are removed; the columns to their right move left and
/// the freed columns at Z are empty, untitled and automatic.
void DeleteColumns(DataDocument& document, int left, int right);
/// Data rows top..bottom are removed; the rows below move up and the freed
/// rows at the bottom are empty.
void DeleteRows(DataDocument& document, int top, int bottom);
/// The block is removed from its columns; the cells below it move up.
void ShiftCellsUp(DataDocument& document, const GridSelection& selection);
/// Columns from `left` move right by the width of left..right; what passes Z
/// is lost; columns left..right become empty, untitled and automatic.
void InsertColumns(DataDocument& document, int left, int right);
/// Rows from `top` move down by the height of top..bottom; what passes row
/// 999 is lost; rows top..bottom become empty.
void InsertRows(DataDocument& document, int top, int bottom);
/// Only the block's columns move down, from the block's top row.
void ShiftCellsDown(DataDocument& document, const GridSelection& selection);

/// Exclude is offered for raw, XY and multiple-regression data.
bool ExcludeAvailable(DataFormat format);

struct ExcludeResult {
    bool Excluded = false;  // the selection's values are now excluded
    bool Changed = false;   // some flag changed
};

/// Ctrl+E: when any value in the selection is excluded, every value in it is
/// included again; otherwise every value in it is excluded. Empty cells are
/// never excluded. With everything selected the test and the change cover
/// the whole table.
ExcludeResult ToggleExclusion(DataDocument& document, const GridSelection& selection);

}  // namespace vextal
