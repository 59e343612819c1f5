#include "stats/multiple_regression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>
#include <vector>

#include "../report/table_text.h"
#include "data/data_document.h"
#include "report/report_writer.h"
#include "stats/least_squares.h"

using namespace vextal;

namespace {

constexpr long double M = MissingValue;

std::tm FixedTime() { // 2024-01-31 14:05:09
    std::tm time{};
    time.tm_year = 124, time.tm_mday = 31, time.tm_hour = 14, time.tm_min = 5, time.tm_sec = 9;
    return time;
}

// Columns A, B, ... in order; M leaves a cell empty.
DataDocument Document(std::initializer_list<std::vector<long double>> columns, int y) {
    DataDocument document = NewDocument();
    int column = 0;
    for (const auto& values : columns) {
        for (std::size_t row = 0; row < values.size(); ++row)
            if (!IsMissing(values[row]))
                SetValue(document.Table, static_cast<int>(row), column, values[row]);
        ++column;
    }
    document.State.Format = DataFormat::MultRegData;
    document.State.Choices.DependentY = y;
    return document;
}

MultipleRegressionRun Analyse(DataDocument& document) {
    ReportWriter report;
    return multiple_regression(document, report, FixedTime);
}

void ExpectClose(long double expected, long double actual, long double relative) {
    EXPECT_LE(std::fabs(actual - expected), relative * std::fabs(expected))
        << "expected " << static_cast<double>(expected) << ", got " << static_cast<double>(actual);
}

// The lines from the first one equal to `first` on, `count` of them.
Lines Section(const std::string& report, const std::string& first, std::size_t count) {
    const Lines lines = ShownLines(report);
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (lines[i] == first)
            return Lines(lines.begin() + i, lines.begin() + std::min(lines.size(), i + count));
    return {};
}

bool Contains(const std::string& report, const std::string& line) {
    for (const std::string& shown : ShownLines(report))
        if (shown == line)
            return true;
    return false;
}

} // namespace

TEST(GaussJordan, SolvesInvertsAndDetectsSingularity) {
    // X'X of a centred design: the zeros below the first pivot are closer to
    // 1 than the pivot, yet the system is regular.
    std::vector<long double> b;
    ASSERT_TRUE(solve_normal_equations({{4, 0}, {0, 4}}, {8, -2}, 2, b));
    EXPECT_EQ(2.0L, b[0]);
    EXPECT_EQ(-0.5L, b[1]);

    // The pivots come from rows out of order; the rows are put back in order.
    RealMatrix inverse;
    ASSERT_TRUE(invert({{0, 2, 1}, {1, 0, 0}, {0, 1, 1}}, 3, inverse));
    EXPECT_EQ((RealMatrix{{0, 1, 0}, {1, 0, -1}, {-1, 0, 2}}), inverse);

    EXPECT_FALSE(invert({{1, 2}, {2, 4}}, 2, inverse));
    EXPECT_FALSE(invert({{1, 0}, {0, 1e-16L}}, 2, inverse));
    RealMatrix tooSmall = {{1, 0}};
    EXPECT_FALSE(gauss_jordan(tooSmall, 2, 3));
}

