// Building blocks of the fixed-column tables in reports: headings centred in
// their fields, rule lines, number fields at a start column, and joining a
// block that was written into a separate writer.
//
// A field is written by padding to its start column and then writing its
// text. A text longer than its field is never cut: it pushes the rest of the
// line to the right, and the next pad does nothing while the line is already
// past its stop.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "report/report_writer.h"

namespace vextal {

/// Digits argument of write_number_width for five significant digits.
inline constexpr int FiveSignificant = -5;

/// Start column (1-based) and width of one field of a table line.
struct TableField {
    int Stop;
    int Width;
};

/// A heading centred in its field. A width of 0 writes the text as it is at the stop.
struct TableHeading {
    int Stop;
    int Width;
    std::string_view Text;
};

/// Writes each heading centred at its stop, then ends the line.
void WriteHeadingLine(ReportWriter& report, std::initializer_list<TableHeading> headings);

/// Writes a rule of each field's width at its stop ('=' or '-'), then ends the line.
void WriteRuleLine(ReportWriter& report, std::initializer_list<TableField> fields, char ch);

/// x with five significant digits right-justified in the field; blank when missing.
void WriteSignificantField(ReportWriter& report, TableField field, long double x);

/// As WriteSignificantField, but a missing value prints "Unknown".
void WriteSignificantOrUnknownField(ReportWriter& report, TableField field, long double x);

/// n right-justified in the field.
void WriteIntegerField(ReportWriter& report, TableField field, std::int64_t n);

/// text right-justified (trimmed first) in the field.
void WriteRightJustifiedField(ReportWriter& report, TableField field, std::string_view text);

/// Appends everything written into `from` to `to`. Line breaks and style
/// markers are replayed through `to`, so its column, line numbers and bold and
/// underline flags follow the appended text.
void AppendReport(ReportWriter& to, const ReportWriter& from);

}  // namespace vextal
