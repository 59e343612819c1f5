#include "data/data_table.h"

#include <algorithm>
#include <cmath>

namespace vextal {
namespace {

bool ValidRow(int row) { return row >= 0 && row < TableRowCount; }
bool ValidDataColumn(int column) { return column >= 0 && column < DataColumnCount; }

std::size_t CellIndex(int row, int column) {
    return static_cast<std::size_t>(row) * DataColumnCount + static_cast<std::size_t>(column);
}

long double& Cell(DataTable& table, int row, int column) {
    return table.Cells[CellIndex(row, column)];
}

long double Cell(const DataTable& table, int row, int column) {
    return table.Cells[CellIndex(row, column)];
}

}  // namespace

DataTable::DataTable()
    : Cells(static_cast<std::size_t>(TableRowCount) * DataColumnCount, MissingValue),
      DifferenceColumn(TableRowCount, MissingValue),
      ExcludedFlags(static_cast<std::size_t>(TableRowCount) * DataColumnCount, 0),
      RowTitles(TableRowCount) {
    ColumnFormat.fill(-1);
    SummaryEntered.fill(true);
    ColumnSelected.fill(true);
    for (int row = 0; row < TableRowCount; ++row) RowTitles[row] = DefaultRowTitle(row);
}

std::string DefaultRowTitle(int row) { return std::to_string(row + 1); }

long double GetValue(const DataTable& table, int row, int column) {
    // The difference column is never part of an analysis column list (a list
    // holds data columns only), so index 26 always reads it directly.
    if (column != DifferenceColumnIndex) column = MapColumn(table, column);
    if (!ValidRow(row) || column < 0 || column > DifferenceColumnIndex) return MissingValue;
    if (column == DifferenceColumnIndex) return table.DifferenceColumn[row];
    if (table.UseColumnSelection && !table.ColumnSelected[column]) return MissingValue;
    const long double value = Cell(table, row, column);
    if (!IsMissing(value) && table.ExcludedFlags[CellIndex(row, column)] != 0) return MissingValue;
    return value;
}

void SetValue(DataTable& table, int row, int column, long double value) {
    if (!ValidRow(row)) return;
    if (!std::isfinite(value)) value = MissingValue;
    if (column == DifferenceColumnIndex) {
        table.DifferenceColumn[row] = value;
        return;
    }
    if (!ValidDataColumn(column)) return;

    Cell(table, row, column) = value;
    if (IsMissing(value)) {
        table.ExcludedFlags[CellIndex(row, column)] = 0;
    } else {
        if (table.TrackExtents) {
            table.LastRow = std::max(table.LastRow, row);
            table.LastColumn = std::max(table.LastColumn, column);
        }
        table.IsEmpty = false;
        table.Modified = true;
    }
    table.ColumnChanged[column] = true;
}

long double RawValue(const DataTable& table, int row, int column) {
    if (!ValidRow(row)) return MissingValue;
    if (column == DifferenceColumnIndex) return table.DifferenceColumn[row];
    if (!ValidDataColumn(column)) return MissingValue;
    return Cell(table, row, column);
}

void SetExcluded(DataTable& table, int row, int column, bool excluded) {
    if (!ValidRow(row) || !ValidDataColumn(column)) return;
    if (excluded && IsMissing(Cell(table, row, column))) return;
    table.ExcludedFlags[CellIndex(row, column)] = excluded ? 1 : 0;
    table.ColumnChanged[column] = true;
}

bool IsExcluded(const DataTable& table, int row, int column) {
    if (!ValidRow(row) || !ValidDataColumn(column)) return false;
    return table.ExcludedFlags[CellIndex(row, column)] != 0;
}

// Both bulk changes mark the columns whose flags moved, so that their
// statistics are recomputed like after a single SetExcluded.
void ClearExclusions(DataTable& table) {
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column) {
            unsigned char& flag = table.ExcludedFlags[CellIndex(row, column)];
            if (flag != 0) table.ColumnChanged[column] = true;
            flag = 0;
        }
}

void ExcludeAll(DataTable& table) {
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column) {
            const unsigned char wanted = IsMissing(Cell(table, row, column)) ? 0 : 1;
            unsigned char& flag = table.ExcludedFlags[CellIndex(row, column)];
            if (flag != wanted) table.ColumnChanged[column] = true;
            flag = wanted;
        }
}

int ColumnCountForAnalysis(const DataTable& table) {
    if (table.AnalysisColumns.Count == -1) return table.LastColumn;
    return table.AnalysisColumns.Count - 1;
}

