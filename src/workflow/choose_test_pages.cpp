#include "workflow/choose_test_pages.h"

#include <algorithm>
#include <cmath>

namespace vextal {
namespace {

ControlState Control(std::string caption, bool checked = false, bool enabled = true) {
    ControlState control;
    control.Caption = std::move(caption);
    control.Checked = checked;
    control.Enabled = enabled;
    return control;
}

EntryState Entry(long double value) {
    EntryState entry;
    entry.Value = value;
    entry.Text = EntryFieldText(value);
    return entry;
}

bool AnyColumnHoldsData(const DataTable& table) {
    return !DataColumns(table).empty();
}

ControlState SelectionLabel(const DataTable& table) {
    return Control("Selected: " + SelectedColumnsText(table));
}

} // namespace

std::string EntryFieldText(long double value) {
    if (!std::isfinite(value))
        return {};
    std::string text = FormatFixed(value, 9);
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    if (text == "-0")
        text = "0";
    return text;
}

StartPageView DescribeStartPage(const DataDocument& document) {
    const DocumentState& state = document.State;
    StartPageView view;
    view.GoalGroupCaption = "A. Specify your goal";
    for (int goal = 0; goal < 3; ++goal) {
        const auto family = static_cast<GoalFamily>(goal);
        view.Goals[static_cast<std::size_t>(goal)] = Control(GoalCaption(family), family == state.Goal);
    }
    view.FormatGroupCaption = "B. Choose a data entry format";
    for (int code = 1; code <= 7; ++code) {
        const auto format = static_cast<DataFormat>(code);
        view.Formats[static_cast<std::size_t>(code - 1)] =
            Control(DataFormatCaption(format), format == state.Format,
                    FormatEnabled(format, state.Goal, document.Table));
    }
    view.ExampleCaption = "Example:";
    view.ExampleLines = ExampleLines(state.Goal);
    view.TestsCaption = "Based on your choices, Vextal will be able to perform these tests:";
    view.Tests = FormatTestList(state.Format);
    view.NextStepCaption = "Next step: Enter data (click here).";
    return view;
}

FitPageView DescribeFitPage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const FitChoice fit = ShownFitChoice(c);
    const bool correlation = fit == FitChoice::Pearson || fit == FitChoice::Spearman;
    FitPageView view;
    view.LinearRegression = Control("Linear regression.", fit == FitChoice::LinearRegression);
    view.ForceThrough = Control("Linear regression. Force through", fit == FitChoice::ForceThrough);
    view.Pearson =
        Control("Correlation (Pearson r). Assume Gaussian distributions.", fit == FitChoice::Pearson);
    view.Spearman = Control("Nonparametric correlation (Spearman r). No Gaussian assumptions.",
                            fit == FitChoice::Spearman);
    view.ForceXCaption = "X=";
    view.ForceYCaption = "Y=";
    view.ForceX = Entry(c.ForceX);
    view.ForceY = Entry(c.ForceY);
    view.LinearityGroupCaption = "2. Test for departure from linearity?";
    view.RunsTestYes = Control("Yes. Perform runs test.", c.RunsTest, !correlation);
    view.RunsTestNo = Control("No.", !c.RunsTest, !correlation);
    view.UnknownsGroupCaption = "3. Read unknowns from standard curve?";
    view.Interpolate =
        Control("Interpolate unknowns from the standard curve.", c.InterpolateUnknowns, !correlation);
    view.UnknownsHelpButton = Control("Where do I enter the unknowns?");
    return view;
}

TwoByTwoPageView DescribeTwoByTwoPage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const bool chiSquare = c.UseChiSquare != 0;
    const AlsoCalculate also = ShownAlsoCalculate(c);
    TwoByTwoPageView view;
    view.TestGroupCaption = "1. Which test?";
    view.Fisher = Control("Fisher's exact test.", !chiSquare);
    view.ChiSquare = Control("Chi-square test.", chiSquare);
    view.YatesGroupCaption = "2. Chi-square with Yates' correction?";
    view.YatesYes = Control("Yes. Use Yates' correction.", c.YatesCorrection, chiSquare);
    view.YatesNo = Control("No.", !c.YatesCorrection, chiSquare);
    view.SidesGroupCaption = "3. One- or two-sided P value?";
    view.OneSided = Control("One-sided P value.", !c.TwoByTwoTwoSided);
    view.TwoSided = Control("Two-sided P value.", c.TwoByTwoTwoSided);
    view.AlsoCalculateGroupCaption = "4. Also calculate";
    view.RelativeRisk =
        Control("Relative risk and difference of two proportions.", also == AlsoCalculate::RelativeRisk);
    view.OddsRatio = Control("Odds ratio.", also == AlsoCalculate::OddsRatio);
    view.Sensitivity =
        Control("Sensitivity, specificity, predictive values.", also == AlsoCalculate::Sensitivity);
    return view;
}

