#include "report/column_tables.h"

#include <algorithm>

#include "data/number_text.h"
#include "report/result_tables.h"

namespace vextal {

namespace {

constexpr TableField TitleField{1, 15};

void WriteTitle(ReportWriter& report, std::string_view title) {
    WriteRightJustifiedField(report, TitleField, title);
}

}  // namespace

void WriteDescriptiveTableHeader(ReportWriter& main, ReportWriter& second) {
    main.toggle_bold();
    WriteHeadingLine(main, {{17, 6, "Number"}, {46, 8, "Standard"}});
    WriteHeadingLine(main, {{17, 6, "of"}, {35, 9, "Standard"}, {46, 8, "Error of"}});
    WriteHeadingLine(main, {{1, 15, "Group"},
                            {17, 6, "Points"},
                            {26, 8, "Mean"},
                            {35, 9, "Deviation"},
                            {46, 8, "Mean"},
                            {56, 8, "Median"}});
    WriteRuleLine(main, {{1, 15}, {17, 6}, {26, 8}, {35, 9}, {46, 8}, {56, 8}}, '=');
    main.toggle_bold();

    second.new_line();
    second.toggle_bold();
    WriteHeadingLine(second, {{35, 0, "95% Confidence Interval"}});
    WriteHeadingLine(
        second, {{1, 15, "Group"}, {17, 8, "Minimum"}, {26, 8, "Maximum"}, {35, 10, "From"}, {46, 10, "To"}});
    WriteRuleLine(second, {{1, 15}, {17, 8}, {26, 8}, {35, 10}, {46, 10}}, '=');
    second.toggle_bold();
}

void WriteDescriptiveTableRow(ReportWriter& main, ReportWriter& second, const ColumnInfo& info) {
    if (info.N <= 0) return;
    WriteTitle(main, info.Title);
    WriteIntegerField(main, {17, 5}, info.N);
    WriteSignificantField(main, {26, 8}, info.Mean);
    WriteSignificantField(main, {35, 8}, info.SD);
    WriteSignificantField(main, {46, 8}, info.SEM);
    WriteSignificantOrUnknownField(main, {56, 8}, info.Median);
    main.new_line();

    WriteTitle(second, info.Title);
    WriteSignificantOrUnknownField(second, {17, 8}, info.Minimum);
    WriteSignificantOrUnknownField(second, {26, 8}, info.Maximum);
    WriteSignificantField(second, {35, 10}, info.LowerCI);
    WriteSignificantField(second, {46, 10}, info.UpperCI);
    second.new_line();
}

void WriteNormalityTableHeader(ReportWriter& report) {
    report.new_line();
    report.toggle_bold();
    WriteHeadingLine(
        report, {{1, 15, "Group"}, {17, 6, "KS"}, {26, 8, "P Value"}, {35, 0, "Passed normality test?"}});
    WriteRuleLine(report, {{1, 15}, {17, 6}, {26, 8}, {35, 23}}, '=');
    report.toggle_bold();
}

void WriteNormalityTableRow(ReportWriter& report, const ColumnInfo& info, bool summaryEntered) {
    if (info.N <= 0) return;
    WriteTitle(report, info.Title);
    report.pad_to_column(17);
    if (info.N <= 4) {
        report.write_text("  Too few values to test.");
    } else if (summaryEntered) {
        report.write_text("  Normality test requires raw data.");
    } else if (IsMissing(info.KSDistance) || IsMissing(info.NormalityP)) {
        // Enough values but no test (all values equal): a missing P must not
        // read as ">0.10" with a pass/fail verdict left from an earlier test.
        report.write_text("  Normality test could not be performed.");
    } else {
        WriteSignificantField(report, {17, 8}, info.KSDistance);
        report.pad_to_column(26);
        if (info.NormalityP > 0.10L)
            report.write_text(">0.10");
        else if (info.NormalityP < 0.0001L)
            report.write_text("<0.0001");
        else {
            report.write_text(" ");
            report.write_text(FormatFixed(info.NormalityP, 4));
        }
        report.pad_to_column(35);
        report.write_text(info.Passed ? " Yes" : " No");
    }
    report.new_line();
}

void WriteRankSummaryTableHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{17, 6, "Number"}});
    WriteHeadingLine(report, {{17, 6, "of"}});
    // The empty heading pads the line to column 56.
    WriteHeadingLine(report, {{1, 15, "Group"},
                              {17, 6, "Points"},
                              {26, 8, "Median"},
                              {35, 8, "Minimum"},
                              {46, 8, "Maximum"},
                              {56, 0, ""}});
    WriteRuleLine(report, {{1, 15}, {17, 6}, {26, 8}, {35, 8}, {46, 8}}, '=');
    report.toggle_bold();
}

