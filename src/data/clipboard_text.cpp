#include "data/clipboard_text.h"

#include <algorithm>
#include <cmath>

#include "data/cell_format.h"
#include "data/grid_edit.h"
#include "data/summary_entry.h"

namespace vextal {
namespace {

const NumberSettings PointSettings{};

constexpr int PastedDecimals = 12;
constexpr std::size_t PastedWidth = 14;

// Text that grows piece by piece until the clipboard limit: once a piece
// does not fit, nothing more is appended.
class LimitedText {
public:
    void Append(std::string_view piece) {
        if (m_full) return;
        if (m_text.size() + piece.size() + 2 < ClipboardLimit) {
            m_text.append(piece);
        } else {
            m_full = true;
        }
    }
    // Rows are separated by CR LF, with none after the last.
    void StartLine() {
        if (!m_firstLine) Append("\r\n");
        m_firstLine = false;
    }
    ClipboardText Take() { return {std::move(m_text), m_full}; }

private:
    std::string m_text;
    bool m_full = false;
    bool m_firstLine = true;
};

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool ValidDataCell(int row, int column) {
    return row >= 0 && row <= LastUserRow && column >= 0 && column <= LastDataColumn;
}

// The lowest row holding a value in any of the columns, or -1.
int LastValueRow(const DataTable& table, int left, int right) {
    int last = -1;
    const int bottom = std::min(table.LastRow, LastUserRow);
    for (int column = left; column <= right; ++column) {
        for (int row = bottom; row > last; --row) {
            if (!IsMissing(RawValue(table, row, column))) {
                last = row;
                break;
            }
        }
    }
    return last;
}

std::string ClipboardCellText(const DataTable& table, int row, int column, const NumberSettings& settings) {
    std::string text(TrimBlanks(GridCellText(table, row, column)));
    if (settings.DecimalSeparator != '.' && settings.DecimalSeparator != '\0')
        std::replace(text.begin(), text.end(), '.', settings.DecimalSeparator);
    return text;
}

// Splits pasted text into fields. `isSeparator` says which characters end
// a field; LF ends the line, CR is ignored, NUL ends the text, and the
// decimal separator reads as ".". `store(line, field, text)` returns false
// to stop. A last line without a line end is delivered too.
template <typename IsSeparator, typename Store>
void ScanPastedText(std::string_view text, const NumberSettings& settings, IsSeparator isSeparator,
                    Store store) {
    const char decimal = settings.DecimalSeparator;
    int line = 0;
    int field = 0;
    std::string current;
    bool lineStarted = false;
    for (char c : text) {
        if (c == '\0') break;
        if (c == decimal && decimal != '\0') c = '.';
        if (c == '\r') continue;
        if (c == '\n') {
            if (!store(line, field, current)) return;
            ++line;
            field = 0;
            current.clear();
            lineStarted = false;
        } else if (isSeparator(c)) {
            if (!store(line, field, current)) return;
            ++field;
            current.clear();
            lineStarted = true;
        } else {
            current += c;
            lineStarted = true;
        }
    }
    if (lineStarted) store(line, field, current);
}

bool IsGridSeparator(char c) { return c == '\t' || c == ',' || c == ';'; }
bool IsSummarySeparator(char c) { return c == '\t' || c == ','; }

bool ColumnTitleChanged(DataDocument& document, int column, std::string_view text) {
    const std::string before = document.Table.ColumnInfo[column].Title;
    SetColumnTitle(document, column, text);
    return document.Table.ColumnInfo[column].Title != before;
}

bool RowTitleChanged(DataDocument& document, int row, std::string_view text) {
    const std::string before = document.Table.RowTitles[static_cast<std::size_t>(row)];
    SetRowTitle(document, row, text);
    return document.Table.RowTitles[static_cast<std::size_t>(row)] != before;
}

// A typed mean, SD or SEM, or N, stored as the summary grid stores typed
// entries: the error typed replaces the derived one.
bool StoreSummaryValue(DataDocument& document, int gridRow, int column, long double value) {
    ColumnInfo& info = document.Table.ColumnInfo[column];
    const bool sdShown = document.State.ErrorBars == ErrorBarKind::SD;
    long double& shownError = sdShown ? info.SD : info.SEM;
    long double& derivedError = sdShown ? info.SEM : info.SD;
    switch (gridRow) {
    case SummaryMeanRow:
        info.Mean = value;
        break;
    case SummaryErrorRow:
        shownError = value;
        derivedError = MissingValue;
        break;
    case SummaryNRow: {
        const int n = SummaryNFromValue(value);
        if (n < 0) return false;
        info.N = n;
        if (!IsMissing(shownError)) derivedError = MissingValue;
        break;
    }
    default:
        return false;
    }
    MarkChanged(document.State);
    return true;
}

}  // namespace

CopyTitleQuestion CopyTitleQuestionFor(const GridSelection& selection) {
    if (IsAllSelected(selection)) return CopyTitleQuestion::Dialog;
    if (AreWholeColumnsSelected(selection)) return CopyTitleQuestion::ColumnTitles;
    if (AreWholeRowsSelected(selection)) return CopyTitleQuestion::RowTitles;
    return CopyTitleQuestion::None;
}

ClipboardText BuildClipboardText(const DataTable& table, const GridSelection& selection,
                                 bool withColumnTitles, bool withRowTitles,
                                 const NumberSettings& settings) {
    const GridSelection block = Normalized(selection);
    const int lastRow = LastValueRow(table, block.Left, block.Right);
    if (lastRow < 0) return {};

    LimitedText out;
    if (withColumnTitles) {
        out.StartLine();
        if (withRowTitles) out.Append("\t");
        for (int column = block.Left; column <= block.Right; ++column) {
            if (column > block.Left) out.Append("\t");
            out.Append(table.ColumnInfo[column].Title);
        }
    }
    for (int row = block.Top; row <= std::min(block.Bottom, lastRow); ++row) {
        out.StartLine();
        if (withRowTitles) {
            out.Append(table.RowTitles[static_cast<std::size_t>(row)]);
            out.Append("\t");
        }
        for (int column = block.Left; column <= block.Right; ++column) {
            if (column > block.Left) out.Append("\t");
            out.Append(ClipboardCellText(table, row, column, settings));
        }
    }
    return out.Take();
}

CutResult CutSelection(DataDocument& document, const GridSelection& selection, bool withColumnTitles,
                       bool withRowTitles, const NumberSettings& settings) {
    CutResult result;
    result.Copied = BuildClipboardText(document.Table, selection, withColumnTitles, withRowTitles, settings);
    result.Changed = ClearCells(document, selection);
    return result;
}

long double ValueThroughText(long double value, int decimals, std::size_t width) {
    if (IsMissing(value) || !std::isfinite(value)) return value;
    std::string text = FormatFixed(value, decimals);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0') text.pop_back();
        if (text.back() == '.') text.pop_back();
    }
    const std::size_t integerLength = std::min(text.find('.'), text.size());
    if (integerLength > width) return value;  // the cut would change the magnitude
    if (text.size() > width) text.resize(width);
    long double result = value;
    if (!ParseNumber(text, PointSettings, result)) return value;
    return result == 0 ? 0.0L : result;  // no negative zero
}

