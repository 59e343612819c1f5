#include "data/text_import.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "data/cell_entry.h"

namespace vextal {
namespace {

const NumberSettings Point{'.', ','};
const NumberSettings Comma{',', ';'};

std::string Sample(const std::string& name) { return std::string(VEXTAL_TEST_DATA_DIR) + "/data/import/" + name; }

ImportPreview Preview(std::string_view text, const NumberSettings& settings = Point) {
    ImportStart start = StartImportText(text, settings);
    EXPECT_FALSE(start.Refused);
    return std::move(start.Preview);
}

long double At(const ImportPreview& preview, int row, int column) { return RawValue(preview.Table, row, column); }
long double At(const DataDocument& document, int row, int column) { return RawValue(document.Table, row, column); }

TEST(ImportLines, TextBlankAndDataLines) {
    for (std::string_view text : {"Weight,Height", "A sentence.", "\"1\",\"2\"", "x 1", "1 2 kg", "E5"})
        EXPECT_TRUE(IsTextLine(text)) << text;
    for (std::string_view text : {"1,2", "-1.5e3;+2", " 12  14", ".5", ",3", "\t4\t5", "1 x *", "1E5 2e-3"})
        EXPECT_FALSE(IsTextLine(text)) << text;
    EXPECT_TRUE(IsBlankLine(""));
    EXPECT_TRUE(IsBlankLine(" \t "));
    EXPECT_FALSE(IsBlankLine(" 1"));
    EXPECT_EQ(LayoutOfLine("1 2 3", Point), ImportLayout::FixedWidth);
    EXPECT_EQ(LayoutOfLine("1|2", NumberSettings{'.', '|'}), ImportLayout::Delimited);
}

TEST(ImportTitles, TitlesLineSentenceAndDocumentTitle) {
    // Weight,Height over two columns: titles, no document title.
    ImportPreview preview = Preview("Weight,Height\r\n70,180\r\n65,172\r\n");
    EXPECT_EQ(preview.HeaderLines, 1);
    EXPECT_EQ(preview.Table.ColumnInfo[0].Title, "Weight");
    EXPECT_EQ(preview.Table.ColumnInfo[1].Title, "Height");
    EXPECT_EQ(preview.Table.DocumentTitle, "");

    // A sentence, then the titles: both.
    preview = Preview("Mice weighed in May\r\nWeight, Height\r\n70,180\r\n");
    EXPECT_EQ(preview.Table.DocumentTitle, "Mice weighed in May");
    EXPECT_EQ(preview.Table.ColumnInfo[1].Title, "Height");

    // A sentence alone is the document title; the titles stay empty.
    preview = Preview("Mice weighed in May\r\n70,180\r\n");
    EXPECT_EQ(preview.Table.DocumentTitle, "Mice weighed in May");
    EXPECT_FALSE(preview.HasTitles);
    EXPECT_EQ(preview.Table.ColumnInfo[0].Title, "");

    // Quoted titles keep their commas; TAB and ";" separate titles as they
    // separate the values.
    preview = Preview("\"Dose, mg\",\"Effect\"\r\n1,2\r\n");
    EXPECT_EQ(preview.Table.ColumnInfo[0].Title, "Dose, mg");
    preview = Preview("Dose\tEffect\r\n1\t2\r\n");
    EXPECT_EQ(preview.Table.ColumnInfo[1].Title, "Effect");
    EXPECT_EQ(preview.Table.DocumentTitle, "");
    preview = Preview("Dosis;Wirkung\r\n1,5;2,5\r\n", Comma);
    EXPECT_EQ(preview.Table.ColumnInfo[1].Title, "Wirkung");
    // A byte-order mark before the first line is not part of the title.
    preview = Preview("\xEF\xBB\xBFWeight,Height\n1,2\n");
    EXPECT_EQ(preview.Table.ColumnInfo[0].Title, "Weight");
}

TEST(ImportValues, DelimitedFieldsAndLineEnds) {
    // Two commas leave an empty cell; a last line without a line end keeps
    // its last field; LF and CR alone end lines too.
    ImportPreview preview = Preview("1,,3\r\n4;5\t6\n7,8\r9,10");
    EXPECT_EQ(At(preview, 0, 0), 1);
    EXPECT_TRUE(IsMissing(At(preview, 0, 1)));
    EXPECT_EQ(At(preview, 0, 2), 3);
    EXPECT_EQ(At(preview, 1, 2), 6);
    EXPECT_EQ(At(preview, 2, 1), 8);
    EXPECT_EQ(At(preview, 3, 1), 10);
    EXPECT_EQ(preview.Table.LastRow, 3);
    EXPECT_EQ(preview.Table.LastColumn, 2);

    // Under a comma locale 1,5;2,5 is two values.
    preview = Preview("1,5;2,5\r\n", Comma);
    EXPECT_EQ(At(preview, 0, 0), 1.5L);
    EXPECT_EQ(At(preview, 0, 1), 2.5L);
    EXPECT_EQ(preview.Table.AutoDecimals[0], 1);

    // 10 decimals in 12 characters; integer digits are never cut; text
    // that is no number is 0, a field of dropped characters is empty, and
    // "*" is removed without excluding anything.
    preview = Preview("0.123456789012345,1E-11,1E20,-1234567890123.75\r\n1-2,n/a,*,*5,2E38,1x2\r\n");
    EXPECT_EQ(At(preview, 0, 0), 0.123456789L);
    EXPECT_EQ(At(preview, 0, 1), 0);
    EXPECT_EQ(At(preview, 0, 2), 1E20L);
    EXPECT_EQ(At(preview, 0, 3), -1234567890123.75L);
    EXPECT_EQ(At(preview, 1, 0), 0);
    EXPECT_TRUE(IsMissing(At(preview, 1, 1)));
    EXPECT_TRUE(IsMissing(At(preview, 1, 2)));
    EXPECT_EQ(At(preview, 1, 3), 5);
    EXPECT_FALSE(IsExcluded(preview.Table, 1, 3));
    EXPECT_TRUE(IsMissing(At(preview, 1, 4)));
    EXPECT_EQ(At(preview, 1, 5), 12);
    EXPECT_EQ(preview.Table.AutoDecimals[0], 9);

    // Fields past the 26th are dropped.
    std::string wide;
    for (int i = 1; i <= 30; ++i) wide += std::to_string(i) + ",";
    preview = Preview(wide);
    EXPECT_EQ(preview.Table.LastColumn, 25);
    EXPECT_EQ(At(preview, 0, 25), 26);
}

TEST(ImportValues, FixedWidthColumns) {
    const std::vector<std::string> lines = {"  21.0  118.5   76", "  35.5  124     80.25", "  47    131.75  84"};
    const ColumnMap map = BuildColumnMap(lines);
    std::vector<int> set;
    for (int position = 1; position <= ColumnMapPositions; ++position)
        if (map[position]) set.push_back(position);
    EXPECT_EQ(set, (std::vector<int>{8, 16}));
    EXPECT_EQ(SplitFixedWidthLine(lines[1], map, Point), (std::vector<std::string>{"35.5", "124", "80.25"}));
    EXPECT_EQ(SplitFixedWidthLine("  1", map, Point), (std::vector<std::string>{"1", "", ""}));
    EXPECT_EQ(SplitFixedWidthLine("  1,5   2", map, Comma)[0], "1.5");

    const ImportStart start = StartImport(Sample("fixed_width.prn"), Point);
    ASSERT_EQ(start.IoCode, 0);
    const ImportPreview& preview = start.Preview;
    EXPECT_EQ(preview.Layout, ImportLayout::FixedWidth);
    EXPECT_EQ(preview.Table.DocumentTitle, "Blood pressure by age");
    EXPECT_EQ(At(preview, 2, 1), 131.75L);
    EXPECT_EQ(At(preview, 1, 2), 80.25L);
    EXPECT_EQ(At(preview, 3, 0), 62);
    EXPECT_EQ(preview.Table.AutoDecimals[1], 2);
}

TEST(ImportStartChecks, AsciiRowLimitAndUnreadableFiles) {
    ImportStart start = StartImportText("T\xC3\xADtulo\r\n1,2\r\n", Point);
    EXPECT_FALSE(start.Refused) << "the first line may hold any byte";
    start = StartImportText("Title\r\n1,2\r\n3,\xB5\r\n", Point);
    EXPECT_TRUE(start.Refused);
    EXPECT_EQ(start.Messages, std::vector<std::string>{NotAsciiMessage});
    EXPECT_TRUE(IsMissing(At(start.Preview, 0, 0)));

    std::string many = "Count\r\n";
    for (int i = 0; i < 1200; ++i) many += std::to_string(i) + "\r\n";
    start = StartImportText(many, Point);
    EXPECT_EQ(start.Messages, std::vector<std::string>{TooManyRowsMessage});
    EXPECT_EQ(start.Preview.Table.LastRow, 1000);
    EXPECT_EQ(At(start.Preview, 1000, 0), 1000);
    EXPECT_EQ(StartImportText(many.substr(0, many.find("\r\n999\r\n")), Point).Messages.size(), 0u)
        << "1000 lines in all";

    EXPECT_EQ(StartImport("/nonexistent/folder/data.csv", Point).IoCode, IoFileNotFound);
    EXPECT_EQ(StartImport(VEXTAL_TEST_DATA_DIR, Point).IoCode, IoAccessDenied);
    EXPECT_EQ(StartImportText("", Point).Preview.Table.LastRow, 0);
}

TEST(ImportStartChecks, ArbitraryBytesNeverEscapeTheTable) {
    std::mt19937 random(12345);
    const std::string alphabet = "0123456789.,;\t\r\n -+eE*\"abc \x1a";
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 400);
        for (int i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        for (const NumberSettings& settings : {Point, Comma}) {
            const ImportStart start = StartImportText(text, settings);
            const DataTable& table = start.Preview.Table;
            ASSERT_LE(table.LastRow, 1000);
            ASSERT_LE(table.LastColumn, 25);
            for (int row = 0; row <= table.LastRow; ++row)
                for (int column = 0; column <= table.LastColumn; ++column) {
                    const long double value = At(start.Preview, row, column);
                    ASSERT_TRUE(IsMissing(value) || std::fabs(value) <= 1.5E38L) << text;
                }
            DataDocument document = NewDocument();
            ImportIntoDocument(document, start.Preview, DefaultImportOptions(table), 990, 20);
            ImportOptions indexed = DefaultImportOptions(table);
            indexed.Arrangement = ImportArrangement::Indexed;
            ImportIntoDocument(document, start.Preview, indexed, 0, 0);
        }
    }
}

TEST(ImportIntoDocument, FilterRangesAndTargetCell) {
    const ImportPreview preview = Preview("Id,Score,Flag\r\n1,10,0\r\n2,20,\r\n3,30,1\r\n4,40,0\r\n5,50,2\r\n");

    // "<>" 0 skips rows whose flag is 0 and keeps the empty flag.
    DataDocument document = NewDocument();
    ImportOptions options = DefaultImportOptions(preview.Table);
    options.Filter = true;
    options.FilterColumn = 2;
    options.Condition = FilterCondition::NotEqual;
    options.FilterValue = 0;
    ASSERT_TRUE(ImportIntoDocument(document, preview, options, 0, 0).Imported);
    EXPECT_EQ(At(document, 0, 0), 2);
    EXPECT_EQ(At(document, 1, 0), 3);
    EXPECT_EQ(At(document, 2, 0), 5);
    EXPECT_EQ(document.Table.LastRow, 2);
    EXPECT_TRUE(document.State.DocumentModified);

    EXPECT_TRUE(PassesFilter(MissingValue, FilterCondition::Greater, 0));
    EXPECT_FALSE(PassesFilter(0, FilterCondition::Less, 0));
    EXPECT_STREQ(FilterConditionText(FilterCondition::GreaterOrEqual), ">=");

    // Columns 2..3 of the file from C5, rows 2..3 only: rows outside the
    // range still take their target rows. Titles follow the values; the
    // cells lose their exclusion and the columns their typed summary.
    document = NewDocument();
    StoreCell(document.Table, 5, 2, 99);
    SetExcluded(document.Table, 5, 2, true);
    document.Table.ColumnInfo[3].Mean = 8;
    document.Table.ColumnInfo[3].N = 3;
    document.Table.DocumentTitle = "Old";
    options = DefaultImportOptions(preview.Table);
    options.Arrangement = ImportArrangement::ColumnRange;
    options.FirstColumn = 1;
    options.LastColumn = 2;
    options.RowRange = true;
    options.FirstRow = 1;
    options.LastRow = 2;
    ImportIntoDocument(document, preview, options, 4, 2);
    EXPECT_TRUE(IsMissing(At(document, 4, 2)));
    EXPECT_EQ(At(document, 5, 2), 20);
    EXPECT_FALSE(IsExcluded(document.Table, 5, 2));
    EXPECT_TRUE(IsMissing(At(document, 5, 3)));
    EXPECT_EQ(At(document, 6, 3), 1);
    EXPECT_TRUE(IsMissing(At(document, 7, 2)));
    EXPECT_FALSE(document.Table.SummaryEntered[3]);
    EXPECT_EQ(document.Table.ColumnInfo[2].Title, "Score");
    EXPECT_EQ(document.Table.ColumnInfo[3].Title, "Flag");
    EXPECT_EQ(document.Table.ColumnInfo[0].Title, "");
    EXPECT_EQ(document.Table.DocumentTitle, "") << "the file has no document title";

    // Columns past Z are dropped.
    document = NewDocument();
    ImportIntoDocument(document, preview, DefaultImportOptions(preview.Table), 0, 24);
    EXPECT_EQ(At(document, 4, 25), 50);
    EXPECT_EQ(document.Table.ColumnInfo[24].Title, "Id");
}

TEST(ImportIntoDocument, IndexedGroups) {
    const ImportStart start = StartImport(Sample("indexed.csv"), Point);
    ASSERT_EQ(start.IoCode, 0);
    DataDocument document = NewDocument();
    StoreCell(document.Table, 50, 7, 1);  // old data do not survive
    ImportOptions options = DefaultImportOptions(start.Preview.Table);
    options.Arrangement = ImportArrangement::Indexed;
    ASSERT_TRUE(ImportIntoDocument(document, start.Preview, options, 3, 3).Imported);
    const DataTable& table = document.Table;
    EXPECT_EQ(At(document, 0, 0), 5.1L);
    EXPECT_EQ(At(document, 1, 0), 5.4L);
    EXPECT_EQ(At(document, 0, 1), 6.2L);
    EXPECT_EQ(At(document, 0, 2), 7);
    EXPECT_EQ(table.LastRow, 1);
    EXPECT_EQ(table.LastColumn, 2);
    EXPECT_EQ(table.ColumnInfo[0].Title, "1");
    EXPECT_EQ(table.ColumnInfo[1].Title, "2");
    EXPECT_EQ(table.ColumnInfo[2].Title, "3");
    EXPECT_EQ(table.AutoDecimals[0], 1);
    EXPECT_FALSE(table.SummaryEntered[2]);

    options.GroupColumn = 0;
    EXPECT_EQ(ImportIntoDocument(document, start.Preview, options, 0, 0).Message, SameImportColumnsMessage);

    // Identifiers titled with two decimals; groups past the 26th dropped.
    std::string text;
    for (int group = 0; group < 30; ++group) text += std::to_string(group) + ".125," + std::to_string(group) + "\r\n";
    const ImportPreview many = Preview(text);
    options = DefaultImportOptions(many.Table);
    options.Arrangement = ImportArrangement::Indexed;
    options.ValueColumn = 1;
    options.GroupColumn = 0;
    document = NewDocument();
    ImportIntoDocument(document, many, options, 0, 0);
    EXPECT_EQ(document.Table.ColumnInfo[0].Title, "0.13");
    EXPECT_EQ(document.Table.ColumnInfo[25].Title, "25.13");
    EXPECT_EQ(At(document, 0, 25), 25);
    EXPECT_EQ(document.Table.LastColumn, 25);
}

TEST(ImportSamples, SpreadsheetCsvIntoNewDocuments) {
    DataDocument document;
    std::vector<std::string> shown;
    const MessageSink sink = [&](const std::string&, const std::string& text) { shown.push_back(text); };
    ASSERT_TRUE(ImportTextDocument(document, Sample("spreadsheet.csv"), DataFormat::RawData, Point, sink));
    const DataTable& table = document.Table;
    EXPECT_EQ(table.ColumnInfo[0].Title, "Subject");
    EXPECT_EQ(table.ColumnInfo[1].Title, "Weight, kg");
    EXPECT_EQ(table.ColumnInfo[2].Title, "Height, cm");
    EXPECT_EQ(table.LastRow, 4);
    EXPECT_EQ(At(document, 1, 1), 68.25L);
    EXPECT_TRUE(IsMissing(At(document, 2, 1)));
    EXPECT_EQ(At(document, 3, 2), 185.75L);
    EXPECT_EQ(table.AutoDecimals[1], 2);
    EXPECT_TRUE(shown.empty());

    // The first rows as mean, SD and N; the first two rows as a 2x2 table.
    ASSERT_TRUE(ImportTextDocument(document, Sample("spreadsheet.csv"), DataFormat::MeanSEMN, Point, sink));
    EXPECT_EQ(document.State.ErrorBars, ErrorBarKind::SEM);
    EXPECT_EQ(document.Table.ColumnInfo[1].Mean, 72.5L);
    EXPECT_EQ(document.Table.ColumnInfo[1].SEM, 68.25L);
    EXPECT_EQ(document.Table.ColumnInfo[2].N, 168);
    EXPECT_TRUE(document.Table.SummaryEntered[1]);
    ASSERT_TRUE(ImportTextDocument(document, Sample("spreadsheet.csv"), DataFormat::TwoByTwo, Point, sink));
    EXPECT_EQ(document.TwoByTwo.B, 72.5L);
    EXPECT_EQ(document.TwoByTwo.C, 2);
    EXPECT_EQ(document.TwoByTwo.Column2Title, "Weight, kg");
    EXPECT_EQ(document.State.Goal, GoalFamily::ContingencyFamily);

    EXPECT_FALSE(ImportTextDocument(document, "/nonexistent/x.csv", DataFormat::RawData, Point, sink));
    EXPECT_EQ(shown, std::vector<std::string>{"Error: #2  File not found."});

    EXPECT_TRUE(IsSpreadsheetFileName("/home/me/book.xlsx"));
    EXPECT_TRUE(IsSpreadsheetFileName("C:\\DATA\\BOOK.XLS"));
    EXPECT_FALSE(IsSpreadsheetFileName("/home/me/x1.csv"));
}

}  // namespace
}  // namespace vextal
