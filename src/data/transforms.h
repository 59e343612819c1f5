// The Transform command of the data grid: each selected value Y is replaced
// by a function of itself (and of the constant K typed in the dialog).
//
// Method: two passes over the selection. The first computes every result and
// counts the impossible ones (outside the function's domain, a zero divisor,
// a floating-point fault, or a magnitude the grid cannot hold); when there
// are any, the caller must ask the user before the second pass stores the
// results and empties the cells whose result is impossible. Each result is
// computed in extended precision inside the fault guard.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "data/grid_selection.h"

namespace vextal {

/// Transform codes: the 1-based position of the entry in the dialog's list.
enum class Transform : int {
    Square = 1,
    Log10,
    Ln,
    TenToY,
    ExpY,
    Reciprocal,
    SquareRoot,
    Logit,
    Sine,
    Cosine,
    Tangent,
    ArcSine,
    Absolute,
    TimesK,
    PlusK,
    MinusK,
    DividedByK,
};

inline constexpr int TransformCount = 17;

/// The dialog's list, in order (entry i has code i + 1).
inline constexpr std::array<std::string_view, TransformCount> TransformEntries{
    "Y=Y squared", "Y=Log(Y)",  "Y=Ln(Y)",     "Y=10^Y",  "Y=exp(Y)",  "Y=1/Y",
    "Y=SQRT(Y)",   "Y=LOGIT(Y)", "Y=sin(Y)",   "Y=cos(Y)", "Y=tan(Y)", "Y=arcsin(Y)",
    "Y=abs(Y)",    "Y=K*Y",     "Y=Y+K",       "Y=Y-K",   "Y=Y/K"};

/// The entry the dialog opens with, and its K.
inline constexpr Transform DefaultTransform = Transform::TimesK;
inline constexpr long double DefaultTransformK = 1.0L;

inline constexpr std::string_view TransformHint =
    "Vextal will transform the selected cells. If nothing is selected, then Vextal will "
    "transform just the current cell. ";
inline constexpr std::string_view TransformUndoHint =
    "There is no undo. To get the earlier values back, read the data file from disk again "
    "or apply the inverse transformation.";
inline constexpr std::string_view TransformKCaption = "K = ";

/// What choosing an entry does to the K field.
struct KFieldRule {
    bool Enabled = false;
    long double Value = 0;  // the K the field is set to when enabled
};

/// LOGIT, K*Y and Y/K use K, preset to 1; Y+K and Y-K use it, preset to 0;
/// the other entries do not use K.
KFieldRule KRuleFor(Transform transform);

/// The result of a transform of y, or MissingValue when it is impossible:
/// y outside the function's domain (Log and Ln: y <= 0; 1/Y: y = 0; SQRT:
/// y < 0; LOGIT: y <= 0 or y >= K; tan: cos y = 0; arcsin: |y| > 1; Y/K:
/// K = 0), any floating-point fault, or a result whose magnitude is above
/// the largest value a cell holds (1.5E38). LOGIT is ln(y / (K - y)).
long double TransformValue(Transform transform, long double y, long double k);

/// "The transformation you have selected is mathematically impossible with "
/// count " of the values. These values will be erased. Continue?"
std::string ImpossibleValuesQuestion(int count);

/// How many values of the selection have no possible result (first pass;
/// nothing is stored). Only cells that hold a value count; excluded values
/// are transformed too.
int CountImpossibleResults(const DataTable& table, const GridSelection& selection,
                           Transform transform, long double k);

/// Stores a computed result as the transform and Combine commands do: a value
/// raises the column's AutoDecimals to the decimals it needs (counted on the
/// value written with at most 8 decimals, trailing zeros removed) and keeps
/// the cell's exclusion; MissingValue empties the cell, drops its exclusion
/// and lets an emptied column become a summary column again. True when the
/// table changed.
bool StoreComputedValue(DataTable& table, int row, int column, long double value);

struct TransformOutcome {
    int ImpossibleCount = 0;
    /// Set when the user must confirm erasing the impossible values (No
    /// preselected); call TransformSelection again with the answer.
    std::optional<std::string> Question;
    int CellsStored = 0;   // cells written by the second pass
    bool Changed = false;  // the table changed (the document is marked changed)
};

/// Transforms every cell of the selection that holds a value (empty cells
/// stay empty). Without an answer, a selection with impossible results
/// returns the question and changes nothing; an answer of No changes
/// nothing; Yes (or no impossible result) runs the second pass.
TransformOutcome TransformSelection(DataDocument& document, const GridSelection& selection,
                                    Transform transform, long double k,
                                    std::optional<Answer> answer = std::nullopt);

}  // namespace vextal
