#include "data/clipboard_text.h"

#include <gtest/gtest.h>

#include "data/summary_entry.h"

namespace vextal {
namespace {

const NumberSettings Point{'.', ','};
const NumberSettings Comma{',', ';'};

long double Cell(const DataDocument& document, int row, int column) { return RawValue(document.Table, row, column); }

// Column A: 1, 3; column B: 2, 4 (rows 0 and 1).
DataDocument TwoByTwoBlock() {
    DataDocument document = NewDocument();
    StoreCell(document.Table, 0, 0, 1);
    StoreCell(document.Table, 0, 1, 2);
    StoreCell(document.Table, 1, 0, 3);
    StoreCell(document.Table, 1, 1, 4);
    return document;
}

PasteResult Paste(DataDocument& document, std::string_view text, int row, int column, bool transposed = false,
                  const NumberSettings& settings = Point) {
    return PasteAtCursor(document, text, row, column, GridSelection{row, column, row, column}, transposed, settings);
}

TEST(CopyText, ValuesTitlesAndTheLastValueRow) {
    DataDocument document = TwoByTwoBlock();
    DataTable& table = document.Table;
    EXPECT_EQ(BuildClipboardText(table, {0, 0, 1, 1}, false, false, Point).Text, "1\t2\r\n3\t4");

    // The block reaches row 20, the columns end at row 2: rows 0..2 only.
    StoreCell(table, 2, 1, 6);
    StoreCell(table, 30, 5, 9);  // outside the selected columns
    EXPECT_EQ(BuildClipboardText(table, {0, 0, 19, 1}, false, false, Point).Text, "1\t2\r\n3\t4\r\n\t6");
    EXPECT_EQ(BuildClipboardText(table, {0, 2, 19, 4}, true, false, Point).Text, "")
        << "no selected column holds a value";

    table.ColumnInfo[0].Title = "Dose";
    table.ColumnInfo[1].Title = "Response";
    table.RowTitles[1] = "Mouse";
    EXPECT_EQ(BuildClipboardText(table, {0, 0, 1, 1}, true, true, Point).Text,
              "\tDose\tResponse\r\n1\t1\t2\r\nMouse\t3\t4");

    // Values as the grid shows them, with the user's decimal separator;
    // excluded values as plain numbers.
    StoreCell(table, 0, 0, 1.25L);
    table.AutoDecimals[0] = 2;
    StoreCell(table, 1, 0, 123456789);
    SetExcluded(table, 0, 1, true);
    EXPECT_EQ(BuildClipboardText(table, {0, 0, 1, 1}, false, false, Comma).Text, "1,25\t2\r\n1,234568E+08\t4");
}

TEST(CopyText, SizeLimitCutsAtAPieceAndSaysSo) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    for (int row = 0; row < UserRowCount; ++row)
        for (int column = 0; column < DataColumnCount; ++column) StoreCell(table, row, column, 123456.5L);
    table.AutoDecimals.fill(1);
    const ClipboardText copied = BuildClipboardText(table, WholeTableSelection(), false, false, Point);
    ASSERT_TRUE(copied.Truncated);

    // The same text built here without a limit: every piece is a value, a
    // TAB or a CR LF.
    std::vector<std::string> pieces;
    for (int row = 0; row < UserRowCount; ++row) {
        if (row > 0) pieces.emplace_back("\r\n");
        for (int column = 0; column < DataColumnCount; ++column) {
            if (column > 0) pieces.emplace_back("\t");
            pieces.emplace_back("123456.5");
        }
    }
    std::string expected;
    std::size_t next = 0;
    while (expected.size() + pieces[next].size() + 2 < ClipboardLimit) expected += pieces[next++];
    EXPECT_EQ(copied.Text, expected);
    EXPECT_LT(copied.Text.size(), ClipboardLimit);

