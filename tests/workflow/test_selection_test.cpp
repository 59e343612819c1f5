#include "workflow/test_selection.h"

#include <gtest/gtest.h>

#include <limits>

#include "workflow/choose_test_pages.h"

using namespace vextal;

namespace {

// A raw-data document with `rows` values in each of the given columns.
DataDocument RawDocument(std::initializer_list<int> columns, int rows = 4) {
    DataDocument document = NewDocument();
    for (int column : columns) {
        for (int row = 0; row < rows; ++row)
            SetValue(document.Table, row, column, 10.0L * column + row);
        document.Table.SummaryEntered[static_cast<std::size_t>(column)] = false;
    }
    return document;
}

// An averaged-data document with typed mean, SD and N in the given columns.
DataDocument AveragedDocument(std::initializer_list<int> columns) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSDN;
    for (int column : columns) {
        ColumnInfo& info = document.Table.ColumnInfo[static_cast<std::size_t>(column)];
        info.N = 5;
        info.Mean = 12.5L;
        info.SD = 2.0L;
    }
    return document;
}

ChooseTestPage Prepared(DataDocument& document) {
    ChooseTestState selection;
    PrepareChooseTest(document, selection);
    return selection.Page;
}

} // namespace

TEST(TestSelection, NewDocumentStartsBlankAndDescribesTheUnpairedTTest) {
    DataDocument document = RawDocument({0, 1});
    document.State.DocumentModified = false;
    ChooseTestState selection;
    EXPECT_EQ(ChooseTestPage::Blank, selection.Page);
    EXPECT_EQ(GoalFamily::AnovaFamily, document.State.Goal);
    EXPECT_EQ(DataFormat::RawData, document.State.Format);

    PrepareChooseTest(document, selection);
    EXPECT_EQ(ChooseTestPage::TwoColumns, selection.Page);
    EXPECT_EQ(2, document.State.Choices.ColumnCountClass);
    EXPECT_EQ("Unpaired t test", SelectedTestText(document.State.Choices, selection.Page));
    EXPECT_EQ("Unpaired t test", DescribeTwoColumnsPage(document).TestText);
    EXPECT_FALSE(document.State.DocumentModified) << "preparing alone changes nothing";
}

TEST(TestSelection, PageAndHelpTopicFollowFormatAndColumnCount) {
    struct Case {
        DataFormat format;
        std::initializer_list<int> columns;
        ChooseTestPage page;
        int topic;
    };
    const Case cases[] = {
        {DataFormat::RawData, {}, ChooseTestPage::ThreeOrMoreColumns, 134},
        {DataFormat::RawData, {2}, ChooseTestPage::OneColumn, 73},
        {DataFormat::RawData, {0, 3}, ChooseTestPage::TwoColumns, 88},
        {DataFormat::RawData, {0, 1, 2, 3, 4}, ChooseTestPage::ThreeOrMoreColumns, 134},
        {DataFormat::TwoByTwo, {}, ChooseTestPage::TwoByTwo, 161},
        {DataFormat::XYData, {0, 1}, ChooseTestPage::Fit, 182},
        {DataFormat::MultRegData, {0, 1, 2}, ChooseTestPage::MultipleRegression, 463},
        {DataFormat::LargerTable, {0, 1}, ChooseTestPage::Blank, 0},
    };
    for (const Case& c : cases) {
        DataDocument document = RawDocument(c.columns);
        document.State.Format = c.format;
        const ChooseTestPage page = Prepared(document);
        EXPECT_EQ(c.page, page) << static_cast<int>(c.format) << " with " << c.columns.size() << " columns";
        EXPECT_EQ(c.topic, ChooseTestHelpTopic(page));
    }
    DataDocument five = RawDocument({0, 1, 2, 3, 4});
    Prepared(five);
    EXPECT_EQ(3, five.State.Choices.ColumnCountClass) << "capped at 3";
    DataDocument averaged = AveragedDocument({1});
    EXPECT_EQ(ChooseTestPage::OneColumn, Prepared(averaged)) << "typed N counts for averaged data";
}

