#include "data/data_table.h"

#include <gtest/gtest.h>

#include <limits>

#include "data/data_document.h"

namespace vextal {
namespace {

TEST(DataDocument, StartsEmpty) {
    const DataDocument document = NewDocument();
    const DataTable& table = document.Table;
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_FALSE(table.Modified);
    EXPECT_FALSE(HasData(table));
    EXPECT_EQ(ColumnCountForAnalysis(table), 0);
    EXPECT_TRUE(IsMissing(GetValue(table, 0, 0)));
    EXPECT_EQ(table.RowTitles[0], "1");
    EXPECT_EQ(table.RowTitles[1000], "1001");
    EXPECT_EQ(table.ColumnFormat[25], -1);
    EXPECT_TRUE(table.SummaryEntered[0] && table.SummaryEntered[25]);
    EXPECT_TRUE(IsMissing(document.TwoByTwo.A) && IsMissing(document.TwoByTwo.D));
}

TEST(DataDocument, ClearingRestoresTheNewState) {
    DataDocument document = NewDocument();
    SetValue(document.Table, 4, 3, 2.5L);
    SetExcluded(document.Table, 4, 3, true);
    document.Table.AutoDecimals[3] = 2;
    document.Table.SummaryEntered[3] = false;
    document.Table.DocumentTitle = "Mice";
    document.TwoByTwo.A = 5;
    document.TwoByTwo.Row1Title = "Treated";
    document.TwoByTwo.SecondStore[7] = 1;

    ClearDocument(document);
    const DataTable& table = document.Table;
    EXPECT_TRUE(IsMissing(RawValue(table, 4, 3)));
    EXPECT_FALSE(IsExcluded(table, 4, 3));
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_FALSE(table.Modified);
    EXPECT_EQ(table.AutoDecimals[3], 0);
    EXPECT_TRUE(table.SummaryEntered[3]);
    EXPECT_EQ(table.DocumentTitle, "");
    EXPECT_TRUE(IsMissing(document.TwoByTwo.A));
    EXPECT_EQ(document.TwoByTwo.Row1Title, "");
    EXPECT_TRUE(IsMissing(document.TwoByTwo.SecondStore[7]));
}

TEST(SetValue, KeepsExtentsAndFlags) {
    DataTable table;
    SetValue(table, 0, 4, MissingValue);
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_FALSE(table.Modified);
    EXPECT_TRUE(table.ColumnChanged[4]);

    SetValue(table, 7, 2, 1.5L);
    SetValue(table, 3, 5, -2.0L);
    EXPECT_EQ(table.LastRow, 7);
    EXPECT_EQ(table.LastColumn, 5);
    EXPECT_FALSE(table.IsEmpty);
    EXPECT_TRUE(table.Modified);
    EXPECT_TRUE(table.ColumnChanged[2] && table.ColumnChanged[5]);
    EXPECT_FALSE(table.ColumnChanged[3]);
    EXPECT_EQ(GetValue(table, 7, 2), 1.5L);
    EXPECT_TRUE(HasData(table));

    // Clearing a cell does not lower the extents by itself.
    SetValue(table, 7, 2, MissingValue);
    EXPECT_EQ(table.LastRow, 7);

    table.TrackExtents = false;
    SetValue(table, 900, 20, 1.0L);
    EXPECT_EQ(table.LastRow, 7);
    EXPECT_EQ(table.LastColumn, 5);
}

TEST(SetValue, StoresNonFiniteValuesAsEmpty) {
    DataTable table;
    SetValue(table, 2, 1, std::numeric_limits<long double>::infinity());
    SetValue(table, 3, 1, std::numeric_limits<long double>::quiet_NaN());
    EXPECT_TRUE(IsMissing(RawValue(table, 2, 1)));
    EXPECT_TRUE(IsMissing(RawValue(table, 3, 1)));
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_EQ(table.LastRow, 0);
}

TEST(SetValue, DifferenceColumnOnlyStores) {
    DataTable table;
    SetValue(table, 9, DifferenceColumnIndex, 3.0L);
    EXPECT_EQ(GetValue(table, 9, DifferenceColumnIndex), 3.0L);
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_FALSE(table.Modified);
    EXPECT_FALSE(HasData(table));
}

TEST(Exclusion, HidesValuesFromAnalysesOnly) {
    DataTable table;
    SetExcluded(table, 0, 0, true);
    EXPECT_FALSE(IsExcluded(table, 0, 0));
    EXPECT_FALSE(table.ColumnChanged[0]);

    SetValue(table, 1, 0, 4.0L);
    table.ColumnChanged[0] = false;
    SetExcluded(table, 1, 0, true);
    EXPECT_TRUE(IsExcluded(table, 1, 0));
    EXPECT_TRUE(table.ColumnChanged[0]);
    EXPECT_TRUE(IsMissing(GetValue(table, 1, 0)));
    EXPECT_EQ(RawValue(table, 1, 0), 4.0L);

    SetValue(table, 1, 0, MissingValue);
    EXPECT_FALSE(IsExcluded(table, 1, 0));
    SetValue(table, 1, 0, 6.0L);
    EXPECT_EQ(GetValue(table, 1, 0), 6.0L);
}

TEST(Exclusion, BulkOperationsTouchOnlyCellsWithValues) {
    DataTable table;
    SetValue(table, 0, 0, 1.0L);
    SetValue(table, 2, 3, 2.0L);
    table.ColumnChanged.fill(false);

    ExcludeAll(table);
    EXPECT_TRUE(IsExcluded(table, 0, 0));
    EXPECT_TRUE(IsExcluded(table, 2, 3));
    EXPECT_FALSE(IsExcluded(table, 1, 0));
    EXPECT_FALSE(IsExcluded(table, 2, 2));
    EXPECT_TRUE(table.ColumnChanged[0] && table.ColumnChanged[3]);
    EXPECT_FALSE(table.ColumnChanged[1]);

    table.ColumnChanged.fill(false);
    ClearExclusions(table);
    EXPECT_FALSE(IsExcluded(table, 0, 0));
    EXPECT_FALSE(IsExcluded(table, 2, 3));
    EXPECT_TRUE(table.ColumnChanged[3]);
    EXPECT_FALSE(table.ColumnChanged[2]);
}

TEST(ColumnSelection, HidesDeselectedColumnsButNotTheDifferenceColumn) {
    DataTable table;
    SetValue(table, 0, 1, 5.0L);
    SetValue(table, 0, DifferenceColumnIndex, 8.0L);
    table.ColumnSelected[1] = false;
    EXPECT_EQ(GetValue(table, 0, 1), 5.0L);

    table.UseColumnSelection = true;
    EXPECT_TRUE(IsMissing(GetValue(table, 0, 1)));
    EXPECT_EQ(GetValue(table, 0, DifferenceColumnIndex), 8.0L);
    EXPECT_EQ(RawValue(table, 0, 1), 5.0L);

    table.ColumnSelected[1] = true;
    BuildAnalysisColumns(table);  // an active list still leaves the difference column readable
    EXPECT_EQ(GetValue(table, 0, DifferenceColumnIndex), 8.0L);
}

TEST(AnalysisColumns, ListSelectedColumnsWithValues) {
    DataTable table;
    for (int column = 0; column < 5; ++column) {
        SetValue(table, 0, column, 10.0L + column);
        table.ColumnInfo[column].N = 1;
    }
    table.ColumnInfo[1].N = 0;
    table.ColumnInfo[4].N = -1;  // emptied in the grid: nothing to analyse
    table.ColumnSelected[3] = false;

    BuildAnalysisColumns(table);
    ASSERT_EQ(table.AnalysisColumns.Count, 2);
    EXPECT_EQ(ColumnCountForAnalysis(table), 1);
    EXPECT_EQ(MapColumn(table, 0), 0);
    EXPECT_EQ(MapColumn(table, 1), 2);
    EXPECT_EQ(MapColumn(table, 2), -1);
    EXPECT_EQ(MapColumn(table, -1), -1);
    EXPECT_EQ(GetValue(table, 0, 1), 12.0L);
    EXPECT_TRUE(IsMissing(GetValue(table, 0, 3)));

    ClearAnalysisColumns(table);
    EXPECT_EQ(ColumnCountForAnalysis(table), 4);

    // Typed summaries hold no cells: columns with an N join the list too.
    DataTable typed;
    typed.ColumnInfo[0].N = 5;
    typed.ColumnInfo[2].N = 7;
    BuildAnalysisColumns(typed);
    ASSERT_EQ(typed.AnalysisColumns.Count, 2);
    EXPECT_EQ(MapColumn(typed, 1), 2);
    EXPECT_EQ(MapColumn(table, 3), 3);
    EXPECT_EQ(GetValue(table, 0, 1), 11.0L);

    table.ColumnSelected.fill(false);
    BuildAnalysisColumns(table);
    EXPECT_EQ(table.AnalysisColumns.Count, 0);
    EXPECT_EQ(ColumnCountForAnalysis(table), -1);
    EXPECT_TRUE(IsMissing(GetValue(table, 0, 0)));
}

TEST(Extents, ComputeScansAllCells) {
    DataTable table;
    table.TrackExtents = false;
    SetValue(table, 12, 1, 1.0L);
    SetValue(table, 3, 9, 1.0L);
    ComputeExtents(table);
    EXPECT_EQ(table.LastRow, 12);
    EXPECT_EQ(table.LastColumn, 9);
}

TEST(Extents, ShrinkLowersPastEmptyRowsAndColumns) {
    DataTable table;
    SetValue(table, 10, 6, 1.0L);
    SetValue(table, 4, 2, 1.0L);
    SetValue(table, 10, 6, MissingValue);
    ShrinkExtents(table);
    EXPECT_EQ(table.LastRow, 4);
    EXPECT_EQ(table.LastColumn, 2);
    EXPECT_FALSE(table.IsEmpty);

    SetValue(table, 4, 2, MissingValue);
    EXPECT_FALSE(table.IsEmpty);
    ShrinkExtents(table);
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);
    EXPECT_TRUE(table.IsEmpty);
    EXPECT_FALSE(HasData(table));
}

TEST(Extents, ShrinkKeepsAValueInRowZeroOrColumnZero) {
    DataTable table;
    SetValue(table, 0, 3, 1.0L);
    SetValue(table, 8, 0, 1.0L);
    SetValue(table, 8, 0, MissingValue);
    ShrinkExtents(table);
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 3);
    EXPECT_FALSE(table.IsEmpty);
}

