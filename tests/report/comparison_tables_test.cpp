#include "report/comparison_tables.h"

#include <gtest/gtest.h>

#include "data/number_text.h"
#include "table_text.h"

using namespace vextal;

TEST(SignificanceStars, LevelsAreInclusiveAndRightJustified) {
    EXPECT_EQ("*** P<0.001", SignificanceStars(0.001L));
    EXPECT_EQ(" **  P<0.01", SignificanceStars(0.0010001L));
    EXPECT_EQ(" *   P<0.05", SignificanceStars(0.05L));
    EXPECT_EQ(" ns  P>0.05", SignificanceStars(0.0500001L));
    // A category stored from a double literal is a hair above the extended
    // value; it is still the same level.
    EXPECT_EQ(" *   P<0.05", SignificanceStars(0.05));
    EXPECT_EQ(" **  P<0.01", SignificanceStars(0.01));
    EXPECT_EQ("*** P<0.001", SignificanceStars(0.001));

    EXPECT_EQ("**  P<0.01", DunnettSignificanceStars(0.001L)) << "no *** level";
    EXPECT_EQ("*   P<0.05", DunnettSignificanceStars(0.05));
    EXPECT_EQ("ns  P>0.05", DunnettSignificanceStars(0.0500001L));
}

TEST(PostTestTable, HeaderRowAndConfidenceBlock) {
    ReportWriter report;
    WritePostTestTableHeader(report, "t ");
    WritePostTestTableRow(report, "Group A", "Group B", -3.25L, 2.5L, 0.03L);
    const Lines expected{
        "[b]                                      Mean   [b]",
        "[b]            Comparison             Difference    t      P value  [b]",
        "[b]================================== ========== ======= ===========[b]",
        "[b][b]        Group A vs Group B             -3.250   2.500  *   P<0.05",
    };
    ExpectLines(report.Text(), expected);

    ReportWriter ci;
    WritePostTestCIHeader(ci);
    WritePostTestCIRow(ci, "Group A", "Group B", -3.25L, -6.1L, -0.4L);
    const Lines expectedCI{
        "[b]                                      Mean    95% Confidence Interval[b]",
        "[b]            Difference             Difference  From     To   [b]",
        "[b]================================== ========== ======= =======[b]",
        "[b][b]        Group A - Group B              -3.250  -6.100 -0.4000",
    };
    ExpectLines(ci.Text(), expectedCI);
}

TEST(SnkTable, UntestedPairShowsDashes) {
    ReportWriter report;
    WriteSnkTableHeader(report);
    WriteSnkTableRow(report, "Group A", "Group C", -5, 4.25L, 0.001L);
    WriteSnkTableRow(report, "Group A", "Group B", -1, MissingValue, 0.1L);
    const Lines lines = ShownLines(report.Text());
    ASSERT_EQ(5u, lines.size());
    EXPECT_EQ("[b]            Comparison             Difference    q      P value  [b]", lines[1]);
    EXPECT_EQ("[b][b]        Group A vs Group C             -5.000   4.250 *** P<0.001", lines[3]);
    EXPECT_EQ("        Group A vs Group B             -1.000   ---    ns  P>0.05", lines[4]);
}

TEST(DunnettTable, WithAndWithoutTheQColumn) {
    ReportWriter withQ;
    WriteDunnettTableHeader(withQ, true);
    WriteDunnettTableRow(withQ, true, "Control", "Drug", -3.25L, 2.5L, 0.001L);
    const Lines expectedWithQ{
        "[b]                                      Mean   [b]",
        "[b]            Comparison             Difference    q      P value  [b]",
        "[b]================================== ========== ======== ==========[b]",
        "[b][b]        Control vs Drug                -3.250    2.500 **  P<0.01",
    };
    ExpectLines(withQ.Text(), expectedWithQ);

    ReportWriter withoutQ;
    WriteDunnettTableHeader(withoutQ, false);
    WriteDunnettTableRow(withoutQ, false, "Control", "Drug", 12, 99, 1);
    const Lines lines = ShownLines(withoutQ.Text());
    ASSERT_EQ(4u, lines.size());
    EXPECT_EQ("[b]            Comparison             Difference  P value  [b]", lines[1]);
    EXPECT_EQ("[b]================================== ========== ==========[b]", lines[2]);
    EXPECT_EQ("[b][b]        Control vs Drug                12.000 ns  P>0.05", lines[3]);

    ReportWriter ci;
    WriteDunnettCIHeader(ci);
    WriteDunnettCIRow(ci, "Control", "Drug", -3.25L, -6.1L, -0.4L);
    const Lines expectedCI{
        "[b]                                      Mean     Lower    Upper  [b]",
        "[b]            Difference             Difference  95% CI   95% CI [b]",
        "[b]================================== ========== ======== ========[b]",
        "[b][b]        Control - Drug                 -3.250   -6.100  -0.4000",
    };
    ExpectLines(ci.Text(), expectedCI);
}

TEST(DunnTable, MeanRankOrRankSumHeading) {
    ReportWriter report;
    WriteDunnTableHeader(report, DunnDifference::MeanRank);
    WriteDunnTableRow(report, "Group A", "Group B", -3.25L, 0.0005L);
    const Lines expected{
        "[b]                                   Mean Rank [b]",
        "[b]            Comparison             Difference   P value  [b]",
        "[b]================================== ========== ===========[b]",
        "[b][b]        Group A vs. Group B            -3.250 *** P<0.001",
    };
    ExpectLines(report.Text(), expected);

    ReportWriter friedman;
    WriteDunnTableHeader(friedman, DunnDifference::RankSum);
    EXPECT_EQ("[b]                                    Rank Sum [b]", ShownLines(friedman.Text())[0]);
}