TEST(TestSelection, ColumnBookkeepingFollowsTheColumnsHoldingData) {
    DataDocument document = RawDocument({0, 1});
    ChooseTestState selection;
    PrepareChooseTest(document, selection);
    document.Table.ColumnSelected[1] = false; // deselected while "All columns" is on

    // A third column grows the count: every column holding data is selected.
    for (int row = 0; row < 4; ++row)
        SetValue(document.Table, row, 2, row);
    PrepareChooseTest(document, selection);
    EXPECT_TRUE(document.Table.ColumnSelected[1]);
    EXPECT_EQ(ChooseTestPage::ThreeOrMoreColumns, selection.Page);
    EXPECT_TRUE(document.State.Choices.AllColumns);

    // Emptying a column shrinks the count and clears "All columns", so a
    // column typed later is not selected on its own.
    for (int row = 0; row < 4; ++row)
        SetValue(document.Table, row, 2, MissingValue);
    PrepareChooseTest(document, selection);
    EXPECT_FALSE(document.State.Choices.AllColumns);
    EXPECT_EQ(ChooseTestPage::TwoColumns, selection.Page);
    document.Table.ColumnSelected[0] = false;
    for (int row = 0; row < 4; ++row)
        SetValue(document.Table, row, 5, row);
    PrepareChooseTest(document, selection);
    EXPECT_FALSE(document.Table.ColumnSelected[0]);
    EXPECT_EQ("B,F", SelectedColumnsText(document.Table));
}

TEST(TestSelection, SelectedColumnsTextGroupsRuns) {
    DataDocument document = RawDocument({0, 1, 2, 4, 5, 7});
    Prepared(document);
    EXPECT_EQ("A-C,E&F,H", SelectedColumnsText(document.Table));
    DataDocument last = RawDocument({24, 25});
    Prepared(last);
    EXPECT_EQ("Y&Z", SelectedColumnsText(last.Table));
    DataDocument empty = NewDocument();
    EXPECT_EQ("", SelectedColumnsText(empty.Table));
}

TEST(TestSelection, FormatChangesMarkTheDocumentAndApplyTheirRules) {
    DataDocument document = RawDocument({0, 1}, 2);
    EXPECT_FALSE(SetDataFormat(document, DataFormat::MeanSDN))
        << "averaged data are refused beside raw values";
    EXPECT_EQ(DataFormat::RawData, document.State.Format);

    // The two-by-two counts come from the first two rows of columns A and B,
    // but only while the table has none.
    document.State.Goal = GoalFamily::ContingencyFamily;
    document.State.DocumentModified = false;
    ASSERT_TRUE(SetDataFormat(document, DataFormat::TwoByTwo));
    EXPECT_TRUE(document.State.DocumentModified);
    EXPECT_EQ(0.0L, document.TwoByTwo.A);
    EXPECT_EQ(1.0L, document.TwoByTwo.B);
    EXPECT_EQ(10.0L, document.TwoByTwo.C);
    EXPECT_EQ(11.0L, document.TwoByTwo.D);
    document.TwoByTwo.A = 7;
    SetValue(document.Table, 0, 0, 99);
    SetDataFormat(document, DataFormat::TwoByTwo);
    EXPECT_EQ(7.0L, document.TwoByTwo.A);

    DataDocument averaged = AveragedDocument({0, 1});

    // Raw data recompute the columns with raw values and keep typed ones.
    SetValue(averaged.Table, 0, 2, 4.0L);
    averaged.Table.ColumnChanged.fill(false);
    averaged.State.Format = DataFormat::RawData;
    SetDataFormat(averaged, DataFormat::RawData);
    EXPECT_TRUE(averaged.Table.ColumnChanged[2]);
    EXPECT_FALSE(averaged.Table.ColumnChanged[0]);
    Prepared(averaged);
    EXPECT_EQ(12.5L, averaged.Table.ColumnInfo[0].Mean);
    EXPECT_EQ(5, averaged.Table.ColumnInfo[0].N);
    EXPECT_TRUE(RawDataTestsRestricted(averaged)) << "typed summaries allow only parametric tests";

    // Multiple regression drops typed means of columns without raw values.
    averaged.State.Goal = GoalFamily::RegressionFamily;
    SetDataFormat(averaged, DataFormat::MultRegData);
    EXPECT_TRUE(IsMissing(averaged.Table.ColumnInfo[0].Mean));
    EXPECT_TRUE(IsMissing(averaged.Table.ColumnInfo[0].SD));
    EXPECT_EQ(4.0L, averaged.Table.ColumnInfo[2].Mean) << "a raw column keeps its statistics";
}

