#include "stats/t_tests.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "stats/column_stats.h"
#include "stats/column_tests.h"
#include "stats/t_test_report.h"
#include "xy_test_support.h"

using namespace vextal;

namespace {

using Column = std::pair<std::string, std::vector<long double>>;

// A raw-data document with one titled column per entry (Empty leaves a cell blank).
DataDocument RawDocument(const std::vector<Column>& columns) {
    DataDocument document = NewDocument();
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const int column = static_cast<int>(c);
        document.Table.ColumnInfo[c].Title = columns[c].first;
        document.Table.SummaryEntered[c] = false;
        for (std::size_t row = 0; row < columns[c].second.size(); ++row)
            if (!IsMissing(columns[c].second[row]))
                SetValue(document.Table, static_cast<int>(row), column, columns[c].second[row]);
    }
    return document;
}

struct Typed {
    std::string Title;
    int N;
    long double Mean, SD;
};

DataDocument AveragedDocument(const std::vector<Typed>& columns) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSDN;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        ColumnInfo& info = document.Table.ColumnInfo[c];
        info.Title = columns[c].Title;
        info.N = columns[c].N;
        info.Mean = columns[c].Mean;
        info.SD = columns[c].SD;
    }
    return document;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::vector<long double> Control{4.2L, 5.1L, 3.9L, 4.8L, 5.5L, 4.1L, 4.6L, 5.0L, 4.4L, 5.3L};
const std::vector<long double> Treated{5.6L, 6.1L, 4.9L, 5.8L, 6.7L, 5.2L, 5.5L, 6.4L, 5.9L, 6.0L, 6.3L, 5.4L};

}  // namespace

TEST(CriticalT95, TableUpTo13DegreesAndFormulaBeyond) {
    EXPECT_EQ(12.706L, critical_t95(1, true));
    EXPECT_EQ(2.160L, critical_t95(13, true));
    EXPECT_EQ(6.314L, critical_t95(1, false));
    EXPECT_EQ(1.771L, critical_t95(13, false));
    EXPECT_NEAR(2.0166L, critical_t95(43, true), 5e-5L);  // N_A = 20, N_B = 25
    // The formula continues the table closely (exact 97.5% points of t).
    EXPECT_NEAR(2.1448L, critical_t95(14, true), 3e-4L);
    EXPECT_NEAR(1.7613L, critical_t95(14, false), 3e-4L);
    EXPECT_TRUE(std::isnan(critical_t95(0, true)));
}

TEST(OneSampleTTest, WholeReportOfOneTwoThreeAgainstZero) {
    DataDocument document = RawDocument({{"Values", {1, 2, 3}}});
    ReportWriter report;
    ColumnTestOutcome outcome;
    EXPECT_EQ(0, OneColumnTest(document, 0, report, false, true, 0, nullptr, &outcome));
    EXPECT_EQ(538, document.ReportHelpTopic);
    const TTestStatistic& t = outcome.TTest.OneSample.Test;
    ExpectClose(2 * std::sqrt(3.0L), t.T, 1e-18L);
    ExpectClose(0.07417990022744857L, t.PTwoTailed, 1e-5L);
    // Everything down to the summary block, which has tests of its own.
    Lines lines = ShownLines(report.Text());
    ASSERT_EQ(35u, lines.size());
    lines.resize(22);
    EXPECT_EQ((Lines{"",
                     "[u]                        One sample t test                        [u]",
                     "[u][u]Does the mean of Values differ significantly from 0.000? ",
                     "",
                     "[u]P value[u]",
                     "[u][u]The two-tailed P value is 0.0742, considered not quite significant.",
                     "",
                     "t = 3.464 with 2 degrees of freedom.",
                     "",
                     "[u]95% Confidence interval[u]",
                     "[u][u]Mean difference = 2.000 (Mean of Values minus 0.000) ",
                     "The 95% confidence interval of the difference:",
                     "   -0.4843 to 4.484",
                     "",
                     "[u]Assumption test: Are the data sampled from a Gaussian distribution?[u]",
                     "[u][u]The one sample t test assumes that the differences are sampled from a ",
                     "Gaussian distribution. This assumption is tested using the ",
                     "method of Kolmogorov and Smirnov:",
                     "   Too few values to test normality.",
                     "",
                     "[u]                         Summary of Data                         [u]",
                     "[u][u]    Parameter:          Values"}),
              lines);
}

