#include "data/grid_edit.h"

#include <array>
#include <vector>

#include "data/cell_entry.h"

namespace vextal {
namespace {

using ColumnSource = std::array<int, DataColumnCount>;  // -1: a fresh empty column
using RowSource = std::array<int, UserRowCount>;        // -1: a fresh empty row

constexpr int Fresh = -1;

// A copy of the cells and flags taken before cells move, so that a move can
// read every source cell whatever the order of the writes.
struct CellSnapshot {
    explicit CellSnapshot(const DataTable& table)
        : Cells(table.Cells), Flags(table.ExcludedFlags) {}

    long double Value(int row, int column) const { return Cells[Index(row, column)]; }
    bool Excluded(int row, int column) const { return Flags[Index(row, column)] != 0; }

    static std::size_t Index(int row, int column) {
        return static_cast<std::size_t>(row) * DataColumnCount + static_cast<std::size_t>(column);
    }

    std::vector<long double> Cells;
    std::vector<unsigned char> Flags;
};

// Writes a value with its exclusion flag through SetValue and SetExcluded.
// A write that would change nothing is skipped; true when the cell changed.
bool PutCell(DataTable& table, int row, int column, long double value, bool excluded) {
    if (IsMissing(value)) excluded = false;
    const long double current = RawValue(table, row, column);
    const bool currentFlag = IsExcluded(table, row, column);
    if (current == value && currentFlag == excluded) return false;
    if (current != value) SetValue(table, row, column, value);
    if (!IsMissing(value) && IsExcluded(table, row, column) != excluded)
        SetExcluded(table, row, column, excluded);
    return true;
}

// What every block command does at its end: columns it emptied become
// summary columns again and forget their decimals, the extents shrink to
// the data left, and a change marks the document.
void Finish(DataDocument& document, const std::array<bool, DataColumnCount>& touched, bool changed) {
    DataTable& table = document.Table;
    for (int column = 0; column < DataColumnCount; ++column)
        if (touched[column] && MarkColumnIfEmptied(table, column)) table.AutoDecimals[column] = 0;
    ShrinkExtents(table);
    if (changed) MarkChanged(document.State);
}

void MakeFreshColumn(DataTable& table, int column) {
    ColumnInfo fresh;
    table.ColumnInfo[column] = fresh;
    table.ColumnFormat[column] = -1;
    table.AutoDecimals[column] = 0;
    table.SummaryEntered[column] = true;
    table.ColumnSelected[column] = true;
    table.ColumnChanged[column] = true;
}

// Rebuilds the columns from a map: column c takes what column source[c]
// held (cells of every row, flags and per-column settings) or becomes a
// fresh empty column.
void ApplyColumnMap(DataDocument& document, const ColumnSource& source) {
    DataTable& table = document.Table;
    const CellSnapshot cells(table);
    const auto info = table.ColumnInfo;
    const auto format = table.ColumnFormat;
    const auto decimals = table.AutoDecimals;
    const auto summary = table.SummaryEntered;
    const auto selected = table.ColumnSelected;
    const auto changedFlags = table.ColumnChanged;

    bool changed = false;
    std::array<bool, DataColumnCount> touched{};
    for (int column = 0; column < DataColumnCount; ++column) {
        const int from = source[column];
        if (from == column) continue;
        changed = true;
        for (int row = 0; row < TableRowCount; ++row) {
            const long double value = from == Fresh ? MissingValue : cells.Value(row, from);
            const bool excluded = from != Fresh && cells.Excluded(row, from);
            PutCell(table, row, column, value, excluded);
        }
        if (from == Fresh) {
            MakeFreshColumn(table, column);
            continue;
        }
        table.ColumnInfo[column] = info[from];
        table.ColumnFormat[column] = format[from];
        table.AutoDecimals[column] = decimals[from];
        table.SummaryEntered[column] = summary[from];
        table.ColumnSelected[column] = selected[from];
        // The moved statistics belong to the moved values; raw columns are
        // recomputed anyway, typed summaries must not be.
        table.ColumnChanged[column] = summary[from] ? changedFlags[from] : true;
        touched[column] = true;
    }
    Finish(document, touched, changed);
}

// Rebuilds rows 0..999 of columns left..right from a map: row r takes what
// row source[r] held or becomes empty. With `moveTitles` the row titles
// follow; a title that was its row's number is renumbered for its new row.
void ApplyRowMap(DataDocument& document, int left, int right, const RowSource& source,
                 bool moveTitles) {
    DataTable& table = document.Table;
    const CellSnapshot cells(table);
    bool changed = false;
    std::array<bool, DataColumnCount> touched{};
    for (int column = left; column <= right; ++column)
        for (int row = 0; row < UserRowCount; ++row) {
            const int from = source[row];
            if (from == row) continue;
            const long double value = from == Fresh ? MissingValue : cells.Value(from, column);
            const bool excluded = from != Fresh && cells.Excluded(from, column);
            if (PutCell(table, row, column, value, excluded)) touched[column] = changed = true;
        }
    if (moveTitles) {
        const std::vector<std::string> titles = table.RowTitles;
        for (int row = 0; row < UserRowCount; ++row) {
            const int from = source[row];
            if (from == row) continue;
            std::string title = DefaultRowTitle(row);
            if (from != Fresh && titles[from] != DefaultRowTitle(from)) title = titles[from];
            if (table.RowTitles[row] != title) {
                table.RowTitles[row] = std::move(title);
                changed = true;
            }
        }
    }
    Finish(document, touched, changed);
}

// Row r of the result takes row r + height from `top` on (a deletion).
RowSource RowsMovedUp(int top, int bottom) {
    RowSource source{};
    const int height = bottom - top + 1;
    for (int row = 0; row < UserRowCount; ++row)
        source[row] = row < top ? row : (row + height <= LastUserRow ? row + height : Fresh);
    return source;
}

// Row r of the result takes row r - height below the inserted rows.
RowSource RowsMovedDown(int top, int bottom) {
    RowSource source{};
    const int height = bottom - top + 1;
    for (int row = 0; row < UserRowCount; ++row)
        source[row] = row < top ? row : (row <= bottom ? Fresh : row - height);
    return source;
}

void ClearEverything(DataDocument& document) {
    DataTable& table = document.Table;
    ClearAll(table);
    table.ColumnChanged.fill(false);
    table.SummaryEntered.fill(true);
    for (ColumnInfo& info : table.ColumnInfo) {
        info.N = 0;
        info.Mean = info.SD = info.SEM = info.Minimum = info.Maximum = info.Median = MissingValue;
        info.UpperCI = info.LowerCI = info.KSDistance = info.NormalityP = MissingValue;
        info.Passed = false;
    }
    table.ColumnSelected.fill(true);
    MarkChanged(document.State);
}

}  // namespace

bool ClearCells(DataDocument& document, const GridSelection& selection) {
    if (IsAllSelected(selection)) {
        ClearEverything(document);
        return true;
    }
    DataTable& table = document.Table;
    const GridSelection s = Normalized(selection);
    bool changed = false;
    std::array<bool, DataColumnCount> touched{};
    for (int column = s.Left; column <= s.Right; ++column)
        for (int row = s.Top; row <= s.Bottom; ++row)
            if (!IsMissing(RawValue(table, row, column))) {
                SetValue(table, row, column, MissingValue);
                touched[column] = changed = true;
            }
    for (int column = 0; column < DataColumnCount; ++column)
        if (touched[column]) MarkColumnIfEmptied(table, column);
    ShrinkExtents(table);
    for (int column = 0; column < DataColumnCount; ++column)
        if (table.SummaryEntered[column]) table.AutoDecimals[column] = 0;
    if (changed) MarkChanged(document.State);
    return changed;
}

void ClearColumnTitle(DataDocument& document, int column) { SetColumnTitle(document, column, ""); }

void ClearRowTitle(DataDocument& document, int row) { SetRowTitle(document, row, ""); }

BlockCommand DeleteCommandFor(const GridSelection& selection) {
    if (IsAllSelected(selection)) return BlockCommand::ClearEverything;
    if (AreWholeColumnsSelected(selection)) return BlockCommand::WholeColumns;
    if (AreWholeRowsSelected(selection)) return BlockCommand::WholeRows;
    return BlockCommand::AskUser;
}

BlockCommand InsertCommandFor(const GridSelection& selection) {
    if (IsAllSelected(selection)) return BlockCommand::WholeRows;
    if (AreWholeColumnsSelected(selection)) return BlockCommand::WholeColumns;
    if (AreWholeRowsSelected(selection)) return BlockCommand::WholeRows;
    return BlockCommand::AskUser;
}

bool DeleteCells(DataDocument& document, const GridSelection& selection,
                 std::optional<BlockChoice> choice) {
    const GridSelection s = Normalized(selection);
    BlockCommand command = DeleteCommandFor(s);
    if (command == BlockCommand::AskUser) {
        if (!choice) return false;
        if (*choice == BlockChoice::ShiftCells) {
            ShiftCellsUp(document, s);
            return true;
        }
        command = *choice == BlockChoice::EntireRows ? BlockCommand::WholeRows : BlockCommand::WholeColumns;
    }
    switch (command) {
    case BlockCommand::ClearEverything:
        ClearCells(document, s);
        break;
    case BlockCommand::WholeColumns:
        DeleteColumns(document, s.Left, s.Right);
        break;
    default:
        DeleteRows(document, s.Top, s.Bottom);
        break;
    }
    return true;
}

bool InsertCells(DataDocument& document, const GridSelection& selection,
                 std::optional<BlockChoice> choice) {
    const GridSelection s = Normalized(selection);
    BlockCommand command = InsertCommandFor(s);
    if (command == BlockCommand::AskUser) {
        if (!choice) return false;
        if (*choice == BlockChoice::ShiftCells) {
            ShiftCellsDown(document, s);
            return true;
        }
        command = *choice == BlockChoice::EntireRows ? BlockCommand::WholeRows : BlockCommand::WholeColumns;
    }
    if (command == BlockCommand::WholeColumns)
        InsertColumns(document, s.Left, s.Right);
    else
        InsertRows(document, s.Top, s.Bottom);
    return true;
}

void DeleteColumns(DataDocument& document, int left, int right) {
    const GridSelection s = Normalized({0, left, 0, right});
    const int width = s.Right - s.Left + 1;
    ColumnSource source{};
    for (int column = 0; column < DataColumnCount; ++column)
        source[column] = column < s.Left ? column
                                         : (column + width <= LastDataColumn ? column + width : Fresh);
    ApplyColumnMap(document, source);
}

void InsertColumns(DataDocument& document, int left, int right) {
    const GridSelection s = Normalized({0, left, 0, right});
    const int width = s.Right - s.Left + 1;
    ColumnSource source{};
    for (int column = 0; column < DataColumnCount; ++column)
        source[column] = column < s.Left ? column : (column <= s.Right ? Fresh : column - width);
    ApplyColumnMap(document, source);
}

void DeleteRows(DataDocument& document, int top, int bottom) {
    const GridSelection s = Normalized({top, 0, bottom, 0});
    ApplyRowMap(document, 0, LastDataColumn, RowsMovedUp(s.Top, s.Bottom), true);
}

void InsertRows(DataDocument& document, int top, int bottom) {
    const GridSelection s = Normalized({top, 0, bottom, 0});
    ApplyRowMap(document, 0, LastDataColumn, RowsMovedDown(s.Top, s.Bottom), true);
}

void ShiftCellsUp(DataDocument& document, const GridSelection& selection) {
    const GridSelection s = Normalized(selection);
    ApplyRowMap(document, s.Left, s.Right, RowsMovedUp(s.Top, s.Bottom), false);
}

void ShiftCellsDown(DataDocument& document, const GridSelection& selection) {
    const GridSelection s = Normalized(selection);
    ApplyRowMap(document, s.Left, s.Right, RowsMovedDown(s.Top, s.Bottom), false);
}

bool ExcludeAvailable(DataFormat format) {
    return format == DataFormat::RawData || format == DataFormat::XYData ||
           format == DataFormat::MultRegData;
}

ExcludeResult ToggleExclusion(DataDocument& document, const GridSelection& selection) {
    DataTable& table = document.Table;
    ExcludeResult result;
    if (IsAllSelected(selection)) {
        const std::vector<unsigned char> before = table.ExcludedFlags;
        bool anyExcluded = false;
        for (std::size_t i = 0; i < before.size(); ++i)
            anyExcluded = anyExcluded || (before[i] != 0 && !IsMissing(table.Cells[i]));
        if (anyExcluded)
            ClearExclusions(table);
        else
            ExcludeAll(table);
        result.Excluded = !anyExcluded;
        result.Changed = before != table.ExcludedFlags;
    } else {
        const GridSelection s = Normalized(selection);
        bool anyExcluded = false;
        for (int column = s.Left; column <= s.Right && !anyExcluded; ++column)
            for (int row = s.Top; row <= s.Bottom && !anyExcluded; ++row)
                anyExcluded = !IsMissing(RawValue(table, row, column)) && IsExcluded(table, row, column);
        result.Excluded = !anyExcluded;
        for (int column = s.Left; column <= s.Right; ++column)
            for (int row = s.Top; row <= s.Bottom; ++row)
                if (!IsMissing(RawValue(table, row, column)) &&
                    IsExcluded(table, row, column) != result.Excluded) {
                    SetExcluded(table, row, column, result.Excluded);
                    result.Changed = true;
                }
    }
    if (result.Changed) MarkChanged(document.State);
    return result;
}

}  // namespace vextal
