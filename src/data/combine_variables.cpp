#include "data/combine_variables.h"

#include <algorithm>
#include <cmath>

#include "data/cell_entry.h"
#include "data/grid_selection.h"
#include "data/transforms.h"
#include "stats/fault_guard.h"

namespace vextal {
namespace {

bool ValidColumn(int column) { return column >= 0 && column <= LastDataColumn; }

// first <op> second, or MissingValue when there is no possible result.
long double Combine(long double first, CombineOperation operation, long double second) {
    if (operation == CombineOperation::DividedBy && second == 0) return MissingValue;
    long double result = MissingValue;
    const int fault = RunGuarded([&] {
        switch (operation) {
        case CombineOperation::Plus: result = first + second; break;
        case CombineOperation::Minus: result = first - second; break;
        case CombineOperation::Times: result = first * second; break;
        case CombineOperation::DividedBy: result = first / second; break;
        }
    });
    if (fault != 0 || !std::isfinite(result) || std::fabs(result) > LargestCellMagnitude)
        return MissingValue;
    return result;
}

}  // namespace

char OperatorCharacter(CombineOperation operation) {
    switch (operation) {
    case CombineOperation::Plus: return '+';
    case CombineOperation::Minus: return '-';
    case CombineOperation::Times: return '*';
    case CombineOperation::DividedBy: return '/';
    }
    return '-';
}

bool ColumnFreeForCombine(const DataTable& table, int column) {
    if (!ValidColumn(column) || !ColumnIsEmpty(table, column)) return false;
    return !table.SummaryEntered[column] || SummaryColumnIsEmpty(table, column);
}

CombineTarget ChooseCombineTarget(const DataDocument& document, int currentColumn) {
    CombineTarget target;
    const DataTable& table = document.Table;
    if (!HasData(table)) {
        target.Message = CombineNoDataMessage;
        return target;
    }
    if (ColumnFreeForCombine(table, currentColumn)) {
        target.Column = currentColumn;
        return target;
    }
    for (int column = 0; column <= LastDataColumn; ++column)
        if (ColumnFreeForCombine(table, column)) {
            target.Column = column;
            return target;
        }
    target.Message = CombineNoEmptyColumnMessage;
    return target;
}

std::string CombinePrompt(int targetColumn) {
    return std::string("Create a new variable for column ") + GridColumnLetter(targetColumn);
}

std::vector<int> CombineSourceColumns(const DataTable& table) {
    std::vector<int> columns;
    for (int column = 0; column <= LastDataColumn; ++column)
        if (!ColumnIsEmpty(table, column)) columns.push_back(column);
    return columns;
}

std::string CombineColumnEntry(const DataTable& table, int column) {
    if (!ValidColumn(column)) return {};
    const char letter = GridColumnLetter(column);
    const std::string& title = table.ColumnInfo[static_cast<std::size_t>(column)].Title;
    std::string entry(1, letter);
    entry += ": ";
    if (title.empty()) return entry + "Column " + letter;
    return entry + title;
}

std::string CombinedTitle(int first, CombineOperation operation, int second) {
    return {GridColumnLetter(first), OperatorCharacter(operation), GridColumnLetter(second)};
}

CombineOutcome CombineVariables(DataDocument& document, int first, CombineOperation operation,
                                int second, int target) {
    CombineOutcome outcome;
    if (!ValidColumn(first) || !ValidColumn(second) || !ValidColumn(target)) return outcome;
    DataTable& table = document.Table;
    const int lastRow = std::min(table.LastRow, LastUserRow);
    for (int row = 0; row <= lastRow; ++row) {
        const long double a = RawValue(table, row, first);
        const long double b = RawValue(table, row, second);
        if (IsMissing(a) || IsMissing(b)) continue;
        const long double result = Combine(a, operation, b);
        if (IsMissing(result)) {
            ++outcome.RowsSkipped;
            continue;
        }
        StoreComputedValue(table, row, target, result);
        ++outcome.RowsStored;
    }
    SetColumnTitle(document, target, CombinedTitle(first, operation, second));
    MarkChanged(document.State);
    return outcome;
}

}  // namespace vextal