TEST(MultipleRegression, MessagesReplaceTheReport) {
    struct Case {
        DataDocument document;
        std::string message;
    };
    std::vector<Case> cases;
    cases.push_back({Document({}, 0), "Until you enter data, you won't see any results!"});
    cases.push_back({Document({{1, 2, 3}}, 0), "You must choose a dependent (Y) variable."});
    cases.push_back({Document({{1, 2, 3}, {}, {4, 5, 6}}, 1), "You must choose a dependent (Y) variable."});
    Case noX{Document({{1, 2, 3}, {2, 4, 7}}, 1), "You must choose one or more independent (X) variables."};
    noX.document.State.Choices.IndependentX.fill(false);
    cases.push_back(noX);
    Case oneVariable{Document({{1, 2, 3}, {2, 4, 7}}, 0),
                     "You must choose two or more variables to analyze."};
    oneVariable.document.State.Choices.MultipleRegression = false;
    oneVariable.document.State.Choices.IndependentX[1] = false;
    cases.push_back(oneVariable);
    // Three X and four rows: k + 1 = n.
    cases.push_back({Document({{1, 2, 3, 4}, {2, 1, 4, 3}, {1, 1, 2, 5}, {9, 8, 6, 1}}, 3),
                     "Too few rows of data. Need at least two more rows than # of variables."});
    cases.push_back({Document({{1, 2, 3, 4, 5}, {1, 2, 3, 4, 5}, {2, 1, 4, 3, 7}}, 2),
                     "It is not possible to fit your data. Perhaps two X columns are identical?"});

    for (Case& c : cases) {
        SCOPED_TRACE(c.message);
        const MultipleRegressionRun run = Analyse(c.document);
        EXPECT_EQ(0, run.Code);
        EXPECT_EQ(0, c.document.CalcError);
        ExpectLines(c.document.ResultReport, {"", c.message, "", "", "                       *     *     *",
                                              "", "",        "", "", "",
                                              "", "",        "", "", "",
                                              "", "",        "", "", ""});
    }

    // A fifth row is enough for three X.
    DataDocument five = Document({{1, 2, 3, 4, 5}, {2, 1, 4, 3, 1}, {1, 1, 2, 5, 3}, {9, 8, 6, 1, 4}}, 3);
    const MultipleRegressionRun run = Analyse(five);
    EXPECT_EQ(MultipleRegressionMessage::None, run.Result.Message);
    EXPECT_EQ(1, run.Result.DF);
}

TEST(MultipleRegression, OneXReport) {
    DataDocument document = Document({{1, 2, 3, 4, 5, 6}, {2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 12.2L}}, 1);
    document.Table.ColumnInfo[0].Title = "Dose";
    document.Table.ColumnInfo[1].Title = "Response";
    document.Table.DocumentTitle = "Dose response";
    const MultipleRegressionRun run = Analyse(document);
    EXPECT_EQ(MultipleRegressionHelpTopic, document.ReportHelpTopic);
    // Expected values from the closed forms: b = Sxy/Sxx, SE(b) = s/sqrt(Sxx).
    ExpectClose(2.02L, run.Result.Terms[1].Coefficient, 1e-16L);
    ExpectClose(-0.02L, run.Result.Terms[0].Coefficient, 1e-15L);
    ExpectClose(0.042761798705987904L, run.Result.Terms[1].SE, 1e-15L);
    ExpectClose(2231.46875L, run.Result.F, 1e-15L);
    ExpectClose(1.2013602560215725e-06L, run.Result.P, 1e-9L);
    ExpectLines(document.ResultReport,
                {"01/31/24 14:05:09",
                 "",
                 "Dose response",
                 "",
                 "[u]                   Multiple Regression Results                   [u]",
                 "",
                 "[u]What equation fits the data the best?[u]",
                 "",
                 " [B:Response] =  -0.02000 + 2.020*[A:Dose]",
                 "",
                 "[b]Variable           Coefficient SE        95% Confidence Interval[b]",
                 "Intercept          -0.02000    0.1665    -0.4823 to  0.4423",
                 "Slope              2.020       0.04276   1.901   to  2.139",
                 "",
                 "[u]How good is the fit?[u]",
                 "",
                 "R squared = 99.82%.",
                 "This is the percent of the variance in B:Response explained by the model.",
                 "",
                 "The P value is < 0.0001, considered extremely significant.",
                 "The P value answers this question:",
                 "  If there were no linear relationship among the variables, what is ",
                 "  the chance that R squared would be that high (or higher) by chance?",
                 "",
                 "Sum-of-squares          0.1280",
                 "SD of residuals         0.1789",
                 "R squared               0.9982",
                 "Adjusted R squared      0.9978",
                 "r                       0.9991",
                 "F                       2231.4688",
                 "",
                 "",
                 "[u]Summary of your data[u]",
                 "",
                 "Number of rows (subjects) analyzed: 6",
                 "Number of rows with missing data, excluded from calculations: 0",
                 "Number of degrees of freedom (#subjects - #variables - 1): 4",
                 "",
                 "                       *     *     *",
                 "",
                 ""});
}

