// One-way and repeated-measures ANOVA and the routing of the ANOVA family.
// Reference sums, F and P values come from tools/anova_reference.py: exact
// rational sums of squared deviations from the raw values and closed-form F
// and chi-square tails, no code shared with the program.
#include "stats/anova_family.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "stats/column_stats.h"
#include "stats/pvalue.h"

using namespace vextal;

namespace {

constexpr long double Blank = MissingValue;

// A raw-data document, one column per entry (Blank leaves a cell empty),
// titled A, B, C, ... with its statistics computed.
DataDocument RawDocument(const std::vector<std::vector<long double>>& columns) {
    DataDocument document = NewDocument();
    DataTable& table = document.Table;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        table.ColumnInfo[c].Title = std::string(1, static_cast<char>('A' + c));
        table.SummaryEntered[c] = false;
        for (std::size_t row = 0; row < columns[c].size(); ++row)
            if (!IsMissing(columns[c][row]))
                SetValue(table, static_cast<int>(row), static_cast<int>(c), columns[c][row]);
    }
    ComputeColumnStats(table);
    return document;
}

struct Typed {
    int N;
    long double Mean, SD;
};

DataDocument TypedDocument(const std::vector<Typed>& columns) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::MeanSDN;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        ColumnInfo& info = document.Table.ColumnInfo[c];
        info.Title = std::string(1, static_cast<char>('A' + c));
        info.N = columns[c].N;
        info.Mean = columns[c].Mean;
        info.SD = columns[c].SD;
    }
    document.Table.LastColumn = static_cast<int>(columns.size()) - 1;
    return document;
}

struct Options {
    bool NonParametric = false;
    bool Ordinary = true;
    int Method = static_cast<int>(AnovaPostTestMethod::TukeyKramer);
    int Condition = static_cast<int>(PostTestWhen::IfSignificant);
    std::vector<bool> Pairs = {};
    bool SelectedOnly = false;
    int Control = 0;
};

struct Outcome {
    int Code;
    AnovaFamilyResult Result;
    Lines Shown;
    std::string Text; // markers removed, lines joined by '\n'
    std::string Raw;

    bool Has(const std::string& line) const {
        return std::find(Shown.begin(), Shown.end(), line) != Shown.end();
    }
    bool Contains(const std::string& part) const { return Text.find(part) != std::string::npos; }
};

Outcome Analyse(DataDocument& document, const Options& options = {}) {
    ReportWriter report;
    std::array<bool, SelectedPairCount> pairs;
    pairs.fill(true);
    std::copy(options.Pairs.begin(), options.Pairs.end(), pairs.begin());
    Outcome run;
    run.Code =
        RunAnovaFamily(document, options.NonParametric, options.Ordinary, report, pairs, options.SelectedOnly,
                       options.Method, options.Condition, options.Control, nullptr, &run.Result);
    run.Raw = report.Text();
    for (const std::string& line : ShownLines(report.Text())) {
        std::string plain;
        for (std::size_t i = 0; i < line.size(); ++i)
            if (line.compare(i, 3, "[u]") == 0 || line.compare(i, 3, "[b]") == 0)
                i += 2;
            else
                plain += line[i];
        run.Shown.push_back(plain);
        run.Text += plain + "\n";
    }
    return run;
}

void ExpectRelative(long double expected, long double actual, long double tolerance) {
    EXPECT_LE(std::fabs(actual - expected), tolerance * std::fabs(expected))
        << "expected " << (double)expected << ", got " << (double)actual;
}

const std::vector<std::vector<long double>> ThreeGroups = {{4.2L, 5.1L, 3.9L, 4.8L, 5.5L, 4.4L},
                                                           {5.9L, 6.3L, 5.4L, 6.8L, 6.1L},
                                                           {4.9L, 5.6L, 5.2L, 6.0L, 4.7L, 5.3L, 5.8L}};

} // namespace

