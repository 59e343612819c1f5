// Tables and numbers of the contingency reports: the row and column totals,
// the block of a two-by-two table with its shares, and ratios that may be
// infinite.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "report/report_writer.h"

namespace vextal {

/// A ratio (relative risk, odds ratio, their limits): "Infinity" for
/// MissingValue, "-Infinity" for -MissingValue, otherwise five significant
/// digits without padding.
std::string RatioText(long double x);
void WriteRatio(ReportWriter& report, long double x);

/// `heading` is "Row" or "Column".
void WriteTotalsTableHeader(ReportWriter& report, std::string_view heading);
/// One line: the label, the whole-number total and its percent of the grand total.
void WriteTotalsTableRow(ReportWriter& report, std::string_view label, long double total,
                         long double percent);
/// The "-" rule and the final "Total" line with 100%.
void WriteTotalsTableTotal(ReportWriter& report, long double grandTotal);

struct TwoByTwoCounts {
    std::string Column1Title;
    std::string Column2Title;
    std::string Row1Title;
    std::string Row2Title;
    std::int64_t A = 0;  // top row, left column
    std::int64_t B = 0;  // top row, right column
    std::int64_t C = 0;  // bottom row, left column
    std::int64_t D = 0;  // bottom row, right column
};

/// The counts, row and column totals, each with its share of the grand total.
/// `markSecondCount` writes "* " after the right-column count of each row.
void WriteTwoByTwoBlock(ReportWriter& report, const TwoByTwoCounts& table, bool markSecondCount);

}  // namespace vextal