long double PastedFieldValue(std::string_view text, const NumberSettings& settings) {
    text = TrimBlanks(text);
    if (text.empty() || text.find('#') != std::string_view::npos) return MissingValue;
    long double value = 0;
    if (!ParseNumber(text, settings, value)) return MissingValue;
    if (!std::isfinite(value) || std::fabs(value) > LargestCellMagnitude) return MissingValue;
    return ValueThroughText(value, PastedDecimals, PastedWidth);
}

bool PasteValue(DataDocument& document, std::string_view text, int row, int column,
                const NumberSettings& settings) {
    if (!ValidDataCell(row, column)) return false;
    DataTable& table = document.Table;
    const long double value = PastedFieldValue(text, settings);
    if (!IsMissing(value)) UpdateColumnDecimals(table, column, value);
    bool changed = StoreCell(table, row, column, value);
    if (!IsMissing(value) && IsExcluded(table, row, column)) {
        SetExcluded(table, row, column, false);
        changed = true;
    }
    if (changed) MarkChanged(document.State);
    return changed;
}

PasteResult PasteAtCursor(DataDocument& document, std::string_view text, int cursorRow, int cursorColumn,
                          const GridSelection& selection, bool transposed, const NumberSettings& settings,
                          std::optional<Answer> answer) {
    PasteResult result;
    if (!ValidDataCell(cursorRow, cursorColumn) || text.empty()) return result;
    DataTable& table = document.Table;

    if (table.SummaryEntered[cursorColumn] && !SummaryColumnIsEmpty(table, cursorColumn)) {
        if (!answer) {
            // No leaves the table as it is: the paste is cancelled.
            result.Question = YesNoQuestion{
                EraseMeanDataQuestion(GridColumnHeader(document.State.Format, cursorColumn)),
                QuestionEffect::EraseMeanData, QuestionEffect::EmptyCell};
            return result;
        }
        if (*answer == Answer::No) return result;
        ColumnInfo& info = table.ColumnInfo[cursorColumn];
        info.Mean = info.SD = info.SEM = MissingValue;
        table.SummaryEntered[cursorColumn] = false;
        table.ColumnChanged[cursorColumn] = true;
        MarkChanged(document.State);
        result.Changed = true;
    }

    const bool all = IsAllSelected(selection);
    const int startRow = all || AreWholeColumnsSelected(selection) ? TitleRow : cursorRow;
    const int startColumn = all || AreWholeRowsSelected(selection) ? RowTitleColumn : cursorColumn;

    ScanPastedText(text, settings, IsGridSeparator, [&](int line, int field, const std::string& fieldText) {
        const int row = startRow + (transposed ? field : line);
        const int column = startColumn + (transposed ? line : field);
        if (row > LastUserRow) return false;
        if (column > LastDataColumn) return !transposed;
        bool changed = false;
        if (row == TitleRow && column == RowTitleColumn) return true;  // the corner cell
        if (row == TitleRow)
            changed = ColumnTitleChanged(document, column, fieldText);
        else if (column == RowTitleColumn)
            changed = RowTitleChanged(document, row, fieldText);
        else
            changed = PasteValue(document, fieldText, row, column, settings);
        result.Changed = result.Changed || changed;
        return true;
    });
    return result;
}