TEST(MultipleRegression, ThreeXAgainstExactArithmetic) {
    // Row 11 lacks X2, row 12 has its Y excluded; both count as excluded rows.
    DataDocument document =
        Document({{132, 143, 153, 162, 154, 168, 137, 149, 159, 128, 166, 150, 140},
                  {52, 59, 67, 73, 64, 74, 54, 61, 65, 46, 72, 60, 55},
                  {173, 184, 194, 211, 196, 220, 188, 188, 207, 167, 217, M, 180},
                  {2.1L, 3.0L, 2.6L, 4.1L, 3.3L, 4.0L, 2.2L, 2.8L, 3.5L, 1.9L, 3.9L, 3.0L, 2.5L}},
                 0);
    SetExcluded(document.Table, 12, 0, true);
    const MultipleRegressionRun run = Analyse(document);
    const MultipleRegressionResult& r = run.Result;
    ASSERT_EQ(MultipleRegressionMessage::None, r.Message);
    EXPECT_EQ(11, r.N);
    EXPECT_EQ(2, r.ExcludedRows);
    EXPECT_EQ(7, r.DF);

    // Reference values: normal equations solved in rational arithmetic; P
    // from an independent incomplete beta in double precision.
    const long double b[] = {39.55154669113497L, 0.7841475600198131L, 0.28210889284021456L,
                             2.1586837581330367L};
    const long double se[] = {16.43421596485458L, 0.2730784645372393L, 0.1500467490024871L,
                              2.7646423053011118L};
    const long double t[] = {2.406658569883589L, 2.871510067074074L, 1.8801399878083227L,
                             0.7808184639270804L};
    const long double p[] = {0.047004115323537765L, 0.023940272171436246L, 0.10214486713547787L,
                             0.46049458798908893L};
    for (int j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        ExpectClose(b[j], r.Terms[j].Coefficient, 1e-14L);
        ExpectClose(se[j], r.Terms[j].SE, 1e-14L);
        ExpectClose(t[j], r.Terms[j].T, 1e-14L);
        ExpectClose(p[j], r.Terms[j].P, 1e-8L); // the probability unit's accuracy
    }
    ExpectClose(39.548293673961545L, r.SSResidual, 1e-12L);
    ExpectClose(0.9787020840882416L, r.RSquared, 1e-14L);
    ExpectClose(0.9695744058403452L, r.AdjustedRSquared, 1e-14L);
    ExpectClose(107.22355209155089L, r.F, 1e-12L);
    ExpectClose(3.2551720502148082e-06L, r.P, 1e-8L);
    ExpectClose(11.946896423124176L, r.Variables[1].VIF, 1e-12L);
    ExpectClose(0.9289107764584226L, r.Variables[1].Correlations[2], 1e-15L);
    ExpectClose(0.9414836880100077L, r.Variables[2].CorrelationWithY, 1e-15L);

    // Residuals for the graph, also of rows the fit did not use.
    ExpectClose(132 - (b[0] + b[1] * 52 + b[2] * 173 + b[3] * 2.1L),
                MultipleRegressionResidual(document.Table, r, 0), 1e-11L);
    EXPECT_EQ(M, MultipleRegressionResidual(document.Table, r, 11));

    const std::string& text = document.ResultReport;
    EXPECT_EQ(Section(text, " [A:] = 39.552 + 0.7841*[B:] + 0.2821*[C:]", 2),
              (Lines{" [A:] = 39.552 + 0.7841*[B:] + 0.2821*[C:]", "      + 2.159*[D:]"}));
    EXPECT_EQ(Section(text, "[b]Variable           t ratio     P value     Significant?[b]", 5),
              (Lines{"[b]Variable           t ratio     P value     Significant?[b]",
                     "(constant)         2.407         0.0470      Yes",
                     "B:                 2.872         0.0239      Yes",
                     "C:                 1.880         0.1021      No",
                     "D:                 0.7808        0.4605      No"}));
    EXPECT_TRUE(
        Contains(text, "Some R squared values are quite high (>.90). Multicollinearity is a problem."));
    EXPECT_TRUE(Contains(text, "(Except that rows are excluded when any variables are missing.)"));
    EXPECT_TRUE(Contains(text, "Number of rows with missing data, excluded from calculations: 2"));
}