TEST(Extents, UpdateAfterStoreFollowsRowsAndSummaryFlags) {
    DataTable table;
    SetValue(table, 2, 1, 1.0L);
    SetValue(table, 5, 3, 1.0L);
    table.SummaryEntered[1] = false;
    table.SummaryEntered[3] = false;

    UpdateExtentsAfterStore(table, 20, 7, 1.0L);
    EXPECT_EQ(table.LastRow, 20);
    EXPECT_EQ(table.LastColumn, 7);

    table.LastRow = 5;
    table.LastColumn = 3;
    // The grid flags an emptied column before the extents follow.
    SetValue(table, 5, 3, MissingValue);
    table.SummaryEntered[3] = true;
    UpdateExtentsAfterStore(table, 5, 3, MissingValue);
    EXPECT_EQ(table.LastRow, 2);
    EXPECT_EQ(table.LastColumn, 1);

    // A missing value away from the extents changes nothing.
    UpdateExtentsAfterStore(table, 0, 0, MissingValue);
    EXPECT_EQ(table.LastRow, 2);
    EXPECT_EQ(table.LastColumn, 1);
}

TEST(ColumnQueries, ReadStatisticsAndCells) {
    DataTable table;
    EXPECT_EQ(LastColumnWithData(table), 0);
    table.ColumnInfo[4].N = 3;
    table.ColumnInfo[9].N = -1;
    EXPECT_EQ(LastColumnWithData(table), 4);

    EXPECT_TRUE(SummaryColumnIsEmpty(table, 2));
    table.ColumnInfo[2].N = 5;
    EXPECT_TRUE(SummaryColumnIsEmpty(table, 2));
    table.ColumnInfo[2].SEM = 0.5L;
    EXPECT_FALSE(SummaryColumnIsEmpty(table, 2));
    table.ColumnInfo[2].N = 0;
    EXPECT_TRUE(SummaryColumnIsEmpty(table, 2));

    SetValue(table, 1000, 25, 1.0L);
    EXPECT_FALSE(RowIsEmpty(table, 1000));
    EXPECT_FALSE(ColumnIsEmpty(table, 25));
    EXPECT_TRUE(RowIsEmpty(table, 999));
    EXPECT_TRUE(ColumnIsEmpty(table, 24));
}