TEST(OneSampleTTest, OneTailAndDirection) {
    DataDocument document = RawDocument({{"Values", {1, 2, 3}}});
    ReportWriter oneTailed;
    OneColumnTest(document, 0, oneTailed, false, false, 0, nullptr);
    ExpectBlock(oneTailed.Text(), {"[u][u]The one-tailed P value is 0.0371, considered significant."});

    // Against 4 the mean lies below: the difference is negative, t is not.
    ReportWriter below;
    ColumnTestOutcome outcome;
    OneColumnTest(document, 0, below, false, false, 4, nullptr, &outcome);
    const OneSampleTTestResult& r = outcome.TTest.OneSample;
    EXPECT_EQ(-2.0L, r.Test.Difference);
    ExpectClose(2 * std::sqrt(3.0L), r.Test.T, 1e-18L);
    EXPECT_EQ(r.Test.PTwoTailed / 2, r.ReportedP());
    ExpectBlock(below.Text(), {"t = 3.464 with 2 degrees of freedom."});
    ExpectBlock(below.Text(), {"[u][u]Mean difference = -2.000 (Mean of Values minus 4.000) "});
}

// Reference values from an independent calculation (exact rational sums,
// the incomplete beta function by continued fraction, confirmed by Simpson
// integration of the t density; the KS distance 0.138 of the paired
// differences from the error function).
TEST(TTests, MatchReferenceValues) {
    DataDocument document = RawDocument({{"Control", Control}, {"Treated", Treated}});
    ColumnTestOutcome outcome;
    ReportWriter student;
    ASSERT_EQ(0, TwoColumnTest(document, 0, 1, student, true, false, true, true, nullptr, &outcome));
    EXPECT_EQ(93, document.ReportHelpTopic);
    const UnpairedTTestResult& s = outcome.TTest.Unpaired;
    EXPECT_EQ(20, s.Test.DF);
    ExpectClose(4.961382702349783L, s.Test.T, 1e-14L);
    ExpectClose(7.511436281057614e-05L, s.Test.PTwoTailed, 1e-5L);
    ExpectClose(0.6529837145227476L, s.Test.Lower, 1e-14L);
    ExpectClose(1.600349618810586L, s.Test.Upper, 1e-14L);
    ExpectClose(1.0570534069981583L, s.F, 1e-14L);
    EXPECT_EQ(9, s.FNumeratorDF);  // Control has the larger SD
    ExpectClose(0.9150523986262975L, s.PF, 1e-5L);
    ExpectBlock(student.Text(), {"[u][u]The two-tailed P value is < 0.0001, considered extremely significant.",
                                 "", "t = 4.961 with 20 degrees of freedom."});
    ExpectBlock(student.Text(), {"[u][u]Mean difference = 1.127 (Mean of Treated minus mean of Control) ",
                                 "The 95% confidence interval of the difference: 0.6530 to 1.600"});
    ExpectBlock(student.Text(), {"F = 1.057", "The P value is 0.9151. ",
                                 "This test suggests that the difference between the two SDs is",
                                 "not significant.  ", ""});

    ReportWriter welch;
    TwoColumnTest(document, 0, 1, welch, false, false, true, true, nullptr, &outcome);
    const UnpairedTTestResult& w = outcome.TTest.Unpaired;
    ExpectClose(19.081117745658712L, w.WelchDF, 1e-14L);
    EXPECT_EQ(19, w.Test.DF);
    ExpectClose(4.948263232410328L, w.Test.T, 1e-14L);
    ExpectClose(8.92458776995094e-05L, w.Test.PTwoTailed, 1e-5L);
    ExpectClose(0.6501166223836615L, w.Test.Lower, 1e-14L);
    ExpectClose(1.6032167109496718L, w.Test.Upper, 1e-14L);
    EXPECT_TRUE(IsMissing(w.F));
    ExpectBlock(welch.Text(), {"Welch correction applied. This test does not assume equal variances.", "",
                               "Welch's approximate t = 4.948 with 19 degrees of freedom."});
    EXPECT_FALSE(Contains(welch.Text(), "standard deviations equal"));

    ReportWriter one;
    OneColumnTest(document, 1, one, false, true, 5, nullptr, &outcome);
    const OneSampleTTestResult& o = outcome.TTest.OneSample;
    ExpectClose(5.402168584407989L, o.Test.T, 1e-14L);
    ExpectClose(0.00021594681091799934L, o.Test.PTwoTailed, 1e-5L);
    ExpectClose(0.48393300512909065L, o.Test.Lower, 1e-14L);
    ExpectClose(1.1494003282042422L, o.Test.Upper, 1e-14L);
}

