#include "stats/two_by_two.h"

#include <gtest/gtest.h>

#include <cmath>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "stats/pvalue.h"
#include "stats/two_by_two_report.h"

using namespace vextal;

namespace {

// Reference values in this file come from python3: Fisher P values as exact
// sums of hypergeometric probabilities (fractions, math.comb), chi-square
// statistics as direct sums over the cells with P = erfc(sqrt(x / 2)), the
// ratio intervals from their closed forms with z = 1.9604492187, and the
// exact binomial limits by bisection on binomial tail sums.

void ExpectRelative(long double expected, long double actual, long double tolerance) {
    EXPECT_NEAR(static_cast<double>(expected), static_cast<double>(actual),
                static_cast<double>(tolerance * std::fabs(expected)));
}

DataDocument TwoByTwoDocument(long double a, long double b, long double c, long double d) {
    DataDocument document = NewDocument();
    TwoByTwoTable& table = document.TwoByTwo;
    table.A = a, table.B = b, table.C = c, table.D = d;
    table.Column1Title = "Disease";
    table.Column2Title = "Healthy";
    table.Row1Title = "Exposed";
    table.Row2Title = "Unexposed";
    return document;
}

AnalysisChoices Choices(bool fisher, bool twoSided, bool yates) {
    AnalysisChoices choices;
    choices.UseChiSquare = fisher ? 0 : 1;
    choices.TwoByTwoTwoSided = twoSided;
    choices.YatesCorrection = yates;
    choices.RelativeRisk = choices.ProportionDifference = choices.OddsRatio = choices.Sensitivity = false;
    return choices;
}

Lines Report(DataDocument& document, const AnalysisChoices& choices, int expectedCode = 0) {
    ReportWriter report;
    EXPECT_EQ(expectedCode, analyse_two_by_two(document, choices, report));
    EXPECT_EQ(expectedCode, document.CalcError);
    return ShownLines(report.Text());
}

Lines Slice(const Lines& lines, std::size_t first, std::size_t count) {
    if (first >= lines.size())
        return {};
    return Lines(lines.begin() + first, lines.begin() + std::min(lines.size(), first + count));
}

} // namespace

TEST(FisherExact, MatchesExactHypergeometricSumsInEveryOrientation) {
    struct Case {
        int a, b, c, d;
        double oneSided, twoSided;
    };
    const Case cases[] = {
        {3, 1, 1, 3, 0.24285714285714285, 0.4857142857142857}, // the tea-tasting table
        {1, 9, 11, 3, 0.0013797280926100418, 0.0027594561852200836},
        {2, 7, 8, 2, 0.018521725952066508, 0.023014137565221155},
        {10, 3, 2, 15, 0.00046518094336290503, 0.0005367241191434358},
        {0, 5, 6, 1, 0.007575757575757576, 0.015151515151515152},
        {7, 12, 0, 5, 0.14558629776021081, 0.272068511198946},
        {5, 1, 2, 9, 0.01753393665158371,
         0.034502262443438916}, // the other tail holds a table exactly as likely
    };
    for (const Case& k : cases) {
        const int tables[4][4] = {
            {k.a, k.b, k.c, k.d}, {k.a, k.c, k.b, k.d}, {k.c, k.d, k.a, k.b}, {k.b, k.a, k.d, k.c}};
        for (const auto& t : tables) {
            SCOPED_TRACE(testing::Message() << t[0] << " " << t[1] << " " << t[2] << " " << t[3]);
            const FisherResult p = fisher_exact(t[0], t[1], t[2], t[3]);
            ExpectRelative(k.oneSided, p.OneSided, 1e-12L);
            ExpectRelative(k.twoSided, p.TwoSided, 1e-12L);
        }
    }
}

TEST(FisherExact, BalancedMarginsDoubleTheOneSidedPButNeverPassOne) {
    const FisherResult perfect = fisher_exact(3, 0, 0, 3);
    EXPECT_NEAR(0.05, static_cast<double>(perfect.OneSided), 1e-15);
    EXPECT_NEAR(0.1, static_cast<double>(perfect.TwoSided), 1e-15);
    // The central table: doubling would give 106/70.
    EXPECT_EQ(1.0L, fisher_exact(2, 2, 2, 2).TwoSided);
    EXPECT_EQ(1.0L, fisher_exact(5, 5, 5, 5).TwoSided);

    EXPECT_EQ(MissingValue, fisher_exact(1000, 1, 1, 999).TwoSided); // N = 2001
    EXPECT_NE(MissingValue, fisher_exact(1000, 1, 1, 998).TwoSided); // N = 2000
    EXPECT_EQ(MissingValue, fisher_exact(0, 0, 0, 0).OneSided);
}

