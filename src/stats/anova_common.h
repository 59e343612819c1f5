// Pieces shared by the one-way and the repeated-measures ANOVA: the groups
// of the analysis column list, the post test chosen after an ANOVA, and the
// report blocks both analyses write (underlined headings, the descriptive
// table of the groups).
#pragma once

#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "stats/post_tests.h"

namespace vextal {

struct DataDocument;
struct DataTable;
class ReportWriter;

/// Post-test methods after a parametric ANOVA.
enum class AnovaPostTestMethod : int {
    Bonferroni = 0,
    TukeyKramer = 1,
    Dunnett = 2,
    NewmanKeuls = 3,
    LinearTrend = 4,
};

/// When the post test runs.
enum class PostTestWhen : int {
    Always = 0,
    Never = 1,
    IfSignificant = 2, // only when the ANOVA's P is 0.05 or less
};

/// The post test the user chose, as the dispatch derived it from the choices.
struct AnovaPostTestOptions {
    int Method = static_cast<int>(AnovaPostTestMethod::TukeyKramer);
    int Condition = static_cast<int>(PostTestWhen::IfSignificant);
    /// Bonferroni (and Dunn's test): one flag per pair, numbered as PairIndex
    /// numbers the pairs of the groups; used when SelectedOnly is set.
    std::span<const bool> SelectedPairs;
    bool SelectedOnly = false;
    /// Dunnett: the control's position among the groups (0 = first).
    int ControlGroup = 0;
};

/// What the post test computed; neither part is set when none ran.
struct AnovaPostTestOutcome {
    bool Ran = false;
    int Method = -1;
    std::optional<PostTestResult> Comparisons; // Bonferroni, Tukey-Kramer, SNK, Dunnett
    std::optional<LinearTrendResult> Trend;    // test for linear trend
};

/// True when the condition asks for the post test at this ANOVA P.
bool PostTestWanted(int condition, long double P);

/// Runs the chosen post test with the ANOVA's residual df and mean square and
/// appends it to the report. A code the test reports (10) is thrown as
/// CalcFault, so this must run inside the fault guard.
AnovaPostTestOutcome RunAnovaPostTest(ReportWriter& report, DataDocument& document,
                                      const AnovaPostTestOptions& options, bool ordinary, int dfResidual,
                                      long double msResidual, const TrendAnovaInput& trend);

/// The table columns behind the analysis column indexes 0..ColumnCountForAnalysis
/// whose N is positive, in list order.
std::vector<int> AnovaGroupColumns(const DataTable& table);

/// True when every group's SD is 0 (and there is at least one group).
bool AllGroupSDsZero(const DataTable& table);

/// An underlined line: underline on, the text, underline off, line end.
void WriteUnderlinedLine(ReportWriter& report, std::string_view text);
/// A heading centred in 65 characters on an underlined line.
void WriteCentredHeading(ReportWriter& report, std::string_view text);

/// "Summary of Data" and the descriptive table of the groups, its second
/// block (range and confidence interval) composed in `second` and appended.
void WriteAnovaSummaryOfData(ReportWriter& report, ReportWriter& second, const DataTable& table);

} // namespace vextal