    EXPECT_FALSE(BuildClipboardText(table, {0, 0, 9, 9}, false, false, Point).Truncated);
}

TEST(CutText, CopiesThenClears) {
    DataDocument document = TwoByTwoBlock();
    const CutResult cut = CutSelection(document, {0, 1, 1, 1}, false, false, Point);
    EXPECT_EQ(cut.Copied.Text, "2\r\n4");
    EXPECT_TRUE(cut.Changed && IsMissing(Cell(document, 0, 1)));
    EXPECT_EQ(document.Table.LastColumn, 0);
}

TEST(PasteText, FieldsLinesAndLineEnds) {
    DataDocument document = NewDocument();
    ASSERT_TRUE(Paste(document, "1\t2\r\n3\t4", 0, 0).Changed);
    EXPECT_EQ(Cell(document, 0, 0), 1);
    EXPECT_EQ(Cell(document, 0, 1), 2);
    EXPECT_EQ(Cell(document, 1, 0), 3);
    EXPECT_EQ(Cell(document, 1, 1), 4) << "the last field without a line end is pasted";

    // A final line end does not empty the row below; "," and ";" separate;
    // "#" fields and text become empty cells.
    StoreCell(document.Table, 2, 0, 99);
    Paste(document, "5,6;7\r\n8\t#DIV/0!\tabc\r\n", 0, 0);
    EXPECT_EQ(Cell(document, 0, 2), 7);
    EXPECT_EQ(Cell(document, 1, 0), 8);
    EXPECT_TRUE(IsMissing(Cell(document, 1, 1)));
    EXPECT_TRUE(IsMissing(Cell(document, 1, 2)));
    EXPECT_EQ(Cell(document, 2, 0), 99);

    // Two fields in a row leave an empty cell; a NUL ends the text.
    Paste(document, std::string_view("1\t\t3\r\n\0 9", 9), 5, 0);
    EXPECT_TRUE(IsMissing(Cell(document, 5, 1)));
    EXPECT_EQ(Cell(document, 5, 2), 3);
    EXPECT_TRUE(IsMissing(Cell(document, 6, 0)));
}

TEST(PasteText, TransposedAndAtTheEdges) {
    DataDocument document = NewDocument();
    Paste(document, "1\t2\t3", 0, 0, true);
    EXPECT_EQ(Cell(document, 0, 0), 1);
    EXPECT_EQ(Cell(document, 1, 0), 2);
    EXPECT_EQ(Cell(document, 2, 0), 3);
    EXPECT_TRUE(IsMissing(Cell(document, 0, 1)));

    // Fields past Z are dropped, the following lines still pasted.
    Paste(document, "1\t2\t3\r\n4\t5\t6", 10, 24);
    EXPECT_EQ(Cell(document, 10, 25), 2);
    EXPECT_EQ(Cell(document, 11, 24), 4);
    // Transposed, a line past Z ends the paste.
    Paste(document, "1\r\n2\r\n3", 20, 24, true);
    EXPECT_EQ(Cell(document, 20, 25), 2);
    // Rows past 999 end the paste.
    Paste(document, "1\r\n2\r\n3", 998, 3);
    EXPECT_EQ(Cell(document, 999, 3), 2);
    EXPECT_EQ(document.Table.LastRow, 999);
}

TEST(PasteText, DecimalSeparatorAndTheValuePath) {
    DataDocument document = NewDocument();
    // Under a comma locale the commas are decimal points.
    Paste(document, "1,5\t2,5\r\n3,25;4", 0, 0, false, Comma);
    EXPECT_EQ(Cell(document, 0, 0), 1.5L);
    EXPECT_EQ(Cell(document, 0, 1), 2.5L);
    EXPECT_EQ(Cell(document, 1, 0), 3.25L);
    EXPECT_EQ(Cell(document, 1, 1), 4);

    // 12 decimals in 14 characters; large values keep their magnitude;
    // values too small for 12 decimals become 0.
    Paste(document, "0.123456789012345\t-0.123456789012345\t1E20\t-123456789012345.5\t1E-13\t2E38", 2, 0);
    EXPECT_EQ(Cell(document, 2, 0), 0.123456789012L);
    EXPECT_EQ(Cell(document, 2, 1), -0.12345678901L);
    EXPECT_EQ(Cell(document, 2, 2), 1E20L);
    EXPECT_EQ(Cell(document, 2, 3), -123456789012345.5L);
    EXPECT_EQ(Cell(document, 2, 4), 0);
    EXPECT_TRUE(IsMissing(Cell(document, 2, 5))) << "beyond the largest cell value";

    // The decimals of the column follow the values; a value clears the
    // cell's exclusion.
    EXPECT_EQ(document.Table.AutoDecimals[0], 12);
    StoreCell(document.Table, 3, 0, 7);
    SetExcluded(document.Table, 3, 0, true);
    Paste(document, "8", 3, 0);
    EXPECT_FALSE(IsExcluded(document.Table, 3, 0));
    EXPECT_EQ(GetValue(document.Table, 3, 0), 8);
}

TEST(PasteText, TitlesFromTheTitleRowAndTheRowTitleColumn) {
    DataDocument document = NewDocument();
    // Everything selected: the first line gives column titles, the first
    // field of each line the row titles.
    PasteAtCursor(document, "\tDose\tResponse\r\nMouse 1\t1\t2\r\nMouse 2\t3\t4", 0, 0, WholeTableSelection(),
                  false, Point);
    const DataTable& table = document.Table;
    EXPECT_EQ(table.ColumnInfo[0].Title, "Dose");
    EXPECT_EQ(table.ColumnInfo[1].Title, "Response");
    EXPECT_EQ(table.RowTitles[0], "Mouse 1");
    EXPECT_EQ(table.RowTitles[1], "Mouse 2");
    EXPECT_EQ(Cell(document, 1, 1), 4);

    // Whole columns: titles from the first line, from the cursor's column.
    PasteAtCursor(document, "Weight\r\n70", 0, 3, WholeColumnsSelection(3, 3), false, Point);
    EXPECT_EQ(table.ColumnInfo[3].Title, "Weight");
    EXPECT_EQ(Cell(document, 0, 3), 70);
    // Whole rows: the first field is the row title (cut to 10 characters).
    PasteAtCursor(document, "Rat number 12\t5", 4, 2, WholeRowsSelection(4, 4), false, Point);
    EXPECT_EQ(table.RowTitles[4], "Rat number");
    EXPECT_EQ(Cell(document, 4, 0), 5);

    EXPECT_TRUE(PasteTitles(document, "A\tB;C,D\r\nE", 24));
    EXPECT_EQ(table.ColumnInfo[24].Title, "A");
    EXPECT_EQ(table.ColumnInfo[25].Title, "B");
    EXPECT_EQ(table.ColumnInfo[0].Title, "Dose") << "titles beyond Z are dropped";
}

TEST(PasteText, ColumnWithTypedMeanAsksFirst) {
    DataDocument document = NewDocument();
    ColumnInfo& info = document.Table.ColumnInfo[0];
    info.Mean = 10;
    info.SD = 2;
    info.N = 5;
    const PasteResult asked = Paste(document, "1\r\n2", 0, 0);
    ASSERT_TRUE(asked.Question.has_value());
    EXPECT_EQ(asked.Question->Text, EraseMeanDataQuestion("Group A"));
    EXPECT_FALSE(asked.Changed);
    EXPECT_TRUE(IsMissing(Cell(document, 0, 0)));

    EXPECT_FALSE(PasteAtCursor(document, "1\r\n2", 0, 0, {0, 0, 0, 0}, false, Point, Answer::No).Changed);
    EXPECT_EQ(info.Mean, 10);

    EXPECT_TRUE(PasteAtCursor(document, "1\r\n2", 0, 0, {0, 0, 0, 0}, false, Point, Answer::Yes).Changed);
    EXPECT_TRUE(IsMissing(info.Mean) && IsMissing(info.SD));
    EXPECT_FALSE(document.Table.SummaryEntered[0]);
    EXPECT_EQ(Cell(document, 1, 0), 2);
}

TEST(ClipboardRoundTrip, CopiedBlockPastesBackUnchanged) {
    DataDocument source = NewDocument();
    DataTable& table = source.Table;
    const long double values[3][3] = {{5.25L, 110, -3}, {4.75L, 98.5L, 0.001L}, {6, MissingValue, 12}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) StoreCell(table, row, column, values[row][column]);
    for (int column = 0; column < 3; ++column) UpdateColumnDecimals(table, column, values[1][column]);
    table.ColumnInfo[0].Title = "Before";
    table.ColumnInfo[1].Title = "After";
    table.ColumnInfo[2].Title = "Change";

    for (const NumberSettings& settings : {Point, Comma}) {
        const ClipboardText copied =
            BuildClipboardText(table, WholeColumnsSelection(0, 2), true, false, settings);
        DataDocument target = NewDocument();
        PasteAtCursor(target, copied.Text, 0, 0, WholeColumnsSelection(0, 2), false, settings);
        for (int column = 0; column < 3; ++column) {
            EXPECT_EQ(target.Table.ColumnInfo[column].Title, table.ColumnInfo[column].Title);
            for (int row = 0; row < 3; ++row) EXPECT_EQ(Cell(target, row, column), values[row][column]);
        }
        EXPECT_EQ(target.Table.LastRow, 2);
        EXPECT_EQ(BuildClipboardText(target.Table, WholeColumnsSelection(0, 2), true, false, settings).Text,
                  copied.Text);
    }
}

TEST(SummaryClipboard, CopiesTheGridTextAndPastesTypedSummaries) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSDN;
    DataTable& table = document.Table;
    table.ColumnInfo[0].N = 4;
    table.ColumnInfo[2].N = 6;
    auto text = [](int row, int column) { return std::to_string(row) + ":" + std::to_string(column); };
    const std::string copied = BuildSummaryClipboardText(table, text).Text;
    EXPECT_EQ(copied.substr(0, 27), "1:-1\t1:0\t1:1\t1:2\r\n2:-1\t2:0\t");
    EXPECT_TRUE(copied.ends_with("\r\n16:-1\t16:0\t16:1\t16:2"));

