// Printed forms of the data table and the column statistics: a table of
// texts, laid out in fixed-pitch pages of a given width and height. Columns
// that do not fit across a page go to further bands of pages; every band
// repeats the first column (row titles or captions) and every page repeats
// the header rows.
#pragma once

#include <string>
#include <vector>

namespace vextal {

struct DataDocument;

struct TextTable {
    /// Rows of cells (UTF-8); rows may be shorter than the widest one.
    std::vector<std::vector<std::string>> Rows;
    /// Leading rows repeated at the top of every page.
    int HeaderRows = 1;
};

/// One printed page: its lines, without trailing blanks.
using TextPage = std::vector<std::string>;

/// Blanks between two printed columns.
inline constexpr int PrintedColumnGap = 2;

/// Lays `table` out in pages of at most `width` characters per line and
/// `height` lines. Column 0 is left-aligned, the others right-aligned, each
/// as wide as its widest cell; a column wider than the room beside column 0
/// is cut to that room. Pages run through all rows of one band of columns
/// before the next band. At least one body row goes on every page.
std::vector<TextPage> TablePages(const TextTable& table, int width, int height);

/// `lines` in pages of at most `height` lines (at least one per page).
std::vector<TextPage> LinePages(const std::vector<std::string>& lines, int height);

/// The data table as the grid shows it: a row of column headers, a row of
/// column titles, then rows 1..LastRow+1 with their row titles and cell texts
/// ("*" before an excluded value). The two-by-two format gives its four
/// counts with titles and totals instead.
TextTable DataTableText(const DataDocument& document);

/// The column statistics as the statistics page shows them: a caption
/// column and one column per data column up to the last that holds data.
TextTable StatsTableText(const DataDocument& document);

/// A statistic as the statistics page writes it: empty for the missing
/// value, else five significant digits for magnitudes from 0.01 to 10,000
/// (at least 0 and at most 6 decimals).
std::string StatisticText(long double value);

}  // namespace vextal
