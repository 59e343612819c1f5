// Transform arithmetic. Every result is computed in extended precision by
// the C library's long double routines (log10l, logl, powl, expl, sqrtl,
// sinl, cosl, asinl), which are accurate to about one unit in the last of
// the 64 mantissa bits; domain limits are checked before the call and any
// floating-point fault met on the way makes the result impossible.
#include "data/transforms.h"

#include <cmath>

#include "data/cell_format.h"
#include "stats/fault_guard.h"

namespace vextal {
namespace {

// Decimals the stored value is counted with.
constexpr int CountedResultDecimals = 8;

bool InDomain(Transform transform, long double y, long double k) {
    switch (transform) {
    case Transform::Log10:
    case Transform::Ln:
        return y > 0;
    case Transform::Reciprocal:
        return y != 0;
    case Transform::SquareRoot:
        return y >= 0;
    case Transform::Logit:
        // Y / (K - Y) is positive only for 0 < Y < K.
        return y > 0 && y < k;
    case Transform::ArcSine:
        return y >= -1 && y <= 1;
    case Transform::DividedByK:
        return k != 0;
    default:
        return true;
    }
}

long double Compute(Transform transform, long double y, long double k) {
    switch (transform) {
    case Transform::Square: return y * y;
    case Transform::Log10: return std::log10(y);
    case Transform::Ln: return std::log(y);
    case Transform::TenToY: return std::pow(10.0L, y);
    case Transform::ExpY: return std::exp(y);
    case Transform::Reciprocal: return 1.0L / y;
    case Transform::SquareRoot: return std::sqrt(y);
    case Transform::Logit: return std::log(y / (k - y));
    case Transform::Sine: return std::sin(y);
    case Transform::Cosine: return std::cos(y);
    case Transform::Tangent: {
        const long double cosine = std::cos(y);
        if (cosine == 0) throw CalcFault{CalcDivideByZero};
        return std::sin(y) / cosine;
    }
    case Transform::ArcSine: return std::asin(y);
    case Transform::Absolute: return std::fabs(y);
    case Transform::TimesK: return k * y;
    case Transform::PlusK: return y + k;
    case Transform::MinusK: return y - k;
    case Transform::DividedByK: return y / k;
    }
    return MissingValue;
}

// The text the decimals of a stored result are counted on.
std::string CountedText(long double value) {
    std::string text = FormatFixed(value, CountedResultDecimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    return text;
}

template <typename Visit>
void ForEachValue(const DataTable& table, const GridSelection& selection, Visit visit) {
    const GridSelection s = Normalized(selection);
    for (int row = s.Top; row <= s.Bottom; ++row)
        for (int column = s.Left; column <= s.Right; ++column) {
            const long double y = RawValue(table, row, column);
            if (!IsMissing(y)) visit(row, column, y);
        }
}

}  // namespace

KFieldRule KRuleFor(Transform transform) {
    switch (transform) {
    case Transform::Logit:
    case Transform::TimesK:
    case Transform::DividedByK:
        return {true, 1.0L};
    case Transform::PlusK:
    case Transform::MinusK:
        return {true, 0.0L};
    default:
        return {false, 0.0L};
    }
}

long double TransformValue(Transform transform, long double y, long double k) {
    if (IsMissing(y) || !std::isfinite(y) || !std::isfinite(k)) return MissingValue;
    if (!InDomain(transform, y, k)) return MissingValue;
    long double result = MissingValue;
    const int fault = RunGuarded([&] { result = Compute(transform, y, k); });
    // A result beyond what a cell holds could not be typed back, and one
    // equal to the empty-cell marker would vanish without being counted.
    if (fault != 0 || !std::isfinite(result) || std::fabs(result) > LargestCellMagnitude)
        return MissingValue;
    return result;
}

std::string ImpossibleValuesQuestion(int count) {
    return "The transformation you have selected is mathematically impossible with " +
           std::to_string(count) + " of the values. " +
           "These values will be erased. Continue?";
}

int CountImpossibleResults(const DataTable& table, const GridSelection& selection,
                           Transform transform, long double k) {
    int count = 0;
    ForEachValue(table, selection, [&](int, int, long double y) {
        if (IsMissing(TransformValue(transform, y, k))) ++count;
    });
    return count;
}

bool StoreComputedValue(DataTable& table, int row, int column, long double value) {
    if (row < 0 || row > LastUserRow || column < 0 || column > LastDataColumn) return false;
    if (!std::isfinite(value)) value = MissingValue;
    bool changed = false;
    if (!IsMissing(value)) changed = RaiseAutoDecimals(table, column, CountedText(value), NumberSettings{});
    return StoreCell(table, row, column, value) || changed;
}

TransformOutcome TransformSelection(DataDocument& document, const GridSelection& selection,
                                    Transform transform, long double k,
                                    std::optional<Answer> answer) {
    TransformOutcome outcome;
    DataTable& table = document.Table;
    outcome.ImpossibleCount = CountImpossibleResults(table, selection, transform, k);
    if (outcome.ImpossibleCount > 0) {
        if (!answer) {
            outcome.Question = ImpossibleValuesQuestion(outcome.ImpossibleCount);
            return outcome;
        }
        if (*answer != Answer::Yes) return outcome;
    }
    ForEachValue(table, selection, [&](int row, int column, long double y) {
        const long double result = TransformValue(transform, y, k);
        if (StoreComputedValue(table, row, column, result)) outcome.Changed = true;
        ++outcome.CellsStored;
    });
    if (outcome.Changed) MarkChanged(document.State);
    return outcome;
}

}  // namespace vextal