    // Column A holding a typed mean: rows 1..8 only.
    table.ColumnInfo[0].Mean = 3;
    EXPECT_TRUE(BuildSummaryClipboardText(table, text).Text.ends_with("\r\n8:-1\t8:0\t8:1\t8:2"));

    // Paste from the title row of column B: title, mean, SD, N; the rows
    // below N and columns holding raw values take nothing.
    StoreCell(table, 0, 3, 1);
    EXPECT_TRUE(PasteSummary(document, "Control\tTreated\tRaw\r\n10.5\t12,5\r\n2\t#N/A\r\n8.9\t7\r\n99", 1, 1,
                             Point));
    const ColumnInfo& b = table.ColumnInfo[1];
    const ColumnInfo& c = table.ColumnInfo[2];
    EXPECT_EQ(b.Title, "Control");
    EXPECT_EQ(b.Mean, 10.5L);
    EXPECT_EQ(b.SD, 2);
    EXPECT_EQ(b.N, 8);
    EXPECT_EQ(c.Title, "Treated");
    EXPECT_EQ(c.Mean, 12) << "\",\" separates fields";
    EXPECT_TRUE(IsMissing(c.SD));
    EXPECT_EQ(c.N, 7);
    EXPECT_EQ(table.ColumnInfo[3].Title, "") << "column D holds raw values";
    EXPECT_TRUE(IsMissing(table.ColumnInfo[3].Mean));
    EXPECT_TRUE(document.State.DocumentModified);
}

}  // namespace
}  // namespace vextal