OneColumnPageView DescribeOneColumnPage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const bool restricted = RawDataTestsRestricted(document);
    const bool nonParametric = c.OneColNonParametric != 0 && !restricted;
    OneColumnPageView view;
    view.ColumnGroupCaption = "Analyzing column ";
    view.SelectionLabel = SelectionLabel(document.Table);
    view.SelectButton = Control("Select another column", false, AnyColumnHoldsData(document.Table));
    view.TTest = Control("One sample t test. Assume sampling from a Gaussian population.", !nonParametric,
                         !restricted);
    view.Wilcoxon = Control("Wilcoxon rank sum test (nonparametric, no Gaussian assumption).", nonParametric,
                            !restricted);
    view.OneTail = Control("One-tail P value.", c.OneColTwoSided == 0);
    view.TwoTail = Control("Two-tail P value. Recommended.", c.OneColTwoSided != 0);
    const std::string prefix = nonParametric ? "Hypothetical median=" : "Hypothetical mean=";
    const char* values[] = {"0.0", "1.0", "100", ""};
    for (int i = 0; i < 4; ++i)
        view.Hypothetical[static_cast<std::size_t>(i)] =
            Control(prefix + values[i], c.HypotheticalChoice == i);
    view.HypotheticalField = Entry(c.HypotheticalValue);
    return view;
}

TwoColumnsPageView DescribeTwoColumnsPage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const bool restricted = RawDataTestsRestricted(document);
    const bool unpaired = c.TwoColUnpaired != 0 || restricted;
    const TwoColumnAssumption assumption = ShownTwoColumnAssumption(c);
    TwoColumnsPageView view;
    view.ColumnGroupCaption = "Analyzing columns";
    view.SelectionLabel = SelectionLabel(document.Table);
    view.SelectButton = Control("Select other columns", false, AnyColumnHoldsData(document.Table));
    view.PairingGroupCaption = "1. Is each value paired (matched) with the value next to it?";
    view.Unpaired = Control("No. Perform unpaired test.", unpaired, !restricted);
    view.Paired = Control("Yes. Perform paired test.", !unpaired, !restricted);
    view.GaussianGroupCaption = "2. Assume values are sampled from Gaussian distributions?";
    view.Nonparametric = Control("No. Perform nonparametric test.",
                                 assumption == TwoColumnAssumption::Nonparametric, !restricted);
    view.EqualSDs =
        Control(unpaired ? "Yes. Also assume the populations have equal SDs." : "Yes. Perform paired t test.",
                assumption == TwoColumnAssumption::EqualSDs ||
                    (!unpaired && assumption == TwoColumnAssumption::UnequalSDs));
    view.UnequalSDs = Control("Yes, but assume the populations may have different SDs. ",
                              unpaired && assumption == TwoColumnAssumption::UnequalSDs, unpaired);
    view.TailsGroupCaption = "3. One- vs two-tail P value";
    view.OneTail = Control("One-tail P value.", c.TwoColTwoSided == 0);
    view.TwoTail = Control("Two-tail P value. Recommended.", c.TwoColTwoSided != 0);
    view.TestCaption = SelectedTestCaption;
    AnalysisChoices shown = c;
    shown.TwoColUnpaired = unpaired ? 1 : 0;
    view.TestText = SelectedTestText(shown, ChooseTestPage::TwoColumns);
    return view;
}

