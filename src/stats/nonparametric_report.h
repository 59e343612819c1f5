// Pieces shared by the Kruskal-Wallis and Friedman reports and their exact
// enumerations. Internal to the nonparametric ANOVA sources.
#pragma once

#include "workflow/calculation_progress.h"

#include <cstdint>
#include <functional>
#include <string_view>

#include "stats/nonparametric_anova.h"

namespace vextal {

struct DataTable;

namespace nonparametric {

inline constexpr int TitleWidth = 65;
/// Enumerated arrangements between two progress reports (a power of two).
inline constexpr std::int64_t ProgressInterval = 4096;
/// An arrangement counts as extreme when its statistic reaches the data's less this.
inline constexpr long double ExtremeTolerance = 1e-8L;
/// Exact P values from fewer arrangements than this can never reach 0.05.
inline constexpr long double FewArrangements = 20;

/// Called by an enumeration every ProgressInterval arrangements with the
/// number done (Friedman: their weight); returns false to stop it.
using EnumerationStep = std::function<bool(long double done)>;

/// Brackets an enumeration in the progress display, also when it is left by
/// an exception, and turns the display's answers into a step function.
class ExactCalculationScope {
public:
    ExactCalculationScope(CalculationProgress* progress, long double approximateP, long double total);
    ExactCalculationScope(const ExactCalculationScope&) = delete;
    ExactCalculationScope& operator=(const ExactCalculationScope&) = delete;

    /// Reports progress; false once the display said anything but Continue.
    bool Step(long double done);
    /// Interrupted or TooLong, after Step returned false.
    NonparametricExactState StopState() const { return stopState_; }

private:
    ExactCalculationBracket bracket_;
    CalculationProgress* progress_;
    long double total_;
    NonparametricExactState stopState_ = NonparametricExactState::Exact;
};

/// Post tests run with condition 0 (always), or 2 (only when P <= 0.05) and P <= 0.05.
bool PostTestWanted(int condition, long double P);
/// Condition 2 and P > 0.05: the report says the post tests were left out.
bool PostTestSkipped(int condition, long double P);

/// Underline on, the text, underline off, end of line.
void WriteUnderlinedLine(ReportWriter& report, std::string_view text);
/// The P sentence and whether the column medians differ.
void WriteMedianVerdict(ReportWriter& report, long double P);
/// Whether the P value is exact, and why not. `tiesReason` is the line for tied data.
void WriteExactness(ReportWriter& report, const ExactPResult& exact, std::string_view tiesReason);
/// The bold lines that replace the post tests.
void WritePostTestsNotCalculated(ReportWriter& report);
/// The centred "Summary of Data" heading and the rank summary of every analysis column.
void WriteRankSummary(ReportWriter& report, const DataTable& table);

}  // namespace nonparametric
}  // namespace vextal
