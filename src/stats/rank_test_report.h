// The report text of the rank tests for one and two columns. Everything
// printed comes from a RankTestOutcome; nothing is computed here.
#pragma once

#include "data/column_info.h"
#include "stats/rank_tests.h"

namespace vextal {

void WriteSignedRankReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& column);
/// `differences` is the summary of the paired differences, titled "Difference".
void WriteMatchedPairsReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& first,
                             const ColumnInfo& second, const ColumnInfo& differences);
void WriteMannWhitneyReport(ReportWriter& report, const RankTestOutcome& outcome, const ColumnInfo& first,
                            const ColumnInfo& second);

} // namespace vextal