ThreeOrMorePageView DescribeThreeOrMorePage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const DataTable& table = document.Table;
    const bool rawRestricted = RawDataTestsRestricted(document);
    const bool repeatedRestricted = RepeatedMeasuresRestricted(document);
    const bool nonParametric = c.MultiColNonParametric != 0 && !rawRestricted;
    const std::vector<int> selected = SelectedDataColumns(table);
    const int selectedCount = static_cast<int>(selected.size());

    ThreeOrMorePageView view;
    view.ColumnGroupCaption = "1. Select columns";
    view.AllColumns = Control("All columns", c.AllColumns);
    view.SelectedColumns = Control("Selected columns", !c.AllColumns);
    view.SelectButton = Control("Select", false, AnyColumnHoldsData(table));
    view.SelectionLabel = SelectionLabel(table);
    view.MatchedGroupCaption = "2. Are the values in each row matched (paired)?";
    view.Ordinary = Control("No. Perform ordinary ANOVA.", c.MultiColOrdinary != 0, !repeatedRestricted);
    view.Repeated =
        Control("Yes. Perform repeated measures ANOVA. ", c.MultiColOrdinary == 0, !repeatedRestricted);
    view.GaussianGroupCaption = "3. Assume values are sampled from Gaussian distributions?";
    view.Parametric = Control("Yes. Use standard (parametric) methods.", !nonParametric, !rawRestricted);
    view.Nonparametric = Control("No. Use nonparametric methods.", nonParametric, !rawRestricted);

    AnalysisChoices shown = c;
    shown.MultiColNonParametric = nonParametric ? 1 : 0;
    const int position = PostTestListPosition(shown);
    view.PostTestGroupCaption = "4. Choose a multiple comparison post test";
    view.PostTest.Items = PostTestItems(nonParametric);
    view.PostTest.ItemIndex = position;
    view.OnlyIfSignificant = Control("Only perform post test if P<0.05.", c.PostTestCondition == 2);
    view.SelectPairs = Control("Select pairs...", false, selectedCount > 1);
    view.SelectPairs.Visible = position == 1;
    view.ControlColumnLabel = Control("Control column:");
    view.ControlColumnLabel.Visible = position == 5;
    for (int column : selected)
        view.ControlColumn.Items.push_back(ColumnListCaption(table, column));
    if (selectedCount > 0)
        view.ControlColumn.ItemIndex =
            c.ControlColumn >= 0 && c.ControlColumn < selectedCount ? c.ControlColumn : 0;
    view.ControlColumn.Enabled = view.ControlColumnLabel.Enabled = selectedCount > 0;
    view.ControlColumn.Visible = position == 5;

    view.TestCaption = SelectedTestCaption;
    view.TestText = SelectedTestText(shown, ChooseTestPage::ThreeOrMoreColumns);
    return view;
}

MultipleRegressionPageView DescribeMultipleRegressionPage(const DataDocument& document) {
    const AnalysisChoices& c = document.State.Choices;
    const DataTable& table = document.Table;
    const std::vector<int> columns = DataColumns(table);
    const int count = static_cast<int>(columns.size());
    const bool regression = c.MultipleRegression;

    MultipleRegressionPageView view;
    view.MultipleRegression = Control("Multiple Regression", regression);
    view.CorrelationMatrix =
        Control("Correlation matrix (compute r for every pair of variables)", !regression);
    view.OutcomeLabel = Control("Which variable is the outcome (dependent variable or Y)?");
    for (int column : columns)
        view.Outcome.Items.push_back(ColumnListCaption(table, column));
    view.OutcomeColumns = columns;
    const auto found = std::find(columns.begin(), columns.end(), c.DependentY);
    if (count > 0)
        view.Outcome.ItemIndex = found == columns.end() ? 0 : static_cast<int>(found - columns.begin());
    view.Outcome.Enabled = regression && count > 1;

    view.IndependentCaption = Control(regression ? "Check variables you want to test for their effect on the "
                                                   "outcome. Select one or more independent (X) variables:"
                                                 : "Check the variables you want to include:");
    const int outcome =
        view.Outcome.ItemIndex >= 0 ? columns[static_cast<std::size_t>(view.Outcome.ItemIndex)] : -1;
    for (int column : columns) {
        if (regression && column == outcome)
            continue;
        view.Independent.Items.push_back(ColumnListCaption(table, column));
        view.Independent.Checked.push_back(c.IndependentX[static_cast<std::size_t>(column)]);
        view.Independent.Columns.push_back(column);
    }
    view.Independent.Enabled = count >= (regression ? 2 : 1);
    view.SelectAll = Control("Select All", false, view.Independent.Enabled);
    view.DeselectAll = Control("Deselect All", false, view.Independent.Enabled);
    return view;
}

} // namespace vextal
