// Post tests after an ANOVA. Reference numbers for the three-group data set
// below were computed independently in Python (Simpson-rule integrals of the
// t density and of the studentized-range distribution, no shared code);
// the linear-trend P comes from the closed form of F with 2 numerator df.
#include "stats/post_tests.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "data/data_document.h"
#include "data/data_table.h"
#include "stats/column_stats.h"
#include "stats/critical_tables.h"
#include "stats/critical_values.h"
#include "stats/fault_guard.h"
#include "stats/pvalue.h"

using namespace vextal;

// Allocation failure on demand, for the out-of-memory path. The replacement
// pair is malloc and free throughout; GCC cannot see that across the
// replaced operators.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
bool failAllocations = false;
}
void* operator new(std::size_t size) {
    if (failAllocations) throw std::bad_alloc();
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
// Every form comes from the same heap, so that memory from one form (the
// nothrow form serves std::stable_sort's buffer) is released by its partner.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (failAllocations) return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace {

struct Group {
    std::string Title;
    int N;
    long double Mean;
};

// A document whose groups are given by their N and mean, as typed summary data.
DataDocument Groups(const std::vector<Group>& groups) {
    DataDocument document;
    DataTable& table = document.Table;
    for (std::size_t c = 0; c < groups.size(); ++c) {
        table.ColumnInfo[c].Title = groups[c].Title;
        table.ColumnInfo[c].N = groups[c].N;
        table.ColumnInfo[c].Mean = groups[c].Mean;
    }
    table.LastColumn = static_cast<int>(groups.size()) - 1;
    BuildAnalysisColumns(table);
    return document;
}

// Three groups of raw values: df 15, residual MS 0.2781428...
DataDocument ThreeGroups() {
    DataDocument document;
    DataTable& table = document.Table;
    const std::vector<std::vector<long double>> columns = {
        {4.2L, 5.1L, 3.9L, 4.8L, 5.5L, 4.4L}, {5.9L, 6.3L, 5.4L, 6.8L, 6.1L}, {4.9L, 5.6L, 5.2L, 6.0L, 4.7L, 5.3L, 5.8L}};
    for (int c = 0; c < 3; ++c) {
        for (std::size_t r = 0; r < columns[c].size(); ++r) SetValue(table, static_cast<int>(r), c, columns[c][r]);
        table.SummaryEntered[c] = false;
        table.ColumnInfo[c].Title = std::string(1, static_cast<char>('A' + c));
    }
    ComputeColumnStats(table);
    BuildAnalysisColumns(table);
    return document;
}
constexpr int ThreeGroupsDF = 15;
constexpr long double ThreeGroupsMS = 29.205L / 105;  // within-groups SS 29.205 / 7 over 15 df

void ExpectNear(long double expected, long double actual, long double relative) {
    EXPECT_LE(std::fabs(actual - expected), relative * std::fabs(expected))
        << "expected " << static_cast<double>(expected) << ", got " << static_cast<double>(actual);
}

bool Has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

}  // namespace

TEST(CriticalValues, ExactInterpolatedAndOutsideTheTables) {
    auto q = [](int row, int column) { return QTableScaled(0, row, column); };
    EXPECT_NEAR(3.877L, StudentizedRangeCritical(10, 3, 0.05L), 1e-15L);
    // k 21 between the columns 20 (index 18) and 22 (19); df 25 between rows 24 (20) and 30 (21).
    EXPECT_NEAR((q(9, 18) + q(9, 19)) / 2, StudentizedRangeCritical(10, 21, 0.05L), 1e-15L);
    EXPECT_NEAR(q(20, 5) + (q(21, 5) - q(20, 5)) / 6, StudentizedRangeCritical(25, 7, 0.05L), 1e-15L);
    const long double at24 = (q(20, 18) + q(20, 19)) / 2, at30 = (q(21, 18) + q(21, 19)) / 2;
    EXPECT_NEAR(at24 + (at30 - at24) / 6, StudentizedRangeCritical(25, 21, 0.05L), 1e-15L);
    // df 200 between 120 (row 24) and the infinite row taken as df 500; beyond 500 the last row.
    EXPECT_NEAR(q(24, 1) + (q(25, 1) - q(24, 1)) * 80 / 380, StudentizedRangeCritical(200, 3, 0.05L), 1e-15L);
    EXPECT_EQ(q(25, 1), StudentizedRangeCritical(100000, 3, 0.05L));
    EXPECT_EQ(q(9, 34), StudentizedRangeCritical(10, 150, 0.05L));
    // Outside the tables: nothing is read, 0 comes back.
    for (long double v : {StudentizedRangeCritical(0, 3, 0.05L), StudentizedRangeCritical(10, 1, 0.05L),
                          StudentizedRangeCritical(10, 3, 0.02L), DunnettCritical(4, 3, true, 0.05L),
                          DunnettCritical(10, 1, true, 0.05L), DunnettCritical(10, 3, true, 0.001L)})
        EXPECT_EQ(0.0L, v);

    EXPECT_NEAR(2.57L, DunnettCritical(5, 2, true, 0.05L), 1e-15L);
    EXPECT_NEAR(1.96L, DunnettCritical(100000, 2, true, 0.05L), 1e-15L);
    EXPECT_NEAR(2.58L, DunnettCritical(500, 2, true, 0.01L), 1e-15L);
    const long double d20 = DunnettTableValue(true, 0, 15, 2), d24 = DunnettTableValue(true, 0, 16, 2);
    EXPECT_NEAR(d20 + (d24 - d20) / 2, DunnettCritical(22, 4, true, 0.05L), 1e-15L);
    EXPECT_EQ(DunnettTableValue(true, 0, 5, 13), DunnettCritical(10, 26, true, 0.05L));  // 21-means column
    EXPECT_EQ(DunnettTableValue(false, 1, 5, 8), DunnettCritical(10, 15, false, 0.01L));  // 10-means column
}