TEST(PairedTTest, MatchesReferenceValuesAndReport) {
    DataDocument document = RawDocument({{"Before", {142, 138, 150, 129, 144, 135, 147, 131, 139}},
                                         {"After", {138, 136, 145, 131, 137, 134, 140, 130, Empty}}});
    ReportWriter report;
    ColumnTestOutcome outcome;
    ASSERT_EQ(0, TwoColumnTest(document, 0, 1, report, true, false, true, false, nullptr, &outcome));
    EXPECT_EQ(104, document.ReportHelpTopic);
    const PairedTTestResult& p = outcome.TTest.Paired;
    EXPECT_EQ(8, p.Pairs);
    EXPECT_EQ(7, p.Test.DF);
    ExpectClose(25.0L / 9, p.Test.T, 1e-17L);
    ExpectClose(0.027385701449377912L, p.Test.PTwoTailed, 1e-5L);
    ExpectClose(0.464375L, p.Test.Lower, 1e-15L);
    ExpectClose(5.785625L, p.Test.Upper, 1e-15L);
    ExpectClose(0.9593673180473837L, p.R, 1e-15L);
    ExpectClose(0.00016264346820603546L, p.PR, 1e-5L);
    // The unpaired row leaves its difference empty.
    EXPECT_EQ(4.0L, document.Table.DifferenceColumn[0]);
    EXPECT_TRUE(IsMissing(document.Table.DifferenceColumn[8]));

    ExpectBlock(report.Text(), {"[u]                          Paired t test                          [u]",
                                "[u][u]Does the mean of the differences between Before and After",
                                " differ significantly from zero?", "", "[u]P value[u]",
                                "[u][u]The two-tailed P value is 0.0274, considered significant.", "",
                                "t = 2.778 with 7 degrees of freedom."});
    ExpectBlock(report.Text(), {"[u][u]Mean difference = 3.125 (Mean of paired differences)",
                                "The 95% confidence interval of the difference: 0.4644 to 5.786", "",
                                "[u]Assumption test: Was the pairing effective?[u]",
                                "[u][u]Correlation coefficient (r) = 0.9594",
                                "The one-tailed P value is < 0.0001, considered extremely significant.",
                                "Effective pairing results in a significant correlation between the columns.",
                                "With these data, the pairing (or matching) appears to be effective.", ""});
    ExpectBlock(report.Text(), {"method of Kolmogorov and Smirnov:",
                                "   The Kolmogorov-Smirnov distance (KS) is   0.14", "   The P value is >0.10",
                                "The data passed the normality test with P>0.05.",
                                "[u]                         Summary of Data                         [u]",
                                "[u][u]    Parameter:          Before           After      Difference"});
}