TEST(MultipleRegression, PerfectFits) {
    // One X: Y = 3 + 2X.
    DataDocument line = Document({{0, 1, 2, 3}, {3, 5, 7, 9}}, 1);
    Analyse(line);
    EXPECT_EQ(0, line.CalcError);
    EXPECT_TRUE(Contains(line.ResultReport, "The model fits the data perfectly."));
    EXPECT_EQ(std::string::npos, line.ResultReport.find("P value"));

    // Two orthogonal X with Y = 1 + 2 X1 + 4 X2: infinite t with P 0 even at
    // one degree of freedom, and VIF still 1.
    DataDocument plane = Document({{0, 0, 1, 1}, {0, 1, 0, 1}, {1, 5, 3, 7}}, 2);
    const MultipleRegressionRun run = Analyse(plane);
    ASSERT_EQ(0, run.Code);
    EXPECT_TRUE(run.Result.Terms[1].TInfinite);
    EXPECT_EQ(1.0L, run.Result.MaxVIF);
    EXPECT_TRUE(Contains(plane.ResultReport, "B:                 infinite    < 0.0001      Yes"));
    EXPECT_TRUE(Contains(plane.ResultReport, "A:                 1.00             0.0000"));
    EXPECT_TRUE(Contains(plane.ResultReport, "of each other. Multicollinearity is not a problem."));
}

TEST(MultipleRegression, DependentColumnIsNeverAPredictor) {
    // Y is column B, after A, and every X flag is set.
    DataDocument document = Document({{1, 2, 3, 4, 5}, {2, 3, 7, 8, 9}, {5, 3, 4, 1, 2}}, 1);
    const MultipleRegressionRun run = Analyse(document);
    ASSERT_EQ(2u, run.Result.Variables.size());
    EXPECT_EQ(0, run.Result.Variables[0].Column);
    EXPECT_EQ(2, run.Result.Variables[1].Column);
    EXPECT_LT(run.Result.RSquared, 1.0L);
}

TEST(MultipleRegression, FiveXMatrixBlocks) {
    DataDocument document = Document({{1, 2, 3, 4, 5, 6, 7, 8},
                                      {3, 1, 4, 1, 5, 9, 2, 6},
                                      {2, 7, 1, 8, 2, 8, 1, 8},
                                      {1, 4, 1, 4, 2, 1, 3, 5},
                                      {5, 3, 5, 8, 9, 7, 9, 3},
                                      {10, 12, 9, 15, 14, 20, 11, 16}},
                                     5);
    Analyse(document);
    const std::string& text = document.ResultReport;
    EXPECT_TRUE(Contains(text, "                 A:       B:       C:       D:       E:"));
    const Lines second = Section(text, "                |  F: (Y)", 6);
    ASSERT_EQ(6u, second.size());
    EXPECT_EQ("A:              | ", second[1].substr(0, 18));
    EXPECT_EQ("E:              | ", second[5].substr(0, 18));

    // Without a Y column five variables fill a single block.
    document.State.Choices.MultipleRegression = false;
    document.State.Choices.IndependentX[5] = false;
    const MultipleRegressionRun matrix = Analyse(document);
    EXPECT_EQ(CorrelationMatrixHelpTopic, document.ReportHelpTopic);
    EXPECT_TRUE(matrix.Result.Terms.empty());
    EXPECT_EQ(Section(document.ResultReport, "                 A:       B:       C:       D:       E:", 8),
              (Lines{"                 A:       B:       C:       D:       E:",
                     "A:               1.0000   0.4775   0.2331   0.3832   0.2710",
                     "B:               0.4775   1.0000   0.2097  -0.3700   0.0026",
                     "C:               0.2331   0.2097   1.0000   0.5525  -0.3354",
                     "D:               0.3832  -0.3700   0.5525   1.0000  -0.2754",
                     "E:               0.2710   0.0026  -0.3354  -0.2754   1.0000", "",
                     "Each correlation coefficient (r) is calculated independently, "}));
    EXPECT_TRUE(Contains(document.ResultReport,
                         "[u]                   Correlation Matrix Results                    [u]"));
}

