#include "workflow/choose_test_pages.h"

#include <gtest/gtest.h>

using namespace vextal;

namespace {

DataDocument RawDocument(std::initializer_list<int> columns) {
    DataDocument document = NewDocument();
    for (int column : columns) {
        for (int row = 0; row < 3; ++row)
            SetValue(document.Table, row, column, row + column);
        document.Table.SummaryEntered[static_cast<std::size_t>(column)] = false;
        document.Table.ColumnInfo[static_cast<std::size_t>(column)].Title =
            std::string("t") + char('a' + column);
    }
    ChooseTestState selection;
    PrepareChooseTest(document, selection);
    return document;
}

} // namespace

TEST(ChooseTestPages, FitPageDisablesRegressionOptionsForCorrelations) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::XYData;
    document.State.Choices.ForceX = 2.5L;
    SetFitChoice(document, FitChoice::ForceThrough);
    FitPageView view = DescribeFitPage(document);
    EXPECT_TRUE(view.ForceThrough.Checked);
    EXPECT_EQ("2.5", view.ForceX.Text);
    EXPECT_TRUE(view.RunsTestYes.Enabled);

    SetFitChoice(document, FitChoice::Spearman);
    EXPECT_FALSE(document.State.Choices.FitRegression);
    view = DescribeFitPage(document);
    EXPECT_TRUE(view.Spearman.Checked);
    EXPECT_FALSE(view.RunsTestYes.Enabled || view.RunsTestNo.Enabled || view.Interpolate.Enabled);

    // A record that asks for neither regression nor correlation runs the
    // regression its page shows.
    document.State.Choices.CorrelationKind = 0;
    document.State.Choices.ForceThroughPoint = false;
    ChooseTestState selection;
    PrepareChooseTest(document, selection);
    EXPECT_TRUE(document.State.Choices.FitRegression);
}

TEST(ChooseTestPages, TwoByTwoPageShowsOneAlsoCalculateChoice) {
    DataDocument document = NewDocument();
    EXPECT_FALSE(DescribeTwoByTwoPage(document).YatesYes.Enabled) << "Fisher's test has no Yates correction";
    SetUseChiSquare(document, true);
    SetAlsoCalculate(document, AlsoCalculate::OddsRatio);
    const TwoByTwoPageView view = DescribeTwoByTwoPage(document);
    EXPECT_TRUE(view.YatesYes.Enabled && view.OddsRatio.Checked && !view.RelativeRisk.Checked);
    const AnalysisChoices& c = document.State.Choices;
    EXPECT_FALSE(c.RelativeRisk || c.ProportionDifference || c.Sensitivity);
}

TEST(ChooseTestPages, ColumnPagesCaptionTheirChoices) {
    DataDocument one = RawDocument({2});
    SetOneColNonParametric(one, true);
    OneColumnPageView single = DescribeOneColumnPage(one);
    EXPECT_EQ("Selected: C", single.SelectionLabel.Caption);
    EXPECT_TRUE(single.Wilcoxon.Checked && single.Wilcoxon.Enabled);
    EXPECT_EQ("Hypothetical median=0.0", single.Hypothetical[0].Caption);
    EXPECT_EQ("Hypothetical median=", single.Hypothetical[3].Caption);

    DataDocument two = RawDocument({0, 1});
    SetTwoColUnpaired(two, false);
    TwoColumnsPageView pair = DescribeTwoColumnsPage(two);
    EXPECT_EQ("Yes. Perform paired t test.", pair.EqualSDs.Caption);
    EXPECT_FALSE(pair.UnequalSDs.Enabled);
    SetTwoColUnpaired(two, true);
    pair = DescribeTwoColumnsPage(two);
    EXPECT_EQ("Yes. Also assume the populations have equal SDs.", pair.EqualSDs.Caption);
    EXPECT_TRUE(pair.UnequalSDs.Enabled);
    EXPECT_TRUE(pair.Paired.Enabled);
}

TEST(ChooseTestPages, ThreeColumnPageShowsPairsOrControlColumn) {
    DataDocument document = RawDocument({0, 1, 3, 4});
    SetPostTestItem(document, 1);
    ThreeOrMorePageView view = DescribeThreeOrMorePage(document);
    EXPECT_TRUE(view.SelectPairs.Visible && view.SelectPairs.Enabled);
    EXPECT_FALSE(view.ControlColumn.Visible);
    EXPECT_EQ("Selected: A&B,D&E", view.SelectionLabel.Caption);

    SetPostTestItem(document, 5);
    SetControlColumn(document, 3);
    SetControlColumn(document, 4); // outside the list
    view = DescribeThreeOrMorePage(document);
    EXPECT_FALSE(view.SelectPairs.Visible);
    EXPECT_TRUE(view.ControlColumn.Visible);
    EXPECT_EQ((std::vector<std::string>{"A: ta", "B: tb", "D: td", "E: te"}), view.ControlColumn.Items);
    EXPECT_EQ(3, view.ControlColumn.ItemIndex);

    // With B deselected the stored position no longer fits: the control
    // falls back to the first column.
    ChooseTestState selection;
    selection.ColumnsWithData = 4;
    document.Table.ColumnSelected[1] = false;
    PrepareChooseTest(document, selection);
    EXPECT_EQ(0, document.State.Choices.ControlColumn);
    EXPECT_EQ("A: ta", DescribeThreeOrMorePage(document).ControlColumn.Items[0]);
}

TEST(ChooseTestPages, MultipleRegressionPageListsOutcomeAndVariables) {
    DataDocument document = RawDocument({0, 2, 3});
    document.State.Format = DataFormat::MultRegData;
    document.State.Choices.DependentY = 1; // B holds no data
    ChooseTestState selection;
    PrepareChooseTest(document, selection);
    EXPECT_EQ(0, document.State.Choices.DependentY);
    EXPECT_FALSE(document.State.Choices.IndependentX[0]);
    MultipleRegressionPageView view = DescribeMultipleRegressionPage(document);
    EXPECT_EQ((std::vector<std::string>{"A: ta", "C: tc", "D: td"}), view.Outcome.Items);
    EXPECT_EQ((std::vector<int>{2, 3}), view.Independent.Columns);
    EXPECT_TRUE(view.Outcome.Enabled);

    SetDependentY(document, 3);
    SetAllIndependentX(document, false);
    EXPECT_FALSE(document.State.Choices.IndependentX[2]);
    EXPECT_TRUE(document.State.Choices.IndependentX[25]) << "columns off the list keep their flags";
    SetMultipleRegression(document, false);
    view = DescribeMultipleRegressionPage(document);
    EXPECT_EQ(3u, view.Independent.Items.size());
    EXPECT_FALSE(view.Outcome.Enabled);
    EXPECT_EQ("Check the variables you want to include:", view.IndependentCaption.Caption);
}
