// Repeated-measures (randomized block) analysis of variance: rows are
// subjects, the analysis columns are treatments. Also tests whether the
// matching was effective (individuals against residual).
//
// Method: the data must form a complete rectangle (blank rows are skipped);
// sums of squared deviations from the grand mean of every cell, of the column
// means (times r) and of the row means (times c); the residual is the sum of
// squares of x − row mean − column mean + grand mean, which equals what the
// columns and rows leave of the total.
// Accuracy: the grand mean carries one correction pass and every sum works on
// deviations from it in extended precision, so neither a common offset of the
// data nor a large individual effect cancels digits of the residual. P values
// as f_prob gives them.
#pragma once

#include <vector>

#include "data/number_text.h"
#include "report/anova_table.h"
#include "stats/anova_common.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

inline constexpr int RepeatedMeasuresHelpTopic = 551;

/// The complete rectangle of the analysis columns.
struct MatchedRows {
    int Code = 0;             // 15 a row with a gap, 11 fewer than two rows or columns
    std::vector<int> Rows;    // table rows that hold values
    std::vector<int> Columns; // analysis column indexes (GetValue's column argument) in the rectangle
};

/// Shape check over rows 0..LastRow: the first row holding a value fixes the
/// columns; every later row holding a value must hold values in exactly those
/// columns; rows without values are skipped.
MatchedRows FindMatchedRows(const DataTable& table);

struct RepeatedMeasuresSumsResult {
    int Code = 0;    // 15 not a complete rectangle, 11 fewer than two rows or columns
    int Rows = 0;    // r, subjects
    int Columns = 0; // c, treatments
    long double GrandMean = 0;
    int DFTreatment = 0;
    int DFIndividual = 0;
    int DFResidual = 0;
    int DFTotal = 0;
    long double SSTreatment = 0;
    long double SSIndividual = 0;
    long double SSResidual = 0;
    long double SSTotal = 0;
    long double MSTreatment = 0;
    long double MSIndividual = 0;
    long double MSResidual = 0;
    /// Treatments and matching; MissingValue when there is no random scatter
    /// (MSResidual is 0).
    long double F = MissingValue;
    long double P = MissingValue;
    long double MatchingF = MissingValue;
    long double MatchingP = MissingValue;

    bool RandomScatter() const { return MSResidual > 0; }
};

/// The repeated-measures ANOVA table from the cells of the analysis columns.
RepeatedMeasuresSumsResult RepeatedMeasuresSums(const DataTable& table);

/// The table rows in report order: treatment, individual, residual, total.
std::vector<AnovaRow> RepeatedMeasuresRows(const RepeatedMeasuresSumsResult& sums);

struct RepeatedMeasuresResult {
    RepeatedMeasuresSumsResult Sums;
    std::vector<AnovaRow> Table;
    AnovaPostTestOutcome PostTest;
};

/// Computes the ANOVA and writes its report. Runs inside the fault guard: a
/// data code (11, 13, 15) or a post test's code is thrown as CalcFault.
RepeatedMeasuresResult RepeatedMeasuresAnova(DataDocument& document, ReportWriter& report,
                                             const AnovaPostTestOptions& postTest);

} // namespace vextal
