#include "data/text_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <fstream>
#include <sstream>

#include "data/cell_entry.h"
#include "data/cell_format.h"
#include "data/clipboard_text.h"
#include "data/grid_edit.h"
#include "data/grid_selection.h"
#include "data/summary_entry.h"
#include "stats/column_stats.h"

namespace vextal {
namespace {

const NumberSettings PointSettings{};

constexpr int ImportedDecimals = 10;
constexpr std::size_t ImportedWidth = 12;
constexpr char EndOfFileByte = 26;
constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Lines of a stream ending in CR LF, CR or LF. A line longer than
// MaxImportLineLength keeps its first part; HighByte() tells whether the
// last line read held a byte of 128 or above anywhere.
class LineReader {
public:
    explicit LineReader(std::streambuf& buffer) : m_buffer(buffer) {}

    bool Next(std::string& line) {
        line.clear();
        m_highByte = false;
        bool any = false;
        for (;;) {
            const int c = m_buffer.sbumpc();
            if (c == std::char_traits<char>::eof()) break;
            any = true;
            if (c == '\n') break;
            if (c == '\r') {
                if (m_buffer.sgetc() == '\n') m_buffer.sbumpc();
                break;
            }
            if (c >= 128) m_highByte = true;
            if (line.size() < MaxImportLineLength) line.push_back(static_cast<char>(c));
        }
        if (m_first && any && line.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0) {
            line.erase(0, ByteOrderMark.size());
            m_highByte = std::any_of(line.begin(), line.end(),
                                     [](char c) { return static_cast<unsigned char>(c) >= 128; });
        }
        m_first = false;
        return any;
    }
    bool HighByte() const { return m_highByte; }

private:
    std::streambuf& m_buffer;
    bool m_highByte = false;
    bool m_first = true;
};

bool Rewind(std::streambuf& buffer) {
    return buffer.pubseekpos(0, std::ios_base::in) == std::streampos(0);
}

// A number written correctly but beyond the extended range ("1E99999"):
// ParseNumber refuses it, yet it is a magnitude above the cell limit, not
// text that is no number.
bool IsHugeNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    return result.ec == std::errc::result_out_of_range && result.ptr == text.data() + text.size();
}

bool IsHeaderLine(std::string_view line) { return IsBlankLine(line) || IsTextLine(line); }

bool IsNumberCharacter(char c) {
    return c == '+' || c == '-' || c == '.' || IsDigit(c) || c == 'E' || c == 'e';
}

// Fields of a title line: TAB always separates; ",", ";" and the list
// separator separate outside double quotes; quotes are dropped; the byte 26
// ends the line.
std::vector<std::string> SplitTitleFields(std::string_view line, char listSeparator) {
    std::vector<std::string> fields;
    std::string current;
    bool quoted = false;
    for (char c : line) {
        if (c == EndOfFileByte) break;
        if (c == '"') {
            quoted = !quoted;
        } else if (c == '\t' || (!quoted && (c == ',' || c == ';' || c == listSeparator))) {
            fields.emplace_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    fields.emplace_back(Trim(current));
    return fields;
}

void ParseDataLine(DataTable& table, int row, std::string_view line, const ImportPreview& preview,
                   const NumberSettings& settings) {
    const std::vector<std::string> fields = preview.Layout == ImportLayout::Delimited
                                                ? SplitDelimitedLine(line, settings)
                                                : SplitFixedWidthLine(line, preview.Map, settings);
    for (std::size_t column = 0; column < fields.size(); ++column) {
        const long double value = ImportedFieldValue(fields[column], preview.Layout);
        if (IsMissing(value)) continue;
        const int c = static_cast<int>(column);
        SetValue(table, row, c, value);
        RaiseAutoDecimals(table, c, FormatExact(value), PointSettings);
    }
}

// The decimals of a value written with 10 decimals, trailing zeros removed.
int DecimalsAtTen(long double value) {
    std::string text = FormatFixed(value, ImportedDecimals);
    while (text.back() == '0') text.pop_back();
    const auto point = text.find('.');
    return point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
}

// A group identifier as a column title: 2 decimals, trailing zeros and a
// trailing point removed.
std::string GroupTitle(long double identifier) {
    std::string text = FormatFixed(identifier, 2);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    if (text == "-0") text = "0";
    return text;
}

void SetDocumentTitle(DataDocument& document, const std::string& title) {
    std::string cut = TruncateCharacters(title, MaxDocumentTitleLength);
    if (document.Table.DocumentTitle == cut) return;
    document.Table.DocumentTitle = std::move(cut);
    MarkChanged(document.State);
}

// Stores an imported value as the grid does; a value also clears the
// cell's exclusion and the column's summary flag.
void StoreImported(DataTable& table, int row, int column, long double value) {
    StoreCell(table, row, column, value);
    if (!IsMissing(value)) {
        SetExcluded(table, row, column, false);
        table.ColumnChanged[column] = true;
    }
}

ImportOutcome ImportStandard(DataDocument& document, const ImportPreview& preview, const ImportOptions& options,
                             int targetRow, int targetColumn) {
    const DataTable& source = preview.Table;
    DataTable& table = document.Table;

    // The target column of each preview column taken (-1: not taken).
    std::array<int, DataColumnCount> targetOf{};
    targetOf.fill(-1);
    int next = targetColumn;
    for (int column = 0; column <= source.LastColumn; ++column) {
        const bool inRange = options.Arrangement != ImportArrangement::ColumnRange ||
                             (column >= options.FirstColumn && column <= options.LastColumn);
        if (!inRange) continue;
        if (next > LastDataColumn) break;
        targetOf[column] = next++;
    }

    int row = targetRow;
    for (int previewRow = 0; previewRow <= source.LastRow && row <= LastUserRow; ++previewRow) {
        if (options.Filter &&
            !PassesFilter(RawValue(source, previewRow, options.FilterColumn), options.Condition,
                          options.FilterValue))
            continue;
        const bool inRows =
            !options.RowRange || (previewRow >= options.FirstRow && previewRow <= options.LastRow);
        if (inRows) {
            for (int column = 0; column <= source.LastColumn; ++column) {
                const int target = targetOf[column];
                if (target < 0) continue;
                const long double value = RawValue(source, previewRow, column);
                StoreImported(table, row, target, value);
                if (!IsMissing(value))
                    table.AutoDecimals[target] = std::max(table.AutoDecimals[target], source.AutoDecimals[column]);
            }
        }
        ++row;
    }

    if (preview.HasTitles) {
        for (int column = 0; column <= source.LastColumn; ++column)
            if (targetOf[column] >= 0) SetColumnTitle(document, targetOf[column], source.ColumnInfo[column].Title);
    }
    SetDocumentTitle(document, source.DocumentTitle);
    MarkChanged(document.State);
    return {true, ""};
}

ImportOutcome ImportIndexed(DataDocument& document, const ImportPreview& preview, const ImportOptions& options) {
    if (options.ValueColumn == options.GroupColumn) return {false, SameImportColumnsMessage};
    const DataTable& source = preview.Table;
    DataTable& table = document.Table;

    // The grid shows the groups only: the table must hold nothing else.
    ClearCells(document, WholeTableSelection());

    std::array<long double, DataColumnCount> identifiers{};
    identifiers.fill(MissingValue);
    std::array<int, DataColumnCount> nextRow{};
    for (int previewRow = 0; previewRow <= source.LastRow; ++previewRow) {
        const long double group = RawValue(source, previewRow, options.GroupColumn);
        if (IsMissing(group)) continue;
        const long double value = RawValue(source, previewRow, options.ValueColumn);
        int slot = -1;
        for (int k = 0; k < DataColumnCount && slot < 0; ++k)
            if (identifiers[k] == group) slot = k;
        if (slot < 0) {
            for (int k = 0; k < DataColumnCount && slot < 0; ++k)
                if (IsMissing(identifiers[k])) slot = k;
            if (slot < 0) continue;  // all 26 columns are taken
            identifiers[slot] = group;
            SetColumnTitle(document, slot, GroupTitle(group));
        }
        if (nextRow[slot] > LastUserRow) continue;
        StoreImported(table, nextRow[slot]++, slot, value);
        if (!IsMissing(value)) table.AutoDecimals[slot] = std::max(table.AutoDecimals[slot], DecimalsAtTen(value));
    }
    SetDocumentTitle(document, source.DocumentTitle);
    MarkChanged(document.State);
    return {true, ""};
}

void ImportSummaryColumns(DataDocument& document, const ImportPreview& preview) {
    const DataTable& source = preview.Table;
    const bool sdShown = document.State.ErrorBars == ErrorBarKind::SD;
    for (int column = 0; column <= source.LastColumn; ++column) {
        ColumnInfo& info = document.Table.ColumnInfo[column];
        info.Title = source.ColumnInfo[column].Title;
        info.Mean = RawValue(source, 0, column);
        (sdShown ? info.SD : info.SEM) = RawValue(source, 1, column);
        info.N = std::max(0, SummaryNFromValue(RawValue(source, 2, column)));
        ComputeSummaryFromEntered(document.Table, -1, info);  // the other error and the limits
    }
}

void ImportTwoByTwo(DataDocument& document, const ImportPreview& preview) {
    const DataTable& source = preview.Table;
    TwoByTwoTable& counts = document.TwoByTwo;
    counts.A = RawValue(source, 0, 0);
    counts.B = RawValue(source, 0, 1);
    counts.C = RawValue(source, 1, 0);
    counts.D = RawValue(source, 1, 1);
    counts.Column1Title = source.ColumnInfo[0].Title;
    counts.Column2Title = source.ColumnInfo[1].Title;
}

}  // namespace

bool IsBlankLine(std::string_view line) { return std::all_of(line.begin(), line.end(), IsBlank); }

bool IsTextLine(std::string_view line) {
    if (line.find('*') != std::string_view::npos) return false;
    auto startsData = [](char c) {
        return c == '\t' || c == ' ' || c == '+' || c == ',' || c == '-' || c == '.' || IsDigit(c) || c == ';';
    };
    auto holdsData = [&](char c) { return startsData(c) || Upper(c) == 'E'; };
    if (line.empty()) return false;
    if (!startsData(line.front())) return true;
    return !std::all_of(line.begin(), line.end(), holdsData);
}

ImportLayout LayoutOfLine(std::string_view line, const NumberSettings& settings) {
    for (char c : line)
        if (c == ',' || c == '\t' || c == ';' || c == settings.ListSeparator) return ImportLayout::Delimited;
    return ImportLayout::FixedWidth;
}

std::vector<std::string> SplitDelimitedLine(std::string_view line, const NumberSettings& settings) {
    std::vector<std::string> fields;
    std::string current;
    for (char c : line) {
        if (c == settings.DecimalSeparator && c != '\0') c = '.';
        else if (c == settings.ListSeparator && c != '\0') c = '\t';
        if (c == '\t' || c == ',' || c == ';') {
            if (fields.size() < DataColumnCount) fields.push_back(current);
            current.clear();
        } else if (c == '*' || IsNumberCharacter(c)) {
            current += c;
        }
    }
    if (fields.size() < DataColumnCount) fields.push_back(current);
    return fields;
}

void AddLineToColumnMap(ColumnMap& map, std::string_view line, int& first, int& last) {
    const int length = static_cast<int>(std::min<std::size_t>(line.size(), ColumnMapPositions));
    for (int position = 1; position <= length; ++position) {
        const char c = line[static_cast<std::size_t>(position - 1)];
        const bool gap = c == ' ' || c == ',' || c == ';';
        if (!gap || position == static_cast<int>(line.size())) map[position] = false;
        if (IsNumberCharacter(c)) {
            if (first == 0) first = position;
            first = std::min(first, position);
            last = std::max(last, position);
        }
    }
}

void FinishColumnMap(ColumnMap& map, int first, int last) {
    map[0] = false;
    if (first == 0) {
        map.fill(false);
        return;
    }
    for (int position = 1; position <= first; ++position) map[position] = false;
    for (int position = last; position <= ColumnMapPositions; ++position) map[position] = false;
    for (int position = 1; position < ColumnMapPositions; ++position)
        if (map[position] && map[position + 1]) map[position] = false;
}

ColumnMap BuildColumnMap(const std::vector<std::string>& lines) {
    ColumnMap map;
    map.fill(true);
    int first = 0, last = 0;
    for (const std::string& line : lines)
        if (!IsHeaderLine(line)) AddLineToColumnMap(map, line, first, last);
    FinishColumnMap(map, first, last);
    return map;
}

std::vector<std::string> SplitFixedWidthLine(std::string_view line, const ColumnMap& map,
                                             const NumberSettings& settings) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    auto take = [&](std::size_t end) {
        std::string field(start < line.size() ? line.substr(start, end - start) : std::string_view());
        if (settings.DecimalSeparator == ',') std::replace(field.begin(), field.end(), ',', '.');
        fields.emplace_back(Trim(field));
        start = end;
    };
    for (int position = 1; position <= ColumnMapPositions && fields.size() + 1 < DataColumnCount; ++position)
        if (map[position]) take(static_cast<std::size_t>(position));
    take(std::max(start, line.size()));
    return fields;
}

long double ImportedFieldValue(std::string_view field, ImportLayout layout) {
    std::string text(Trim(field));
    if (layout == ImportLayout::Delimited) text.erase(std::remove(text.begin(), text.end(), '*'), text.end());
    // A field of nothing but the exclusion mark is an empty cell, not 0.
    if (text.empty()) return MissingValue;
    long double value = 0;
    if (!ParseNumber(text, PointSettings, value)) return IsHugeNumber(text) ? MissingValue : 0;
    if (!std::isfinite(value) || std::fabs(value) > LargestCellMagnitude) return MissingValue;
    return ValueThroughText(value, ImportedDecimals, ImportedWidth);
}

void ReadTitles(ImportPreview& preview, const std::vector<std::string>& headerLines,
                const NumberSettings& settings) {
    DataTable& table = preview.Table;
    for (ColumnInfo& info : table.ColumnInfo) info.Title.clear();
    preview.HasTitles = false;

    // Blank lines among the header lines hold neither title.
    std::vector<std::string_view> lines;
    for (const std::string& line : headerLines)
        if (!IsBlankLine(line)) lines.emplace_back(line);
    if (lines.empty()) return;

    std::string_view titles = lines[0];
    const std::vector<std::string> first = SplitTitleFields(lines[0], settings.ListSeparator);
    const auto filled = std::count_if(first.begin(), first.end(), [](const std::string& f) { return !f.empty(); });
    if (filled != table.LastColumn + 1) {
        table.DocumentTitle = TruncateCharacters(Trim(lines[0]), MaxDocumentTitleLength);
        if (lines.size() == 1) return;
        titles = lines[1];
    }
    const std::vector<std::string> fields = SplitTitleFields(titles, settings.ListSeparator);
    for (std::size_t column = 0; column < fields.size() && column < DataColumnCount; ++column)
        table.ColumnInfo[column].Title = TruncateCharacters(fields[column], MaxColumnTitleLength);
    preview.HasTitles = true;
}

ImportStart StartImportStream(std::istream& in, const NumberSettings& settings) {
    ImportStart result;
    ImportPreview& preview = result.Preview;
    preview.Table.Modified = false;
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr || !Rewind(*buffer)) return result;