TEST(ChiSquare2x2, PlainAndYatesStatisticsAndTheirP) {
    ExpectRelative(5.769596115958342L, chi_square_2x2(12, 5, 7, 15), 1e-15L);
    ExpectRelative(4.322120391218687L, chi_square_2x2_yates(12, 5, 7, 15), 1e-15L);
    ExpectRelative(0.016305781584650174L, chi2_prob(1, chi_square_2x2(12, 5, 7, 15)), 1e-5L);
    ExpectRelative(0.03762001663484009L, chi2_prob(1, chi_square_2x2_yates(12, 5, 7, 15)), 1e-5L);
    // Deviations of 0.5 or less (here 0.2 in every cell) leave nothing to correct.
    EXPECT_EQ(0.0L, chi_square_2x2_yates(1, 1, 1, 2));
    EXPECT_EQ(0.0L, chi_square_2x2(4, 2, 6, 3));
    EXPECT_EQ(MissingValue, chi_square_2x2(0, 0, 3, 4));
}

TEST(RatioEstimates, KatzAndWoolfIntervalsAndZeroCells) {
    const auto expect = [](const RatioEstimate& r, long double value, long double lower, long double upper) {
        ExpectRelative(value, r.Value, 1e-12L);
        ExpectRelative(lower, r.Lower, 1e-12L);
        ExpectRelative(upper, r.Upper, 1e-12L);
    };
    expect(relative_risk(25, 10, 8, 30), 3.392857142857143L, 1.7702693199307447L, 6.502671351886209L);
    expect(odds_ratio(25, 10, 8, 30).Ratio, 9.375L, 3.2131481693794006L, 27.353430457262576L);
    EXPECT_FALSE(odds_ratio(25, 10, 8, 30).HalfAdded);
    // 7.5 * 5.5 / (12.5 * 0.5)
    expect(odds_ratio(7, 12, 0, 5).Ratio, 6.6L, 0.31759576716742616L, 137.1554803406324L);
    EXPECT_TRUE(odds_ratio(7, 12, 0, 5).HalfAdded);
    // No 0.5 for the relative risk: infinite, or 0 with an unbounded interval.
    expect(relative_risk(7, 12, 0, 5), MissingValue, -MissingValue, MissingValue);
    expect(relative_risk(0, 12, 3, 5), 0, -MissingValue, MissingValue);
}

TEST(BinomialInterval, CloseToTheExactLimitsAndClosedAtTheEnds) {
    // inverse_f stops at a bracket of 0.01, so the limits are good to about 1e-3.
    const ConfidenceInterval a = binomial_ci(35, 25);
    EXPECT_NEAR(0.5369553554455798, static_cast<double>(a.Lower), 1e-3);
    EXPECT_NEAR(0.8536452547209407, static_cast<double>(a.Upper), 1e-3);
    const ConfidenceInterval b = binomial_ci(38, 8);
    EXPECT_NEAR(0.09554111545587417, static_cast<double>(b.Lower), 1e-3);
    EXPECT_NEAR(0.37318828360163947, static_cast<double>(b.Upper), 1e-3);
    EXPECT_EQ(0.0L, binomial_ci(10, 0).Lower);
    EXPECT_EQ(1.0L, binomial_ci(10, 10).Upper);
    EXPECT_EQ(MissingValue, binomial_ci(5, 6).Lower);
}

