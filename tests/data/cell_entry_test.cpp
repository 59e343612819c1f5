#include "data/cell_entry.h"

#include <gtest/gtest.h>

#include "data/data_document.h"

namespace vextal {
namespace {

const NumberSettings Point{};
const NumberSettings Comma{',', ';'};

TEST(CellTextToValue, CleansTypedText) {
    EXPECT_EQ(CellTextToValue("1,5"), 1.5L);
    EXPECT_EQ(CellTextToValue("1.2.3"), 1.23L);
    EXPECT_EQ(CellTextToValue("--5"), -5.0L);
    EXPECT_EQ(CellTextToValue("12e"), 12.0L);
    EXPECT_EQ(CellTextToValue(" + 7 "), 7.0L);
    EXPECT_EQ(CellTextToValue("2e3E4"), 2E34L);  // a second exponent mark is dropped
    EXPECT_EQ(CellTextToValue("-1.5E38"), -1.5E38L);
    // Only the first 14 characters count.
    EXPECT_EQ(CellTextToValue("123456789012345678"), 12345678901234.0L);
    for (const char* empty : {"abc", "", "-", ".", "E5", "5-3", "1E39", "1.6E38"})
        EXPECT_TRUE(IsMissing(CellTextToValue(empty))) << empty;
}

TEST(CellTextToValue, KeepsTheExponentSignBesideTheValueSign) {
    EXPECT_EQ(CellTextToValue("-1E-5"), -1E-5L);
    EXPECT_EQ(CellTextToValue("1E--5"), 1E-5L);
}

TEST(FormatGridCell, FixedAndExponentForms) {
    EXPECT_EQ(FormatGridCell(MissingValue, 2), "");
    EXPECT_EQ(FormatGridCell(0, 0), "0");
    EXPECT_EQ(FormatGridCell(-0.001L, 2), "0.00");
    EXPECT_EQ(FormatGridCell(1234567.5L, 12), "1234567.500000");  // cut to 14 characters
    EXPECT_EQ(FormatGridCell(12345678, 2), "1.234568E+07");
    EXPECT_EQ(FormatGridCell(12345665, 2), "1.234567E+07");  // a tie rounds away from zero
    EXPECT_EQ(FormatGridCell(0.0001L, 2), "1.000000E-04");
    EXPECT_EQ(FormatGridCell(1E-4000L, 2), "1.000000E-4000");  // no exponent digit is lost
}

TEST(CommitCell, CommaSeparatorStoresAndShowsAPoint) {
    DataDocument document = NewDocument();
    const CellCommitResult r = CommitCell(document, 4, 2, "1,5", Comma);
    EXPECT_TRUE(r.Stored);
    EXPECT_EQ(r.ShownText, "1.5");
    EXPECT_EQ(RawValue(document.Table, 4, 2), 1.5L);
    EXPECT_FALSE(document.Table.SummaryEntered[2]);
    EXPECT_EQ(document.Table.LastColumn, 2);
    EXPECT_TRUE(document.State.DocumentModified);
}

TEST(CommitCell, DecimalBookkeeping) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    CommitCell(document, 0, 0, "2.5", Point);
    EXPECT_EQ(table.AutoDecimals[0], 1);
    CellCommitResult r = CommitCell(document, 1, 0, "0.125", Point);
    EXPECT_EQ(table.AutoDecimals[0], 3);
    EXPECT_EQ(r.Redraw, Repaint::Column);
    EXPECT_EQ(GridCellText(table, 0, 0), "2.500");
    r = CommitCell(document, 2, 0, "7", Point);
    EXPECT_EQ(r.Redraw, Repaint::Cell);
    EXPECT_EQ(r.CellText, "7.000");
    CommitCell(document, 3, 0, "1.5E-9", Point);  // exponent form: no decimals counted
    EXPECT_EQ(table.AutoDecimals[0], 3);

    table.ColumnFormat[1] = 2;
    r = CommitCell(document, 0, 1, "0.5", Point);
    EXPECT_EQ(table.ColumnFormat[1], 2);
    EXPECT_EQ(r.CellText, "0.50");
    table.ColumnFormat[1] = 10;
    r = CommitCell(document, 1, 1, "123456", Point);
    EXPECT_EQ(table.ColumnFormat[1], 8);
    EXPECT_EQ(r.Redraw, Repaint::Column);
}

TEST(CommitCell, AsksBeforeErasingATypedMean) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    table.ColumnInfo[0].Mean = 10;
    table.ColumnInfo[0].SD = 2;
    table.ColumnInfo[0].N = 5;

