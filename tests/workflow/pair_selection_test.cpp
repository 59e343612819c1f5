#include "workflow/pair_selection.h"

#include <gtest/gtest.h>

#include "workflow/test_selection.h"

using namespace vextal;

namespace {

DataDocument Prepared(std::initializer_list<int> columns, ChooseTestState& selection) {
    DataDocument document = NewDocument();
    for (int column : columns) {
        for (int row = 0; row < 3; ++row)
            SetValue(document.Table, row, column, row * column);
        document.Table.SummaryEntered[static_cast<std::size_t>(column)] = false;
    }
    document.Table.ColumnInfo[1].Title = "Drug";
    PrepareChooseTest(document, selection);
    return document;
}

} // namespace

TEST(PairSelection, DeselectingOneOfThreeColumnsSwitchesToTheTwoColumnPage) {
    ChooseTestState selection;
    DataDocument document = Prepared({0, 1, 2}, selection);
    ASSERT_EQ(ChooseTestPage::ThreeOrMoreColumns, selection.Page);
    const std::vector<ColumnSelectionItem> items = ColumnSelectionItems(document);
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ("B: Drug", items[1].Caption);
    EXPECT_TRUE(items[2].Checked);

    document.State.DocumentModified = false;
    const SelectionOutcome outcome = ApplyColumnSelection(document, selection, {true, false, true});
    EXPECT_TRUE(outcome.Accepted);
    EXPECT_EQ(ChooseTestPage::TwoColumns, selection.Page);
    EXPECT_EQ("A,C", SelectedColumnsText(document.Table));
    EXPECT_TRUE(document.State.DocumentModified);
    EXPECT_FALSE(document.State.Choices.AllColumns);

    // Data typed into a new column does not bring B back.
    SetValue(document.Table, 0, 3, 1);
    PrepareChooseTest(document, selection);
    EXPECT_FALSE(document.Table.ColumnSelected[1]);
}

TEST(PairSelection, NothingCheckedKeepsTheDialogOpen) {
    ChooseTestState selection;
    DataDocument document = Prepared({0, 1, 2}, selection);
    document.State.DocumentModified = false;
    SelectionOutcome outcome = ApplyColumnSelection(document, selection, {false, false, false});
    EXPECT_FALSE(outcome.Accepted);
    EXPECT_EQ("At least one column must be selected.", outcome.Message);
    EXPECT_TRUE(document.Table.ColumnSelected[1]);
    EXPECT_FALSE(document.State.DocumentModified);

    outcome = ApplyPairSelection(document, {false, false, false});
    EXPECT_FALSE(outcome.Accepted);
    EXPECT_EQ("At least one column pair must be selected.", outcome.Message);
    EXPECT_TRUE(document.State.Choices.SelectedPairs[0]);
}

TEST(PairSelection, PairsAreNumberedLikeThePostTests) {
    ChooseTestState selection;
    DataDocument document = Prepared({0, 1, 3, 4}, selection);
    document.Table.ColumnSelected[3] = false; // pairs over A, B, E
    const std::vector<PairSelectionItem> items = PairSelectionItems(document);
    ASSERT_EQ(3u, items.size());
    EXPECT_EQ("A:-B:Drug", items[0].Caption);
    EXPECT_EQ("A:-E:", items[1].Caption);
    EXPECT_EQ("B:Drug-E:", items[2].Caption);

    const SelectionOutcome outcome = ApplyPairSelection(document, {false, true});
    EXPECT_TRUE(outcome.Accepted);
    const auto& flags = document.State.Choices.SelectedPairs;
    EXPECT_FALSE(flags[0]);
    EXPECT_TRUE(flags[1]);
    EXPECT_FALSE(flags[2]) << "a missing check counts as unchecked";
    EXPECT_FALSE(flags[351]) << "flags beyond the list are cleared";
}

TEST(PairSelection, AnalysisNeedsAFlaggedPairOnlyForSelectedPairs) {
    ChooseTestState selection;
    DataDocument document = Prepared({0, 1, 2}, selection);
    SetPostTestItem(document, 1); // Bonferroni, selected pairs
    EXPECT_FALSE(NoColumnPairFlagged(document));
    ASSERT_TRUE(ApplyPairSelection(document, {false, false, true}).Accepted); // (B,C) only
    EXPECT_FALSE(NoColumnPairFlagged(document));

    // Without A, (B,C) becomes pair 0, whose flag is clear.
    ApplyColumnSelection(document, selection, {false, true, true});
    EXPECT_TRUE(NoColumnPairFlagged(document));
    SetPostTestItem(document, 0);
    EXPECT_FALSE(NoColumnPairFlagged(document)) << "no post test needs no pairs";
    SetPostTestItem(document, 3);
    EXPECT_FALSE(NoColumnPairFlagged(document)) << "Tukey compares all pairs";
}
