#include "stats/column_stats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "data/data_document.h"
#include "data/data_table.h"
#include "stats/pvalue.h"

using namespace vextal;

namespace {

void Fill(DataTable& table, int column, std::initializer_list<long double> values) {
    int row = 0;
    for (long double v : values) SetValue(table, row++, column, v);
    table.SummaryEntered[column] = false;  // raw values, as the grid stores them
}

void ExpectClose(long double expected, long double actual, long double relative = 1e-15L) {
    EXPECT_LE(std::fabs(actual - expected), relative * std::fabs(expected)) << static_cast<double>(actual);
}

}  // namespace

TEST(ColumnStatistics, OneToFour) {
    DataTable table;
    Fill(table, 0, {1, 2, 3, 4});
    ComputeColumnStats(table);
    const ColumnInfo& c = table.ColumnInfo[0];
    EXPECT_EQ(4, c.N);
    EXPECT_EQ(2.5L, c.Mean);
    EXPECT_EQ(2.5L, c.Median);
    ExpectClose(std::sqrt(5.0L / 3), c.SD);           // 1.2910
    ExpectClose(std::sqrt(5.0L / 3) / 2, c.SEM);      // 0.6455
    ExpectClose(2.5L + 3.182L * c.SEM, c.UpperCI);
    ExpectClose(2.5L - 3.182L * c.SEM, c.LowerCI);
    EXPECT_EQ(1.0L, c.Minimum);
    EXPECT_EQ(4.0L, c.Maximum);
    EXPECT_TRUE(IsMissing(c.KSDistance)) << "four values are too few for the normality test";
    EXPECT_TRUE(IsMissing(c.NormalityP));
    EXPECT_FALSE(table.ColumnChanged[0]);
}

TEST(ColumnStatistics, SmallAndDegenerateColumns) {
    DataTable table;
    Fill(table, 0, {7});
    Fill(table, 1, {5, 5, 5, 5, 5});
    SetValue(table, 0, 2, 3);
    SetExcluded(table, 0, 2, true);  // only excluded values: behaves as empty
    ComputeColumnStats(table);
    const ColumnInfo& one = table.ColumnInfo[0];
    EXPECT_EQ(1, one.N);
    EXPECT_EQ(0.0L, one.SD);
    EXPECT_EQ(0.0L, one.SEM);
    EXPECT_EQ(7.0L, one.UpperCI);
    EXPECT_EQ(7.0L, one.LowerCI);
    EXPECT_EQ(7.0L, one.Median);
    const ColumnInfo& same = table.ColumnInfo[1];
    EXPECT_EQ(0.0L, same.SD);
    EXPECT_TRUE(IsMissing(same.NormalityP)) << "no normality test when the SD is zero";
    const ColumnInfo& excluded = table.ColumnInfo[2];
    EXPECT_EQ(0, excluded.N);
    EXPECT_TRUE(IsMissing(excluded.Mean));
    EXPECT_TRUE(IsMissing(excluded.Median));
    EXPECT_FALSE(table.ColumnSelected[2]) << "an emptied column is deselected";
}

TEST(ColumnStatistics, OnlyChangedColumnsAreRecomputed) {
    DataTable table;
    Fill(table, 0, {1, 2, 3});
    ComputeColumnStats(table);
    table.ColumnInfo[0].Mean = 99;  // stale on purpose
    ComputeColumnStats(table);
    EXPECT_EQ(99.0L, table.ColumnInfo[0].Mean);
    SetValue(table, 3, 0, 6);
    ComputeColumnStats(table);
    EXPECT_EQ(3.0L, table.ColumnInfo[0].Mean);
}

TEST(ColumnStatistics, MedianOfOddAndEvenCounts) {
    DataTable table;
    Fill(table, 0, {9, 1, 5});
    Fill(table, 1, {9, 1, 5, 2});
    EXPECT_EQ(5.0L, ColumnMedian(table, 0));
    EXPECT_EQ(3.5L, ColumnMedian(table, 1));
    EXPECT_TRUE(IsMissing(ColumnMedian(table, 2)));
}

TEST(ColumnStatistics, AveragedDocumentsKeepTheirTypedStatistics) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSEMN;
    ColumnInfo& typed = document.Table.ColumnInfo[0];
    typed.Mean = 10;
    typed.SEM = 2;
    typed.N = 4;
    document.Table.ColumnChanged[0] = true;
    ComputeColumnStats(document);
    EXPECT_EQ(10.0L, typed.Mean);
    EXPECT_EQ(4, typed.N);
}