    // Pass 1: only ASCII after the first line; count the lines.
    std::string line;
    {
        LineReader reader(*buffer);
        long long lines = 0;
        while (reader.Next(line)) {
            ++lines;
            if (lines >= 2 && reader.HighByte()) {
                result.Refused = true;
                result.Messages.emplace_back(NotAsciiMessage);
                return result;
            }
        }
        if (lines > ImportLineLimit) result.Messages.emplace_back(TooManyRowsMessage);
    }

    // Pass 2: header lines, the layout, and the column map of fixed-width files.
    std::vector<std::string> headerLines;
    if (!Rewind(*buffer)) return result;
    {
        LineReader reader(*buffer);
        bool haveData = false;
        while (reader.Next(line)) {
            if (IsHeaderLine(line)) {
                ++preview.HeaderLines;
                if (headerLines.size() < 2 && !IsBlankLine(line)) headerLines.push_back(line);
                continue;
            }
            haveData = true;
            break;
        }
        preview.Layout = haveData ? LayoutOfLine(line, settings) : ImportLayout::Delimited;
        if (preview.Layout == ImportLayout::FixedWidth) {
            preview.Map.fill(true);
            int first = 0, last = 0;
            do {
                if (!IsHeaderLine(line)) AddLineToColumnMap(preview.Map, line, first, last);
            } while (reader.Next(line));
            FinishColumnMap(preview.Map, first, last);
        }
    }

