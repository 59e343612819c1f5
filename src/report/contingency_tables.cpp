#include "report/contingency_tables.h"

#include "data/number_text.h"
#include "report/number_format.h"
#include "report/result_tables.h"

namespace vextal {

namespace {

constexpr TableField LabelField{1, 15};
constexpr TableField TotalField{18, 10};
constexpr TableField PercentField{30, 7};

// A whole-number count right-justified in the field, never in exponent form.
void WriteCount(ReportWriter& report, TableField field, long double count) {
    WriteRightJustifiedField(report, field, FormatFixed(count, 0));
}

void WriteTotalsLine(ReportWriter& report, std::string_view label, long double total, long double percent) {
    WriteRightJustifiedField(report, LabelField, label);
    WriteCount(report, TotalField, total);
    report.pad_to_column(PercentField.Stop);
    report.write_number_width(PercentField.Width, 2, percent);
    report.write_text("%");
    report.new_line();
}

constexpr int CountWidth = 15;
constexpr int CountStops[] = {17, 34, 51};

// " (" percent "%)" right-aligned under the count that starts at `stop`.
void WriteShare(ReportWriter& report, int stop, std::int64_t part, std::int64_t whole) {
    const long double percent = whole != 0 ? 100.0L * part / whole : 0.0L;
    const std::string share = " (" + format_real(3, 0, percent) + "%)";
    report.pad_to_column(stop + CountWidth - DisplayLength(share));
    report.write_text(share);
}

void WriteTableRow(ReportWriter& report, std::string_view title, std::int64_t left, std::int64_t right,
                   std::int64_t grandTotal, bool markSecondCount) {
    const std::int64_t total = left + right;
    WriteRightJustifiedField(report, LabelField, title);
    WriteIntegerField(report, {CountStops[0], CountWidth}, left);
    WriteIntegerField(report, {CountStops[1], CountWidth}, right);
    if (markSecondCount) report.write_text("* ");
    WriteIntegerField(report, {CountStops[2], CountWidth}, total);
    report.new_line();
    WriteShare(report, CountStops[0], left, grandTotal);
    WriteShare(report, CountStops[1], right, grandTotal);
    WriteShare(report, CountStops[2], total, grandTotal);
    report.new_line();
}

}  // namespace

std::string RatioText(long double x) {
    if (x == MissingValue) return "Infinity";
    if (x == -MissingValue) return "-Infinity";
    const std::string text = FormatDigits(FiveSignificant, x);
    return text.substr(text.find_first_not_of(' '));
}

void WriteRatio(ReportWriter& report, long double x) { report.write_text(RatioText(x)); }

void WriteTotalsTableHeader(ReportWriter& report, std::string_view heading) {
    report.toggle_bold();
    WriteHeadingLine(report, {{1, 15, heading}, {18, 10, "Total"}, {30, 10, "Percent"}});
    WriteRuleLine(report, {LabelField, TotalField, {30, 8}}, '=');
    report.toggle_bold();
}

void WriteTotalsTableRow(ReportWriter& report, std::string_view label, long double total,
                         long double percent) {
    WriteTotalsLine(report, label, total, percent);
}

void WriteTotalsTableTotal(ReportWriter& report, long double grandTotal) {
    WriteRuleLine(report, {LabelField, TotalField, {30, 8}}, '-');
    WriteTotalsLine(report, "Total", grandTotal, 100);
}

void WriteTwoByTwoBlock(ReportWriter& report, const TwoByTwoCounts& table, bool markSecondCount) {
    const std::int64_t grandTotal = table.A + table.B + table.C + table.D;
    report.toggle_bold();
    WriteRightJustifiedField(report, {CountStops[0], CountWidth}, table.Column1Title);
    WriteRightJustifiedField(report, {CountStops[1], CountWidth}, table.Column2Title);
    WriteRightJustifiedField(report, {CountStops[2], CountWidth}, "Total");
    report.toggle_bold();
    report.new_line();

    WriteTableRow(report, table.Row1Title, table.A, table.B, grandTotal, markSecondCount);
    WriteTableRow(report, table.Row2Title, table.C, table.D, grandTotal, markSecondCount);

    report.write_rule(65, '-');
    report.new_line();
    WriteRightJustifiedField(report, LabelField, "Total");
    WriteIntegerField(report, {CountStops[0], CountWidth}, table.A + table.C);
    WriteIntegerField(report, {CountStops[1], CountWidth}, table.B + table.D);
    WriteIntegerField(report, {CountStops[2], CountWidth}, grandTotal);
    report.new_line();
    WriteShare(report, CountStops[2], grandTotal, grandTotal);
    report.new_line();
}

}  // namespace vextal
