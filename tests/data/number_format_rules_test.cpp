#include "data/number_format_rules.h"

#include <gtest/gtest.h>

#include "data/cell_entry.h"

namespace vextal {
namespace {

// Columns B and C hold values in rows 0..3 and 0..5.
DataDocument TwoColumns() {
    DataDocument document = NewDocument();
    for (int row = 0; row < 4; ++row) StoreCell(document.Table, row, 1, row);
    for (int row = 0; row < 6; ++row) StoreCell(document.Table, row, 2, row);
    return document;
}

TEST(NumberFormatDialog, LabelNamesTheColumns) {
    const DataDocument document = TwoColumns();
    const DataTable& table = document.Table;
    EXPECT_EQ(PrepareNumberFormat(table, WholeTableSelection(), 4).Label, "For columns A-Z:");
    EXPECT_EQ(PrepareNumberFormat(table, WholeColumnsSelection(1, 3), 1).Label, "For columns B-D:");
    // From the first row down to the last value of both columns.
    const NumberFormatDialogState reaching = PrepareNumberFormat(table, {0, 1, 5, 2}, 1);
    EXPECT_EQ(reaching.Label, "For columns B-C:");
    EXPECT_EQ(PrepareNumberFormat(table, {0, 1, 4, 2}, 2).Label, "For column C:");
    EXPECT_EQ(PrepareNumberFormat(table, {1, 1, 5, 2}, 1).Label, "For column B:");
    EXPECT_EQ(PrepareNumberFormat(table, WholeColumnsSelection(2, 2), 2).Label, "For column C:");
}

TEST(NumberFormatDialog, PresetsASharedFixedFormat) {
    DataDocument document = TwoColumns();
    DataTable& table = document.Table;
    table.ColumnFormat[1] = table.ColumnFormat[2] = 4;
    NumberFormatDialogState state = PrepareNumberFormat(table, WholeColumnsSelection(1, 2), 1);
    EXPECT_TRUE(state.Fixed);
    EXPECT_EQ(state.Decimals, 4);
    table.ColumnFormat[2] = -1;
    state = PrepareNumberFormat(table, WholeColumnsSelection(1, 2), 1);
    EXPECT_FALSE(state.Fixed);
}

TEST(NumberFormatDialog, OkStoresTheSettingAndRecountsAutomaticDecimals) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    for (long double value : {1.5L, 0.125L, 1234567.1L, 1E-5L, 3E9L})
        StoreCell(table, table.LastRow + 1, 0, value);
    StoreCell(table, 0, 1, 2);

    EXPECT_TRUE(ApplyNumberFormat(document, 0, 1, 13).empty());
    EXPECT_FALSE(document.State.DocumentModified);

    EXPECT_EQ(ApplyNumberFormat(document, 0, 1, 2), (std::vector<int>{0, 1}));
    EXPECT_EQ(GridCellText(table, 2, 0), "0.13");
    EXPECT_TRUE(document.State.DocumentModified);
    EXPECT_TRUE(ApplyNumberFormat(document, 0, 0, 2).empty());  // unchanged: no redraw

    table.AutoDecimals[0] = 9;
    EXPECT_EQ(ApplyNumberFormat(document, 0, 0, -1), (std::vector<int>{0}));
    // 0.125 has the most decimals; 1234567.1 counts 1, exponent forms none.
    EXPECT_EQ(table.AutoDecimals[0], 3);
    EXPECT_EQ(GridCellText(table, 3, 0), "1234567.100");
}

}  // namespace
}  // namespace vextal