TEST(TwoByTwoChecks, CodesForUnusableCounts) {
    struct Case {
        long double a, b, c, d;
        int code;
    };
    const Case cases[] = {
        {MissingValue, 1, 2, 3, 45},
        {2.5L, 1, 2, 3, 30},
        {-1, 4, 2, 3, 31},
        {-1, 1, 2, 3, 31}, // the row totals 0 but is not a row of zeros
        {0, 0, 2, 3, 32},
        {0, 4, 0, 3, 33},
        {0, 0, 0, 3, 33},                  // a row and a column of zeros: the later check wins
        {2147483648.0L, 1, 2, 3, 4},       // one beyond 32 bits must not wrap
        {2000000000, 2000000000, 1, 1, 4}, // every count fits, the total does not
        {std::nanl(""), 1, 2, 3, 30},
        {2147483644.0L, 1, 1, 1, 0}, // a total of exactly 2^31 - 1 still fits
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<double>(k.a) << " " << static_cast<double>(k.b));
        TwoByTwoTable table;
        table.A = k.a, table.B = k.b, table.C = k.c, table.D = k.d;
        TwoByTwoCells cells;
        EXPECT_EQ(k.code, CheckTwoByTwo(table, cells));
    }
}

TEST(TwoByTwoAnalysis, FractionReplacesTheFisherReportByItsMessage) {
    DataDocument document = TwoByTwoDocument(2.5L, 1, 2, 3);
    const Lines lines = Report(document, Choices(true, true, true), 30);
    EXPECT_EQ((Lines{"", "Fractions are not allowed in chi-square analysis.", ""}), lines);
    EXPECT_EQ(TwoByTwoHelpTopic, document.ReportHelpTopic);
}

TEST(TablePValue, WordsAndThresholds) {
    const auto sentence = [](int tails, bool significance, long double p) {
        ReportWriter report;
        write_table_p_value(report, tails, significance, p);
        return report.Text();
    };
    EXPECT_EQ("The two-sided P value is < 0.0001, considered extremely significant.\r\n",
              sentence(2, true, 0.00005L));
    EXPECT_EQ("The one-sided P value is 1.0000, considered not significant.\r\n", sentence(1, true, 1));
    EXPECT_EQ("The P value is 0.0001. \r\n", sentence(0, false, 0.0001L));
    EXPECT_EQ("The P value is 0.0500. \r\n", sentence(0, false, 0.05L));
}

TEST(TwoByTwoAnalysis, PerfectTableWithZeroCells) {
    DataDocument document = TwoByTwoDocument(3, 0, 0, 3);
    AnalysisChoices choices = Choices(true, true, true);
    choices.RelativeRisk = choices.OddsRatio = true;
    const Lines lines = Report(document, choices);
    const Lines expected{
        "",
        "[u]                       Fisher's Exact Test                       [u]",
        "The two-sided P value is 0.1000, considered not significant.",
        "The row/column association is not statistically significant.",
        "",
        "[u]Relative Risk[u]",
        "Relative risk = Infinity",
        "95% Confidence Interval: -Infinity to Infinity",
        "(using the approximation of Katz.)",
        "",
        "[u]Odds Ratio[u]",
        "Odds ratio= 49.000", // 3.5 * 3.5 / (0.5 * 0.5)
        "95% Confidence Interval: 0.7410 to 3240.4",
        "(using the approximation of Woolf.)",
        "Note that at least one value is zero.  To make calculations possible,",
        "0.5 was added to each value.",
    };
    EXPECT_EQ(expected, Slice(lines, 0, expected.size()));
    EXPECT_EQ(TwoByTwoHelpTopic, document.ReportHelpTopic);
}

TEST(TwoByTwoAnalysis, AtFivePercentTheVerdictAgreesWithTheSignificanceWords) {
    DataDocument document = TwoByTwoDocument(3, 0, 0, 3);
    const Lines lines = Report(document, Choices(true, false, true));
    EXPECT_EQ((Lines{"The one-sided P value is 0.0500, considered not quite significant.",
                     "The row/column association is not statistically significant."}),
              Slice(lines, 2, 2));
}

