#include "stats/column_tests.h"

#include <initializer_list>

#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"

namespace vextal {

namespace {

constexpr int AveragedDataCode = 42;

// Rank tests need the values themselves; typed means, SDs and Ns are
// refused before the test runs.
bool RefuseAveragedData(DataDocument& document, std::initializer_list<int> columns, ReportWriter& report,
                        int helpTopic, ColumnTestOutcome* outcome) {
    ComputeColumnStats(document);
    bool averaged = false;
    for (int column : columns) averaged = averaged || ReadTTestColumn(document, column).Averaged;
    if (!averaged) return false;
    document.ReportHelpTopic = helpTopic;
    RunAnalysisFrame(report, document.CalcError, [] { return AveragedDataCode; }, {});
    if (outcome) outcome->Rank.Code = AveragedDataCode;
    return true;
}

int Finish(int code, ColumnTestOutcome* outcome) {
    if (outcome) outcome->Code = code;
    return code;
}

}  // namespace

int OneColumnTest(DataDocument& document, int column, ReportWriter& report, bool nonParametric, bool twoSided,
                  long double hypothetical, CalculationProgress* progress, ColumnTestOutcome* outcome) {
    if (outcome) {
        *outcome = {};
        outcome->NonParametric = nonParametric;
    }
    if (!nonParametric)
        return Finish(OneSampleTTestAnalysis(document, column, report, twoSided, hypothetical,
                                             outcome ? &outcome->TTest : nullptr),
                      outcome);
    if (RefuseAveragedData(document, {column}, report, SignedRankHelpTopic, outcome))
        return Finish(AveragedDataCode, outcome);
    return Finish(WilcoxonSignedRankTest(document, column, report, twoSided, hypothetical, progress,
                                         outcome ? &outcome->Rank : nullptr),
                  outcome);
}

int TwoColumnTest(DataDocument& document, int first, int second, ReportWriter& report, bool equalSD,
                  bool nonParametric, bool twoSided, bool unpaired, CalculationProgress* progress,
                  ColumnTestOutcome* outcome) {
    if (outcome) {
        *outcome = {};
        outcome->NonParametric = nonParametric;
    }
    if (!nonParametric)
        return Finish(TwoColumnTTestAnalysis(document, first, second, report, equalSD, twoSided, unpaired,
                                             outcome ? &outcome->TTest : nullptr),
                      outcome);
    const int helpTopic = unpaired ? MannWhitneyHelpTopic : MatchedPairsHelpTopic;
    if (RefuseAveragedData(document, {first, second}, report, helpTopic, outcome))
        return Finish(AveragedDataCode, outcome);
    RankTestOutcome* rank = outcome ? &outcome->Rank : nullptr;
    return Finish(unpaired ? MannWhitneyTest(document, first, second, report, twoSided, progress, rank)
                           : WilcoxonMatchedPairsTest(document, first, second, report, twoSided, progress, rank),
                  outcome);
}

}  // namespace vextal
