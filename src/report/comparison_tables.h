// Tables of the multiple-comparison tests after an ANOVA: Bonferroni and
// Tukey-Kramer (with a block of confidence intervals), Student-Newman-Keuls,
// Dunnett and the nonparametric comparisons with a control, and Dunn's test.
//
// The confidence-interval blocks are written into a second writer while the
// comparisons are written, and appended by the caller (AppendReport).
#pragma once

#include <string>
#include <string_view>

#include "report/report_writer.h"

namespace vextal {

/// "*** P<0.001", "**  P<0.01", "*   P<0.05" or "ns  P>0.05" (each level
/// inclusive), right-justified in 11 characters.
std::string SignificanceStars(long double P);

/// The star code of the Dunnett-style tables, whose levels stop at 0.01:
/// "**  P<0.01", "*   P<0.05" or "ns  P>0.05", right-justified in 10 characters.
std::string DunnettSignificanceStars(long double P);

/// Bonferroni and Tukey-Kramer: `statistic` is "t " or "q ".
void WritePostTestTableHeader(ReportWriter& report, std::string_view statistic);
void WritePostTestTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                           long double difference, long double statistic, long double P);
void WritePostTestCIHeader(ReportWriter& report);
void WritePostTestCIRow(ReportWriter& report, std::string_view first, std::string_view second,
                        long double difference, long double lower, long double upper);

/// Student-Newman-Keuls: a pair that was not tested has q = MissingValue and prints "  ---  ".
void WriteSnkTableHeader(ReportWriter& report);
void WriteSnkTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                      long double difference, long double q, long double P);

/// Dunnett, with the q column, or without it (nonparametric comparisons with a control).
void WriteDunnettTableHeader(ReportWriter& report, bool withQ);
/// `q` is ignored when the table has no q column.
void WriteDunnettTableRow(ReportWriter& report, bool withQ, std::string_view control, std::string_view other,
                          long double difference, long double q, long double P);
void WriteDunnettCIHeader(ReportWriter& report);
void WriteDunnettCIRow(ReportWriter& report, std::string_view control, std::string_view other,
                       long double difference, long double lower, long double upper);

/// Dunn's test: differences of mean ranks (after Kruskal-Wallis) or of rank sums (after Friedman).
enum class DunnDifference { MeanRank, RankSum };
void WriteDunnTableHeader(ReportWriter& report, DunnDifference kind);
void WriteDunnTableRow(ReportWriter& report, std::string_view first, std::string_view second,
                       long double difference, long double P);

}  // namespace vextal