int MapColumn(const DataTable& table, int index) {
    const AnalysisColumnList& list = table.AnalysisColumns;
    if (list.Count == -1) return index;
    if (index < 0 || index >= list.Count || index >= static_cast<int>(list.Columns.size()))
        return -1;
    return list.Columns[static_cast<std::size_t>(index)];
}

void BuildAnalysisColumns(DataTable& table) {
    AnalysisColumnList& list = table.AnalysisColumns;
    list.Count = 0;
    // Typed summaries (averaged data) hold no cells, so LastColumn does not
    // reach them; the columns with an N count as well. A column emptied in the
    // grid (N of -1) holds nothing to analyse.
    const int last = std::min(std::max(table.LastColumn, LastColumnWithData(table)), DataColumnCount - 1);
    for (int column = 0; column <= last; ++column)
        if (table.ColumnInfo[column].N > 0 && table.ColumnSelected[column])
            list.Columns[static_cast<std::size_t>(list.Count++)] = column;
}

void ClearAnalysisColumns(DataTable& table) { table.AnalysisColumns.Count = -1; }

bool HasData(const DataTable& table) {
    if (table.IsEmpty) return false;
    return std::any_of(table.Cells.begin(), table.Cells.end(),
                       [](long double value) { return !IsMissing(value); });
}

void ComputeExtents(DataTable& table) {
    table.LastRow = 0;
    table.LastColumn = 0;
    for (int row = 0; row < TableRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column)
            if (!IsMissing(Cell(table, row, column))) {
                table.LastRow = row;
                table.LastColumn = std::max(table.LastColumn, column);
            }
}

void ShrinkExtents(DataTable& table) {
    table.LastRow = std::clamp(table.LastRow, 0, TableRowCount - 1);
    table.LastColumn = std::clamp(table.LastColumn, 0, DataColumnCount - 1);
    while (table.LastRow > 0 && RowIsEmpty(table, table.LastRow)) --table.LastRow;
    while (table.LastColumn > 0 && ColumnIsEmpty(table, table.LastColumn)) --table.LastColumn;
    if (table.LastRow == 0 && table.LastColumn == 0 && RowIsEmpty(table, 0) &&
        ColumnIsEmpty(table, 0))
        table.IsEmpty = true;
}

void UpdateExtentsAfterStore(DataTable& table, int row, int column, long double value) {
    if (!ValidRow(row) || !ValidDataColumn(column)) return;
    if (!IsMissing(value)) {
        table.LastRow = std::max(table.LastRow, row);
        table.LastColumn = std::max(table.LastColumn, column);
        return;
    }
    if (row == table.LastRow)
        while (table.LastRow > 0 && RowIsEmpty(table, table.LastRow)) --table.LastRow;
    if (column == table.LastColumn)
        while (table.LastColumn > 0 && table.SummaryEntered[table.LastColumn]) --table.LastColumn;
}

bool RowIsEmpty(const DataTable& table, int row) {
    if (!ValidRow(row)) return true;
    for (int column = 0; column < DataColumnCount; ++column)
        if (!IsMissing(Cell(table, row, column))) return false;
    return true;
}

bool ColumnIsEmpty(const DataTable& table, int column) {
    if (!ValidDataColumn(column)) return true;
    for (int row = 0; row < TableRowCount; ++row)
        if (!IsMissing(Cell(table, row, column))) return false;
    return true;
}

int LastColumnWithData(const DataTable& table) {
    for (int column = DataColumnCount - 1; column > 0; --column)
        if (table.ColumnInfo[column].N >= 1) return column;
    return 0;
}

bool SummaryColumnIsEmpty(const DataTable& table, int column) {
    if (!ValidDataColumn(column)) return true;
    const ColumnInfo& info = table.ColumnInfo[column];
    return info.N == 0 || (IsMissing(info.Mean) && IsMissing(info.SD) && IsMissing(info.SEM));
}

void ClearAll(DataTable& table) {
    std::fill(table.Cells.begin(), table.Cells.end(), MissingValue);
    std::fill(table.DifferenceColumn.begin(), table.DifferenceColumn.end(), MissingValue);
    std::fill(table.ExcludedFlags.begin(), table.ExcludedFlags.end(), 0);
    table.Modified = false;
    table.IsEmpty = true;
    table.LastRow = 0;
    table.LastColumn = 0;
    table.AutoDecimals.fill(0);
}

void ResetColumnInfo(DataTable& table) {
    table.ColumnInfo.fill(ColumnInfo{});
    table.ColumnSelected.fill(true);
}

}  // namespace vextal