TEST(Bonferroni, ThreeGroupsAgainstIndependentComputation) {
    DataDocument document = ThreeGroups();
    ReportWriter report;
    const PostTestResult r = BonferroniTest(report, document, ThreeGroupsDF, true, {}, false, ThreeGroupsMS);
    ASSERT_EQ(0, r.Code);
    EXPECT_EQ(3, r.Comparisons);
    EXPECT_EQ(inverse_t(ThreeGroupsDF, 0.05L / 6), r.Critical);
    EXPECT_NEAR(2.6937393191963466L, r.Critical, 1e-4L);  // the inverse's bracket is 1e-4 wide
    ASSERT_EQ(3u, r.Pairs.size());
    const long double t[] = {4.540444079769999L, 2.4100506629892062L, 2.4055519871645994L};
    const long double P[] = {0.0011716430894138652L, 0.08773337766375955L, 0.08850882809451L};
    const long double lower[] = {-2.3102510997189865L, -1.4975239673108682L, -0.08899496632083304L};
    for (int i = 0; i < 3; ++i) {
        ExpectNear(t[i], r.Pairs[i].Statistic, 1e-12L);
        ExpectNear(P[i], r.Pairs[i].P, 1e-5L);
        EXPECT_NEAR(lower[i], r.Pairs[i].Lower, 1e-4L);
    }
    EXPECT_EQ(0, r.Pairs[1].First);
    EXPECT_EQ(2, r.Pairs[1].Second);

    const std::string& text = report.Text();
    EXPECT_TRUE(Has(text, "If the value of t is greater than 2.694 then the P value is less\r\nthan 0.05.\r\n\r\n\r\n"));
    EXPECT_TRUE(Has(text, "              A vs B                   -1.450   4.540  **  P<0.01\r\n"));
    EXPECT_TRUE(Has(text, "              A vs C                  -0.7071   2.410  ns  P>0.05\r\n"));
    EXPECT_TRUE(Has(text, "              A - B                    -1.450  -2.310 -0.5897\r\n"));
    EXPECT_FALSE(Has(text, "Warning"));
}

TEST(Bonferroni, PTimesComparisonsAndConservativenessWarning) {
    // Two-tailed P 0.02 for one pair of three: reported as 0.06, not significant.
    const long double t02 = 2.527977002741532L;  // t with two-tailed P 0.02 at df 20
    DataDocument three = Groups({{"A", 10, 0}, {"B", 10, t02 * std::sqrt(0.2L)}, {"C", 10, 0}});
    ReportWriter report;
    const std::array<bool, 3> all{true, true, true};
    const PostTestResult r = BonferroniTest(report, three, 20, true, all, true, 1);
    ExpectNear(0.06L, r.Pairs[0].P, 1e-5L);
    EXPECT_TRUE(Has(report.Text(), "              A vs B                   -1.131   2.528  ns  P>0.05\r\n"));
    // Repeated measures use sqrt(2 MS / N): the same t with equal N.
    ExpectNear(r.Pairs[0].Statistic, BonferroniTest(report, three, 20, false, all, true, 1).Pairs[0].Statistic, 1e-15L);

    // Many pairs: P beyond 1 is capped.
    DataDocument five = Groups({{"A", 5, 1}, {"B", 5, 1.1L}, {"C", 5, 1.2L}, {"D", 5, 1.3L}, {"E", 5, 1.4L}});
    ReportWriter ten;
    const PostTestResult r10 = BonferroniTest(ten, five, 20, true, {}, false, 1);
    EXPECT_EQ(10, r10.Comparisons);
    EXPECT_EQ(1.0L, r10.Pairs[0].P);
    EXPECT_TRUE(Has(ten.Text(), "\x80" "Warning: With so many comparisons, the Bonferroni method"));
    EXPECT_TRUE(Has(ten.Text(), "post-test."));

    DataDocument four = Groups({{"A", 5, 1}, {"B", 5, 2}, {"C", 5, 3}, {"D", 5, 4}});
    ReportWriter six;
    EXPECT_EQ(6, BonferroniTest(six, four, 16, true, {}, false, 1).Comparisons);
    EXPECT_FALSE(Has(six.Text(), "Warning"));

    // Selected pairs of five groups: (A,C) is pair 1 and (D,E) pair 9; m' = 2.
    std::array<bool, 352> selected{};
    selected[1] = selected[9] = true;
    ReportWriter two;
    const PostTestResult r2 = BonferroniTest(two, five, 20, true, selected, true, 1);
    ASSERT_EQ(2u, r2.Pairs.size());
    EXPECT_EQ(inverse_t(20, 0.05L / 4), r2.Critical);
    EXPECT_EQ(2, r2.Pairs[0].Second);
    EXPECT_EQ(3, r2.Pairs[1].First);
    EXPECT_FALSE(Has(two.Text(), "Warning"));

    std::array<bool, 352> none{};
    EXPECT_THROW(BonferroniTest(two, five, 20, true, none, true, 1), CalcFault);
}