// The sums, F, P and Bartlett's test against the reference, and the lines
// that carry them; typed means, SDs and Ns give the same table.
TEST(OneWayAnova, MatchesIndependentComputation) {
    DataDocument document = RawDocument(ThreeGroups);
    const Outcome run = Analyse(document);
    ASSERT_EQ(0, run.Code);
    ASSERT_TRUE(run.Result.OneWay.has_value());
    const OneWayAnovaSumsResult& sums = run.Result.OneWay->Sums;
    EXPECT_EQ(2, sums.DFBetween);
    EXPECT_EQ(15, sums.DFWithin);
    EXPECT_EQ(17, sums.DFTotal);
    ExpectRelative(5.74396825396825417L, sums.SSBetween, 1e-15L);
    ExpectRelative(4.17214285714285715L, sums.SSWithin, 1e-15L);
    ExpectRelative(9.91611111111111043L, sums.SSTotal, 1e-15L);
    ExpectRelative(10.3255721052331229L, sums.F, 1e-15L);
    ExpectRelative(0.00151402621839921074L, sums.P, 1e-9L);
    const BartlettResult& bartlett = run.Result.OneWay->Bartlett;
    ExpectRelative(0.277858521803093006L, bartlett.Statistic, 1e-14L);
    ExpectRelative(0.870289589781804263L, bartlett.P, 1e-9L);

    EXPECT_EQ(OneWayAnovaHelpTopic, document.ReportHelpTopic);
    EXPECT_EQ(-1, document.Table.AnalysisColumns.Count);
    EXPECT_EQ("[u]              One-way Analysis of Variance (ANOVA)               [u]",
              ShownLines(run.Raw).at(1));
    EXPECT_EQ("The P value is 0.0015, considered very significant.", run.Shown.at(3));
    EXPECT_EQ("Variation among column means is significantly greater than expected", run.Shown.at(4));
    EXPECT_TRUE(run.Has("Tukey-Kramer Multiple Comparisons Test"));
    EXPECT_TRUE(
        run.Contains("Bartlett statistic (corrected) = 0.2779\nThe P value is 0.8703. \n"
                     "Bartlett's test suggests that the differences among the SDs is\nnot significant.\n"));
    EXPECT_TRUE(run.Has("Treatments (between columns)           2     5.744     2.872"));
    EXPECT_TRUE(run.Has("Residuals (within columns)            15     4.172    0.2781"));
    EXPECT_TRUE(run.Has("Total                                 17     9.916"));
    EXPECT_TRUE(run.Contains("F = 10.326  =(MStreatment/MSresidual) \n\n\n"));
    EXPECT_FALSE(run.Contains("only two columns"));
    EXPECT_EQ("                       *     *     *", run.Shown.at(run.Shown.size() - 3));

    std::vector<Typed> typed;
    for (int c = 0; c < 3; ++c) {
        const ColumnInfo& info = document.Table.ColumnInfo[c];
        typed.push_back({info.N, info.Mean, info.SD});
    }
    DataDocument averaged = TypedDocument(typed);
    const Outcome fromTyped = Analyse(averaged);
    ASSERT_EQ(0, fromTyped.Code);
    ExpectRelative(sums.SSWithin, fromTyped.Result.OneWay->Sums.SSWithin, 1e-15L);
    ExpectRelative(sums.F, fromTyped.Result.OneWay->Sums.F, 1e-15L);
    EXPECT_TRUE(fromTyped.Has("              A   Normality test requires raw data."));
}

