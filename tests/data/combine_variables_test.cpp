#include "data/combine_variables.h"

#include <gtest/gtest.h>

#include "data/cell_entry.h"

namespace vextal {
namespace {

// A = 10, 20, 30, 40 (titled "Weight"); B = 4, 5, 0, 8 (0 in row 2).
DataDocument TwoColumns() {
    DataDocument document = NewDocument();
    const long double a[] = {10, 20, 30, 40};
    const long double b[] = {4, 5, 0, 8};
    for (int row = 0; row < 4; ++row) {
        StoreCell(document.Table, row, 0, a[row]);
        StoreCell(document.Table, row, 1, b[row]);
    }
    document.Table.ColumnInfo[0].Title = "Weight";
    return document;
}

TEST(CombineTarget, MessagesAndTheColumnChosen) {
    EXPECT_EQ(ChooseCombineTarget(NewDocument(), 0).Message, "You must enter data first.");

    DataDocument document = TwoColumns();
    EXPECT_EQ(ChooseCombineTarget(document, 5).Column, 5);  // the current column is empty
    EXPECT_EQ(ChooseCombineTarget(document, 1).Column, 2);  // else the first empty one
    EXPECT_EQ(CombineColumnEntry(document.Table, 0), "A: Weight");
    EXPECT_EQ(CombineColumnEntry(document.Table, 1), "B: Column B");

    // A column holding a typed mean and SD has no raw value but is not free.
    ColumnInfo& typed = document.Table.ColumnInfo[2];
    typed.Mean = 5;
    typed.SD = 1;
    typed.N = 3;
    EXPECT_EQ(ChooseCombineTarget(document, 2).Column, 3);

    for (int column = 3; column < DataColumnCount; ++column) StoreCell(document.Table, 0, column, 1);
    const CombineTarget full = ChooseCombineTarget(document, 0);
    EXPECT_EQ(full.Column, -1);
    EXPECT_EQ(full.Message, "There must be an empty column in order to combine columns.");
}

TEST(CombineVariables, EachOperationAndItsTitle) {
    const struct {
        CombineOperation Operation;
        long double Row3;
        const char* Title;
    } cases[] = {{CombineOperation::Plus, 48, "A+B"}, {CombineOperation::Minus, 32, "A-B"},
                 {CombineOperation::Times, 320, "A*B"}, {CombineOperation::DividedBy, 5, "A/B"}};
    for (const auto& c : cases) {
        DataDocument document = TwoColumns();
        document.State.DocumentModified = false;
        CombineVariables(document, 0, c.Operation, 1, 2);
        EXPECT_EQ(RawValue(document.Table, 3, 2), c.Row3);
        EXPECT_EQ(document.Table.ColumnInfo[2].Title, c.Title);
        EXPECT_TRUE(document.State.DocumentModified);
    }
}

TEST(CombineVariables, ZeroDivisorAndMissingCellsLeaveTheTargetAsItWas) {
    DataDocument document = TwoColumns();
    DataTable& table = document.Table;
    StoreCell(table, 2, 3, 99);      // the target's row 2 already holds a value
    StoreCell(table, 5, 0, 7);       // A has a value in row 5, B none
    SetExcluded(table, 1, 1, true);  // exclusion is ignored
    const CombineOutcome outcome = CombineVariables(document, 0, CombineOperation::DividedBy, 1, 3);
    EXPECT_EQ(outcome.RowsStored, 3);
    EXPECT_EQ(outcome.RowsSkipped, 1);
    EXPECT_EQ(RawValue(table, 1, 3), 4.0L);
    EXPECT_EQ(RawValue(table, 2, 3), 99.0L);
    EXPECT_TRUE(IsMissing(RawValue(table, 5, 3)));
    EXPECT_EQ(table.AutoDecimals[3], 1);  // 10 / 4 = 2.5

    // A product beyond what a cell holds is skipped the same way.
    StoreCell(table, 0, 4, 1e30L);
    StoreCell(table, 0, 5, 1e30L);
    EXPECT_EQ(CombineVariables(document, 4, CombineOperation::Times, 5, 6).RowsSkipped, 1);
    EXPECT_TRUE(IsMissing(RawValue(table, 0, 6)));
}

}  // namespace
}  // namespace vextal
