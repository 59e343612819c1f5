#include "stats/contingency.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "../report/table_text.h"
#include "data/data_document.h"

using namespace vextal;

namespace {

// Reference values come from python3: chi-square as the direct sum over the
// cells, P in closed form (df 2: exp(-x/2); df 4: exp(-x/2)(1 + x/2); df 1:
// erfc(sqrt(x/2))), the trend statistic from its sums.

constexpr long double Blank = MissingValue;

// Rows of the grid starting at row 0 and column 0; Blank leaves a cell empty.
DataDocument GridDocument(const std::vector<std::vector<long double>>& rows) {
    DataDocument document = NewDocument();
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c)
            if (rows[r][c] != Blank)
                SetValue(document.Table, static_cast<int>(r), static_cast<int>(c), rows[r][c]);
    return document;
}

ContingencyResult Analyse(const std::vector<std::vector<long double>>& rows, int expectedCode = 0) {
    DataDocument document = GridDocument(rows);
    ReportWriter report;
    ContingencyResult result;
    EXPECT_EQ(expectedCode, analyse_larger_table(document, report, result));
    return result;
}

Lines ReportLines(const std::vector<std::vector<long double>>& rows, int expectedCode = 0) {
    DataDocument document = GridDocument(rows);
    ReportWriter report;
    EXPECT_EQ(expectedCode, analyse_larger_table(document, report));
    EXPECT_EQ(expectedCode, document.CalcError);
    EXPECT_EQ(LargerTableHelpTopic, document.ReportHelpTopic);
    return ShownLines(report.Text());
}

void ExpectRelative(long double expected, long double actual, long double tolerance) {
    EXPECT_NEAR(static_cast<double>(expected), static_cast<double>(actual),
                static_cast<double>(tolerance * std::fabs(expected)));
}

} // namespace

TEST(ContingencyTable, ExtentSkipsBlankRowsAndNeedsARectangle) {
    ContingencyTable table;
    DataDocument spaced = GridDocument({{Blank, Blank}, {20, 10}, {15, 15}, {Blank, Blank}, {8, 22}});
    ASSERT_EQ(0, ReadContingencyTable(spaced.Table, table));
    EXPECT_EQ((std::vector<int>{1, 2, 4}), table.Rows);
    EXPECT_EQ((std::vector<int>{0, 1}), table.Columns);
    EXPECT_EQ((std::vector<std::string>{"A", "B"}), table.ColumnTitles); // untitled columns show their letter

    // The first data row fixes the columns: a value beyond them, or a gap, breaks the rectangle.
    DataDocument extra = GridDocument({{20, 10}, {15, 15, 4}});
    EXPECT_EQ(34, ReadContingencyTable(extra.Table, table));
    DataDocument gap = GridDocument({{20, 10, 5}, {15, Blank, 4}});
    EXPECT_EQ(34, ReadContingencyTable(gap.Table, table));
    DataDocument empty = NewDocument();
    EXPECT_EQ(46, ReadContingencyTable(empty.Table, table));
}

TEST(ContingencyTable, CodesForUnusableCounts) {
    EXPECT_EQ((Lines{"", "One row is filled with zeros.  In this situation, chi-square",
                     "analysis is impossible.  At least one of these values must be", "positive.", ""}),
              ReportLines({{20, 10, 5}, {0, 0, 0}, {8, 22, 3}}, 32));
    Analyse({{0, 10}, {0, 15}, {0, 22}}, 33);
    Analyse({{1.5L, 10}, {3, 15}}, 30);
    Analyse({{-1, 1}, {3, 15}, {4, 4}}, 31); // totals 0 without being a row of zeros
    Analyse({{2.5L, 10}, {-3, 15}}, 31);     // the later cell's code stands
    Analyse({{}}, 46);
    // A single row leaves no degrees of freedom.
    Analyse({{4, 5, 6}}, 2);
}

TEST(ContingencyChiSquare, IndependenceStatisticAndP) {
    const ContingencyResult r = Analyse({{15, 10, 5}, {12, 14, 9}, {6, 11, 18}});
    ExpectRelative(12.477929808286952L, r.ChiSquare, 1e-15L);
    EXPECT_EQ(4, r.DF);
    ExpectRelative(0.014129553573628363L, r.P, 1e-5L);
    EXPECT_FALSE(r.ApproximationInvalid);
    EXPECT_FALSE(r.HasTrend);

    const ContingencyResult square = Analyse({{12, 5}, {7, 15}}); // a 2 x 2 table entered here
    ExpectRelative(5.769596115958342L, square.ChiSquare, 1e-15L);
    EXPECT_EQ(1, square.DF);
    EXPECT_FALSE(square.HasTrend);
}

