// The analysis choices a document carries: its data format, goal family and
// every option of the Choose Test step, with their defaults. Plain data; the
// document file stores the fields in the order they are declared here.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "workflow/choose_test_state.h"

namespace vextal {

/// The kind of table a document holds; the value is the file's format code.
enum class DataFormat : int {
    RawData = 1,
    MeanSDN = 2,
    MeanSEMN = 3,
    LargerTable = 4,
    TwoByTwo = 5,
    XYData = 6,
    MultRegData = 7,
};

enum class GoalFamily : int { AnovaFamily, RegressionFamily, ContingencyFamily };

enum class ErrorBarKind : int { SD, SEM };

inline constexpr int SelectedPairCount = 352;
inline constexpr int ChoiceColumnCount = 26;

struct AnalysisChoices {
    // Column block (raw data and averaged data).
    std::uint8_t ColumnCountClass = 0;     // 0 none, 1 one, 2 two, 3 three or more columns
    std::uint8_t OneColNonParametric = 0;  // 0 one-sample t test, 1 Wilcoxon
    long double HypotheticalValue = 0.0L;
    std::uint8_t OneColTwoSided = 1;
    std::int32_t OneColColumn = -1;        // -1 = not chosen
    std::uint8_t HypotheticalChoice = 0;   // 0: 0.0, 1: 1.0, 2: 100, 3: typed
    std::uint8_t TwoColNonParametric = 0;
    std::uint8_t TwoColUnpaired = 1;
    std::uint8_t TwoColTwoSided = 1;
    std::int32_t TwoColFirstColumn = 0;
    std::int32_t TwoColSecondColumn = 1;
    bool TwoColEqualSD = true;
    std::uint8_t MultiColOrdinary = 1;     // 1 independent groups, 0 repeated measures
    std::uint8_t MultiColNonParametric = 0;
    std::uint8_t PostTestCondition = 2;    // 0 always, 1 never, 2 only when P < 0.05
    std::uint8_t PostTestPairs = 0;        // 0 all pairs, 1 selected pairs, 2 all versus control
    std::int32_t ControlColumn = 0;        // position among the selected columns with data
    std::uint8_t PostTestMethod = 1;       // 0 Bonferroni, 1 Tukey, 2 Dunnett, 3 SNK, 4 linear trend
    std::array<bool, SelectedPairCount> SelectedPairs = AllSet<SelectedPairCount>();
    bool AllColumns = true;

    // XY block.
    bool FitRegression = true;
    bool RunsTest = false;
    bool ForceThroughPoint = false;
    long double ForceX = 0.0L;
    long double ForceY = 0.0L;
    std::uint8_t CorrelationKind = 0;  // 0 regression, 1 Pearson, 2 Spearman
    bool InterpolateUnknowns = true;

    // Two-by-two block.
    std::uint8_t UseChiSquare = 0;  // 0 Fisher's exact test, 1 chi-square
    bool YatesCorrection = true;
    bool TwoByTwoTwoSided = true;
    bool RelativeRisk = true;
    bool ProportionDifference = true;
    bool OddsRatio = false;
    bool Sensitivity = false;

    // Multiple-regression block.
    bool MultipleRegression = true;
    std::int32_t DependentY = 0;
    bool GraphAnalyzedOnly = true;
    std::array<bool, ChoiceColumnCount> IndependentX = AllSet<ChoiceColumnCount>();
    std::string MRGraphX = "A";
    std::string MRGraphY = "B";

    bool operator==(const AnalysisChoices&) const = default;

private:
    template <std::size_t N>
    static constexpr std::array<bool, N> AllSet() {
        std::array<bool, N> flags{};
        flags.fill(true);
        return flags;
    }
};

/// Format, goal and the document settings shared with the graph, beside the
/// choices record, with the change flags of the document.
struct DocumentState {
    DataFormat Format = DataFormat::RawData;
    GoalFamily Goal = GoalFamily::AnovaFamily;
    ErrorBarKind ErrorBars = ErrorBarKind::SD;
    bool GraphByColumns = true;
    AnalysisChoices Choices;
    ChooseTestState Selection;      // what the Choose Test step last prepared
    bool ResultsStale = true;       // results must be recomputed
    bool DocumentModified = false;  // unsaved changes
};

/// Marks the results stale and the document modified.
void MarkChanged(DocumentState& state);

/// A record holding every default.
AnalysisChoices DefaultChoices();

/// Restores every default except OneColNonParametric, which keeps its value.
void ResetChoices(AnalysisChoices& choices);

/// Restores the document settings of a new document: defaults for the
/// choices (keeping OneColNonParametric), error bars SD, graph by columns.
void ResetDocumentState(DocumentState& state);

/// 0-based number of the pair (first, second), 0 <= first < second < count,
/// among `count` columns enumerated (0,1), (0,2), ..., (1,2), ...; -1 for a
/// pair outside that range.
int PairIndex(int first, int second, int count);

GoalFamily GoalFamilyOf(DataFormat format);

/// The format of a file's format code, or false when the code is unknown.
bool DataFormatFromCode(int code, DataFormat& format);

/// The caption of a format on the Start step ("Raw data.", ...), with the
/// toolkit's "&&" escape for an ampersand.
std::string DataFormatCaption(DataFormat format);
std::string GoalCaption(GoalFamily goal);

/// Error bars a format implies: SEM for MeanSEMN, SD for MeanSDN; other
/// formats leave the current kind.
ErrorBarKind ErrorBarsForFormat(DataFormat format, ErrorBarKind current);

}  // namespace vextal
