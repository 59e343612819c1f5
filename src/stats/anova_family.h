// The entry point of the analyses that compare several groups, one column
// each: ordinary one-way ANOVA, repeated-measures ANOVA, and their
// nonparametric counterparts Kruskal-Wallis and Friedman, each followed by
// the post test the user chose.
#pragma once

#include <optional>
#include <span>

#include "stats/nonparametric_anova.h"
#include "stats/one_way_anova.h"
#include "stats/repeated_measures_anova.h"

namespace vextal {

struct DataDocument;
class ReportWriter;
class CalculationProgress;

/// Code of typed summary data with any analysis but the ordinary ANOVA.
inline constexpr int AveragedDataNotAllowed = 43;

/// The analysis that ran; the one matching the choices is set on success.
struct AnovaFamilyResult {
    int Code = 0;
    std::optional<OneWayAnovaResult> OneWay;
    std::optional<RepeatedMeasuresResult> Repeated;
    std::optional<KruskalWallisResult> KruskalWallis;
    std::optional<FriedmanResult> Friedman;
};

/// True when the document's columns hold typed means, SDs (or SEMs) and Ns.
bool HoldsTypedSummaries(const DataDocument& document);

/// Runs the analysis the choices select on the selected columns with data and
/// writes its report, or the message of the code that stopped it. Returns
/// the code (0 = success), which is also left in the document's CalcError.
///
/// `nonParametric`, `ordinary`: the kind of analysis (ordinary = independent
/// groups, else repeated measures). `postTestMethod`: after the parametric
/// tests the method (AnovaPostTestMethod: 0 Bonferroni, 1 Tukey-Kramer,
/// 2 Dunnett, 3 Student-Newman-Keuls, 4 linear trend), after the
/// nonparametric ones the kind (NonparametricPostTest: 1 Dunn's test,
/// 2 comparisons with the control). `selectedPairs`/`selectedOnly`: the pairs
/// Bonferroni or Dunn's test compares. `postTestCondition`: 0 always,
/// 1 never, 2 only when P <= 0.05. `controlColumn`: the control's position
/// among the selected columns with data.
int RunAnovaFamily(DataDocument& document, bool nonParametric, bool ordinary, ReportWriter& report,
                   std::span<const bool> selectedPairs, bool selectedOnly, int postTestMethod,
                   int postTestCondition, int controlColumn, CalculationProgress* progress = nullptr,
                   AnovaFamilyResult* result = nullptr);

} // namespace vextal