TEST(ContingencyChiSquare, ValidityOfTheApproximation) {
    // Expected counts 4, 6.4, 6.4, 6.6, 6.6 / 16, 25.6, ...: one of ten at or below 5.
    const ContingencyResult one = Analyse({{4, 7, 6, 7, 6}, {16, 25, 26, 26, 27}});
    EXPECT_EQ(1, one.SmallExpectedCells);
    EXPECT_FALSE(one.ApproximationInvalid);
    // Expected counts 4, 4, 7.2, 7.4, 7.4 / ...: two of ten, 20 %.
    const ContingencyResult two = Analyse({{4, 4, 7, 7, 8}, {16, 16, 29, 30, 29}});
    EXPECT_EQ(2, two.SmallExpectedCells);
    EXPECT_TRUE(two.ApproximationInvalid);
    // Expected 1, 9 / 9.5, 85.5 / 9.5, 85.5: only the count of exactly 1 fails.
    const ContingencyResult exactlyOne = Analyse({{1, 9}, {10, 85}, {9, 86}});
    EXPECT_EQ(1, exactlyOne.SmallExpectedCells);
    EXPECT_TRUE(exactlyOne.ApproximationInvalid);
    EXPECT_FALSE(Analyse({{20, 10}, {15, 15}, {8, 22}}).ApproximationInvalid);
}

TEST(ContingencyChiSquare, TrendScoresAreGridPositions) {
    const ContingencyResult columns = Analyse({{20, 15, 8}, {10, 15, 22}});
    ASSERT_TRUE(columns.HasTrend);
    EXPECT_EQ(TrendOrientation::TwoRows, columns.Orientation);
    ExpectRelative(9.70806531420089L, columns.ChiSquare, 1e-15L);
    ExpectRelative(0.007796871955241729L, columns.P, 1e-5L);
    ExpectRelative(9.619000494804554L, columns.Trend.ChiSquare, 1e-14L);
    ExpectRelative(0.00192574511481882L, columns.Trend.P, 1e-5L);

    // Rows 1, 2 and 4 of the grid (a blank row between) score 1, 2 and 4.
    const ContingencyResult rows = Analyse({{20, 10}, {15, 15}, {Blank, Blank}, {8, 22}});
    ASSERT_TRUE(rows.HasTrend);
    EXPECT_EQ(TrendOrientation::TwoColumns, rows.Orientation);
    EXPECT_EQ(3, rows.Rows);
    ExpectRelative(9.622181381211579L, rows.Trend.ChiSquare, 1e-14L);
    ExpectRelative(0.00192241259585253L, rows.Trend.P, 1e-5L);
}

TEST(ContingencyReport, TwoRowTableWithTrendAndTotals) {
    DataDocument document = GridDocument({{20, 15, 8}, {10, 15, 22}});
    document.Table.ColumnInfo[1].Title = "Medium";
    ReportWriter report;
    ASSERT_EQ(0, analyse_larger_table(document, report));
    const Lines expected{
        "",
        "[u]                Chi-squared Test for Independence                [u]",
        "",
        "Chi-square: 9.708",
        "Degrees of Freedom: 2",
        "",
        "Table size: 2 rows, 3 columns.",
        "The P value is 0.0078. ",
        "The row and column variables are significantly associated.",
        "",
        "",
        "[u]                   Chi-Squared Test for Trend.                   [u]",
        "Note: This analysis is useful only if the categories defining the",
        "columns are arranged in a natural order (i.e. age groups, dose",
        "or time), with equal spacing between columns.",
        "",
        "Chi-squared for trend = 9.619 (1 degree of freedom)",
        "The P value is 0.0019. ",
        "There is a significant linear trend among the ordered categories",
        "defining the columns and the proportion of subjects in the top row.",
        "",
        "[u]                         Summary of Data                         [u]",
        "",
        "[b]      Row          Total      Percent  [b]",
        "[b]===============  ==========  ========[b]",
        "[b][b]              1          43    47.78%",
        "              2          47    52.22%",
    };
    const Lines lines = ShownLines(report.Text());
    ASSERT_GE(lines.size(), expected.size() + 12);
    EXPECT_EQ(expected, Lines(lines.begin(), lines.begin() + expected.size()));
    // The column table labels each column with its title, or its letter.
    EXPECT_EQ((Lines{"[b][b]              A          30    33.33%", "         Medium          30    33.33%",
                     "              C          30    33.33%"}),
              Lines(lines.begin() + 32, lines.begin() + 35));
}

TEST(ContingencyReport, InvalidApproximationWarning) {
    const Lines lines = ReportLines({{1, 9}, {10, 85}, {9, 86}});
    const Lines expected{
        "  Chi-square calculations are only valid when all expected",
        "values are greater than 1.0 and at least 80% of the expected",
        "values are greater than 5.  These conditions have not been",
        "met, and thus the chi-square calculations are not valid.  To",
        "avoid this problem, combine two or more rows or columns.",
    };
    ASSERT_GT(lines.size(), 15u);
    EXPECT_EQ(expected, Lines(lines.begin() + 10, lines.begin() + 15));
    EXPECT_EQ("rows are arranged in a natural order (i.e. age groups, dose", lines[18]); // a k x 2 table
}