TEST(OneWayAnova, TwoColumnsEqualTheUnpairedTTest) {
    const std::vector<long double> a = {12.1L, 14.3L, 11.8L, 13.5L, 12.9L}, b = {13.9L, 15.2L, 14.8L, 16.1L};
    DataDocument document = RawDocument({a, b});
    const Outcome run = Analyse(document);
    ASSERT_EQ(0, run.Code);

    auto meanOf = [](const std::vector<long double>& v) {
        long double s = 0;
        for (long double x : v)
            s += x;
        return s / v.size();
    };
    auto squares = [](const std::vector<long double>& v, long double m) {
        long double s = 0;
        for (long double x : v)
            s += (x - m) * (x - m);
        return s;
    };
    const long double ma = meanOf(a), mb = meanOf(b);
    const int df = static_cast<int>(a.size() + b.size()) - 2;
    const long double pooled = (squares(a, ma) + squares(b, mb)) / df;
    const long double t = (ma - mb) / std::sqrt(pooled * (1.0L / a.size() + 1.0L / b.size()));
    const long double tP = t_prob(df, t);
    ExpectRelative(tP, run.Result.OneWay->Sums.P, 1e-12L);

    ReportWriter sentence;
    sentence.write_p_value(2, true, tP);
    EXPECT_EQ(ShownLines(sentence.Text()).at(0), run.Shown.at(3));
    EXPECT_EQ(0u, run.Shown.at(3).rfind("The two-tailed P value is ", 0));
    EXPECT_TRUE(run.Contains("Because there are only two columns, this ANOVA is identical to\n"
                             "an unpaired two tailed t test.\n\n"));
}

TEST(OneWayAnova, BartlettNeedsFiveValuesAndNonzeroSDs) {
    DataDocument few = RawDocument(
        {{1.2L, 2.3L, 1.9L, 2.8L}, {3.1L, 2.2L, 3.9L, 3.3L}, {2.5L, 3.6L, 2.9L, 4.1L, 3.2L, 2.7L}});
    const Outcome fewValues = Analyse(few);
    ASSERT_EQ(0, fewValues.Code);
    EXPECT_TRUE(fewValues.Contains("Bartlett's test can only be performed when every column has\n"
                                   "at least five values.\n"));
    EXPECT_TRUE(fewValues.Contains("Intermediate calculations. ANOVA table"));

    DataDocument flat =
        RawDocument({{5, 5, 5, 5, 5}, {3.1L, 2.2L, 3.9L, 3.3L, 2.8L}, {2.5L, 3.6L, 2.9L, 4.1L, 3.2L}});
    const Outcome zero = Analyse(flat);
    ASSERT_EQ(0, zero.Code);
    EXPECT_TRUE(zero.Result.OneWay->Bartlett.ZeroSD);
    EXPECT_TRUE(zero.Contains("Bartlett's test cannot be performed because at least one column's\n"
                              "standard deviation is zero.\n"));
}

// Equal means and equal SDs: the sums cancel to tiny negative values, which
// must read as no difference at all, never as P = 0.
TEST(OneWayAnova, RoundOffNeverMakesEqualityLookSignificant) {
    const std::vector<long double> same = {0.1L, 0.2L, 0.4L};
    DataDocument document = RawDocument({same, same, same});
    const Outcome means = Analyse(document);
    ASSERT_EQ(0, means.Code);
    EXPECT_EQ(0, means.Result.OneWay->Sums.SSBetween);
    EXPECT_EQ("The P value is > 0.9999, considered not significant.", means.Shown.at(3));

    DataDocument typed = TypedDocument({{5, 4.0L, 0.91L}, {5, 5.0L, 0.91L}, {5, 6.0L, 0.91L}});
    const Outcome sds = Analyse(typed);
    ASSERT_EQ(0, sds.Code);
    EXPECT_EQ(0, sds.Result.OneWay->Bartlett.Statistic);
    EXPECT_TRUE(
        sds.Contains("The P value is > 0.9999. \n"
                     "Bartlett's test suggests that the differences among the SDs is\nnot significant.\n"));
}

