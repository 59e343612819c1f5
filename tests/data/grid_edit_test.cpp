#include "data/grid_edit.h"

#include <gtest/gtest.h>

#include "data/cell_entry.h"

namespace vextal {
namespace {

// Column A rows 0..9 hold 1..10; the value 8 (row 7) is excluded.
DataDocument TenRowColumn() {
    DataDocument document = NewDocument();
    for (int row = 0; row < 10; ++row) StoreCell(document.Table, row, 0, row + 1);
    SetExcluded(document.Table, 7, 0, true);
    return document;
}

// Row 0 of every column holds the column index; each column has a title.
DataDocument OneRowPerColumn() {
    DataDocument document = NewDocument();
    for (int column = 0; column < DataColumnCount; ++column) {
        StoreCell(document.Table, 0, column, column);
        document.Table.ColumnInfo[column].Title = std::string("T") + GridColumnLetter(column);
    }
    return document;
}

TEST(DeleteCells, WholeRowMovesValuesFlagsAndTitlesUp) {
    DataDocument document = TenRowColumn();
    DataTable& table = document.Table;
    table.RowTitles[6] = "Mouse 7";
    const GridSelection row5 = WholeRowsSelection(5, 5);
    ASSERT_EQ(DeleteCommandFor(row5), BlockCommand::WholeRows);
    ASSERT_TRUE(DeleteCells(document, row5));

    for (int row = 5; row < 9; ++row) EXPECT_EQ(RawValue(table, row, 0), row + 2);
    EXPECT_TRUE(IsMissing(RawValue(table, 9, 0)));
    EXPECT_TRUE(IsExcluded(table, 6, 0));  // the 8 kept its exclusion
    EXPECT_EQ(table.LastRow, 8);
    EXPECT_EQ(table.RowTitles[5], "Mouse 7");
    EXPECT_EQ(table.RowTitles[6], "7");  // a numbered title is renumbered
    EXPECT_EQ(table.RowTitles[999], "1000");
    EXPECT_TRUE(document.State.ResultsStale && document.State.DocumentModified);
}

TEST(InsertCells, TwoColumnsAtBPushYAndZOut) {
    DataDocument document = OneRowPerColumn();
    DataTable& table = document.Table;
    table.ColumnFormat[1] = 3;
    table.AutoDecimals[2] = 2;
    SetExcluded(table, 0, 2, true);
    ASSERT_TRUE(InsertCells(document, WholeColumnsSelection(1, 2)));

    for (int column : {1, 2}) {
        EXPECT_TRUE(IsMissing(RawValue(table, 0, column)));
        EXPECT_EQ(table.ColumnInfo[column].Title, "");
        EXPECT_EQ(table.ColumnFormat[column], -1);
        EXPECT_TRUE(table.SummaryEntered[column]);
    }
    for (int column = 3; column < DataColumnCount; ++column)
        EXPECT_EQ(RawValue(table, 0, column), column - 2);
    EXPECT_EQ(table.ColumnInfo[3].Title, "TB");
    EXPECT_EQ(table.ColumnFormat[3], 3);
    EXPECT_EQ(table.AutoDecimals[4], 2);
    EXPECT_TRUE(IsExcluded(table, 0, 4));
    EXPECT_EQ(table.ColumnInfo[25].Title, "TX");  // Y and Z are gone

    // Deleting them again brings B..X back and leaves Y and Z empty.
    ASSERT_TRUE(DeleteCells(document, WholeColumnsSelection(1, 2)));
    EXPECT_EQ(RawValue(table, 0, 1), 1);
    EXPECT_TRUE(IsMissing(RawValue(table, 0, 24)) && IsMissing(RawValue(table, 0, 25)));
    EXPECT_EQ(table.ColumnInfo[25].Title, "");
    EXPECT_EQ(table.LastColumn, 23);
}

TEST(InsertCells, RowsPushedPastTheLastRowAreLost) {
    DataDocument document = NewDocument();
    StoreCell(document.Table, 0, 0, 1);
    StoreCell(document.Table, 998, 0, 2);
    ASSERT_TRUE(InsertCells(document, WholeRowsSelection(0, 1)));
    EXPECT_EQ(RawValue(document.Table, 2, 0), 1);
    EXPECT_TRUE(IsMissing(RawValue(document.Table, 999, 0)));
    EXPECT_EQ(document.Table.LastRow, 2);
}

TEST(BlockCommands, ShiftOnlyTheBlocksColumns) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    for (int column = 0; column < 3; ++column)
        for (int row = 0; row < 5; ++row) StoreCell(table, row, column, 10 * column + row);
    const GridSelection block{1, 1, 2, 2};
    ASSERT_EQ(DeleteCommandFor(block), BlockCommand::AskUser);
    EXPECT_FALSE(DeleteCells(document, block));  // no choice, nothing done
    EXPECT_EQ(RawValue(table, 1, 1), 11);