TEST(PairedTTest, EqualDifferencesAndFewPairs) {
    // B = A + 5 in every row, with decimals that make the computed
    // differences wobble in the last bit.
    DataDocument constant = RawDocument({{"A", {1.3L, 2.7L, 3.1L, 0.9L, 4.4L}}, {"B", {6.3L, 7.7L, 8.1L, 5.9L, 9.4L}}});
    ReportWriter report;
    EXPECT_EQ(0, TwoColumnTest(constant, 0, 1, report, true, false, true, false, nullptr));
    const std::string& text = report.Text();
    EXPECT_FALSE(Contains(text, "P value is"));
    EXPECT_FALSE(Contains(text, "Assumption test"));
    ExpectBlock(text, {"[u]P value[u]", "[u][u]", "t is undefined with 4 degrees of freedom.", "",
                       "[u]95% confidence interval[u]", "[u][u]Mean difference = -5.000 (Mean of paired differences)",
                       "", "The t test cannot be performed when the standard deviation", "is zero. ",
                       "[u]                         Summary of Data                         [u]"});
    ExpectBlock(text, {"Std deviation:           1.415           1.415           0.000",
                       "    Std error:          0.6328          0.6328           0.000"});

    DataDocument three = RawDocument({{"A", {1, 2, 3, 4}}, {"B", {2, 2, 5, Empty}}});
    ReportWriter few;
    EXPECT_EQ(0, TwoColumnTest(three, 0, 1, few, true, false, true, false, nullptr));
    ExpectBlock(few.Text(), {"[u]Assumption test: Was the pairing effective?[u]",
                             "[u][u]There are too few pairs to calculate r.", ""});
    ExpectBlock(few.Text(), {"method of Kolmogorov and Smirnov:", "   Too few values to test normality."});

    // Negative correlation, and a column that is constant over the complete pairs.
    DataDocument crossed = RawDocument({{"A", {1, 2, 3, 4, 5}}, {"B", {9, 7, 8, 5, 4}}});
    ReportWriter negative;
    TwoColumnTest(crossed, 0, 1, negative, true, false, true, false, nullptr);
    ExpectBlock(negative.Text(), {"The negative correlation coefficient indicates that the pairing or",
                                  "matching was NOT effective.", ""});
    DataDocument flat = RawDocument({{"A", {1, 2, 4, 7, 11, 16}}, {"B", {3, 3, 3, 3, 3, Empty}}});
    SetValue(flat.Table, 6, 1, 9);  // B varies only outside the pairs
    ReportWriter noVariability;
    TwoColumnTest(flat, 0, 1, noVariability, true, false, true, false, nullptr);
    ExpectBlock(noVariability.Text(), {"[u][u]Can't calculate r. One group has no variability."});
}

TEST(TTests, WelchDegreesOfFreedomAreTruncated) {
    // Satterthwaite's df of N 5 and 5 with SDs 1 and 1.12 is 7.8994.
    DataDocument document = AveragedDocument({{"A", 5, 10, 1}, {"B", 5, 12, 1.12L}});
    ColumnTestOutcome outcome;
    ReportWriter report;
    EXPECT_EQ(0, TwoColumnTest(document, 0, 1, report, false, false, true, true, nullptr, &outcome));
    ExpectClose(7.899407230416172L, outcome.TTest.Unpaired.WelchDF, 1e-14L);
    EXPECT_EQ(7, outcome.TTest.Unpaired.Test.DF);

    // Equal SDs and sizes give exactly 2N − 2, which rounding must not cut to 2N − 3.
    for (int n = 2; n <= 40; ++n)
        for (long double sd : {0.1L, 0.3L, 0.7L, 1.1L, 2.9L, 13.7L}) {
            DataDocument same = AveragedDocument({{"A", n, 1, sd}, {"B", n, 2, sd}});
            ReportWriter text;
            TwoColumnTest(same, 0, 1, text, false, false, true, true, nullptr, &outcome);
            EXPECT_EQ(2 * n - 2, outcome.TTest.Unpaired.Test.DF) << "N " << n << ", SD " << static_cast<double>(sd);
        }
}

