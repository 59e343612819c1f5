#include "report/result_tables.h"

#include "data/number_text.h"

namespace vextal {

namespace {

// Length of the UTF-8 character whose lead byte is `lead`; 1 for anything
// that is not a lead byte of a multi-byte character.
std::size_t LeadLength(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) return 2;
    if (lead >= 0xE0 && lead <= 0xEF) return 3;
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    return 1;
}

// Writes plain text (no markers, no line ends) in pieces that write_text keeps whole.
void WritePlain(ReportWriter& report, std::string_view text) {
    while (!text.empty()) {
        std::size_t end = 0;
        for (int characters = 0; end < text.size() && characters < MaxWriteLength; ++characters)
            end += LeadLength(static_cast<unsigned char>(text[end]));
        if (end > text.size()) end = text.size();
        report.write_text(text.substr(0, end));
        text.remove_prefix(end);
    }
}

}  // namespace

void WriteHeadingLine(ReportWriter& report, std::initializer_list<TableHeading> headings) {
    for (const TableHeading& heading : headings) {
        report.pad_to_column(heading.Stop);
        report.write_text(centred(heading.Text, heading.Width));
    }
    report.new_line();
}

void WriteRuleLine(ReportWriter& report, std::initializer_list<TableField> fields, char ch) {
    for (const TableField& field : fields) {
        report.pad_to_column(field.Stop);
        report.write_rule(field.Width, ch);
    }
    report.new_line();
}

void WriteSignificantField(ReportWriter& report, TableField field, long double x) {
    report.pad_to_column(field.Stop);
    report.write_number_width(field.Width, FiveSignificant, x);
}

void WriteSignificantOrUnknownField(ReportWriter& report, TableField field, long double x) {
    if (IsMissing(x))
        WriteRightJustifiedField(report, field, "Unknown");
    else
        WriteSignificantField(report, field, x);
}

void WriteIntegerField(ReportWriter& report, TableField field, std::int64_t n) {
    report.pad_to_column(field.Stop);
    report.write_integer_width(n, field.Width);
}

void WriteRightJustifiedField(ReportWriter& report, TableField field, std::string_view text) {
    report.pad_to_column(field.Stop);
    report.write_text(right_justified(text, field.Width));
}

void AppendReport(ReportWriter& to, const ReportWriter& from) {
    const std::string_view text = from.Text();
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        const bool marker = c == BoldMarker || c == UnderlineMarker || c == ItalicMarker;
        const bool lineEnd = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (!marker && !lineEnd) {
            i += LeadLength(static_cast<unsigned char>(c));
            continue;
        }
        WritePlain(to, text.substr(start, i - start));
        if (lineEnd) {
            to.new_line();
            i += 2;
        } else {
            if (c == BoldMarker) to.toggle_bold();
            if (c == UnderlineMarker) to.toggle_underline();
            if (c == ItalicMarker) to.toggle_italic();
            ++i;
        }
        start = i;
    }
    if (start < text.size()) WritePlain(to, text.substr(start));
}

}  // namespace vextal
