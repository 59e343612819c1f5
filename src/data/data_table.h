// The data table of one document: 1001 rows by 26 data columns of extended
// values, the difference column used by paired tests, exclusion flags, the
// table's extents and its per-column and per-row settings. Every analysis
// reads cells through GetValue; every editor writes them through SetValue.
//
// Row and column arguments are checked everywhere: an index outside the
// table reads as MissingValue (or as empty) and a store outside it is
// ignored, so a caller's bad index never touches memory it should not.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/column_info.h"
#include "data/number_text.h"

namespace vextal {

inline constexpr int TableRowCount = 1001;  // rows 0..1000; the user sees 0..999
inline constexpr int UserRowCount = 1000;
inline constexpr int DataColumnCount = 26;  // columns A..Z
inline constexpr int DifferenceColumnIndex = 26;
inline constexpr int DisplayPrecision = 12;
inline constexpr std::size_t MaxRowTitleLength = 10;
inline constexpr std::size_t MaxDocumentTitleLength = 255;

/// The columns an analysis works on, in order; Count -1 means no list, and
/// column arguments are used as they are.
struct AnalysisColumnList {
    std::array<int, DataColumnCount + 1> Columns{};
    int Count = -1;
};

struct DataTable {
    DataTable();

    std::vector<long double> Cells;              // TableRowCount x DataColumnCount, row-major
    std::vector<long double> DifferenceColumn;   // TableRowCount values, column index 26
    std::vector<unsigned char> ExcludedFlags;    // TableRowCount x DataColumnCount, 1 = excluded
    int Precision = DisplayPrecision;

    bool Modified = false;     // set by the first store of a value
    bool IsEmpty = true;       // no value stored since the table was cleared
    bool TrackExtents = true;  // stores keep LastRow and LastColumn
    std::array<bool, DataColumnCount> ColumnChanged{};
    int LastRow = 0;
    int LastColumn = 0;

    std::array<int, DataColumnCount> AutoDecimals{};
    std::array<int, DataColumnCount> ColumnFormat{};  // -1 automatic, else decimals
    std::array<bool, DataColumnCount> SummaryEntered{};
    std::array<vextal::ColumnInfo, DataColumnCount> ColumnInfo{};
    std::array<bool, DataColumnCount> ColumnSelected{};
    bool UseColumnSelection = false;
    std::vector<std::string> RowTitles;  // TableRowCount titles
    AnalysisColumnList AnalysisColumns;
    std::string DocumentTitle;
};

/// The row title a row shows when the user gave none: row + 1 in decimal.
std::string DefaultRowTitle(int row);

/// The value an analysis sees at (row, column): MissingValue for empty,
/// excluded and (with UseColumnSelection) deselected cells. With an active
/// AnalysisColumns list, `column` is an index into that list. Column 26 reads
/// the difference column.
long double GetValue(const DataTable& table, int row, int column);

/// Stores a value in column 0..25, keeping extents and flags, or into the
/// difference column (26), which only stores. Infinities and NaN are stored
/// as MissingValue: a cell either holds a number or is empty.
void SetValue(DataTable& table, int row, int column, long double value);

/// The stored cell of column 0..25 (26: the difference column) without
/// exclusion or column selection applied.
long double RawValue(const DataTable& table, int row, int column);

/// Sets or clears the exclusion flag of a cell; excluding an empty cell is
/// refused. A change marks the column changed.
void SetExcluded(DataTable& table, int row, int column, bool excluded);
bool IsExcluded(const DataTable& table, int row, int column);
void ClearExclusions(DataTable& table);
/// Excludes every cell that holds a value (and no empty cell).
void ExcludeAll(DataTable& table);

/// The highest column index an analysis loops to: LastColumn, or the list
/// count minus one when an AnalysisColumns list is active.
int ColumnCountForAnalysis(const DataTable& table);
/// The table column behind an analysis column index (-1 when the index is
/// outside an active list).
int MapColumn(const DataTable& table, int index);
/// Lists, in increasing order, the columns 0..LastColumn whose N is not 0
/// and that are selected.
void BuildAnalysisColumns(DataTable& table);
void ClearAnalysisColumns(DataTable& table);

/// True when any cell of the table holds a value.
bool HasData(const DataTable& table);
/// Sets LastRow and LastColumn from a scan of all cells.
void ComputeExtents(DataTable& table);
/// Lowers LastRow and LastColumn past empty rows and columns; sets IsEmpty
/// when both reach an empty row 0 and column 0.
void ShrinkExtents(DataTable& table);
/// Adjusts the extents after a store: a value raises them, a missing value
/// stored at LastRow lowers it past empty rows, one stored at LastColumn
/// lowers it past columns flagged SummaryEntered.
void UpdateExtentsAfterStore(DataTable& table, int row, int column, long double value);
bool RowIsEmpty(const DataTable& table, int row);
bool ColumnIsEmpty(const DataTable& table, int column);
/// The highest column whose N is at least 1 (0 when none).
int LastColumnWithData(const DataTable& table);
/// Averaged data: true when the column has N 0 or no mean, SD and SEM.
bool SummaryColumnIsEmpty(const DataTable& table, int column);

/// Empties every cell and exclusion flag, clears Modified, sets IsEmpty,
/// resets the extents and AutoDecimals.
void ClearAll(DataTable& table);
/// Empty titles, N 0, all statistics missing, every column selected.
void ResetColumnInfo(DataTable& table);

}  // namespace vextal
