#include "stats/anova_family.h"

#include <algorithm>
#include <new>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "stats/calc_error.h"
#include "stats/column_stats.h"
#include "stats/fault_guard.h"

namespace vextal {

namespace {

NonparametricPostTest NonparametricKind(int postTestMethod) {
    switch (postTestMethod) {
    case static_cast<int>(NonparametricPostTest::Dunn):
        return NonparametricPostTest::Dunn;
    case static_cast<int>(NonparametricPostTest::ControlComparisons):
        return NonparametricPostTest::ControlComparisons;
    default:
        return NonparametricPostTest::None;
    }
}

// Brings the statistics of every column with data up to date (typed columns
// keep their typed values, raw columns are recomputed from their cells) and
// lists the selected columns with data. Returns a data code or 0.
int PrepareGroups(DataDocument& document, bool typed, bool nonParametric, bool ordinary) {
    DataTable& table = document.Table;
    ClearAnalysisColumns(table);
    const int last = std::min(table.LastColumn, DataColumnCount - 1);
    bool incomplete = false;
    for (int column = 0; column <= last; ++column) {
        ColumnInfo& info = table.ColumnInfo[column];
        if (info.N == 0)
            continue;
        if (!typed) {
            ComputeSummaryFromEntered(table, column, info);
            continue;
        }
        if (info.N < 0)
            continue;
        // A typed group needs its mean and, beyond one value, its SD or SEM.
        if (IsMissing(info.Mean) || (info.N > 1 && IsMissing(info.SD) && IsMissing(info.SEM))) {
            incomplete = true;
            continue;
        }
        if (IsMissing(info.SD))
            ComputeSummaryFromEntered(table, -1, info);
    }
    BuildAnalysisColumns(table);
    if (typed && !AnovaGroupColumns(table).empty() && (nonParametric || !ordinary))
        return AveragedDataNotAllowed;
    if (incomplete)
        return 11;
    return 0;
}

} // namespace

bool HoldsTypedSummaries(const DataDocument& document) {
    return document.State.Format == DataFormat::MeanSDN || document.State.Format == DataFormat::MeanSEMN;
}

int RunAnovaFamily(DataDocument& document, bool nonParametric, bool ordinary, ReportWriter& report,
                   std::span<const bool> selectedPairs, bool selectedOnly, int postTestMethod,
                   int postTestCondition, int controlColumn, CalculationProgress* progress,
                   AnovaFamilyResult* result) {
    const bool typed = HoldsTypedSummaries(document);
    AnovaFamilyResult local;

    AnovaPostTestOptions postTest;
    postTest.Method = postTestMethod;
    postTest.Condition = postTestCondition;
    postTest.SelectedPairs = selectedPairs;
    postTest.SelectedOnly = selectedOnly;
    postTest.ControlGroup = controlColumn;

    auto analyse = [&] {
        if (nonParametric) {
            const NonparametricPostTest kind = NonparametricKind(postTestMethod);
            if (ordinary)
                local.KruskalWallis = KruskalWallisTest(document, kind, postTestCondition, report,
                                                        selectedPairs, selectedOnly, progress);
            else
                local.Friedman = FriedmanTest(document, kind, postTestCondition, report, true, controlColumn,
                                              selectedPairs, selectedOnly, progress);
            if (document.CalcError != 0)
                throw CalcFault{document.CalcError};
            report.write_closing();
        } else if (ordinary) {
            local.OneWay = OneWayAnova(document, report, postTest, typed);
        } else {
            local.Repeated = RepeatedMeasuresAnova(document, report, postTest);
        }
    };

    const int code = RunAnalysisFrame(
        report, document.CalcError, [&] { return PrepareGroups(document, typed, nonParametric, ordinary); },
        [&] {
            try {
                analyse();
            } catch (const CalcFault&) {
                throw;
            } catch (const std::bad_alloc&) {
                throw;
            } catch (...) {
                // Any other failure is an invalid operation, unless a code was set first.
                throw CalcFault{document.CalcError != 0 ? document.CalcError : CalcInvalid};
            }
        });
    ClearAnalysisColumns(document.Table);
    if (result) {
        *result = code == 0 ? std::move(local) : AnovaFamilyResult{};
        result->Code = code;
    }
    return code;
}

} // namespace vextal
