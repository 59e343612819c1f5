#include "data/number_format_rules.h"

#include <algorithm>
#include <cmath>

#include "data/cell_format.h"

namespace vextal {
namespace {

constexpr int RecountDecimals = 14;

bool ValidColumn(int column) { return column >= 0 && column <= LastDataColumn; }

bool UsesScientificForm(long double value) {
    const long double magnitude = std::fabs(value);
    return value != 0 && (magnitude > 10000000.0L || magnitude <= 0.0001L);
}

int DecimalsOf(std::string text) {
    const auto point = text.find('.');
    if (point == std::string::npos) return 0;
    while (text.back() == '0') text.pop_back();
    return static_cast<int>(text.size() - point - 1);
}

// True when rows below the selection's bottom hold no value in the column.
bool ReachesLastValue(const DataTable& table, int column, int bottom) {
    for (int row = LastUserRow; row > bottom; --row)
        if (!IsMissing(RawValue(table, row, column))) return false;
    return true;
}

std::string RangeLabel(int first, int last) {
    return std::string("For columns ") + GridColumnLetter(first) + "-" + GridColumnLetter(last) + ":";
}

}  // namespace

NumberFormatDialogState PrepareNumberFormat(const DataTable& table, const GridSelection& selection,
                                            int currentColumn) {
    const GridSelection s = Normalized(selection);
    NumberFormatDialogState state;
    bool several = false;
    if (IsAllSelected(s)) {
        several = true;
    } else if (s.Right > s.Left) {
        several = AreWholeColumnsSelected(s);
        if (!several && s.Top == 0) {
            several = true;
            for (int column = s.Left; column <= s.Right && several; ++column)
                several = ReachesLastValue(table, column, s.Bottom);
        }
    }
    if (several) {
        state.FirstColumn = s.Left;
        state.LastColumn = s.Right;
        state.Label = RangeLabel(s.Left, s.Right);
    } else {
        const int column = std::clamp(currentColumn, 0, LastDataColumn);
        state.FirstColumn = state.LastColumn = column;
        state.Label = std::string("For column ") + GridColumnLetter(column) + ":";
    }

    const int format = table.ColumnFormat[state.FirstColumn];
    bool shared = format != AutomaticFormat;
    for (int column = state.FirstColumn + 1; column <= state.LastColumn && shared; ++column)
        shared = table.ColumnFormat[column] == format;
    state.Fixed = shared && format >= 0 && format <= MaxFixedDecimals;
    const int shown = format >= 0 ? format : table.AutoDecimals[state.FirstColumn];
    state.Decimals = std::clamp(state.Fixed ? format : shown, 0, MaxFixedDecimals);
    return state;
}

int RecountAutoDecimals(const DataTable& table, int column) {
    if (!ValidColumn(column)) return 0;
    int decimals = 0;
    for (int row = 0; row < TableRowCount; ++row) {
        const long double value = RawValue(table, row, column);
        if (IsMissing(value) || UsesScientificForm(value)) continue;
        // The shortest text that reads back as the value bounds the count, so
        // that 1234567.1 counts 1 and not the 14 its binary neighbour shows.
        const int counted = std::min(DecimalsOf(FormatFixed(value, RecountDecimals)),
                                     DecimalsOf(FormatExact(value)));
        decimals = std::max(decimals, counted);
    }
    return decimals;
}

std::vector<int> ApplyNumberFormat(DataDocument& document, int firstColumn, int lastColumn,
                                   int setting) {
    std::vector<int> redraw;
    if (setting < AutomaticFormat || setting > MaxFixedDecimals) return redraw;
    if (firstColumn > lastColumn) std::swap(firstColumn, lastColumn);
    firstColumn = std::clamp(firstColumn, 0, LastDataColumn);
    lastColumn = std::clamp(lastColumn, 0, LastDataColumn);
    DataTable& table = document.Table;
    for (int column = firstColumn; column <= lastColumn; ++column) {
        if (table.ColumnFormat[column] == setting) continue;
        table.ColumnFormat[column] = setting;
        if (setting == AutomaticFormat) table.AutoDecimals[column] = RecountAutoDecimals(table, column);
        redraw.push_back(column);
    }
    if (!redraw.empty()) document.State.DocumentModified = true;
    return redraw;
}

}  // namespace vextal
