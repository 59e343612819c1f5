// The ANOVA tables of the analysis reports: source of variation, degrees of
// freedom, sum of squares and mean square, in six layouts.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "report/report_writer.h"

namespace vextal {

enum class AnovaVariant {
    OneWay,
    RepeatedMeasures,
    LinearTrendOrdinary,
    LinearTrendRepeated,
    Regression,
    RegressionReplicates,
};

struct AnovaRow {
    std::string Label;
    int DF = 0;
    long double SS = 0;
    std::optional<long double> MS;  // no mean square when empty
};

/// The row labels the analyses use for each variant, the total last.
std::vector<std::string> AnovaRowLabels(AnovaVariant variant);

/// Writes the header and the rows. The last row is the total: a "-" rule
/// comes before it and it shows no mean square. In the regression-with-
/// replicates table the first row shows only DF and SS. The regression tables
/// have bold headers and bold row labels; the others no bold at all.
void WriteAnovaTable(ReportWriter& report, AnovaVariant variant, std::span<const AnovaRow> rows);

}  // namespace vextal
