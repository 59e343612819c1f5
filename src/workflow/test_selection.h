// The rules of the Start and Choose Test steps: which formats a goal offers,
// what a format change does to the document, which option page the Choose
// Test step shows, and one setter per option control. Everything works on
// the document alone; the pages only mirror the record (choose_test_pages.h
// describes every control) and call the setters here.
//
// Every setter ends with MarkChanged. Where a page forces a choice (a test
// that needs raw values while there are none, say), the forced value is
// stored, as clicking the control would; MarkChanged then runs only when the
// record really changed.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/data_document.h"
#include "workflow/choose_test_state.h"

namespace vextal {

// ---------------------------------------------------------------- columns

/// A column holds data when its N is above 0.
bool ColumnHoldsData(const DataTable& table, int column);
/// Every column holding data, in order.
std::vector<int> DataColumns(const DataTable& table);
/// The selected columns holding data, in order: the columns an analysis uses.
std::vector<int> SelectedDataColumns(const DataTable& table);
/// A column as the column lists show it: letter, ": ", title.
std::string ColumnListCaption(const DataTable& table, int column);
/// The selected columns holding data as runs of letters: "A-C,E&F,H".
std::string SelectedColumnsText(const DataTable& table);
/// True when the column holds no raw value but N of at least 1 and a mean,
/// SD or SEM typed on the summary screen.
bool HoldsTypedSummary(const DataTable& table, int column);
bool AnyTypedSummary(const DataTable& table);
bool IsAveragedFormat(DataFormat format);

// ---------------------------------------------------------------- Start step

/// Whether the Start step offers `format` under `goal`: only the goal's own
/// formats, and the averaged ones only while the table holds no raw value.
bool FormatEnabled(DataFormat format, GoalFamily goal, const DataTable& table);

/// Chooses a goal and selects its first format (raw data, XY data or the
/// two-by-two table).
void SetGoal(DataDocument& document, GoalFamily goal);

/// Changes the data format; false (and nothing changes) when the Start step
/// does not offer it. Raw data and multiple-regression data get their column
/// statistics recomputed; averaged formats set the error bars; the
/// two-by-two table takes its counts from the first two rows of columns A
/// and B when it has none and the table holds data.
bool SetDataFormat(DataDocument& document, DataFormat format);

/// On entering the Start step: an averaged format falls back to raw data
/// when the table holds raw values. True when the format changed.
bool PrepareStartPage(DataDocument& document);

/// The two lines under "Example:" for a goal.
std::array<std::string, 2> ExampleLines(GoalFamily goal);

/// A group of the Start step's list of tests; Heading is "" for formats
/// whose list has no groups.
struct TestListGroup {
    std::string Heading;
    std::vector<std::string> Tests;
};
std::vector<TestListGroup> FormatTestList(DataFormat format);

/// Which of the six steps (Start, Data Table, Column Stats, Choose Test,
/// Results, Graph) a format makes available.
std::array<bool, 6> EnabledSteps(DataFormat format);

// ---------------------------------------------------------------- Choose Test step

/// Brings the column statistics up to date, keeps the column selection in
/// step with the columns holding data, recomputes ColumnCountClass, picks
/// the page and stores the choices the page forces.
void PrepareChooseTest(DataDocument& document, ChooseTestState& selection);

/// The test `page` will run with these choices ("Unpaired t test",
/// "One-way ANOVA with post-test", ...); "" on pages without the description.
std::string SelectedTestText(const AnalysisChoices& choices, ChooseTestPage page);

/// Raw-data tests (nonparametric tests, paired tests) cannot run: averaged
/// format, an empty raw table or a column holding a typed summary.
bool RawDataTestsRestricted(const DataDocument& document);
/// Repeated-measures ANOVA cannot be chosen: averaged format or an empty
/// raw table.
bool RepeatedMeasuresRestricted(const DataDocument& document);

// Fit page (XY data).
enum class FitChoice : int { LinearRegression, ForceThrough, Pearson, Spearman };
FitChoice ShownFitChoice(const AnalysisChoices& choices);
void SetFitChoice(DataDocument& document, FitChoice choice);
void SetRunsTest(DataDocument& document, bool runsTest);
void SetInterpolateUnknowns(DataDocument& document, bool interpolate);
/// Non-finite values are ignored.
void SetForceX(DataDocument& document, long double x);
void SetForceY(DataDocument& document, long double y);

// Two-by-two page.
enum class AlsoCalculate : int { RelativeRisk, OddsRatio, Sensitivity };
AlsoCalculate ShownAlsoCalculate(const AnalysisChoices& choices);
void SetUseChiSquare(DataDocument& document, bool chiSquare);
void SetYatesCorrection(DataDocument& document, bool yates);
void SetTwoByTwoTwoSided(DataDocument& document, bool twoSided);
void SetAlsoCalculate(DataDocument& document, AlsoCalculate choice);

// One-column page.
void SetOneColNonParametric(DataDocument& document, bool nonParametric);
void SetOneColTwoSided(DataDocument& document, bool twoSided);
/// The radios for 0.0 (choice 0), 1.0 (1) and 100 (2).
void SetHypotheticalPreset(DataDocument& document, int choice);
/// The radio for another value (choice 3) with the entry field's value,
/// kept to 9 decimals. Also what clicking into the field does.
void SetHypotheticalOther(DataDocument& document, long double fieldValue);
/// Leaving the entry field: stores its value (9 decimals) and selects the
/// radio that matches it exactly (0, 1, 100, else another value).
void LeaveHypotheticalField(DataDocument& document, long double fieldValue);

// Two-columns page.
enum class TwoColumnAssumption : int { Nonparametric, EqualSDs, UnequalSDs };
TwoColumnAssumption ShownTwoColumnAssumption(const AnalysisChoices& choices);
void SetTwoColUnpaired(DataDocument& document, bool unpaired);
void SetTwoColAssumption(DataDocument& document, TwoColumnAssumption assumption);
void SetTwoColTwoSided(DataDocument& document, bool twoSided);

// Three-or-more-columns page.
/// "All columns" (true) selects every column holding data; "Selected
/// columns" (false). Prepares the page again, which may switch it.
void SetAllColumns(DataDocument& document, ChooseTestState& selection, bool allColumns);
void SetMultiColOrdinary(DataDocument& document, bool ordinary);
void SetMultiColNonParametric(DataDocument& document, bool nonParametric);
/// The items of the post-test list for the parametric or nonparametric test.
std::vector<std::string> PostTestItems(bool nonParametric);
/// The list position shown for the stored record (-1 for an unknown method).
int PostTestListPosition(const AnalysisChoices& choices);
/// Picks item `item` of the list shown; an item outside it is ignored.
void SetPostTestItem(DataDocument& document, int item);
/// The check box "Only perform post test if P<0.05.".
void SetPostTestOnlyIfSignificant(DataDocument& document, bool checked);
/// Position of the control column among the selected columns holding data;
/// a position outside that list is ignored.
void SetControlColumn(DataDocument& document, int position);

// Multiple-regression page.
void SetMultipleRegression(DataDocument& document, bool multipleRegression);
/// The outcome column; for multiple regression its X flag is cleared.
void SetDependentY(DataDocument& document, int column);
void SetIndependentX(DataDocument& document, int column, bool checked);
/// "Select All" / "Deselect All": every column of the X list.
void SetAllIndependentX(DataDocument& document, bool checked);
/// The columns of the X list: every column holding data, less the outcome
/// column for multiple regression.
std::vector<int> IndependentXColumns(const DataDocument& document);

} // namespace vextal
