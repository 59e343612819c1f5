#include "report/text_pages.h"

#include <gtest/gtest.h>

#include "data/data_document.h"
#include "stats/column_stats.h"

using namespace vextal;

namespace {

TextTable FiveColumns(int bodyRows) {
    TextTable table;
    table.Rows.push_back({"", "AAAAAA", "BBBBBB", "CCCCCC", "DDDDDD", "EEEEEE"});
    for (int row = 1; row <= bodyRows; ++row)
        table.Rows.push_back({std::to_string(row), "1.5", "22", "333", "4444", "5"});
    return table;
}

}  // namespace

TEST(TablePages, ColumnsThatDoNotFitGoToFurtherBandsWithTheFirstColumnRepeated) {
    // Column 0 is one character wide; each further column takes 2 + 6.
    const std::vector<TextPage> pages = TablePages(FiveColumns(2), 17, 60);
    ASSERT_EQ(3u, pages.size());
    EXPECT_EQ((TextPage{"   AAAAAA  BBBBBB", "1     1.5      22", "2     1.5      22"}), pages[0]);
    EXPECT_EQ((TextPage{"   CCCCCC  DDDDDD", "1     333    4444", "2     333    4444"}), pages[1]);
    EXPECT_EQ((TextPage{"   EEEEEE", "1       5", "2       5"}), pages[2]);
    // One character less and only one column fits per band.
    EXPECT_EQ(5u, TablePages(FiveColumns(2), 16, 60).size());
}

TEST(TablePages, RowsRunOverPagesUnderRepeatedHeaders) {
    TextTable table = FiveColumns(5);
    table.Rows.insert(table.Rows.begin() + 1, {"", "t1", "t2", "t3", "t4", "t5"});
    table.HeaderRows = 2;
    const std::vector<TextPage> pages = TablePages(table, 200, 4);
    ASSERT_EQ(3u, pages.size());
    for (const TextPage& page : pages) {
        EXPECT_EQ("   AAAAAA  BBBBBB  CCCCCC  DDDDDD  EEEEEE", page[0]);
        EXPECT_EQ("       t1      t2      t3      t4      t5", page[1]);
    }
    EXPECT_EQ("5     1.5      22     333    4444       5", pages[2][2]);
    EXPECT_EQ(3u, pages[2].size());
    // No room below the headers still prints one row per page.
    EXPECT_EQ(5u, TablePages(table, 200, 1).size());
}

TEST(TablePages, WideCellsAreCutToThePageAndWidthsCountCharacters) {
    TextTable table;
    table.Rows.push_back({"Row", "\xC2\xB5g/ml"});  // five characters, six bytes
    table.Rows.push_back({"1", std::string(40, 'w')});
    const std::vector<TextPage> pages = TablePages(table, 20, 10);
    ASSERT_EQ(1u, pages.size());
    EXPECT_EQ("Row" + std::string(12, ' ') + "\xC2\xB5g/ml", pages[0][0]);
    EXPECT_EQ("1    " + std::string(15, 'w'), pages[0][1]);
}

TEST(PrintedTables, DataAndStatisticsOfARealisticDocument) {
    DataDocument document = NewDocument();
    DataTable& data = document.Table;
    const long double a[] = {1, 2, 3, 4};
    const long double b[] = {10, 20, 30};
    for (int row = 0; row < 4; ++row) SetValue(data, row, 0, a[row]);
    for (int row = 0; row < 3; ++row) SetValue(data, row, 1, b[row]);
    SetValue(data, 4, 1, 99);
    SetExcluded(data, 4, 1, true);
    data.ColumnInfo[1].Title = "Dose";

    const TextTable cells = DataTableText(document);
    ASSERT_EQ(2, cells.HeaderRows);
    const std::vector<TextPage> dataPages = TablePages(cells, 80, 60);
    ASSERT_EQ(1u, dataPages.size());
    EXPECT_EQ((TextPage{"   Group A  Group B", "               Dose", "1        1       10", "2        2       20",
                        "3        3       30", "4        4", "5               *99"}),
              dataPages[0]);

    ComputeColumnStats(document);
    const TextTable stats = StatsTableText(document);
    ASSERT_EQ(17u, stats.Rows.size());
    // Mean, SD, SEM and the 95% limits computed by hand, with the three-decimal
    // critical t of 3 and 2 df: A: 2.5, sqrt(5/3), sqrt(5/12),
    // 2.5 -/+ 3.182 * 0.6454972; B: 20, 10, 10/sqrt(3), 20 -/+ 4.303 * 5.7735027.
    const std::vector<std::vector<std::string>> expected{
        {"", "Group A", "Group B"},
        {"Col. title", "", "Dose"},
        {"Mean", "2.5000", "20.000"},
        {"Standard deviation (SD)", "1.2910", "10.000"},
        {"Sample size (N)", "4", "3"},
        {""},
        {"Std. error of mean(SEM)", "0.64550", "5.7735"},
        {"Lower 95% conf. limit", "0.44603", "-4.8434"},
        {"Upper 95% conf. limit", "4.5540", "44.843"},
        {""},
        {"Minimum", "1.0000", "10.000"},
        {"Median (50th percentile)", "2.5000", "20.000"},
        {"Maximum", "4.0000", "30.000"},
    };
    for (std::size_t row = 0; row < expected.size(); ++row) {
        if (expected[row].size() == 1) {
            EXPECT_EQ("", stats.Rows[row][0]) << "row " << row;
            continue;
        }
        EXPECT_EQ(expected[row], stats.Rows[row]) << "row " << row;
    }
    EXPECT_EQ("Passed normality test?", stats.Rows[16][0]);
}
