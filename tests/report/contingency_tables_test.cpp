#include "report/contingency_tables.h"

#include <gtest/gtest.h>

#include "data/number_text.h"
#include "table_text.h"

using namespace vextal;

TEST(RatioText, InfinitiesAndUnpaddedNumbers) {
    EXPECT_EQ("Infinity", RatioText(MissingValue));
    EXPECT_EQ("-Infinity", RatioText(-MissingValue));
    EXPECT_EQ("12346", RatioText(12345.678L));  // the digit rule's field has a spare blank here
    EXPECT_EQ("-2.500", RatioText(-2.5L));
    EXPECT_EQ("1.234E-05", RatioText(0.00001234L));
    ReportWriter report;
    WriteRatio(report, MissingValue);
    EXPECT_EQ(9, report.Column());
}

TEST(TotalsTable, RowsRuleAndTotal) {
    ReportWriter report;
    WriteTotalsTableHeader(report, "Row");
    WriteTotalsTableRow(report, "1", 30, 37.5L);
    WriteTotalsTableRow(report, "A long row label", 123456789, 12.345L);
    WriteTotalsTableTotal(report, 80);
    const Lines expected{
        "[b]      Row          Total      Percent  [b]", "[b]===============  ==========  ========[b]",
        "[b][b]              1          30    37.50%",
        "A long row label  123456789    12.35%",  // a large count is never in exponent form
        "---------------  ----------  --------",         "          Total          80   100.00%",
    };
    ExpectLines(report.Text(), expected);
}

TEST(TwoByTwoBlock, CountsSharesAndTotals) {
    const TwoByTwoCounts table{.Column1Title = "Disease",
                               .Column2Title = "Healthy",
                               .Row1Title = "Exposed",
                               .Row2Title = "Unexposed",
                               .A = 10,
                               .B = 20,
                               .C = 30,
                               .D = 40};
    ReportWriter report;
    WriteTwoByTwoBlock(report, table, false);
    const Lines expected{
        "[b]                        Disease          Healthy            Total[b]",
        "        Exposed              10               20               30",
        "                         ( 10%)           ( 20%)           ( 30%)",
        "      Unexposed              30               40               70",
        "                         ( 30%)           ( 40%)           ( 70%)",
        "-----------------------------------------------------------------",
        "          Total              40               60              100",
        "                                                           (100%)",
    };
    ExpectLines(report.Text(), expected);

    ReportWriter marked;
    WriteTwoByTwoBlock(marked, table, true);
    EXPECT_EQ("        Exposed              10               20*              30",
              ShownLines(marked.Text())[1]);
}