TEST(SummaryFromEntered, CompletesTypedValues) {
    DataTable table;
    ColumnInfo fromSem;
    fromSem.Mean = 10;
    fromSem.SEM = 2;
    fromSem.N = 4;
    ComputeSummaryFromEntered(table, -1, fromSem);
    EXPECT_EQ(4.0L, fromSem.SD);
    ExpectClose(10 + critical_t(3) * 2, fromSem.UpperCI);
    ExpectClose(10 - critical_t(3) * 2, fromSem.LowerCI);
    EXPECT_TRUE(IsMissing(fromSem.Median));

    ColumnInfo fromSd;
    fromSd.Mean = 1;
    fromSd.SD = 3;
    fromSd.N = 9;
    ComputeSummaryFromEntered(table, -1, fromSd);
    EXPECT_EQ(1.0L, fromSd.SEM);

    ColumnInfo noN;
    noN.Mean = 1;
    noN.SD = 3;
    noN.N = 0;
    ComputeSummaryFromEntered(table, -1, noN);
    EXPECT_TRUE(IsMissing(noN.SEM));
    EXPECT_TRUE(IsMissing(noN.UpperCI));

    ColumnInfo single;  // one typed value has no degrees of freedom
    single.Mean = 5;
    single.SEM = 2;
    single.N = 1;
    ComputeSummaryFromEntered(table, -1, single);
    EXPECT_TRUE(IsMissing(single.UpperCI));
    EXPECT_TRUE(std::isfinite(single.SD));
}

TEST(Normality, DallalWilkinsonCoefficientsSwitchAbove100) {
    // Just below the 0.10 distance the stored P means "more than 0.10".
    EXPECT_EQ(NormalityPAboveTenPercent, KSProbability(0.01L, 100));
    EXPECT_EQ(NormalityPAboveTenPercent, KSProbability(0.01L, 101));
    // At larger distances the two sets differ: n 100 and 101 are not smooth neighbours.
    const long double p100 = KSProbability(0.15L, 100);
    const long double p101 = KSProbability(0.15L, 101);
    EXPECT_LT(p100, 0.1L);
    EXPECT_LT(p101, 0.1L);
    EXPECT_NE(p100, p101);
    // The formula gives 0.10 at D10: P just beyond it is a little below 0.10.
    long double lo = 0, hi = 1;
    for (int i = 0; i < 200; ++i) {
        const long double mid = (lo + hi) / 2;
        (KSProbability(mid, 20) == NormalityPAboveTenPercent ? lo : hi) = mid;
    }
    EXPECT_NEAR(0.1, static_cast<double>(KSProbability(hi, 20)), 1e-9);
    // Published Lilliefors critical value for n = 20 at 5%: about 0.190.
    EXPECT_NEAR(0.05, static_cast<double>(KSProbability(0.190L, 20)), 0.01);
}

TEST(Normality, TestRunsFromFiveValuesAndCountsBothSidesOfEachStep) {
    DataTable table;
    Fill(table, 0, {1, 2, 3, 4, 5});
    ComputeColumnStats(table);
    const ColumnInfo& c = table.ColumnInfo[0];
    ASSERT_FALSE(IsMissing(c.KSDistance));
    // 1..5: the largest gap is below the second value, 2/5 - F(z2).
    const long double F2 = 0.5L * z_prob(-1 / std::sqrt(2.5L));
    EXPECT_NEAR(static_cast<double>(0.4L - F2), static_cast<double>(c.KSDistance), 1e-15);
    EXPECT_EQ(NormalityPAboveTenPercent, c.NormalityP);
    EXPECT_TRUE(c.Passed);

    // Here the largest gap is between the lowest value's F and the empirical
    // distribution just below it (0), a step a one-sided reading would miss.
    DataTable low;
    Fill(low, 0, {5.56L, 8.97L, 6.68L, 4.98L, 4.63L, 6.27L, 4.77L});
    ComputeColumnStats(low);
    const ColumnInfo& l = low.ColumnInfo[0];
    const long double F1 = 0.5L * z_prob((4.63L - l.Mean) / l.SD);
    EXPECT_NEAR(0.18821, static_cast<double>(F1), 1e-4);  // the normal taken as t with 5000 df
    EXPECT_NEAR(static_cast<double>(F1), static_cast<double>(l.KSDistance), 1e-15);
}

TEST(Normality, ClearlyNonGaussianDataFail) {
    DataTable table;
    int row = 0;
    for (int i = 0; i < 30; ++i) SetValue(table, row++, 0, 1);
    for (int i = 0; i < 10; ++i) SetValue(table, row++, 0, 100);
    table.SummaryEntered[0] = false;
    ComputeColumnStats(table);
    EXPECT_LT(table.ColumnInfo[0].NormalityP, 0.05L);
    EXPECT_FALSE(table.ColumnInfo[0].Passed);
}