TEST(AnovaFamily, DataCodesReplaceTheReport) {
    DataDocument singles = RawDocument({{1}, {2}, {3}});
    EXPECT_EQ(11, Analyse(singles).Code);
    DataDocument one = RawDocument({{1, 2, 3}, {2}, {3, 4}});
    const Outcome lonely = Analyse(one);
    EXPECT_EQ(12, lonely.Code);
    EXPECT_EQ(
        (Lines{"", "Only one value was found in a column.  ANOVA requires at least", "two per column.", ""}),
        lonely.Shown);
    DataDocument flat = RawDocument({{2, 2}, {3, 3}, {4, 4}});
    EXPECT_EQ(13, Analyse(flat).Code);
    EXPECT_EQ(13, Analyse(flat, {.Ordinary = false}).Code);

    // Typed means and SDs serve the ordinary ANOVA only.
    DataDocument typed = TypedDocument({{5, 4.6L, 0.6L}, {5, 6.1L, 0.5L}, {7, 5.4L, 0.5L}});
    EXPECT_EQ(0, Analyse(typed).Code);
    for (const Options& options : {Options{.Ordinary = false}, Options{.NonParametric = true},
                                   Options{.NonParametric = true, .Ordinary = false}}) {
        const Outcome refused = Analyse(typed, options);
        EXPECT_EQ(AveragedDataNotAllowed, refused.Code);
        EXPECT_EQ((Lines{"", "This ANOVA test cannot use averaged data.  All data must be raw.", ""}),
                  refused.Shown);
    }
    // A typed column without a spread cannot be analysed.
    DataDocument incomplete = TypedDocument({{5, 4.6L, 0.6L}, {5, 6.1L, Blank}, {7, 5.4L, 0.5L}});
    EXPECT_EQ(11, Analyse(incomplete).Code);
}

// Subjects in rows, a blank row between them; reference values as above.
TEST(RepeatedMeasuresAnova, MatchesIndependentComputation) {
    DataDocument document = RawDocument({{10.2L, 8.7L, 12.3L, Blank, 9.5L, 11.0L},
                                         {11.5L, 9.9L, 12.8L, Blank, 10.1L, 12.6L},
                                         {12.1L, 10.4L, 14.0L, Blank, 11.2L, 12.2L}});
    const Outcome run = Analyse(document, {.Ordinary = false, .Method = 0});
    ASSERT_EQ(0, run.Code);
    const RepeatedMeasuresSumsResult& sums = run.Result.Repeated->Sums;
    EXPECT_EQ(5, sums.Rows);
    EXPECT_EQ(3, sums.Columns);
    EXPECT_EQ(8, sums.DFResidual);
    EXPECT_EQ(14, sums.DFTotal);
    ExpectRelative(6.88533333333333353L, sums.SSTreatment, 1e-15L);
    ExpectRelative(21.3599999999999994L, sums.SSIndividual, 1e-15L);
    ExpectRelative(0.928000000000000047L, sums.SSResidual, 1e-14L);
    ExpectRelative(29.6781609195402289L, sums.F, 1e-14L);
    ExpectRelative(0.000198996984037206731L, sums.P, 1e-9L);
    ExpectRelative(46.0344827586206904L, sums.MatchingF, 1e-14L);
    ExpectRelative(1.45266344022181169e-05L, sums.MatchingP, 1e-9L);

    EXPECT_EQ(RepeatedMeasuresHelpTopic, document.ReportHelpTopic);
    EXPECT_EQ("The P value is 0.0002, considered extremely significant.", run.Shown.at(3));
    EXPECT_TRUE(run.Has("Bonferroni Multiple Comparisons Test"));
    EXPECT_TRUE(run.Has("Random (residual)                     8    0.9280    0.1160"));
    EXPECT_TRUE(run.Has("F = 29.678  =MStreatment/MSresidual"));
    EXPECT_TRUE(run.Contains("F = 46.034   =(MSindividual/MSresidual)\n\n"
                             "The P value is < 0.0001, considered extremely significant.\n"
                             "Effective matching (or blocking) results in significant variation among\n"
                             "means.  With these data, the matching appears to be effective.\n"));
}