TEST(TukeyKramer, ThreeGroupsAgainstIndependentComputation) {
    DataDocument document = ThreeGroups();
    ReportWriter report;
    const PostTestResult r = TukeyKramerTest(report, document, ThreeGroupsDF, false, ThreeGroupsMS);
    EXPECT_NEAR(3.673L, r.Critical, 1e-15L);
    const long double q[] = {6.42115759680736L, 3.408326333605605L, 3.401964245241726L};
    // Studentized-range P of the first q is 0.00107: significant at 0.01, not at 0.001.
    const long double category[] = {0.01L, 1, 1};
    for (int i = 0; i < 3; ++i) {
        ExpectNear(q[i], r.Pairs[i].Statistic, 1e-12L);
        EXPECT_EQ(category[i], r.Pairs[i].P);
        const long double se = std::fabs(r.Pairs[i].Difference) / q[i];
        ExpectNear(r.Pairs[i].Difference + 3.673L * se, r.Pairs[i].Upper, 1e-12L);
    }
    EXPECT_TRUE(Has(report.Text(), "\x81" "Tukey-Kramer Multiple Comparisons Test\x81\r\nIf the value of q is greater than 3.673"));
    EXPECT_TRUE(Has(report.Text(), "              A vs B                   -1.450   6.421  **  P<0.01\r\n"));
}

TEST(StudentNewmanKeuls, RangesInsideANonSignificantRangeAreNotTested) {
    // In order of their means: A 10, C 10.5, B 11, D 30 (listed A, B, C, D).
    DataDocument document = Groups({{"A", 5, 10}, {"B", 5, 11}, {"C", 5, 10.5L}, {"D", 5, 30}});
    ReportWriter report;
    const PostTestResult r = StudentNewmanKeulsTest(report, document, 16, 1);
    ASSERT_EQ(6u, r.Pairs.size());
    const int first[] = {0, 0, 0, 2, 2, 1}, second[] = {3, 1, 2, 3, 1, 3};
    const bool tested[] = {true, true, false, true, false, true};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(first[i], r.Pairs[i].First) << i;
        EXPECT_EQ(second[i], r.Pairs[i].Second) << i;
        EXPECT_EQ(tested[i], !IsMissing(r.Pairs[i].Statistic)) << i;
    }
    // A vs B spans three means: q = 1 / sqrt(0.2) = 2.24 < q(0.05; 16, 3) = 3.649.
    ExpectNear(1 / std::sqrt(0.2L), r.Pairs[1].Statistic, 1e-15L);
    EXPECT_EQ(1.0L, r.Pairs[1].P);
    EXPECT_EQ(0.1L, r.Pairs[2].P);
    EXPECT_EQ(0.001L, r.Pairs[0].P);
    const std::string& text = report.Text();
    EXPECT_TRUE(Has(text, "              A vs C                  -0.5000   ---    ns  P>0.05\r\n"));
    EXPECT_TRUE(Has(text, "              C vs B                  -0.5000   ---    ns  P>0.05\r\n"));
    EXPECT_TRUE(Has(text, "With Student-Newman-Keuls test, it is impossible to calculate confidence\r\nintervals."));
    EXPECT_FALSE(Has(text, "95% Confidence"));
}