TEST(Bounds, AccessOutsideTheTableIsHarmless) {
    DataTable table;
    SetValue(table, 0, 0, 1.0L);
    const DataTable before = table;

    for (int row : {-1, 1001, 70000, std::numeric_limits<int>::min()}) {
        SetValue(table, row, 0, 5.0L);
        SetExcluded(table, row, 0, true);
        EXPECT_TRUE(IsMissing(GetValue(table, row, 0)));
        EXPECT_TRUE(IsMissing(GetValue(table, row, DifferenceColumnIndex)));
        EXPECT_TRUE(IsMissing(RawValue(table, row, 0)));
        EXPECT_FALSE(IsExcluded(table, row, 0));
        EXPECT_TRUE(RowIsEmpty(table, row));
        UpdateExtentsAfterStore(table, row, 0, 5.0L);
    }
    for (int column : {-1, 27, 1000, std::numeric_limits<int>::max()}) {
        SetValue(table, 0, column, 5.0L);
        SetExcluded(table, 0, column, true);
        EXPECT_TRUE(IsMissing(GetValue(table, 0, column)));
        EXPECT_TRUE(IsMissing(RawValue(table, 0, column)));
        EXPECT_FALSE(IsExcluded(table, 0, column));
        EXPECT_TRUE(ColumnIsEmpty(table, column));
        EXPECT_TRUE(SummaryColumnIsEmpty(table, column));
        UpdateExtentsAfterStore(table, 0, column, 5.0L);
    }
    EXPECT_EQ(table.Cells, before.Cells);
    EXPECT_EQ(table.ExcludedFlags, before.ExcludedFlags);
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);

    SetValue(table, 1000, 25, 2.0L);
    EXPECT_EQ(GetValue(table, 1000, 25), 2.0L);
}

}  // namespace
}  // namespace vextal
