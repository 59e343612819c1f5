#include "data/cell_entry.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "data/cell_format.h"

namespace vextal {
namespace {

constexpr std::size_t GridCellWidth = 14;
constexpr int MaxShownDecimals = 30;
constexpr int ScientificDigits = 7;  // significant digits of the exponent form

const NumberSettings PointSettings{};

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool ValidCell(int row, int column) {
    return row >= 0 && row <= LastUserRow && column >= 0 && column <= LastDataColumn;
}

bool UsesScientificForm(long double value) {
    const long double magnitude = std::fabs(value);
    return value != 0 && (magnitude > 10000000.0L || magnitude <= 0.0001L);
}

// Seven significant digits, rounded half away from zero, and an exponent of
// at least two digits. The 41 correctly rounded digits of to_chars decide
// the rounding exactly: an extended value that is not itself a tie differs
// from one within the first 21 digits.
std::string ScientificText(long double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::scientific, 40);
    const std::string_view text(buffer, static_cast<std::size_t>(result.ptr - buffer));
    const auto mark = text.find('e');
    std::string digits;
    for (char c : text.substr(0, mark))
        if (IsDigit(c)) digits += c;
    int exponent = 0;
    std::string_view exponentText = text.substr(mark + 1);
    if (!exponentText.empty() && exponentText.front() == '+') exponentText.remove_prefix(1);
    std::from_chars(exponentText.data(), exponentText.data() + exponentText.size(), exponent);

    std::string mantissa = digits.substr(0, ScientificDigits);
    if (digits[ScientificDigits] >= '5') {
        auto it = mantissa.rbegin();
        for (; it != mantissa.rend() && *it == '9'; ++it) *it = '0';
        if (it == mantissa.rend()) {
            mantissa.insert(mantissa.begin(), '1');
            mantissa.pop_back();
            ++exponent;
        } else {
            ++*it;
        }
    }
    std::string out = value < 0 ? "-" : "";
    out += mantissa[0];
    out += '.';
    out.append(mantissa, 1, std::string::npos);
    out += exponent < 0 ? "E-" : "E+";
    const std::string magnitude = std::to_string(exponent < 0 ? -exponent : exponent);
    if (magnitude.size() < 2) out += '0';
    return out + magnitude;
}

bool ShowsZero(std::string_view text) {
    return std::none_of(text.begin(), text.end(), [](char c) { return c >= '1' && c <= '9'; });
}

// Marks the document's data changed: results stale, document modified.
void DataChanged(DataDocument& document) { MarkChanged(document.State); }

}  // namespace

std::string GridColumnHeader(DataFormat format, int column) {
    column = std::clamp(column, 0, LastDataColumn);
    std::string header;
    switch (format) {
    case DataFormat::XYData:
        if (column == 0) return "X";
        header = "Y";
        header.append(std::to_string(column));
        return header;
    case DataFormat::MultRegData:
        header = "Variable ";
        break;
    case DataFormat::LargerTable:
        header = "Outcome ";
        break;
    default:
        header = "Group ";
        break;
    }
    header.push_back(GridColumnLetter(column));
    return header;
}

std::string FormatGridCell(long double value, int decimals) {
    if (IsMissing(value) || !std::isfinite(value)) return "";
    if (UsesScientificForm(value)) return ScientificText(value);
    std::string text = FormatFixed(value, std::clamp(decimals, 0, MaxShownDecimals));
    if (text.size() > GridCellWidth) text.resize(GridCellWidth);
    if (text.front() == '-' && ShowsZero(text)) text.erase(0, 1);
    return text;
}

int ColumnDecimals(const DataTable& table, int column) {
    if (column < 0 || column > LastDataColumn) return 0;
    return table.ColumnFormat[column] >= 0 ? table.ColumnFormat[column] : table.AutoDecimals[column];
}

std::string GridCellText(const DataTable& table, int row, int column) {
    return FormatGridCell(RawValue(table, row, column), ColumnDecimals(table, column));
}

bool IsCellKey(char key) {
    return key == ',' || key == '-' || key == '.' || IsDigit(key) || key == 'E' || key == 'e';
}