TEST(TestSelection, GoalsSelectTheirFirstFormatAndStepsFollowTheFormat) {
    DataDocument document = NewDocument();
    SetGoal(document, GoalFamily::RegressionFamily);
    EXPECT_EQ(DataFormat::XYData, document.State.Format);
    EXPECT_FALSE(FormatEnabled(DataFormat::RawData, document.State.Goal, document.Table));
    SetGoal(document, GoalFamily::ContingencyFamily);
    EXPECT_EQ(DataFormat::TwoByTwo, document.State.Format);
    SetGoal(document, GoalFamily::AnovaFamily);
    EXPECT_EQ(DataFormat::RawData, document.State.Format);
    SetDataFormat(document, DataFormat::MeanSEMN);
    EXPECT_EQ(ErrorBarKind::SEM, document.State.ErrorBars);
    EXPECT_TRUE(FormatEnabled(DataFormat::MeanSEMN, GoalFamily::AnovaFamily, document.Table));

    using Steps = std::array<bool, 6>;
    EXPECT_EQ((Steps{true, false, true, true, true, true}), EnabledSteps(DataFormat::MeanSEMN));
    EXPECT_EQ((Steps{true, true, false, false, true, true}), EnabledSteps(DataFormat::LargerTable));

    const StartPageView start = DescribeStartPage(RawDocument({0}));
    EXPECT_EQ("Averaged data. Mean, SD && N.", start.Formats[1].Caption);
    EXPECT_FALSE(start.Formats[1].Enabled) << "raw values exclude averaged data";

    // Entering the Start step with raw values drops an averaged format.
    DataDocument mixed = RawDocument({0});
    mixed.State.Format = DataFormat::MeanSDN;
    EXPECT_TRUE(PrepareStartPage(mixed));
    EXPECT_EQ(DataFormat::RawData, mixed.State.Format);
}

TEST(TestSelection, SelectedTestTextNamesEveryCombination) {
    AnalysisChoices c;
    const auto two = [&c](int unpaired, int nonParametric, bool equalSD) {
        c.TwoColUnpaired = static_cast<std::uint8_t>(unpaired);
        c.TwoColNonParametric = static_cast<std::uint8_t>(nonParametric);
        c.TwoColEqualSD = equalSD;
        return SelectedTestText(c, ChooseTestPage::TwoColumns);
    };
    EXPECT_EQ("Mann-Whitney test", two(1, 1, true));
    EXPECT_EQ("Unpaired t test", two(1, 0, true));
    EXPECT_EQ("Unpaired t test, Welch corrected", two(1, 0, false));
    EXPECT_EQ("Wilcoxon matched pairs test", two(0, 1, true));
    EXPECT_EQ("Paired t test", two(0, 0, false));

    const auto many = [&c](int ordinary, int nonParametric, int condition) {
        c.MultiColOrdinary = static_cast<std::uint8_t>(ordinary);
        c.MultiColNonParametric = static_cast<std::uint8_t>(nonParametric);
        c.PostTestCondition = static_cast<std::uint8_t>(condition);
        return SelectedTestText(c, ChooseTestPage::ThreeOrMoreColumns);
    };
    EXPECT_EQ("One-way ANOVA with post-test", many(1, 0, 2));
    EXPECT_EQ("Kruskal-Wallis test with post-test", many(1, 1, 0));
    EXPECT_EQ("Repeated measures ANOVA without post-test", many(0, 0, 1));
    EXPECT_EQ("Friedman test without post-test", many(0, 1, 1));
    EXPECT_EQ("", SelectedTestText(c, ChooseTestPage::OneColumn));
}

