// The analysis entry points for one and two columns: the t tests, or with
// the nonparametric choice the Wilcoxon and Mann-Whitney rank tests.
#pragma once

#include "stats/rank_tests.h"
#include "stats/t_tests.h"

namespace vextal {

struct DataDocument;
class ReportWriter;
class CalculationProgress;

/// What a column entry point ran and what came out of it.
struct ColumnTestOutcome {
    int Code = 0;
    bool NonParametric = false;
    TTestOutcome TTest;     // the parametric tests
    RankTestOutcome Rank;   // the rank tests
};

/// One analysis column: the one-sample t test of its mean against
/// `hypothetical`, or (`nonParametric`) the Wilcoxon signed rank test of its
/// median. Rank tests refuse averaged data with code 42. Sets CalcError and
/// ReportHelpTopic, writes the report or the code's message, returns the code.
/// `progress` (may be null) follows an exact enumeration.
int OneColumnTest(DataDocument& document, int column, ReportWriter& report, bool nonParametric, bool twoSided,
                  long double hypothetical, CalculationProgress* progress, ColumnTestOutcome* outcome = nullptr);

/// Two analysis columns: the unpaired t test (Student's with `equalSD`, else
/// Welch's) or the paired t test, or (`nonParametric`) the Mann-Whitney test
/// or the Wilcoxon matched-pairs test. As OneColumnTest otherwise.
int TwoColumnTest(DataDocument& document, int first, int second, ReportWriter& report, bool equalSD,
                  bool nonParametric, bool twoSided, bool unpaired, CalculationProgress* progress,
                  ColumnTestOutcome* outcome = nullptr);

}  // namespace vextal
