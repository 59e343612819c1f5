#include "workflow/test_selection.h"

#include <algorithm>
#include <cmath>

#include "stats/column_stats.h"

namespace vextal {
namespace {

bool ValidColumn(int column) {
    return column >= 0 && column < DataColumnCount;
}

std::string Letter(int column) {
    return std::string(1, static_cast<char>('A' + column));
}

// Stores a forced choice; true when the record changed.
template <typename T, typename U> bool Force(T& field, U value) {
    if (field == static_cast<T>(value))
        return false;
    field = static_cast<T>(value);
    return true;
}

// The value an entry field holds: at most 9 decimals. Beyond 1e9 an
// extended value has hardly any decimals left, so it is kept as it is.
long double KeepNineDecimals(long double x) {
    if (!std::isfinite(x) || std::fabs(x) >= 1e9L)
        return x;
    return std::nearbyint(x * 1e9L) / 1e9L;
}

bool NormaliseFitPage(AnalysisChoices& c) {
    const bool regression =
        ShownFitChoice(c) == FitChoice::LinearRegression || ShownFitChoice(c) == FitChoice::ForceThrough;
    return Force(c.FitRegression, regression);
}

bool StoreAlsoCalculate(AnalysisChoices& c, AlsoCalculate choice) {
    bool changed = Force(c.RelativeRisk, choice == AlsoCalculate::RelativeRisk);
    changed |= Force(c.ProportionDifference, choice == AlsoCalculate::RelativeRisk);
    changed |= Force(c.OddsRatio, choice == AlsoCalculate::OddsRatio);
    changed |= Force(c.Sensitivity, choice == AlsoCalculate::Sensitivity);
    return changed;
}

bool NormaliseTwoByTwoPage(AnalysisChoices& c) {
    return StoreAlsoCalculate(c, ShownAlsoCalculate(c));
}

bool NormaliseOneColumnPage(DataDocument& document) {
    if (!RawDataTestsRestricted(document))
        return false;
    return Force(document.State.Choices.OneColNonParametric, 0);
}

bool NormaliseTwoColumnsPage(DataDocument& document) {
    AnalysisChoices& c = document.State.Choices;
    bool changed = false;
    // A paired test has no Welch correction.
    if (c.TwoColUnpaired == 0 && ShownTwoColumnAssumption(c) == TwoColumnAssumption::UnequalSDs)
        changed |= Force(c.TwoColEqualSD, true);
    if (RawDataTestsRestricted(document))
        changed |= Force(c.TwoColUnpaired, 1);
    return changed;
}

bool NormaliseThreeOrMorePage(DataDocument& document) {
    AnalysisChoices& c = document.State.Choices;
    bool changed = false;
    if (RawDataTestsRestricted(document))
        changed |= Force(c.MultiColNonParametric, 0);
    const int count = static_cast<int>(SelectedDataColumns(document.Table).size());
    if (c.ControlColumn < 0 || c.ControlColumn >= count)
        changed |= Force(c.ControlColumn, 0);
    return changed;
}

bool NormaliseMultipleRegressionPage(DataDocument& document) {
    AnalysisChoices& c = document.State.Choices;
    bool changed = false;
    const std::vector<int> columns = DataColumns(document.Table);
    if (!columns.empty() && std::find(columns.begin(), columns.end(), c.DependentY) == columns.end())
        changed |= Force(c.DependentY, columns.front());
    if (c.MultipleRegression && ValidColumn(c.DependentY))
        changed |= Force(c.IndependentX[static_cast<std::size_t>(c.DependentY)], false);
    return changed;
}

bool NormalisePage(DataDocument& document, ChooseTestPage page) {
    AnalysisChoices& c = document.State.Choices;
    switch (page) {
    case ChooseTestPage::Fit:
        return NormaliseFitPage(c);
    case ChooseTestPage::TwoByTwo:
        return NormaliseTwoByTwoPage(c);
    case ChooseTestPage::OneColumn:
        return NormaliseOneColumnPage(document);
    case ChooseTestPage::TwoColumns:
        return NormaliseTwoColumnsPage(document);
    case ChooseTestPage::ThreeOrMoreColumns:
        return NormaliseThreeOrMorePage(document);
    case ChooseTestPage::MultipleRegression:
        return NormaliseMultipleRegressionPage(document);
    case ChooseTestPage::Blank:
        return false;
    }
    return false;
}

void Changed(DataDocument& document, ChooseTestPage page) {
    NormalisePage(document, page);
    MarkChanged(document.State);
}

// The column bookkeeping of raw and averaged data, then the page by the
// number of selected columns holding data.
ChooseTestPage PrepareColumnPages(DataDocument& document, ChooseTestState& selection) {
    DataTable& table = document.Table;
    AnalysisChoices& c = document.State.Choices;
    const std::vector<int> withData = DataColumns(table);
    const int n = static_cast<int>(withData.size());
    if (n > selection.ColumnsWithData && c.AllColumns)
        for (int column : withData)
            table.ColumnSelected[static_cast<std::size_t>(column)] = true;
    if (n < selection.ColumnsWithData)
        c.AllColumns = false;
    selection.ColumnsWithData = n;

    const int selected = static_cast<int>(SelectedDataColumns(table).size());
    c.ColumnCountClass = static_cast<std::uint8_t>(std::min(selected, 3));
    switch (c.ColumnCountClass) {
    case 1:
        return ChooseTestPage::OneColumn;
    case 2:
        return ChooseTestPage::TwoColumns;
    default:
        return ChooseTestPage::ThreeOrMoreColumns;
    }
}

} // namespace

// ---------------------------------------------------------------- columns

bool ColumnHoldsData(const DataTable& table, int column) {
    return ValidColumn(column) && table.ColumnInfo[static_cast<std::size_t>(column)].N > 0;
}

std::vector<int> DataColumns(const DataTable& table) {
    std::vector<int> columns;
    for (int column = 0; column < DataColumnCount; ++column)
        if (ColumnHoldsData(table, column))
            columns.push_back(column);
    return columns;
}

std::vector<int> SelectedDataColumns(const DataTable& table) {
    std::vector<int> columns;
    for (int column = 0; column < DataColumnCount; ++column)
        if (ColumnHoldsData(table, column) && table.ColumnSelected[static_cast<std::size_t>(column)])
            columns.push_back(column);
    return columns;
}

std::string ColumnListCaption(const DataTable& table, int column) {
    if (!ValidColumn(column))
        return {};
    return Letter(column) + ": " + table.ColumnInfo[static_cast<std::size_t>(column)].Title;
}

std::string SelectedColumnsText(const DataTable& table) {
    const std::vector<int> columns = SelectedDataColumns(table);
    std::string text;
    for (std::size_t start = 0; start < columns.size();) {
        std::size_t end = start;
        while (end + 1 < columns.size() && columns[end + 1] == columns[end] + 1)
            ++end;
        if (!text.empty())
            text += ",";
        text += Letter(columns[start]);
        if (end > start) {
            text += end == start + 1 ? '&' : '-';
            text += Letter(columns[end]);
        }
        start = end + 1;
    }
    return text;
}

bool HoldsTypedSummary(const DataTable& table, int column) {
    if (!ValidColumn(column))
        return false;
    const ColumnInfo& info = table.ColumnInfo[static_cast<std::size_t>(column)];
    if (info.N < 1)
        return false;
    if (IsMissing(info.Mean) && IsMissing(info.SD) && IsMissing(info.SEM))
        return false;
    return ColumnIsEmpty(table, column);
}

bool AnyTypedSummary(const DataTable& table) {
    for (int column = 0; column < DataColumnCount; ++column)
        if (HoldsTypedSummary(table, column))
            return true;
    return false;
}

bool IsAveragedFormat(DataFormat format) {
    return format == DataFormat::MeanSDN || format == DataFormat::MeanSEMN;
}

// ---------------------------------------------------------------- Start step

bool FormatEnabled(DataFormat format, GoalFamily goal, const DataTable& table) {
    if (GoalFamilyOf(format) != goal)
        return false;
    return !IsAveragedFormat(format) || !HasData(table);
}

void SetGoal(DataDocument& document, GoalFamily goal) {
    document.State.Goal = goal;
    switch (goal) {
    case GoalFamily::AnovaFamily:
        SetDataFormat(document, DataFormat::RawData);
        break;
    case GoalFamily::RegressionFamily:
        SetDataFormat(document, DataFormat::XYData);
        break;
    case GoalFamily::ContingencyFamily:
        SetDataFormat(document, DataFormat::TwoByTwo);
        break;
    }
}

bool SetDataFormat(DataDocument& document, DataFormat format) {
    DataTable& table = document.Table;
    if (!FormatEnabled(format, document.State.Goal, table))
        return false;
    document.State.Format = format;
    MarkChanged(document.State);
    switch (format) {
    case DataFormat::RawData:
        // Columns typed as mean, SD and N keep them: recomputing such a
        // column from its (missing) raw values would erase them.
        for (int column = 0; column < DataColumnCount; ++column)
            if (!HoldsTypedSummary(table, column))
                table.ColumnChanged[static_cast<std::size_t>(column)] = true;
        break;
    case DataFormat::MultRegData:
        for (int column = 0; column < DataColumnCount; ++column) {
            table.ColumnChanged[static_cast<std::size_t>(column)] = true;
            if (ColumnIsEmpty(table, column)) {
                ColumnInfo& info = table.ColumnInfo[static_cast<std::size_t>(column)];
                info.Mean = info.SD = info.SEM = MissingValue;
            }
        }
        break;
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN:
        document.State.ErrorBars = ErrorBarsForFormat(format, document.State.ErrorBars);
        break;
    case DataFormat::TwoByTwo: {
        TwoByTwoTable& counts = document.TwoByTwo;
        if (HasData(table) && IsMissing(counts.A) && IsMissing(counts.B) && IsMissing(counts.C) &&
            IsMissing(counts.D)) {
            counts.A = RawValue(table, 0, 0);
            counts.B = RawValue(table, 1, 0);
            counts.C = RawValue(table, 0, 1);
            counts.D = RawValue(table, 1, 1);
        }
        break;
    }
    case DataFormat::LargerTable:
    case DataFormat::XYData:
        break;
    }
    return true;
}

bool PrepareStartPage(DataDocument& document) {
    if (!IsAveragedFormat(document.State.Format) || !HasData(document.Table))
        return false;
    document.State.Goal = GoalFamily::AnovaFamily;
    return SetDataFormat(document, DataFormat::RawData);
}

std::array<std::string, 2> ExampleLines(GoalFamily goal) {
    switch (goal) {
    case GoalFamily::AnovaFamily:
        return {"Compare blood pressures of two or more groups, ",
                "or compare BP of one group with a theoretical value."};
    case GoalFamily::RegressionFamily:
        return {"How does blood pressure vary with age? For multiple",
                "regression, how does BP vary with age and weight? "};
    case GoalFamily::ContingencyFamily:
        return {"Compare numbers of pregnant and nonpregnant", "women in two age groups."};
    }
    return {};
}

std::vector<TestListGroup> FormatTestList(DataFormat format) {
    switch (format) {
    case DataFormat::XYData:
        return {{"",
                 {"Linear regression", "Interpolate unknown values", "Linear (Pearson) correlation",
                  "Spearman nonparametric correlation", "Constrained linear regression"}}};
    case DataFormat::RawData:
        return {{"1 group:", {"One sample t test", "Wilcoxon rank sum test"}},
                {"2 groups:",
                 {"Unpaired t test", "Paired t test.", "Welch's corrected t test", "Mann-Whitney test",
                  "Wilcoxon matched pairs test"}},
                {"3-26 groups:",
                 {"One-way ANOVA", "Repeated measures ANOVA", "Kruskal-Wallis test", "Friedman test",
                  "(All with post tests)"}}};
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN:
        return {{"1 group:", {"One sample t test"}},
                {"2 groups:", {"Unpaired t test", "Welch's corrected t test"}},
                {"3-26 groups:", {"One-way ANOVA (with post tests)"}}};
    case DataFormat::TwoByTwo:
        return {
            {"",
             {"Chi-square test ", "Chi-square test with Yate's correction", "Fisher's exact test",
              "Relative risk (with 95% CI)", "Odds ratio (with 95% CI)",
              "Difference of two proportions (with 95% CI)", "Sensitivity, specificity, etc. with 95% CI"}}};
    case DataFormat::LargerTable:
        return {{"", {"Chi-square test for independence", "Chi-square test for trend"}}};
    case DataFormat::MultRegData:
        return {{"", {"Multiple regression", "Correlation matrix"}}};
    }
    return {};
}

std::array<bool, 6> EnabledSteps(DataFormat format) {
    std::array<bool, 6> steps{true, true, true, true, true, true};
    if (IsAveragedFormat(format))
        steps[1] = false;
    if (format == DataFormat::TwoByTwo || format == DataFormat::LargerTable || format == DataFormat::XYData)
        steps[2] = false;
    if (format == DataFormat::LargerTable)
        steps[3] = false;
    return steps;
}

// ---------------------------------------------------------------- Choose Test step

void PrepareChooseTest(DataDocument& document, ChooseTestState& selection) {
    // The page depends on which columns hold data, so statistics left stale
    // by edits since the last visit of the Column Stats step are brought up
    // to date first (averaged data are typed and need nothing).
    const DataFormat format = document.State.Format;
    if (format == DataFormat::RawData || format == DataFormat::MultRegData)
        ComputeColumnStats(document);
    switch (document.State.Format) {
    case DataFormat::XYData:
        selection.Page = ChooseTestPage::Fit;
        break;
    case DataFormat::TwoByTwo:
        selection.Page = ChooseTestPage::TwoByTwo;
        break;
    case DataFormat::MultRegData:
        selection.Page = ChooseTestPage::MultipleRegression;
        break;
    case DataFormat::LargerTable:
        selection.Page = ChooseTestPage::Blank;
        break;
    case DataFormat::RawData:
    case DataFormat::MeanSDN:
    case DataFormat::MeanSEMN:
        selection.Page = PrepareColumnPages(document, selection);
        break;
    }
    if (NormalisePage(document, selection.Page))
        MarkChanged(document.State);
}

std::string SelectedTestText(const AnalysisChoices& c, ChooseTestPage page) {
    if (page == ChooseTestPage::TwoColumns) {
        const bool nonParametric = c.TwoColNonParametric != 0;
        if (c.TwoColUnpaired != 0) {
            if (nonParametric)
                return "Mann-Whitney test";
            return c.TwoColEqualSD ? "Unpaired t test" : "Unpaired t test, Welch corrected";
        }
        return nonParametric ? "Wilcoxon matched pairs test" : "Paired t test";
    }
    if (page == ChooseTestPage::ThreeOrMoreColumns) {
        const bool nonParametric = c.MultiColNonParametric != 0;
        std::string text;
        if (c.MultiColOrdinary != 0)
            text = nonParametric ? "Kruskal-Wallis test" : "One-way ANOVA";
        else
            text = nonParametric ? "Friedman test" : "Repeated measures ANOVA";
        return text + (PostTestListPosition(c) != 0 ? " with post-test" : " without post-test");
    }
    return {};
}

bool RawDataTestsRestricted(const DataDocument& document) {
    return RepeatedMeasuresRestricted(document) || AnyTypedSummary(document.Table);
}

bool RepeatedMeasuresRestricted(const DataDocument& document) {
    return IsAveragedFormat(document.State.Format) || !HasData(document.Table);
}

// Fit page.

FitChoice ShownFitChoice(const AnalysisChoices& c) {
    if (c.CorrelationKind == 1)
        return FitChoice::Pearson;
    if (c.CorrelationKind == 2)
        return FitChoice::Spearman;
    return c.ForceThroughPoint ? FitChoice::ForceThrough : FitChoice::LinearRegression;
}

void SetFitChoice(DataDocument& document, FitChoice choice) {
    AnalysisChoices& c = document.State.Choices;
    switch (choice) {
    case FitChoice::LinearRegression:
    case FitChoice::ForceThrough:
        c.FitRegression = true;
        c.ForceThroughPoint = choice == FitChoice::ForceThrough;
        c.CorrelationKind = 0;
        break;
    case FitChoice::Pearson:
    case FitChoice::Spearman:
        c.FitRegression = false;
        c.CorrelationKind = choice == FitChoice::Pearson ? 1 : 2;
        break;
    }
    MarkChanged(document.State);
}

void SetRunsTest(DataDocument& document, bool runsTest) {
    document.State.Choices.RunsTest = runsTest;
    MarkChanged(document.State);
}

void SetInterpolateUnknowns(DataDocument& document, bool interpolate) {
    document.State.Choices.InterpolateUnknowns = interpolate;
    MarkChanged(document.State);
}

void SetForceX(DataDocument& document, long double x) {
    if (!std::isfinite(x))
        return;
    document.State.Choices.ForceX = x;
    MarkChanged(document.State);
}

void SetForceY(DataDocument& document, long double y) {
    if (!std::isfinite(y))
        return;
    document.State.Choices.ForceY = y;
    MarkChanged(document.State);
}

// Two-by-two page.

AlsoCalculate ShownAlsoCalculate(const AnalysisChoices& c) {
    if (c.OddsRatio)
        return AlsoCalculate::OddsRatio;
    if (c.ProportionDifference)
        return AlsoCalculate::RelativeRisk;
    return AlsoCalculate::Sensitivity;
}

void SetUseChiSquare(DataDocument& document, bool chiSquare) {
    document.State.Choices.UseChiSquare = chiSquare ? 1 : 0;
    MarkChanged(document.State);
}

void SetYatesCorrection(DataDocument& document, bool yates) {
    document.State.Choices.YatesCorrection = yates;
    MarkChanged(document.State);
}

void SetTwoByTwoTwoSided(DataDocument& document, bool twoSided) {
    document.State.Choices.TwoByTwoTwoSided = twoSided;
    MarkChanged(document.State);
}

void SetAlsoCalculate(DataDocument& document, AlsoCalculate choice) {
    StoreAlsoCalculate(document.State.Choices, choice);
    MarkChanged(document.State);
}

// One-column page.

void SetOneColNonParametric(DataDocument& document, bool nonParametric) {
    document.State.Choices.OneColNonParametric = nonParametric ? 1 : 0;
    Changed(document, ChooseTestPage::OneColumn);
}

void SetOneColTwoSided(DataDocument& document, bool twoSided) {
    document.State.Choices.OneColTwoSided = twoSided ? 1 : 0;
    MarkChanged(document.State);
}

void SetHypotheticalPreset(DataDocument& document, int choice) {
    static constexpr long double values[] = {0.0L, 1.0L, 100.0L};
    if (choice < 0 || choice > 2)
        return;
    AnalysisChoices& c = document.State.Choices;
    c.HypotheticalChoice = static_cast<std::uint8_t>(choice);
    c.HypotheticalValue = values[choice];
    MarkChanged(document.State);
}

void SetHypotheticalOther(DataDocument& document, long double fieldValue) {
    AnalysisChoices& c = document.State.Choices;
    c.HypotheticalChoice = 3;
    if (std::isfinite(fieldValue))
        c.HypotheticalValue = KeepNineDecimals(fieldValue);
    MarkChanged(document.State);
}

void LeaveHypotheticalField(DataDocument& document, long double fieldValue) {
    AnalysisChoices& c = document.State.Choices;
    if (std::isfinite(fieldValue))
        c.HypotheticalValue = KeepNineDecimals(fieldValue);
    const long double value = c.HypotheticalValue;
    c.HypotheticalChoice = value == 0 ? 0 : value == 1 ? 1 : value == 100 ? 2 : 3;
    MarkChanged(document.State);
}

// Two-columns page.

TwoColumnAssumption ShownTwoColumnAssumption(const AnalysisChoices& c) {
    if (c.TwoColNonParametric != 0)
        return TwoColumnAssumption::Nonparametric;
    return c.TwoColEqualSD ? TwoColumnAssumption::EqualSDs : TwoColumnAssumption::UnequalSDs;
}

void SetTwoColUnpaired(DataDocument& document, bool unpaired) {
    document.State.Choices.TwoColUnpaired = unpaired ? 1 : 0;
    Changed(document, ChooseTestPage::TwoColumns);
}

void SetTwoColAssumption(DataDocument& document, TwoColumnAssumption assumption) {
    AnalysisChoices& c = document.State.Choices;
    c.TwoColNonParametric = assumption == TwoColumnAssumption::Nonparametric ? 1 : 0;
    if (assumption != TwoColumnAssumption::Nonparametric)
        c.TwoColEqualSD = assumption == TwoColumnAssumption::EqualSDs;
    Changed(document, ChooseTestPage::TwoColumns);
}

void SetTwoColTwoSided(DataDocument& document, bool twoSided) {
    document.State.Choices.TwoColTwoSided = twoSided ? 1 : 0;
    MarkChanged(document.State);
}

// Three-or-more-columns page.

void SetAllColumns(DataDocument& document, ChooseTestState& selection, bool allColumns) {
    document.State.Choices.AllColumns = allColumns;
    if (allColumns)
        for (int column : DataColumns(document.Table))
            document.Table.ColumnSelected[static_cast<std::size_t>(column)] = true;
    MarkChanged(document.State);
    PrepareChooseTest(document, selection);
}

void SetMultiColOrdinary(DataDocument& document, bool ordinary) {
    document.State.Choices.MultiColOrdinary = ordinary ? 1 : 0;
    MarkChanged(document.State);
}

void SetMultiColNonParametric(DataDocument& document, bool nonParametric) {
    document.State.Choices.MultiColNonParametric = nonParametric ? 1 : 0;
    Changed(document, ChooseTestPage::ThreeOrMoreColumns);
}

std::vector<std::string> PostTestItems(bool nonParametric) {
    if (nonParametric)
        return {"(No post test)", "Dunn: Compare selected pairs of columns.",
                "Dunn: Compare all pairs of columns."};
    return {"(No post test)",
            "Bonferroni: Compare selected pairs of columns.",
            "Bonferroni: Compare all pairs of columns.",
            "Tukey: Compare all pairs of columns.",
            "Student-Newman-Keuls: Compare all pairs of columns.",
            "Dunnett: Compare all vs. control.",
            "Test for linear trend between column mean and column number"};
}

int PostTestListPosition(const AnalysisChoices& c) {
    int position = -1;
    if (c.PostTestCondition == 1) {
        position = 0;
    } else {
        switch (c.PostTestMethod) {
        case 0:
            position = c.PostTestPairs == 1 ? 1 : 2;
            break;
        case 1:
            position = 3;
            break;
        case 2:
            position = 5;
            break;
        case 3:
            position = 4;
            break;
        case 4:
            position = 6;
            break;
        default:
            break;
        }
    }
    if (c.MultiColNonParametric != 0 && position > 2)
        position = 2;
    return position;
}

void SetPostTestItem(DataDocument& document, int item) {
    AnalysisChoices& c = document.State.Choices;
    const int count = static_cast<int>(PostTestItems(c.MultiColNonParametric != 0).size());
    if (item < 0 || item >= count)
        return;
    // Method and pair mode of items 1 to 6.
    static constexpr std::uint8_t methods[] = {0, 0, 0, 1, 3, 2, 4};
    static constexpr std::uint8_t pairs[] = {0, 1, 0, 0, 0, 2, 0};
    if (item == 0) {
        c.PostTestCondition = 1;
    } else {
        // The check box shows checked exactly for condition 2.
        c.PostTestCondition = c.PostTestCondition == 2 ? 2 : 0;
        c.PostTestMethod = methods[item];
        c.PostTestPairs = pairs[item];
    }
    MarkChanged(document.State);
}

void SetPostTestOnlyIfSignificant(DataDocument& document, bool checked) {
    AnalysisChoices& c = document.State.Choices;
    if (checked)
        c.PostTestCondition = 2;
    else
        c.PostTestCondition = PostTestListPosition(c) == 0 ? 1 : 0;
    MarkChanged(document.State);
}

void SetControlColumn(DataDocument& document, int position) {
    const int count = static_cast<int>(SelectedDataColumns(document.Table).size());
    if (position < 0 || position >= count)
        return;
    document.State.Choices.ControlColumn = position;
    MarkChanged(document.State);
}

// Multiple-regression page.

void SetMultipleRegression(DataDocument& document, bool multipleRegression) {
    document.State.Choices.MultipleRegression = multipleRegression;
    Changed(document, ChooseTestPage::MultipleRegression);
}

void SetDependentY(DataDocument& document, int column) {
    if (!ValidColumn(column))
        return;
    document.State.Choices.DependentY = column;
    Changed(document, ChooseTestPage::MultipleRegression);
}

void SetIndependentX(DataDocument& document, int column, bool checked) {
    if (!ValidColumn(column))
        return;
    document.State.Choices.IndependentX[static_cast<std::size_t>(column)] = checked;
    Changed(document, ChooseTestPage::MultipleRegression);
}

void SetAllIndependentX(DataDocument& document, bool checked) {
    for (int column : IndependentXColumns(document))
        document.State.Choices.IndependentX[static_cast<std::size_t>(column)] = checked;
    MarkChanged(document.State);
}

std::vector<int> IndependentXColumns(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    std::vector<int> columns = DataColumns(document.Table);
    if (c.MultipleRegression)
        std::erase(columns, c.DependentY);
    return columns;
}

} // namespace vextal