    ASSERT_TRUE(DeleteCells(document, block, BlockChoice::ShiftCells));
    EXPECT_EQ(RawValue(table, 1, 0), 1);  // column A untouched
    EXPECT_EQ(RawValue(table, 1, 1), 13);
    EXPECT_EQ(RawValue(table, 2, 2), 24);

    ASSERT_TRUE(InsertCells(document, block, BlockChoice::ShiftCells));
    EXPECT_TRUE(IsMissing(RawValue(table, 1, 1)));
    EXPECT_EQ(RawValue(table, 3, 1), 13);

    ASSERT_TRUE(DeleteCells(document, block, BlockChoice::EntireColumns));
    EXPECT_EQ(table.LastColumn, 0);
}

TEST(BlockCommands, MovingATypedSummaryColumnKeepsIt) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    StoreCell(table, 0, 0, 1);
    table.ColumnInfo[2].Mean = 5;
    table.ColumnInfo[2].N = 4;
    table.ColumnChanged.fill(false);
    DeleteColumns(document, 1, 1);
    EXPECT_EQ(table.ColumnInfo[1].Mean, 5);
    EXPECT_EQ(table.ColumnInfo[1].N, 4);
    EXPECT_TRUE(table.SummaryEntered[1]);
    EXPECT_FALSE(table.ColumnChanged[1]);  // not recomputed from its (no) cells
    DeleteRows(document, 0, 0);
    EXPECT_EQ(table.ColumnInfo[1].N, 4);
    EXPECT_FALSE(table.ColumnChanged[1]);
}

TEST(ClearCells, BlockAndEverything) {
    DataDocument document = TenRowColumn();
    DataTable& table = document.Table;
    StoreCell(table, 2, 1, 0.25L);
    table.AutoDecimals[1] = 2;
    table.ColumnInfo[1].Title = "Dose";
    table.ColumnInfo[3].Mean = 7;  // a typed summary outside any value
    table.ColumnInfo[3].N = 3;

    ASSERT_TRUE(ClearCells(document, {2, 1, 9, 3}));
    EXPECT_TRUE(table.SummaryEntered[1]);
    EXPECT_EQ(table.ColumnInfo[1].N, -1);
    EXPECT_EQ(table.AutoDecimals[1], 0);
    EXPECT_EQ(table.ColumnInfo[3].Mean, 7);
    EXPECT_EQ(table.LastColumn, 0);
    EXPECT_FALSE(ClearCells(document, {2, 1, 9, 3}));  // nothing left to clear

    ASSERT_TRUE(ClearCells(document, {5, 0, 9, 0}));
    EXPECT_EQ(table.LastRow, 4);
    EXPECT_FALSE(table.SummaryEntered[0]);

    ASSERT_EQ(DeleteCommandFor(WholeTableSelection()), BlockCommand::ClearEverything);
    ASSERT_TRUE(DeleteCells(document, WholeTableSelection()));
    EXPECT_FALSE(HasData(table));
    EXPECT_TRUE(table.SummaryEntered[0]);
    EXPECT_EQ(table.ColumnInfo[3].N, 0);
    EXPECT_TRUE(IsMissing(table.ColumnInfo[3].Mean));
    EXPECT_EQ(table.ColumnInfo[1].Title, "Dose");
}

TEST(ToggleExclusion, BlockAndWholeTable) {
    DataDocument document = TenRowColumn();
    DataTable& table = document.Table;
    SetExcluded(table, 7, 0, false);
    const GridSelection block{0, 0, 11, 1};  // reaches empty rows and column B

    ExcludeResult r = ToggleExclusion(document, block);
    EXPECT_TRUE(r.Excluded && r.Changed);
    for (int row = 0; row < 10; ++row) EXPECT_TRUE(IsExcluded(table, row, 0));
    EXPECT_FALSE(IsExcluded(table, 10, 0));
    EXPECT_FALSE(IsExcluded(table, 0, 1));

    SetExcluded(table, 3, 0, false);  // one included value: still some excluded
    r = ToggleExclusion(document, block);
    EXPECT_FALSE(r.Excluded);
    for (int row = 0; row < 10; ++row) EXPECT_FALSE(IsExcluded(table, row, 0));

    SetExcluded(table, 4, 0, true);
    EXPECT_FALSE(ToggleExclusion(document, WholeTableSelection()).Excluded);
    EXPECT_FALSE(IsExcluded(table, 4, 0));
    EXPECT_TRUE(ToggleExclusion(document, WholeTableSelection()).Excluded);
    EXPECT_TRUE(IsExcluded(table, 9, 0));
}

}  // namespace
}  // namespace vextal