    // Pass 3: the data lines into rows 0..1000.
    if (!Rewind(*buffer)) return result;
    {
        LineReader reader(*buffer);
        for (int skipped = 0; skipped < preview.HeaderLines && reader.Next(line); ++skipped) {
        }
        for (int row = 0; row < PreviewRowLimit && reader.Next(line); ++row)
            ParseDataLine(preview.Table, row, line, preview, settings);
    }
    preview.Table.Modified = false;
    preview.Table.IsEmpty = false;
    ReadTitles(preview, headerLines, settings);
    return result;
}

ImportStart StartImportText(std::string_view text, const NumberSettings& settings) {
    std::istringstream in{std::string(text)};
    return StartImportStream(in, settings);
}

ImportStart StartImport(const std::string& fileName, const NumberSettings& settings) {
    struct stat status {};
    if (::stat(fileName.c_str(), &status) != 0) {
        ImportStart result;
        result.IoCode = IoCodeFromErrno(errno, false);
        return result;
    }
    // Devices and pipes may never end; folders hold no lines.
    if (!S_ISREG(status.st_mode)) {
        ImportStart result;
        result.IoCode = IoAccessDenied;
        return result;
    }
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        ImportStart result;
        result.IoCode = IoCodeFromErrno(errno, false);
        return result;
    }
    return StartImportStream(in, settings);
}