void WriteRankSummaryTableRow(ReportWriter& report, const ColumnInfo& info) {
    if (info.N <= 0) return;
    WriteTitle(report, info.Title);
    WriteIntegerField(report, {17, 5}, info.N);
    WriteSignificantOrUnknownField(report, {26, 8}, info.Median);
    WriteSignificantField(report, {35, 8}, info.Minimum);
    WriteSignificantField(report, {46, 8}, info.Maximum);
    report.new_line();
}

void WriteKruskalWallisRankTableHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{18, 7, "Number"}, {27, 7, "Sum"}, {36, 7, "Mean"}});
    WriteHeadingLine(report, {{18, 7, "of"}, {27, 7, "of"}, {36, 7, "of"}});
    WriteHeadingLine(report, {{1, 15, "Group"}, {18, 7, "Points"}, {27, 7, "Ranks"}, {36, 7, "Ranks"}});
    WriteRuleLine(report, {{1, 15}, {18, 7}, {27, 7}, {36, 7}}, '=');
    report.toggle_bold();
}

void WriteKruskalWallisRankTableRow(ReportWriter& report, std::string_view title, int n, long double rankSum,
                                    long double meanRank) {
    WriteTitle(report, title);
    WriteIntegerField(report, {18, 7}, n);
    WriteSignificantField(report, {27, 7}, rankSum);
    WriteSignificantField(report, {36, 7}, meanRank);
    report.new_line();
}

void WriteFriedmanRankTableHeader(ReportWriter& report) {
    report.toggle_bold();
    WriteHeadingLine(report, {{18, 7, "Sum"}});
    WriteHeadingLine(report, {{18, 7, "of"}});
    WriteHeadingLine(report, {{1, 15, "Group"}, {18, 7, "Ranks"}});
    WriteRuleLine(report, {{1, 15}, {18, 7}}, '=');
    report.toggle_bold();
}

void WriteFriedmanRankTableRow(ReportWriter& report, std::string_view title, long double rankSum) {
    WriteTitle(report, title);
    WriteSignificantField(report, {18, 7}, rankSum);
    report.new_line();
}

void WriteTTestSummaryBlock(ReportWriter& report, std::span<const ColumnInfo> columns) {
    constexpr int Stops[] = {16, 32, 48};
    const std::size_t count = std::min<std::size_t>(columns.size(), std::size(Stops));
    constexpr int ValueWidth = 15;

    const auto label = [&](std::string_view text) { WriteRightJustifiedField(report, {1, 14}, text); };
    const auto numbers = [&](std::string_view text, long double ColumnInfo::*field, bool unknownWhenMissing) {
        label(text);
        for (std::size_t i = 0; i < count; ++i) {
            const TableField where{Stops[i], ValueWidth};
            if (unknownWhenMissing)
                WriteSignificantOrUnknownField(report, where, columns[i].*field);
            else
                WriteSignificantField(report, where, columns[i].*field);
        }
        report.new_line();
    };

    label("Parameter:");
    for (std::size_t i = 0; i < count; ++i)
        WriteRightJustifiedField(report, {Stops[i], ValueWidth}, columns[i].Title);
    report.new_line();
    numbers("Mean:", &ColumnInfo::Mean, false);
    label("# of points:");
    for (std::size_t i = 0; i < count; ++i) WriteIntegerField(report, {Stops[i], ValueWidth}, columns[i].N);
    report.new_line();
    numbers("Std deviation:", &ColumnInfo::SD, false);
    numbers("Std error:", &ColumnInfo::SEM, false);
    numbers("Minimum:", &ColumnInfo::Minimum, true);
    numbers("Maximum:", &ColumnInfo::Maximum, true);
    numbers("Median:", &ColumnInfo::Median, true);
    numbers("Lower 95% CI:", &ColumnInfo::LowerCI, false);
    numbers("Upper 95% CI:", &ColumnInfo::UpperCI, false);
}

}  // namespace vextal