TEST(RepeatedMeasuresAnova, NeedsACompleteRectangle) {
    DataDocument gap = RawDocument({{1, 2, 3}, {2, Blank, 4}, {3, 4, 6}});
    EXPECT_EQ(15, Analyse(gap, {.Ordinary = false}).Code);
    // A value in a column the first row left empty breaks the rectangle too.
    DataDocument extra = RawDocument({{1, 2, 3}, {2, 3, 4}, {Blank, 4, 6}});
    EXPECT_EQ(15, Analyse(extra, {.Ordinary = false}).Code);
    DataDocument oneRow = RawDocument({{1}, {2}, {3}});
    EXPECT_EQ(11, Analyse(oneRow, {.Ordinary = false}).Code);
}

// Rows and columns explain every value: no F, no matching test and no word
// about post tests, and no division by the zero residual.
TEST(RepeatedMeasuresAnova, NoRandomScatter) {
    DataDocument document = RawDocument({{1, 2, 3}, {2, 3, 4}, {3, 4, 5}});
    for (int condition : {0, 2}) {
        const Outcome run = Analyse(document, {.Ordinary = false, .Condition = condition});
        ASSERT_EQ(0, run.Code);
        EXPECT_EQ("After accounting for systematic variation between columns and rows,", run.Shown.at(3));
        EXPECT_EQ("there is no random scatter.  In this situation, which is unlikely to occur",
                  run.Shown.at(4));
        EXPECT_EQ("with real experimental data, it is impossible to calculate ANOVA.", run.Shown.at(5));
        EXPECT_FALSE(run.Contains("Post test"));
        EXPECT_FALSE(run.Contains("F = "));
        EXPECT_FALSE(run.Contains("matching"));
        EXPECT_TRUE(run.Has("Random (residual)                     4     0.000     0.000"));
    }
}

TEST(AnovaFamily, PostTestChoices) {
    DataDocument document = RawDocument(ThreeGroups);
    EXPECT_FALSE(Analyse(document, {.Condition = 1}).Contains("Multiple Comparisons"));

    const Outcome dunnett = Analyse(document, {.Method = 2, .Control = 1});
    EXPECT_TRUE(dunnett.Has("Control column: B"));

    const Outcome selected =
        Analyse(document, {.Method = 0, .Pairs = {false, true, false}, .SelectedOnly = true});
    EXPECT_EQ(1, selected.Result.OneWay->PostTest.Comparisons->Comparisons);

    EXPECT_TRUE(
        Analyse(document, {.Method = 4}).Has("Test for linear trend between column means and column number"));

    DataDocument alike = RawDocument(
        {{4.2L, 5.1L, 3.9L, 4.8L, 5.5L}, {4.6L, 5.0L, 4.1L, 5.2L, 4.4L}, {4.9L, 4.3L, 5.2L, 4.0L, 4.7L}});
    const Outcome skipped = Analyse(alike);
    EXPECT_FALSE(skipped.Result.OneWay->PostTest.Ran);
    EXPECT_TRUE(
        skipped.Contains("by chance.\n\nPost tests\n"
                         "Post tests were not calculated because the P value was greater\nthan 0.05.\n"));
}

TEST(AnovaFamily, NonparametricChoicesRouteToRankTests) {
    DataDocument document = RawDocument(ThreeGroups);
    const Outcome kw = Analyse(document, {.NonParametric = true, .Method = 1});
    ASSERT_EQ(0, kw.Code);
    EXPECT_TRUE(kw.Result.KruskalWallis.has_value());
    EXPECT_EQ(KruskalWallisHelpTopic, document.ReportHelpTopic);
    EXPECT_EQ("                       *     *     *", kw.Shown.at(kw.Shown.size() - 3));

    DataDocument gap = RawDocument({{1, 2, 3}, {2, Blank, 4}, {3, 4, 6}});
    EXPECT_EQ(15, Analyse(gap, {.NonParametric = true, .Ordinary = false}).Code);
}