const char* FilterConditionText(FilterCondition condition) {
    switch (condition) {
    case FilterCondition::Equal: return "=";
    case FilterCondition::Greater: return ">";
    case FilterCondition::GreaterOrEqual: return ">=";
    case FilterCondition::Less: return "<";
    case FilterCondition::LessOrEqual: return "<=";
    case FilterCondition::NotEqual: return "<>";
    }
    return "=";
}

bool PassesFilter(long double value, FilterCondition condition, long double typed) {
    switch (condition) {
    case FilterCondition::Equal: return value == typed;
    case FilterCondition::Greater: return value > typed;
    case FilterCondition::GreaterOrEqual: return value >= typed;
    case FilterCondition::Less: return value < typed;
    case FilterCondition::LessOrEqual: return value <= typed;
    case FilterCondition::NotEqual: return value != typed;
    }
    return false;
}

ImportOptions DefaultImportOptions(const DataTable& preview) {
    ImportOptions options;
    options.FirstColumn = 0;
    options.LastColumn = preview.LastColumn;
    options.FirstRow = 0;
    options.LastRow = preview.LastRow;
    options.ValueColumn = 0;
    options.GroupColumn = 1;
    options.FilterColumn = 0;
    return options;
}

ImportOutcome ImportIntoDocument(DataDocument& document, const ImportPreview& preview,
                                 const ImportOptions& options, int targetRow, int targetColumn) {
    auto validColumn = [](int column) { return column >= 0 && column <= LastDataColumn; };
    if (options.Arrangement == ImportArrangement::Indexed) {
        if (!validColumn(options.ValueColumn) || !validColumn(options.GroupColumn)) return {};
        return ImportIndexed(document, preview, options);
    }
    if (targetRow < 0 || targetRow > LastUserRow || !validColumn(targetColumn)) return {};
    if (options.Filter && !validColumn(options.FilterColumn)) return {};
    return ImportStandard(document, preview, options, targetRow, targetColumn);
}