TEST(Dunnett, TooFewDegreesOfFreedomAndComparisonsWithControl) {
    DataDocument document = Groups({{"Control", 4, 10}, {"Low", 4, 12}, {"High", 4, 16}});
    ReportWriter few;
    const PostTestResult none = DunnettTest(few, document, 5, 0, true, 2);
    EXPECT_TRUE(none.TooFewDF);
    EXPECT_TRUE(none.Pairs.empty());
    EXPECT_EQ("\x81" "Dunnett Multiple Comparisons Test\x81\r\nToo few data points. DF must exceed 5. \r\n", few.Text());

    ReportWriter report;
    const PostTestResult r = DunnettTest(report, document, 9, 0, true, 2);
    const long double critical = DunnettCritical(9, 3, true, 0.05L);
    EXPECT_NEAR(2.61L, critical, 1e-15L);  // published value, df 9, 3 means
    ASSERT_EQ(2u, r.Pairs.size());
    EXPECT_EQ(-2.0L, r.Pairs[0].Difference);
    ExpectNear(2, r.Pairs[0].Statistic, 1e-15L);  // SE = sqrt((1/4 + 1/4) 2) = 1
    EXPECT_EQ(1.0L, r.Pairs[0].P);
    EXPECT_EQ(0.01L, r.Pairs[1].P);  // q 6 above the 0.01 value 3.48
    ExpectNear(-6 - critical, r.Pairs[1].Lower, 1e-15L);
    EXPECT_TRUE(Has(report.Text(), "Control column: Control\r\nIf the value of q is greater than 2.61"));
    EXPECT_TRUE(Has(report.Text(), "        Control vs High                -6.000    6.000 **  P<0.01\r\n"));

    // A control position that no longer fits the groups takes the first group.
    ReportWriter fallback;
    EXPECT_EQ(0, DunnettTest(fallback, document, 9, 7, true, 2).Pairs[0].First);
}

TEST(LinearTrend, CodesSplitAndReport) {
    EXPECT_EQ((std::vector<int>{-3, -1, 1, 3}), LinearTrendCoefficients(4));
    EXPECT_EQ((std::vector<int>{-1, 0, 1}), LinearTrendCoefficients(3));

    // Means 1, 2, 4, 4.5 of five values each; residual SS 8 on 16 df.
    DataDocument document = Groups({{"A", 5, 1}, {"B", 5, 2}, {"C", 5, 4}, {"D", 5, 4.5L}});
    TrendAnovaInput anova{.SSBetween = 40.9375L, .DFResidual = 16, .SSResidual = 8, .MSResidual = 0.5L,
                          .DFTotal = 19, .SSTotal = 48.9375L};
    ReportWriter report;
    const LinearTrendResult r = LinearTrendTest(report, document, true, anova);
    EXPECT_EQ(12.5L, r.L);
    EXPECT_EQ(39.0625L, r.SSLinear);
    EXPECT_EQ(1.25L, r.Slope) << "least-squares slope of the means on the column numbers 1..4";
    ExpectNear(0.7982120051085568L, r.RSquared, 1e-15L);
    EXPECT_EQ(78.125L, r.FLinear);
    EXPECT_EQ(1.875L, r.FNonlinear);
    ExpectNear(0.18553380935675412L, r.PNonlinear, 1e-6L);  // (1 + 2F/16)^-8
    const std::string& text = report.Text();
    EXPECT_TRUE(Has(text, "Slope = 1.250    r squared = 0.7982"));
    EXPECT_TRUE(Has(text, "The P value is < 0.0001, considered extremely significant.\r\nThere is a significant"));
    EXPECT_TRUE(Has(text, "column means is not significant.\r\n\r\n\r\nThis result was obtained"));
    EXPECT_TRUE(Has(text, "Between columns: Not linear            2     1.875    0.9375"));
    EXPECT_TRUE(Has(text, "F (nonlinear trend) = 1.875   =MSnonlinear/MSresidual\r\n\r\n"));

    // Repeated measures: the individual row comes between the trend and the residual.
    anova.DFIndividual = 4, anova.SSIndividual = 3, anova.MSIndividual = 0.75L;
    ReportWriter repeated;
    LinearTrendTest(repeated, document, false, anova);
    EXPECT_TRUE(Has(repeated.Text(), "Between columns: Not linear           2     1.875    0.9375\r\n"
                                     "Individual (between rows)             4     3.000    0.7500\r\n"
                                     "Random (residual)                    16     8.000    0.5000\r\n"));
}

TEST(PostTests, NoMemoryForTheReportSetsCode10AndWritesNothing) {
    DataDocument document = ThreeGroups();
    ReportWriter report;
    report.write_line("ANOVA so far");
    const std::string before = report.Text();
    failAllocations = true;
    const PostTestResult r = TukeyKramerTest(report, document, ThreeGroupsDF, false, ThreeGroupsMS);
    failAllocations = false;
    EXPECT_EQ(CalcOutOfMemory, r.Code);
    EXPECT_EQ(CalcOutOfMemory, document.CalcError);
    EXPECT_EQ(before, report.Text());
}
