// Tables that list per-group statistics: the descriptive table of the
// ANOVAs, the normality table, the rank summary of the nonparametric ANOVAs,
// the rank tables of Kruskal-Wallis and Friedman, and the "Parameter:" block
// of the t tests. A row is written only for a group with N > 0.
#pragma once

#include <span>
#include <string_view>

#include "data/column_info.h"
#include "report/report_writer.h"

namespace vextal {

/// Header of the descriptive table. Its second block (range and confidence
/// interval) goes into `second`, which the caller appends with AppendReport
/// after the last row.
void WriteDescriptiveTableHeader(ReportWriter& main, ReportWriter& second);
void WriteDescriptiveTableRow(ReportWriter& main, ReportWriter& second, const ColumnInfo& info);

void WriteNormalityTableHeader(ReportWriter& report);
/// `summaryEntered`: the user typed the column's mean, SD or SEM and N.
void WriteNormalityTableRow(ReportWriter& report, const ColumnInfo& info, bool summaryEntered);

void WriteRankSummaryTableHeader(ReportWriter& report);
void WriteRankSummaryTableRow(ReportWriter& report, const ColumnInfo& info);

/// Group, number of points, sum and mean of ranks (Kruskal-Wallis).
void WriteKruskalWallisRankTableHeader(ReportWriter& report);
void WriteKruskalWallisRankTableRow(ReportWriter& report, std::string_view title, int n, long double rankSum,
                                    long double meanRank);

/// Group and sum of ranks (Friedman).
void WriteFriedmanRankTableHeader(ReportWriter& report);
void WriteFriedmanRankTableRow(ReportWriter& report, std::string_view title, long double rankSum);

/// The t tests' summary block: one value column per record (the first three
/// are used), each line a label and the records' values.
void WriteTTestSummaryBlock(ReportWriter& report, std::span<const ColumnInfo> columns);

}  // namespace vextal
