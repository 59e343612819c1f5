// A rectangular selection of the data grid in data coordinates: rows 0..999
// (the rows the user works with) and columns 0..25 (A..Z). The grid converts
// its own coordinates (header and title rows, row-title column) before
// calling the core.
#pragma once

#include <algorithm>

#include "data/data_table.h"

namespace vextal {

inline constexpr int LastUserRow = UserRowCount - 1;          // 999
inline constexpr int LastDataColumn = DataColumnCount - 1;    // 25 (Z)

struct GridSelection {
    int Top = 0;
    int Left = 0;
    int Bottom = 0;
    int Right = 0;

    bool operator==(const GridSelection&) const = default;
};

/// The selection with its corners ordered and clipped to the user's part of
/// the table.
inline GridSelection Normalized(GridSelection s) {
    if (s.Top > s.Bottom) std::swap(s.Top, s.Bottom);
    if (s.Left > s.Right) std::swap(s.Left, s.Right);
    s.Top = std::clamp(s.Top, 0, LastUserRow);
    s.Bottom = std::clamp(s.Bottom, 0, LastUserRow);
    s.Left = std::clamp(s.Left, 0, LastDataColumn);
    s.Right = std::clamp(s.Right, 0, LastDataColumn);
    return s;
}

inline GridSelection WholeTableSelection() { return {0, 0, LastUserRow, LastDataColumn}; }
inline GridSelection WholeColumnsSelection(int left, int right) { return {0, left, LastUserRow, right}; }
inline GridSelection WholeRowsSelection(int top, int bottom) { return {top, 0, bottom, LastDataColumn}; }

/// Every row of every column.
inline bool IsAllSelected(const GridSelection& s) {
    const GridSelection n = Normalized(s);
    return n.Top == 0 && n.Bottom == LastUserRow && n.Left == 0 && n.Right == LastDataColumn;
}
/// Columns A..Z of some rows.
inline bool AreWholeRowsSelected(const GridSelection& s) {
    const GridSelection n = Normalized(s);
    return n.Left == 0 && n.Right == LastDataColumn;
}
/// Rows 0..999 of some columns.
inline bool AreWholeColumnsSelected(const GridSelection& s) {
    const GridSelection n = Normalized(s);
    return n.Top == 0 && n.Bottom == LastUserRow;
}

/// "A".."Z" for columns 0..25.
inline char GridColumnLetter(int column) {
    return static_cast<char>('A' + std::clamp(column, 0, LastDataColumn));
}

}  // namespace vextal