bool EditorTakesMoreText(std::size_t textLength, bool textSelected) {
    return textSelected || textLength < MaxCellTextLength;
}

std::string WithPointSeparator(std::string_view text, const NumberSettings& settings) {
    std::string shown(text);
    if (settings.DecimalSeparator != '.' && settings.DecimalSeparator != '\0')
        std::replace(shown.begin(), shown.end(), settings.DecimalSeparator, '.');
    return shown;
}

long double CellTextToValue(std::string_view text) {
    text = text.substr(0, std::min(text.size(), MaxCellTextLength));
    std::string clean;
    bool havePoint = false;
    bool haveExponent = false;
    bool haveMinus = false;
    bool haveExponentMinus = false;
    for (char c : text) {
        if (c == ' ' || c == '+') continue;
        if (c == ',' || c == '.') {
            if (!havePoint) clean += '.';
            havePoint = true;
        } else if (c == 'E' || c == 'e') {
            if (!haveExponent) clean += 'E';
            haveExponent = true;
        } else if (c == '-') {
            // Only the first minus stays, except that a minus right after the
            // exponent mark is kept as the exponent's sign even behind the
            // value's own: "-1E-5" stays -0.00001.
            const bool exponentSign = !haveExponentMinus && !clean.empty() && clean.back() == 'E';
            if (exponentSign || !haveMinus) clean += '-';
            haveExponentMinus = haveExponentMinus || exponentSign;
            haveMinus = true;
        } else {
            clean += c;
        }
    }
    while (!clean.empty() && (clean.back() == '-' || clean.back() == '.' || clean.back() == 'E'))
        clean.pop_back();
    if (clean.empty()) return MissingValue;
    long double value = 0;
    if (!ParseNumber(clean, PointSettings, value)) return MissingValue;
    if (!std::isfinite(value) || value < -LargestCellMagnitude || value > LargestCellMagnitude)
        return MissingValue;
    return value;
}

bool MarkColumnIfEmptied(DataTable& table, int column) {
    if (column < 0 || column > LastDataColumn) return false;
    if (table.SummaryEntered[column] || !ColumnIsEmpty(table, column)) return false;
    table.SummaryEntered[column] = true;
    ColumnInfo& info = table.ColumnInfo[column];
    info.N = -1;
    info.Mean = info.SD = info.SEM = MissingValue;
    return true;
}

bool StoreCell(DataTable& table, int row, int column, long double value) {
    if (row < 0 || row >= TableRowCount || column < 0 || column > LastDataColumn) return false;
    if (!std::isfinite(value)) value = MissingValue;
    if (IsMissing(value)) {
        if (IsMissing(RawValue(table, row, column))) return false;
        SetValue(table, row, column, value);
        MarkColumnIfEmptied(table, column);
        UpdateExtentsAfterStore(table, row, column, value);
        return true;
    }
    SetValue(table, row, column, value);
    table.SummaryEntered[column] = false;
    return true;
}

Repaint UpdateColumnDecimals(DataTable& table, int column, long double value) {
    if (column < 0 || column > LastDataColumn) return Repaint::None;
    if (IsMissing(value) || !std::isfinite(value) || UsesScientificForm(value)) return Repaint::Cell;

    // The shortest text that reads back as the value: no binary noise and no
    // trailing zeros.
    const std::string text = FormatExact(value);
    const int decimals = CountDecimals(text, PointSettings);
    const int digits = std::min(CountIntegerDigits(text), MaxCountedCellDigits);

    int& format = table.ColumnFormat[column];
    if (format < 0) {
        const bool raised =
            decimals > table.AutoDecimals[column] && decimals + digits <= MaxCountedCellDigits;
        if (!raised) return Repaint::Cell;
        table.AutoDecimals[column] = decimals;
        return Repaint::Column;
    }
    if (decimals == format) return Repaint::Cell;
    if (format + digits > MaxCountedCellDigits)
        format = std::max(0, MaxCountedCellDigits - digits);
    // The column shows other decimals than the value has.
    return Repaint::Column;
}