TEST(TestSelection, PostTestListMapsBothWays) {
    DataDocument document = RawDocument({0, 1, 2});
    Prepared(document);
    AnalysisChoices& c = document.State.Choices;
    const int method[] = {-1, 0, 0, 1, 3, 2, 4};
    const int pairs[] = {-1, 1, 0, 0, 0, 2, 0};
    for (int item = 1; item <= 6; ++item) {
        SetPostTestItem(document, item);
        EXPECT_EQ(method[item], c.PostTestMethod) << item;
        EXPECT_EQ(pairs[item], c.PostTestPairs) << item;
        EXPECT_EQ(2, c.PostTestCondition) << "the check box stays checked";
        EXPECT_EQ(item, PostTestListPosition(c));
    }
    SetPostTestItem(document, 0);
    EXPECT_EQ(1, c.PostTestCondition);
    EXPECT_FALSE(DescribeThreeOrMorePage(document).OnlyIfSignificant.Checked);
    SetPostTestItem(document, 3);
    EXPECT_EQ(0, c.PostTestCondition) << "unchecked box: always run";
    SetPostTestOnlyIfSignificant(document, true);
    EXPECT_EQ(2, c.PostTestCondition);

    // Dunnett stored, then nonparametric: the list shows Dunn over all pairs
    // while the record keeps all versus control.
    SetPostTestItem(document, 5);
    SetMultiColNonParametric(document, true);
    const ThreeOrMorePageView view = DescribeThreeOrMorePage(document);
    ASSERT_EQ(3u, view.PostTest.Items.size());
    EXPECT_EQ("Dunn: Compare all pairs of columns.",
              view.PostTest.Items[static_cast<std::size_t>(view.PostTest.ItemIndex)]);
    EXPECT_EQ(2, c.PostTestMethod);
    EXPECT_EQ(2, c.PostTestPairs);
    EXPECT_EQ("Kruskal-Wallis test with post-test", view.TestText);
    SetPostTestItem(document, 5); // not in the nonparametric list
    EXPECT_EQ(2, c.PostTestMethod);
}

TEST(TestSelection, HypotheticalFieldReselectsTheMatchingRadio) {
    DataDocument document = RawDocument({0});
    AnalysisChoices& c = document.State.Choices;
    LeaveHypotheticalField(document, 100);
    EXPECT_EQ(2, c.HypotheticalChoice);
    LeaveHypotheticalField(document, 100.5L);
    EXPECT_EQ(3, c.HypotheticalChoice);
    EXPECT_EQ(100.5L, c.HypotheticalValue);
    LeaveHypotheticalField(document, 1);
    EXPECT_EQ(1, c.HypotheticalChoice);
    LeaveHypotheticalField(document, 0.0000000001L);
    EXPECT_EQ(0, c.HypotheticalChoice) << "the field keeps 9 decimals";
    SetHypotheticalPreset(document, 2);
    EXPECT_EQ(100.0L, c.HypotheticalValue);
    EXPECT_EQ("100", DescribeOneColumnPage(document).HypotheticalField.Text);
    LeaveHypotheticalField(document, std::numeric_limits<long double>::quiet_NaN());
    EXPECT_EQ(100.0L, c.HypotheticalValue) << "a value that is no number is ignored";
}

TEST(TestSelection, PagesStoreTheChoicesTheyForce) {
    // Averaged data: the nonparametric one-column test gives way to the t test.
    DataDocument one = AveragedDocument({0});
    one.State.Choices.OneColNonParametric = 1;
    one.State.DocumentModified = false;
    Prepared(one);
    EXPECT_EQ(0, one.State.Choices.OneColNonParametric);
    EXPECT_TRUE(one.State.DocumentModified);
    EXPECT_FALSE(DescribeOneColumnPage(one).Wilcoxon.Enabled);

    // Averaged data cannot be paired; a stored nonparametric choice stays.
    DataDocument two = AveragedDocument({0, 1});
    two.State.Choices.TwoColUnpaired = 0;
    two.State.Choices.TwoColNonParametric = 1;
    Prepared(two);
    EXPECT_EQ(1, two.State.Choices.TwoColUnpaired);
    EXPECT_EQ(1, two.State.Choices.TwoColNonParametric);

    // A paired test has no Welch correction.
    DataDocument raw = RawDocument({0, 1});
    Prepared(raw);
    SetTwoColAssumption(raw, TwoColumnAssumption::UnequalSDs);
    EXPECT_EQ("Unpaired t test, Welch corrected", DescribeTwoColumnsPage(raw).TestText);
    SetTwoColUnpaired(raw, false);
    EXPECT_TRUE(raw.State.Choices.TwoColEqualSD);
    EXPECT_EQ("Paired t test", DescribeTwoColumnsPage(raw).TestText);

    // Repeated measures stays stored on an empty table; nonparametric does not.
    DataDocument empty = NewDocument();
    empty.State.Choices.MultiColOrdinary = 0;
    empty.State.Choices.MultiColNonParametric = 1;
    empty.State.DocumentModified = false;
    Prepared(empty);
    EXPECT_EQ(0, empty.State.Choices.MultiColOrdinary);
    EXPECT_EQ(0, empty.State.Choices.MultiColNonParametric);
}