bool PasteTitles(DataDocument& document, std::string_view text, int column) {
    bool changed = false;
    int target = column;
    std::string current;
    bool lineStarted = false;
    auto assign = [&] {
        if (target >= 0 && target <= LastDataColumn)
            changed = ColumnTitleChanged(document, target, current) || changed;
    };
    for (char c : text) {
        if (c == '\0' || c == '\n') break;
        if (c == '\r') continue;
        if (IsGridSeparator(c)) {
            assign();
            ++target;
            current.clear();
        } else {
            current += c;
        }
        lineStarted = true;
    }
    if (lineStarted) assign();
    return changed;
}

ClipboardText BuildSummaryClipboardText(const DataTable& table, const SummaryCellText& cellText) {
    const bool shortGrid = table.SummaryEntered[0] && !SummaryColumnIsEmpty(table, 0);
    const int rows = shortGrid ? SummaryGridShortRows : SummaryGridRows;
    int lastColumn = -1;
    for (int column = 0; column < DataColumnCount; ++column)
        if (table.ColumnInfo[column].N != 0) lastColumn = column;

    LimitedText out;
    for (int row = 1; row <= rows; ++row) {
        out.StartLine();
        for (int column = -1; column <= lastColumn; ++column) {
            if (column > -1) out.Append("\t");
            out.Append(cellText ? cellText(row, column) : std::string());
        }
    }
    return out.Take();
}

bool PasteSummary(DataDocument& document, std::string_view text, int gridRow, int column,
                  const NumberSettings& settings) {
    bool changed = false;
    ScanPastedText(text, settings, IsSummarySeparator, [&](int line, int field, const std::string& fieldText) {
        const int row = gridRow + line;
        const int target = column + field;
        if (row > SummaryNRow) return false;
        if (target < 0 || target > LastDataColumn || !SummaryCellEditable(document, row, target)) return true;
        if (row == SummaryTitleRow)
            changed = ColumnTitleChanged(document, target, fieldText) || changed;
        else
            changed = StoreSummaryValue(document, row, target, PastedFieldValue(fieldText, settings)) || changed;
        return true;
    });
    return changed;
}

}  // namespace vextal
