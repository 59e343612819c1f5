// Report text of the contingency analyses: the P-value sentence of tables,
// underlined headings, and the whole two-by-two report.
#pragma once

#include <string_view>

namespace vextal {

class ReportWriter;
struct TwoByTwoCounts;
struct TwoByTwoResult;

/// "The [one-sided |two-sided ]P value is " P, then ", considered ... significant."
/// or ". ", ending the line. P below 0.0001 reads "< 0.0001"; otherwise four
/// decimals, so P = 1 reads "1.0000".
void write_table_p_value(ReportWriter& report, int tails, bool with_significance, long double P);

/// The text centred in 65 columns and underlined, as a line.
void WriteUnderlinedTitle(ReportWriter& report, std::string_view title);
/// The text underlined, as a line.
void WriteUnderlinedHeading(ReportWriter& report, std::string_view heading);

/// The two-by-two report from its computed result; `table` gives the titles
/// and counts of the "Data analyzed" block.
void WriteTwoByTwoReport(ReportWriter& report, const TwoByTwoResult& result, const TwoByTwoCounts& table);

} // namespace vextal