TEST(MultipleRegression, MulticollinearityVerdictBoundaries) {
    // Both designs give a VIF of exactly 4 and 10 in extended arithmetic.
    DataDocument four = Document({{1, 1, 0, 2}, {2, 0, 0, 6}, {3, 1, 4, 1}}, 2);
    DataDocument ten = Document({{0, 5, 0, 3}, {0, 3, 1, 2}, {3, 1, 4, 1}}, 2);
    ASSERT_EQ(4.0L, Analyse(four).Result.MaxVIF);
    ASSERT_EQ(10.0L, Analyse(ten).Result.MaxVIF);
    const std::string verdicts[] = {
        "All R squared values are low (<0.75). The X variables are independent ",
        "Some R squared values are high (>.75). Multicollinearity may be a problem.",
        "Some R squared values are quite high (>.90). Multicollinearity is a problem."};
    for (const std::string& verdict : verdicts) {
        EXPECT_FALSE(Contains(four.ResultReport, verdict));
        EXPECT_FALSE(Contains(ten.ResultReport, verdict));
    }
    const std::string advice = "This means that the X variables provide redundant information, ";
    EXPECT_FALSE(Contains(four.ResultReport, advice));
    EXPECT_TRUE(Contains(ten.ResultReport, advice));
    EXPECT_TRUE(Contains(ten.ResultReport, "or obtaining data over a wider range of X values."));
}

TEST(MultipleRegression, ConstantYIsACalculationError) {
    DataDocument document = Document({{1, 2, 3, 4}, {5, 5, 5, 5}}, 1);
    const MultipleRegressionRun run = Analyse(document);
    EXPECT_NE(0, run.Code);
    EXPECT_EQ(run.Code, document.CalcError);
    EXPECT_EQ(std::string::npos, document.ResultReport.find("Multiple Regression Results"));
}

TEST(MultipleRegression, LongleyCertifiedValues) {
    // NIST StRD Longley: Y = employment on six economic series, 16 years.
    const long double data[16][7] = {
        {60323, 83.0L, 234289, 2356, 1590, 107608, 1947},  {61122, 88.5L, 259426, 2325, 1456, 108632, 1948},
        {60171, 88.2L, 258054, 3682, 1616, 109773, 1949},  {61187, 89.5L, 284599, 3351, 1650, 110929, 1950},
        {63221, 96.2L, 328975, 2099, 3099, 112075, 1951},  {63639, 98.1L, 346999, 1932, 3594, 113270, 1952},
        {64989, 99.0L, 365385, 1870, 3547, 115094, 1953},  {63761, 100.0L, 363112, 3578, 3350, 116219, 1954},
        {66019, 101.2L, 397469, 2904, 3048, 117388, 1955}, {67857, 104.6L, 419180, 2822, 2857, 118734, 1956},
        {68169, 108.4L, 442769, 2936, 2798, 120445, 1957}, {66513, 110.8L, 444546, 4681, 2637, 121950, 1958},
        {68655, 112.6L, 482704, 3813, 2552, 123366, 1959}, {69564, 114.2L, 502601, 3931, 2514, 125368, 1960},
        {69331, 115.7L, 518173, 4806, 2572, 127852, 1961}, {70551, 116.9L, 554894, 4007, 2827, 130081, 1962}};
    const long double certified[7] = {-3482258.63459582L, 15.0618722713733L,  -0.358191792925910E-01L,
                                      -2.02022980381683L, -1.03322686717359L, -0.511041056535807E-01L,
                                      1829.15146461355L};
    const long double certifiedSE[7] = {890420.383607373L,  84.9149257747669L,  0.334910077722432E-01L,
                                        0.488399681651699L, 0.214274163161675L, 0.226073200069370L,
                                        455.478499142212L};
    DataDocument document = NewDocument();
    for (int row = 0; row < 16; ++row) {
        for (int j = 1; j < 7; ++j)
            SetValue(document.Table, row, j - 1, data[row][j]);
        SetValue(document.Table, row, 6, data[row][0]);
    }
    document.State.Choices.DependentY = 6;
    const MultipleRegressionResult r = Analyse(document).Result;
    ASSERT_EQ(7u, r.Terms.size());
    // The normal equations of this ill-conditioned set keep about 11 digits.
    for (int j = 0; j < 7; ++j) {
        SCOPED_TRACE(j);
        ExpectClose(certified[j], r.Terms[j].Coefficient, 1e-10L);
        ExpectClose(certifiedSE[j], r.Terms[j].SE, 1e-10L);
    }
    ExpectClose(304.854073561965L, r.SDResidual, 1e-10L);
    ExpectClose(0.995479004577296L, r.RSquared, 1e-12L);
}
