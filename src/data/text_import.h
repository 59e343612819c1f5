// Import of plain text files of numbers: delimited (TAB, ",", ";" or the
// list separator) or in fixed-width columns, with optional title lines.
// The file is parsed into a preview table first; the user then picks rows,
// columns, a filter or the indexed layout (values in one column, group
// identifiers in another), and the chosen values go into the document.
//
// Lines may end in CR LF, CR or LF; a last line without a line end is read
// whole. A UTF-8 byte-order mark before the first line is skipped. Files are
// read as a stream in a few passes, so a huge file costs time, not memory.
#pragma once

#include <array>
#include <istream>
#include <string>
#include <string_view>
#include <vector>

#include "data/data_document.h"
#include "data/io_error.h"
#include "data/number_settings.h"

namespace vextal {

inline constexpr const char* NotAsciiMessage = "The file is not an ASCII file.";
inline constexpr const char* TooManyRowsMessage =
    "There are too many rows of data in this file.Only the first 1000 rows will be read.";
inline constexpr const char* SameImportColumnsMessage =
    "The column with values and the column with group assignments must be different.";

inline constexpr int PreviewRowLimit = 1001;      // preview rows 0..1000
inline constexpr int ImportLineLimit = 1000;      // more lines than this draw the message
inline constexpr int ColumnMapPositions = 255;    // character positions 1..255

/// Characters of a line before the first line end count; longer lines keep
/// their first part.
inline constexpr std::size_t MaxImportLineLength = 1 << 20;

enum class ImportLayout { Delimited, FixedWidth };

/// One flag per character position 1..255 (index 0 unused): a set flag is
/// the last position of a gap between fixed-width columns.
using ColumnMap = std::array<bool, ColumnMapPositions + 1>;

struct ImportPreview {
    DataTable Table;  // values, titles, DocumentTitle and AutoDecimals of the file
    int HeaderLines = 0;
    ImportLayout Layout = ImportLayout::Delimited;
    ColumnMap Map{};  // fixed-width layout only
    bool HasTitles = false;  // a column-titles line was found
};

struct ImportStart {
    bool Refused = false;               // not an ASCII file: nothing else happens
    int IoCode = 0;                     // the file could not be opened (the preview is empty)
    std::vector<std::string> Messages;  // to show in order (the row-limit notice)
    ImportPreview Preview;
};

/// Reads a file for the import dialog: refuses a file with bytes of 128 or
/// above after its first line, notes more than 1000 lines, then parses the
/// file and reads its titles.
ImportStart StartImport(const std::string& fileName, const NumberSettings& settings);
/// The same over a stream (seekable; read from its start).
ImportStart StartImportStream(std::istream& in, const NumberSettings& settings);
ImportStart StartImportText(std::string_view text, const NumberSettings& settings);

/// A text line (after upper-casing): holds no "*", and either starts with
/// a character other than TAB, blank, "+", ",", "-", ".", a digit or ";",
/// or holds a character other than those and "E".
bool IsTextLine(std::string_view line);
/// Empty, or only blanks and TABs.
bool IsBlankLine(std::string_view line);

/// Delimited when the line holds ",", TAB, ";" or the list separator.
ImportLayout LayoutOfLine(std::string_view line, const NumberSettings& settings);

/// Fields of a delimited line: the decimal separator reads as ".", the list
/// separator as TAB; TAB, "," and ";" end a field; only "*", "+", "-", ".",
/// digits, "E" and "e" are kept. At most 26 fields.
std::vector<std::string> SplitDelimitedLine(std::string_view line, const NumberSettings& settings);

/// Adds a data line to a column map being built (see FinishColumnMap).
/// `first` and `last` track the outermost positions holding a number
/// character (0 = none yet).
void AddLineToColumnMap(ColumnMap& map, std::string_view line, int& first, int& last);
/// Clears the positions outside the numbers and keeps only the last
/// position of each gap.
void FinishColumnMap(ColumnMap& map, int first, int last);
/// A column map over all data lines (blank and text lines skipped).
ColumnMap BuildColumnMap(const std::vector<std::string>& lines);

/// Fields of a fixed-width line: the runs between the set positions of the
/// map (the last runs to the end of the line), the decimal separator read as
/// ".", blanks removed at both ends. At most 26 fields.
std::vector<std::string> SplitFixedWidthLine(std::string_view line, const ColumnMap& map,
                                             const NumberSettings& settings);

/// The value of an imported field: empty gives MissingValue; text that is
/// no number gives 0; a magnitude above 1.5E38 gives MissingValue; a number
/// keeps what 10 decimals in 12 characters hold (integer digits are never
/// cut). In delimited files "*" is removed first.
long double ImportedFieldValue(std::string_view field, ImportLayout layout);

/// The titles of a preview from its first header lines: all 26 titles are
/// emptied; a first line with as many non-empty fields as the preview has
/// columns holds the column titles, otherwise it is the DocumentTitle and the
/// next line holds the titles. Fields are separated by TAB, ",", ";" and the
/// list separator outside double quotes; quotes are dropped.
void ReadTitles(ImportPreview& preview, const std::vector<std::string>& headerLines,
                const NumberSettings& settings);

// ------------------------------------------------------------ import

enum class ImportArrangement { AllColumns, ColumnRange, Indexed };
enum class FilterCondition { Equal, Greater, GreaterOrEqual, Less, LessOrEqual, NotEqual };

/// "=", ">", ">=", "<", "<=", "<>".
const char* FilterConditionText(FilterCondition condition);

/// True when the preview value (MissingValue for an empty cell) passes.
bool PassesFilter(long double value, FilterCondition condition, long double typed);

/// The choices of the import dialog; rows and columns are 0-based preview
/// indexes, ranges inclusive.
struct ImportOptions {
    ImportArrangement Arrangement = ImportArrangement::AllColumns;
    int FirstColumn = 0;
    int LastColumn = 0;
    bool RowRange = false;
    int FirstRow = 0;
    int LastRow = 0;
    bool Filter = false;
    int FilterColumn = 0;
    FilterCondition Condition = FilterCondition::Equal;
    long double FilterValue = 0;
    int ValueColumn = 0;
    int GroupColumn = 1;
};

/// The dialog's defaults for a preview: all columns, ranges over the whole
/// preview, value column 1, group column 2, filter column 1, "=".
ImportOptions DefaultImportOptions(const DataTable& preview);

struct ImportOutcome {
    bool Imported = false;
    std::string Message;  // shown with the dialog left open (Imported false)
};

/// Writes the chosen preview values into the document. Standard layouts
/// start at data cell (targetRow, targetColumn): every preview row that
/// passes the filter takes one target row (also rows outside the row
/// range, which store nothing); columns past Z are dropped; a target column
/// takes the title of the file column it receives when the file has titles.
/// The indexed layout empties the table and puts the values of each group
/// identifier, in order of appearance, in columns A, B, ... titled with the
/// identifier. Either way the document title becomes the file's.
ImportOutcome ImportIntoDocument(DataDocument& document, const ImportPreview& preview,
                                 const ImportOptions& options, int targetRow, int targetColumn);

/// True for names that look like spreadsheet workbooks (".XL" in any case).
bool IsSpreadsheetFileName(std::string_view fileName);

/// Reads a text file into `document` as a new document of `format`, titles
/// from the header line: raw, XY, larger-table and multiple-regression data
/// by the standard import of all columns at A1; averaged data reads its
/// first three rows as the mean, the SD (or SEM) and N of each column; the
/// two-by-two table reads A and B from the first row and C and D from the
/// second, its column titles from the titles line. Messages (the row
/// limit, a refusal, an I/O error) go to `sink`; false when the file was
/// refused or could not be opened.
bool ImportTextDocument(DataDocument& document, const std::string& fileName, DataFormat format,
                        const NumberSettings& settings, const MessageSink& sink = {});

}  // namespace vextal