TEST(TTests, DataChecksGiveCodes) {
    const auto code = [](DataDocument document, bool unpaired) {
        ReportWriter report;
        const int result = TwoColumnTest(document, 0, 1, report, true, false, true, unpaired, nullptr);
        EXPECT_EQ(result, document.CalcError);
        return result;
    };
    const auto oneColumn = [](DataDocument document) {
        ReportWriter report;
        return OneColumnTest(document, 0, report, false, true, 0, nullptr);
    };
    // Seven typed 0.7s: the computed SD is rounding noise, not a spread.
    EXPECT_EQ(40, oneColumn(RawDocument({{"A", std::vector<long double>(7, 0.7L)}})));
    EXPECT_EQ(49, oneColumn(RawDocument({{"A", {3}}})));
    EXPECT_EQ(40, code(RawDocument({{"A", {1, 2, 3}}, {"B", {0.7L, 0.7L, 0.7L}}}), true));
    EXPECT_EQ(49, code(RawDocument({{"A", {1, 2, 3}}, {"B", {5}}}), true));
    EXPECT_EQ(44, code(AveragedDocument({{"A", 5, 10, 1}, {"B", 5, 12, 1}}), false));
    EXPECT_EQ(49, code(RawDocument({{"A", {1, 2, 3}}, {"B", {5}}}), false));
    EXPECT_EQ(50, code(RawDocument({{"A", {1, 2, Empty}}, {"B", {Empty, 4, 5}}}), false));
    // A typed column without an SD cannot be tested.
    EXPECT_EQ(40, code(AveragedDocument({{"A", 5, 10, 1}, {"B", 5, 12, Empty}}), true));
}

TEST(ColumnTests, NonparametricChoicesRunTheRankTests) {
    DataDocument document = RawDocument({{"A", {1, 2, 3, 4}}, {"B", {2, 4, 5, 7}}});
    ReportWriter report;
    EXPECT_EQ(0, OneColumnTest(document, 0, report, true, true, 0, nullptr));
    EXPECT_EQ(662, document.ReportHelpTopic);
    EXPECT_TRUE(Contains(report.Text(), "Wilcoxon signed rank test"));
    TwoColumnTest(document, 0, 1, report, true, true, true, true, nullptr);
    EXPECT_EQ(114, document.ReportHelpTopic);
    TwoColumnTest(document, 0, 1, report, true, true, true, false, nullptr);
    EXPECT_EQ(658, document.ReportHelpTopic);

    // Typed means, in an averaged document or as a typed column of a raw one.
    DataDocument averaged = AveragedDocument({{"A", 5, 10, 1}, {"B", 5, 12, 1}});
    EXPECT_EQ(42, TwoColumnTest(averaged, 0, 1, report, true, true, true, true, nullptr));
    EXPECT_EQ(42, averaged.CalcError);
    DataDocument typed = RawDocument({{"A", {1, 2, 3, 4}}});
    typed.Table.ColumnInfo[1] = ColumnInfo{"B", 6, 3, 1};
    typed.Table.SummaryEntered[1] = true;
    EXPECT_EQ(42, OneColumnTest(typed, 1, report, true, true, 0, nullptr));
    ExpectBlock(report.Text(), {"Nonparametric tests require raw data exclusively.  No"});
}

TEST(NormalityBlock, PassedFailedAndVerySmallP) {
    const auto block = [](long double p) {
        ReportWriter report;
        WriteNormalityBlock(report, NormalityCheck{true, 12, 0.3L, p});
        report.new_line();
        return ShownLines(report.Text());
    };
    EXPECT_EQ((Lines{"   The Kolmogorov-Smirnov distance (KS) is   0.30", "   The P value is >0.10",
                     "The data passed the normality test with P>0.05."}),
              block(NormalityPAboveTenPercent));
    EXPECT_EQ((Lines{"   The Kolmogorov-Smirnov distance (KS) is   0.30", "   The P value is 0.0312",
                     "The data failed the normality test with P<0.05.",
                     "Consider using a nonparametric test or transforming the data ",
                     "(i.e. converting to logarithms or reciprocals). "}),
              block(0.0312L));
    EXPECT_EQ("   The P value is <0.0001", block(0.00005L)[1]);
    EXPECT_EQ("", block(0.00005L)[2]);
}
