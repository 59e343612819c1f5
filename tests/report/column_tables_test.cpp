#include "report/column_tables.h"

#include <gtest/gtest.h>

#include "report/result_tables.h"
#include "table_text.h"

using namespace vextal;

namespace {

const ColumnInfo Control{.Title = "Control",
                         .N = 5,
                         .Mean = 12.5L,
                         .SD = 2.25L,
                         .SEM = 1.00623L,
                         .Minimum = 10,
                         .Maximum = 15.5L,
                         .Median = 12,
                         .UpperCI = 15.2937L,
                         .LowerCI = 9.7063L};

}  // namespace

TEST(DescriptiveTable, BothBlocksLineUpAndLongTitlesPushOnlyTheirOwnRow) {
    // A 20-character title, a mean in exponent form, and no SD, median, range or interval.
    const ColumnInfo longTitled{.Title = "ABCDEFGHIJKLMNOPQRST", .N = 12, .Mean = 12345678, .SEM = 3};
    ReportWriter main;
    ReportWriter second;
    WriteDescriptiveTableHeader(main, second);
    WriteDescriptiveTableRow(main, second, longTitled);
    WriteDescriptiveTableRow(main, second, Control);
    WriteDescriptiveTableRow(main, second, ColumnInfo{.Title = "Empty"});  // N = 0: no row in either block
    AppendReport(main, second);

    const Lines expected{
        "[b]                Number                       Standard[b]",
        "[b]                  of              Standard   Error of[b]",
        "[b]     Group      Points     Mean   Deviation    Mean     Median [b]",
        "[b]=============== ======   ======== =========  ========  ========[b]",
        "[b][b]ABCDEFGHIJKLMNOPQRST   121.235E+07              3.000   Unknown",
        "        Control     5      12.500    2.250      1.006    12.000",
        "",
        "[b]                                  95% Confidence Interval[b]",
        "[b]     Group      Minimum  Maximum     From        To    [b]",
        "[b]=============== ======== ======== ========== ==========[b]",
        "[b][b]ABCDEFGHIJKLMNOPQRST Unknown Unknown                    ",
        "        Control   10.000   15.500      9.706     15.294",
    };
    ExpectLines(main.Text(), expected);
    // N moves from column 17 to 21; the mean keeps column 26, the SEM 46.
    const std::string row = ShownLines(main.Text())[4].substr(6);
    EXPECT_EQ(20u, row.find("   12"));
    EXPECT_EQ(25u, row.find("1.235E+07"));
    EXPECT_EQ(45u, row.find("   3.000"));
}

TEST(NormalityTable, HeaderAndEachKindOfRow) {
    ReportWriter report;
    WriteNormalityTableHeader(report);
    ColumnInfo c = Control;
    c.Title.assign(1, 'A');  // (assigning the literal trips a false -Wrestrict in GCC 12)
    c.N = 3;
    WriteNormalityTableRow(report, c, false);
    c.N = 10;
    WriteNormalityTableRow(report, c, true);
    c.Passed = true;  // left from an earlier test: no test ran now (SD 0)
    WriteNormalityTableRow(report, c, false);
    c.KSDistance = 0.1234L;
    c.NormalityP = 0.2L;
    WriteNormalityTableRow(report, c, false);
    c.Passed = false;
    for (long double P : {0.10L, 0.00005L, 0.0001L}) {
        c.NormalityP = P;
        WriteNormalityTableRow(report, c, false);
    }
    const Lines expected{
        "",
        "[b]     Group        KS     P Value  Passed normality test?[b]",
        "[b]=============== ======   ======== =======================[b]",
        "[b][b]              A   Too few values to test.",
        "              A   Normality test requires raw data.",
        "              A   Normality test could not be performed.",
        "              A   0.1234 >0.10     Yes",
        "              A   0.1234  0.1000   No",
        "              A   0.1234 <0.0001   No",
        "              A   0.1234  0.0001   No",
    };
    ExpectLines(report.Text(), expected);
}

TEST(RankSummaryTable, HeaderAndRowsWithUnknownMedian) {
    ReportWriter report;
    WriteRankSummaryTableHeader(report);
    WriteRankSummaryTableRow(report, Control);
    ColumnInfo c = Control;
    c.Median = MissingValue;
    WriteRankSummaryTableRow(report, c);
    const Lines expected{
        "[b]                Number[b]",
        "[b]                  of  [b]",
        "[b]     Group      Points    Median  Minimum    Maximum   [b]",
        "[b]=============== ======   ======== ========   ========[b]",
        "[b][b]        Control     5      12.000   10.000     15.500",
        "        Control     5     Unknown   10.000     15.500",
    };
    ExpectLines(report.Text(), expected);
}

TEST(RankTables, KruskalWallisAndFriedman) {
    ReportWriter kw;
    WriteKruskalWallisRankTableHeader(kw);
    WriteKruskalWallisRankTableRow(kw, "Control", 5, 27.5L, 5.5L);
    const Lines expectedKW{
        "[b]                 Number     Sum     Mean  [b]",
        "[b]                   of       of       of   [b]",
        "[b]     Group       Points    Ranks    Ranks [b]",
        "[b]===============  =======  =======  =======[b]",
        "[b][b]        Control        5   27.500    5.500",
    };
    ExpectLines(kw.Text(), expectedKW);

    ReportWriter friedman;
    WriteFriedmanRankTableHeader(friedman);
    WriteFriedmanRankTableRow(friedman, "Control", 27.5L);
    const Lines expectedFriedman{
        "[b]                   Sum  [b]", "[b]                   of   [b]", "[b]     Group        Ranks [b]",
        "[b]===============  =======[b]", "[b][b]        Control   27.500",
    };
    ExpectLines(friedman.Text(), expectedFriedman);
}

TEST(TTestSummaryBlock, TypedSummaryDataAndAtMostThreeColumns) {
    const ColumnInfo typed{
        .Title = "After", .N = 4, .Mean = 20, .SD = 4, .SEM = 2, .UpperCI = 26.365L, .LowerCI = 13.635L};
    const ColumnInfo columns[]{Control, typed, ColumnInfo{.Title = "Difference"},
                               ColumnInfo{.Title = "Ignored"}};
    ReportWriter report;
    WriteTTestSummaryBlock(report, std::span(columns, 2));
    const Lines expected{
        "    Parameter:         Control           After", "         Mean:          12.500          20.000",
        "  # of points:               5               4", "Std deviation:           2.250           4.000",
        "    Std error:           1.006           2.000", "      Minimum:          10.000         Unknown",
        "      Maximum:          15.500         Unknown", "       Median:          12.000         Unknown",
        " Lower 95% CI:           9.706          13.635", " Upper 95% CI:          15.294          26.365",
    };
    ExpectLines(report.Text(), expected);

    ReportWriter wide;
    WriteTTestSummaryBlock(wide, columns);
    EXPECT_EQ("    Parameter:         Control           After      Difference", ShownLines(wide.Text())[0]);
}
