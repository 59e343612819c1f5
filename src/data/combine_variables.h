// The Combine Variables command of the data grid: one empty column is filled
// with the row-wise sum, difference, product or quotient of two columns.
//
// Rows where either source cell is empty, where a quotient would divide by
// 0, or where the result is impossible (a floating-point fault or a
// magnitude a cell cannot hold) keep what the target held. Results are stored
// like transform results (StoreComputedValue).
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_document.h"

namespace vextal {

enum class CombineOperation { Plus, Minus, Times, DividedBy };

inline constexpr int CombineOperationCount = 4;
/// The operation captions, in CombineOperation order.
inline constexpr std::array<std::string_view, CombineOperationCount> CombineOperationCaptions{
    "&Plus", "&Minus", "Times", "&Divided by"};
inline constexpr CombineOperation DefaultCombineOperation = CombineOperation::Minus;

inline constexpr std::string_view CombineCaption = "Combine Variables";
inline constexpr std::string_view CombineNoDataMessage = "You must enter data first.";
inline constexpr std::string_view CombineNoEmptyColumnMessage =
    "There must be an empty column in order to combine columns.";

/// "+", "-", "*" or "/".
char OperatorCharacter(CombineOperation operation);

/// A column free to receive the combination: no raw value, and no mean,
/// SD or SEM typed on the summary screen (those would be lost).
bool ColumnFreeForCombine(const DataTable& table, int column);

/// Where Combine Variables writes, or the message it shows instead.
struct CombineTarget {
    int Column = -1;       // 0..25 when the dialog may open
    std::string Message;   // set when it may not
};

/// No value in the document: "You must enter data first."; otherwise the
/// current column (0..25) when it is free, else the first free column from
/// A; none free: "There must be an empty column in order to combine columns.".
CombineTarget ChooseCombineTarget(const DataDocument& document, int currentColumn);

/// "Create a new variable for column " + the target's letter.
std::string CombinePrompt(int targetColumn);

/// The columns that hold raw values, in order from A (both source lists).
std::vector<int> CombineSourceColumns(const DataTable& table);

/// A source list entry: "A: Weight", or "B: Column B" for an untitled column.
std::string CombineColumnEntry(const DataTable& table, int column);

/// The new column's title, e.g. "A-B".
std::string CombinedTitle(int first, CombineOperation operation, int second);

struct CombineOutcome {
    int RowsStored = 0;
    int RowsSkipped = 0;  // rows with both values but no possible result
};

/// Fills `target` row by row (rows 0..LastRow) with first <op> second where
/// both cells hold a value (exclusion is ignored), titles it and marks the
/// document changed. Columns outside 0..25 do nothing.
CombineOutcome CombineVariables(DataDocument& document, int first, CombineOperation operation,
                                int second, int target);

}  // namespace vextal