std::string EraseMeanDataQuestion(std::string_view columnHeader) {
    return "Column " + std::string(columnHeader) +
           " contains data entered as mean and error. You cannot"
           " enter raw data without erasing the mean data. Erase mean data?";
}

CellCommitResult CommitCell(DataDocument& document, int row, int column, std::string_view text,
                            const NumberSettings& settings, std::optional<Answer> answer) {
    CellCommitResult result;
    result.ShownText = WithPointSeparator(text, settings);
    if (!ValidCell(row, column)) return result;
    DataTable& table = document.Table;
    const long double value = CellTextToValue(result.ShownText);

    if (!IsMissing(value) && table.SummaryEntered[column]) {
        if (SummaryColumnIsEmpty(table, column)) {
            table.SummaryEntered[column] = false;
        } else if (!answer) {
            result.Question = YesNoQuestion{
                EraseMeanDataQuestion(GridColumnHeader(document.State.Format, column)),
                QuestionEffect::EraseMeanData, QuestionEffect::EmptyCell};
            result.CellText = GridCellText(table, row, column);
            return result;
        } else if (*answer == Answer::No) {
            result.CellText = "";
            result.Redraw = Repaint::Cell;
            return result;
        } else {
            ColumnInfo& info = table.ColumnInfo[column];
            info.Mean = info.SD = info.SEM = MissingValue;
            table.SummaryEntered[column] = false;
            result.Redraw = Repaint::Grid;
        }
    }

    if (!IsMissing(value)) result.Redraw = Wider(result.Redraw, UpdateColumnDecimals(table, column, value));
    else result.Redraw = Wider(result.Redraw, Repaint::Cell);
    result.Stored = StoreCell(table, row, column, value);
    if (result.Stored || result.Redraw == Repaint::Grid) DataChanged(document);
    result.CellText = GridCellText(table, row, column);
    return result;
}

// ----------------------------------------------------------------- titles

std::string TruncateCharacters(std::string_view text, std::size_t count) {
    // A character is a lead byte and at most three continuation bytes; a
    // stray continuation byte beyond those counts as a character of its own,
    // so text that is no UTF-8 still keeps at most 4 * count bytes.
    std::size_t characters = 0;
    int continuations = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80 && characters > 0 && continuations < 3) {
            ++continuations;
            continue;
        }
        if (characters == count) return std::string(text.substr(0, i));
        ++characters;
        continuations = 0;
    }
    return std::string(text);
}

bool LooksLikeNumber(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsCellKey) &&
           std::any_of(text.begin(), text.end(), IsDigit);
}

void SetColumnTitle(DataDocument& document, int column, std::string_view text) {
    if (column < 0 || column > LastDataColumn) return;
    std::string title = TruncateCharacters(text, MaxColumnTitleLength);
    std::string& stored = document.Table.ColumnInfo[column].Title;
    if (stored == title) return;
    stored = std::move(title);
    DataChanged(document);
}

void SetRowTitle(DataDocument& document, int row, std::string_view text) {
    if (row < 0 || row > LastUserRow) return;
    std::string title = TruncateCharacters(text, MaxRowTitleLength);
    std::string& stored = document.Table.RowTitles[static_cast<std::size_t>(row)];
    if (stored == title) return;
    stored = std::move(title);
    DataChanged(document);
}

ColumnTitleResult LeaveColumnTitle(DataDocument& document, int column, std::string_view text,
                                   NumericTitleQuestionState& state, std::optional<Answer> answer) {
    ColumnTitleResult result;
    if (state.Enabled && LooksLikeNumber(text)) {
        if (!answer) {
            result.Question = YesNoQuestion{std::string(NumericTitleQuestionText),
                                            QuestionEffect::MoveNumberToCell,
                                            QuestionEffect::KeepTitleStopAsking};
            return result;
        }
        if (*answer == Answer::Yes) {
            SetColumnTitle(document, column, "");
            result.NumberForCell = std::string(text);
            return result;
        }
        state.Enabled = false;
    }
    SetColumnTitle(document, column, text);
    return result;
}

}  // namespace vextal
