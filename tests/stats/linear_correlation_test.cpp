#include "stats/linear_correlation.h"

#include <gtest/gtest.h>

#include <vector>

#include "report/report_writer.h"
#include "xy_test_support.h"

using namespace vextal;

namespace {

std::string Report(DataDocument& document, int expectedCode = 0) {
    ReportWriter report;
    EXPECT_EQ(expectedCode, LinearCorrelation(document, report));
    EXPECT_EQ(expectedCode, document.CalcError);
    return report.Text();
}

}  // namespace

// Reference values from an independent 40-digit calculation (mpmath): r, the
// t test's two-tailed P, and the Fisher-z interval. The interval's critical
// value is the program's normal deviate, the 97.5% point of t with 5000 DF
// (1.9604386), which inverse_z finds to about 1e-6 in P.
TEST(LinearCorrelation, MatchesReferenceValues) {
    const std::vector<long double> x{1.2L, 2.4L, 3.1L, 4.8L, 5.0L, 6.3L, 7.7L, 8.1L, 9.6L, 10.2L};
    const std::vector<long double> y{3.1L, 2.9L, 4.4L, 5.1L, 4.7L, 6.8L, 6.1L, 8.3L, 8.0L, 9.9L};
    const CorrelationResult c = CorrelationSums(x, y);
    ASSERT_EQ(0, c.Code);
    EXPECT_EQ(10, c.N);
    ExpectClose(0.95253009308803327701L, c.R, 1e-17L);
    ExpectClose(0.90731357823829734008L, c.RSquared, 1e-17L);
    ExpectClose(8.8494369741278768687L, c.T, 1e-16L);
    ExpectClose(2.0974661076528570962e-5L, c.P, 1e-5L);
    ExpectClose(0.80666842770331300051L, c.Lower, 1e-5L);
    ExpectClose(0.98901361746566312910L, c.Upper, 1e-5L);
}

TEST(LinearCorrelation, ThreePairsReport) {
    DataDocument document = XYDocument({{1, 2}, {2, 1}, {3, 4}});
    // Reference: r = 0.654654, P = 0.545629.
    ExpectLines(Report(document), {"[u]                       Linear Correlation                        [u]",
                                   "[u][u]",
                                   "",
                                   "Number of points = 3",
                                   "",
                                   "Correlation coefficient (r) = 0.6547",
                                   "95% confidence interval: (Requires more than 3 points) ",
                                   "Coefficient of determination (r squared) = 0.4286",
                                   "",
                                   "",
                                   "[u]Test: Is r significantly different than zero?[u]",
                                   "[u][u]The two-tailed P value is 0.5456, considered not significant."});
    EXPECT_EQ(186, document.ReportHelpTopic);
}

TEST(LinearCorrelation, PointsOnOneLineAreReportedNormally) {
    DataDocument rising = XYDocument({{1, 3}, {2, 5}, {3, 7}, {4, 9}, {5, 11}});
    const std::string text = Report(rising);
    const Lines lines = ShownLines(text);
    ASSERT_EQ(12u, lines.size()) << text;
    EXPECT_EQ("Correlation coefficient (r) = 1.000", lines[5]);
    EXPECT_EQ("95% confidence interval: 1.000 to 1.000", lines[6]);
    EXPECT_EQ("[u][u]The two-tailed P value is < 0.0001, considered extremely significant.", lines[11]);

    // A falling line whose decimals make |r| round past 1 before clamping.
    std::vector<long double> x, y;
    for (int i = 1; i <= 5; ++i) {
        x.push_back(0.1L * i);
        y.push_back(0.7L - 0.1L * 3 * x.back());
    }
    const CorrelationResult c = CorrelationSums(x, y);
    EXPECT_EQ(0, c.Code);
    EXPECT_EQ(-1.0L, c.R);
    EXPECT_EQ(0.0L, c.P);
    EXPECT_EQ(-1.0L, c.Lower);
    EXPECT_EQ(-1.0L, c.Upper);
}

TEST(LinearCorrelation, PairsAndDataChecks) {
    // Replicate Y columns pair with the row's X; rows without X give no pair.
    DataDocument replicates = XYDocument({{1, 2, 3}, {2, Empty, 5}, {Empty, 7}, {3, 4}});
    const CorrelationResult c = CorrelationSums(replicates.Table, 0);
    EXPECT_EQ(4, c.N);
    EXPECT_EQ(2.75L, c.Sxx);  // X 1, 1, 2, 3 about their mean 1.75
    const CorrelationResult columns = CorrelationSums(replicates.Table, 0, 2);
    EXPECT_EQ(2, columns.N);
    EXPECT_EQ(39, columns.Code);

    DataDocument empty = XYDocument({{1}, {Empty, 3}});
    ExpectLines(Report(empty, 47), {"", "No data to perform correlation test.", ""});
    DataDocument oneX = XYDocument({{2, 1}, {2, 5}, {2, 3}});
    Report(oneX, 37);
    DataDocument oneY = XYDocument({{1, 4}, {2, 4}, {3, 4}});
    Report(oneY, 38);
    DataDocument twoPairs = XYDocument({{1, 4}, {2, 5}});
    ExpectLines(Report(twoPairs, 39), {"", "Linear correlation requires at least three points.", ""});
}