bool IsSpreadsheetFileName(std::string_view fileName) {
    for (std::size_t i = 0; i + 2 < fileName.size(); ++i)
        if (fileName[i] == '.' && Upper(fileName[i + 1]) == 'X' && Upper(fileName[i + 2]) == 'L') return true;
    return false;
}

bool ImportTextDocument(DataDocument& document, const std::string& fileName, DataFormat format,
                        const NumberSettings& settings, const MessageSink& sink) {
    const ImportStart start = StartImport(fileName, settings);
    for (const std::string& message : start.Messages)
        if (sink) sink(ProgramCaption, message);
    if (start.Refused) return false;
    if (start.IoCode != 0) {
        ReportIoError(start.IoCode, sink);
        return false;
    }

    document = NewDocument();
    document.State.Format = format;
    document.State.Goal = GoalFamilyOf(format);
    document.State.ErrorBars = ErrorBarsForFormat(format, document.State.ErrorBars);
    switch (format) {
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN:
        ImportSummaryColumns(document, start.Preview);
        document.Table.DocumentTitle = start.Preview.Table.DocumentTitle;
        break;
    case DataFormat::TwoByTwo:
        ImportTwoByTwo(document, start.Preview);
        document.Table.DocumentTitle = start.Preview.Table.DocumentTitle;
        break;
    default:
        ImportIntoDocument(document, start.Preview, DefaultImportOptions(start.Preview.Table), 0, 0);
        break;
    }
    document.State.ResultsStale = true;
    return true;
}

}  // namespace vextal