TEST(TwoByTwoAnalysis, FisherAboveTwoThousandFallsBackToChiSquare) {
    DataDocument document = TwoByTwoDocument(1000, 1, 1, 999);
    TwoByTwoResult result;
    ReportWriter report;
    ASSERT_EQ(0, analyse_two_by_two(document, Choices(true, true, true), report, result));
    EXPECT_TRUE(result.FisherTooLarge);
    EXPECT_EQ(MissingValue, result.Fisher.TwoSided);
    ExpectRelative(1989.0179880164815L, result.ChiSquare, 1e-14L);
    const Lines expected{
        "[u]                       Fisher's Exact Test                       [u]",
        "The numbers are too large for Fisher's exact test.  The",
        "chi-square approximation was performed instead.",
        "",
        "The two-sided P value is < 0.0001, considered extremely significant.",
    };
    const Lines lines = ShownLines(report.Text());
    EXPECT_EQ(expected, Slice(lines, 1, expected.size()));
    EXPECT_EQ("Chi-square statistic (with Yates correction) = 1989.0", lines[9]);
}

TEST(TwoByTwoAnalysis, ChiSquareWithSmallNumbersAndPOfOne) {
    DataDocument document = TwoByTwoDocument(2, 2, 2, 2);
    const Lines lines = Report(document, Choices(false, true, false));
    const Lines expected{
        "[u]                         Chi-square Test                         [u]",
        "The two-sided P value is 1.0000, considered not significant.",
        "The row/column association is not statistically significant.",
        "",
        "Note: With such small values, the chi-square P value",
        "is not accurate.  Use Fisher's exact test instead.",
    };
    EXPECT_EQ(expected, Slice(lines, 1, expected.size()));
    EXPECT_EQ("Chi-square statistic (no Yates correction) = 0.000", lines[9]);

    // Every expected count above 5 and N above 40: no note, even with a zero cell.
    DataDocument large = TwoByTwoDocument(0, 30, 25, 20);
    EXPECT_EQ("[u]Calculation details:[u]", Report(large, Choices(false, true, true))[5]);
}

TEST(TwoByTwoAnalysis, ProportionsAndDiagnosticValues) {
    DataDocument document = TwoByTwoDocument(25, 10, 8, 30);
    AnalysisChoices choices = Choices(false, true, true);
    choices.ProportionDifference = choices.Sensitivity = true;
    const Lines lines = Report(document, choices);
    const Lines expected{
        "[u]                         Chi-square Test                         [u]",
        "The two-sided P value is < 0.0001, considered extremely significant.",
        "The row/column association is statistically significant.",
        "",
        "[u]Calculation details:[u]",
        "Chi-square statistic (with Yates correction) = 16.687",
        "Degrees of freedom = 1",
        "",
        "[u]Difference between the two proportions[u]",
        "[b]Top row (Exposed):[b]",
        "  Fraction in the left column: 0.7143",
        "  95% Confidence Interval of that fraction: 0.5373 to 0.8538",
        "[b]Bottom row (Unexposed):[b]",
        "  Fraction in the left column: 0.2105",
        "  95% Confidence Interval of that fraction: 0.09560 to 0.3736",
        "[b]Difference:[b]",
        "  Difference between the fractions: 0.5038",
        "  Standard error of the difference: 0.1166",
        "  95% confidence interval of difference: 0.2752 to 0.7323",
        "",
        "[u]Sensitivity and specificity[u]",
        "[b]Variable                     Value     95% Confidence Interval[b]",
        "Sensitivity                  0.7576    0.5771  to  0.8890",
        "Specificity                  0.7500    0.5881  to  0.8733",
        "Positive Predictive Value    0.7143    0.5373  to  0.8538",
        "Negative Predictive Value    0.7895    0.6264  to  0.9044",
        "Likelihood Ratio             3.030",
        "",
        "[u]Data analyzed[u]",
    };
    EXPECT_EQ(expected, Slice(lines, 1, expected.size()));
}

TEST(TwoByTwoAnalysis, DifferenceWithoutIntervalsForSmallCells) {
    DataDocument document = TwoByTwoDocument(7, 12, 3, 5);
    AnalysisChoices choices = Choices(true, true, true);
    choices.ProportionDifference = true;
    const Lines expected{
        "  95% Confidence Interval of that fraction: 0.1628 to 0.6164", // exact: 0.16289 to 0.61642
        "[b]Bottom row (Unexposed):[b]",
        "  Fraction in the left column: 0.3750",
        "[b]Difference:[b]",
        "  Difference between the fractions: 0.006579",
        "",
        "The standard error and the confidence interval of the difference between",
    };
    EXPECT_EQ(expected, Slice(Report(document, choices), 8, expected.size()));
}