    CellCommitResult r = CommitCell(document, 0, 0, "3", Point);
    ASSERT_TRUE(r.Question.has_value());
    EXPECT_EQ(r.Question->Text,
              "Column Group A contains data entered as mean and error. You cannot enter raw data "
              "without erasing the mean data. Erase mean data?");
    EXPECT_FALSE(r.Stored);

    r = CommitCell(document, 0, 0, "3", Point, Answer::No);
    EXPECT_FALSE(r.Stored);
    EXPECT_EQ(r.CellText, "");
    EXPECT_EQ(table.ColumnInfo[0].Mean, 10);

    r = CommitCell(document, 0, 0, "3", Point, Answer::Yes);
    EXPECT_TRUE(r.Stored);
    EXPECT_EQ(r.Redraw, Repaint::Grid);
    EXPECT_TRUE(IsMissing(table.ColumnInfo[0].Mean) && IsMissing(table.ColumnInfo[0].SD));
    EXPECT_FALSE(table.SummaryEntered[0]);

    // An empty summary column just loses its flag.
    r = CommitCell(document, 0, 1, "4", Point);
    EXPECT_FALSE(r.Question.has_value());
    EXPECT_TRUE(r.Stored);
}

TEST(CommitCell, EmptyingCells) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    CommitCell(document, 0, 0, "1", Point);
    CommitCell(document, 3, 1, "2", Point);
    CommitCell(document, 3, 1, "", Point);
    EXPECT_TRUE(IsMissing(RawValue(table, 3, 1)));
    EXPECT_TRUE(table.SummaryEntered[1]);
    EXPECT_EQ(table.ColumnInfo[1].N, -1);
    EXPECT_EQ(table.LastRow, 0);
    EXPECT_EQ(table.LastColumn, 0);

    // Committing an empty text over a column of typed summary data leaves
    // it alone, so its statistics are not recomputed away.
    table.ColumnInfo[2].Mean = 4;
    table.ColumnInfo[2].N = 3;
    table.ColumnChanged[2] = false;
    const CellCommitResult r = CommitCell(document, 0, 2, "", Point);
    EXPECT_FALSE(r.Stored);
    EXPECT_FALSE(table.ColumnChanged[2]);
    EXPECT_EQ(table.ColumnInfo[2].N, 3);
}

TEST(ColumnTitle, NumericTitleQuestion) {
    DataDocument document = NewDocument();
    NumericTitleQuestionState state;
    ColumnTitleResult r = LeaveColumnTitle(document, 1, "12", state);
    ASSERT_TRUE(r.Question.has_value());
    EXPECT_EQ(r.Question->Text, NumericTitleQuestionText);

    r = LeaveColumnTitle(document, 1, "12", state, Answer::Yes);
    EXPECT_EQ(document.Table.ColumnInfo[1].Title, "");
    ASSERT_TRUE(r.NumberForCell.has_value());
    CommitCell(document, 0, 1, *r.NumberForCell, Point);
    EXPECT_EQ(RawValue(document.Table, 0, 1), 12);

    r = LeaveColumnTitle(document, 2, "1.5", state, Answer::No);
    EXPECT_EQ(document.Table.ColumnInfo[2].Title, "1.5");
    EXPECT_FALSE(state.Enabled);
    EXPECT_FALSE(LeaveColumnTitle(document, 3, "7", state).Question.has_value());

    NumericTitleQuestionState fresh;
    r = LeaveColumnTitle(document, 4, "Dose 12", fresh);
    EXPECT_FALSE(r.Question.has_value());
    EXPECT_EQ(document.Table.ColumnInfo[4].Title, "Dose 12");
}

TEST(Titles, AreCutToTheirLengthOnCharacterBoundaries) {
    DataDocument document = NewDocument();
    SetRowTitle(document, 0, "Mäuse 1234567");
    EXPECT_EQ(document.Table.RowTitles[0], "Mäuse 1234");
    SetColumnTitle(document, 0, std::string(100, 'x'));
    EXPECT_EQ(document.Table.ColumnInfo[0].Title.size(), 80u);
}

}  // namespace
}  // namespace vextal
