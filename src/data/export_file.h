// Data export: the data table as a text file in the standard layout (the
// table as the grid shows it) or the index layout (every value in one column
// with its column number beside it), the two-by-two counts, and the column
// statistics. Lines end with CR LF; values are written in their exact form
// with the chosen decimal separator.
#pragma once

#include <string>
#include <string_view>

#include "data/data_document.h"
#include "data/io_error.h"
#include "data/number_settings.h"

namespace vextal {

struct ExportOptions {
    bool IndexFormat = false;       // one line per cell: value, separator, column number
    bool WithTitle = true;          // the sheet title as the first line
    bool WithColumnTitles = true;   // a line of column titles ("value", "group" for the index layout)
    char DecimalSeparator = '.';    // "." or ","
};

/// The field separator of an export file: the list separator for a file
/// whose extension is "TXT" in capitals or "CSV" in any case, else TAB.
char ExportSeparator(std::string_view fileName, const NumberSettings& settings);

/// The export file text of the table's extent (rows 0..LastRow, columns
/// 0..LastColumn). Standard layout: every value but the last of a line is
/// followed by the separator and a blank. Index layout: column by column,
/// row by row, one line per cell, empty cells included.
std::string ExportFileText(const DataTable& table, char separator, const ExportOptions& options);

/// Writes ExportFileText to `fileName`; returns 0 or an I/O code, which has
/// also been reported through `sink`.
int WriteExportFile(const DataDocument& document, const std::string& fileName, char separator,
                    const ExportOptions& options, const MessageSink& sink = {});

/// Two lines: "A,B" and "C,D" (a missing count is empty).
std::string TwoByTwoExportText(const TwoByTwoTable& counts);
int WriteTwoByTwoExport(const DataDocument& document, const std::string& fileName,
                        const MessageSink& sink = {});

/// The column statistics of every column whose N is above 0, one statistic
/// per line, values separated by commas, each written with 10 decimals and
/// cut to 14 characters (integer digits are never cut; a missing statistic
/// is empty). Lines: means, N, SD, SEM, medians (when some column holds raw
/// values), lower and upper 95% confidence limits, minimums and maximums
/// (when some column holds raw values). The caller brings the statistics up
/// to date first.
std::string SummaryExportText(const DataTable& table);
int WriteSummaryExport(const DataDocument& document, const std::string& fileName,
                       const MessageSink& sink = {});

/// Creates or truncates `fileName` and writes `text`; 0 or an I/O code.
int WriteWholeFile(const std::string& fileName, std::string_view text);

}  // namespace vextal
