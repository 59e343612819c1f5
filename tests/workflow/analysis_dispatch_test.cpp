#include "workflow/analysis_dispatch.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/data_document.h"
#include "data/data_table.h"
#include "report/report_writer.h"
#include "workflow/choice_fields.h"

using namespace vextal;

namespace {

DataDocument Document(DataFormat format) {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.State.Goal = GoalFamilyOf(format);
    return document;
}

void Column(DataDocument& document, int column, std::initializer_list<long double> values) {
    int row = 0;
    for (long double v : values) SetValue(document.Table, row++, column, v);
    document.Table.SummaryEntered[column] = false;
}

std::vector<std::string> Lines(const DataDocument& document) { return PlainReportLines(document.ResultReport); }

}  // namespace

TEST(Dispatch, MessagesStandInPlaceOfResults) {
    DataDocument empty = Document(DataFormat::RawData);
    AnalysisOutcome outcome = RunAnalysis(empty);
    EXPECT_TRUE(outcome.MessageOnly);
    EXPECT_EQ((std::vector<std::string>{"", NoDataMessage, ""}), Lines(empty));
    EXPECT_FALSE(empty.State.ResultsStale);

    DataDocument xy = Document(DataFormat::XYData);
    RunAnalysis(xy);
    EXPECT_EQ((std::vector<std::string>{"", NoDataMessage, ""}), Lines(xy));

    DataDocument pairs = Document(DataFormat::RawData);
    Column(pairs, 0, {1, 2, 3});
    Column(pairs, 1, {4, 5, 6});
    Column(pairs, 2, {7, 8, 9.5L});
    pairs.State.Choices.PostTestPairs = 1;
    pairs.State.Choices.PostTestMethod = 0;
    pairs.State.Choices.SelectedPairs.fill(false);
    RunAnalysis(pairs);
    EXPECT_EQ((std::vector<std::string>{"", NoPairMessage, ""}), Lines(pairs));
}

TEST(Dispatch, TitleHeaderAndClosingLine) {
    DataDocument xy = Document(DataFormat::XYData);
    xy.Table.DocumentTitle = "Assay";
    for (int row = 0; row < 4; ++row) {
        SetValue(xy.Table, row, 0, row);
        SetValue(xy.Table, row, 1, 2 * row + (row % 2) * 0.1L);
    }
    const AnalysisOutcome outcome = RunAnalysis(xy);
    ASSERT_EQ(0, outcome.CalcError);
    const auto lines = Lines(xy);
    EXPECT_EQ("Assay", lines[0]);
    EXPECT_EQ("", lines[1]);
    EXPECT_EQ("Linear Regression", outcome.Title);
    EXPECT_NE(std::string::npos, xy.ResultReport.find("*     *     *"));
    ASSERT_NE(nullptr, outcome.Values.Find("slope"));
    EXPECT_NEAR(2.0, static_cast<double>(outcome.Values.Find("slope")->AsNumber()), 0.05);
    EXPECT_FALSE(IsMissing(outcome.Line.Slope)) << "the graph gets the line";
}

TEST(Dispatch, CorrelationInsteadOfRegressionLeavesNoLine) {
    DataDocument xy = Document(DataFormat::XYData);
    for (int row = 0; row < 5; ++row) {
        SetValue(xy.Table, row, 0, row);
        SetValue(xy.Table, row, 1, row * row);
    }
    ASSERT_EQ("", ApplyChoiceAssignment(xy.State.Choices, "FitRegression=0"));
    ASSERT_EQ("", ApplyChoiceAssignment(xy.State.Choices, "CorrelationKind=2"));
    const AnalysisOutcome outcome = RunAnalysis(xy);
    EXPECT_TRUE(IsMissing(outcome.Line.Slope));
    EXPECT_EQ("Spearman Rank Correlation", outcome.Title);
    EXPECT_EQ(1.0L, outcome.Values.Find("rs")->AsNumber());
}

TEST(Dispatch, TemporaryTitlesAreRestored) {
    DataDocument table = Document(DataFormat::LargerTable);
    Column(table, 0, {10, 20});
    Column(table, 1, {30, 15});
    RunAnalysis(table);
    EXPECT_EQ("", table.Table.ColumnInfo[0].Title) << "untitled columns stay untitled";
    EXPECT_NE(std::string::npos, table.ResultReport.find("              A"));

    DataDocument twoByTwo = Document(DataFormat::TwoByTwo);
    twoByTwo.TwoByTwo.A = 10;
    twoByTwo.TwoByTwo.B = 5;
    twoByTwo.TwoByTwo.C = 4;
    twoByTwo.TwoByTwo.D = 12;
    const AnalysisOutcome outcome = RunAnalysis(twoByTwo);
    EXPECT_EQ(0, outcome.CalcError);
    EXPECT_NE(std::string::npos, twoByTwo.ResultReport.find("Top row "));
    EXPECT_NE(std::string::npos, twoByTwo.ResultReport.find("Column A"));
    EXPECT_EQ("", twoByTwo.TwoByTwo.Row1Title);
    EXPECT_NE(nullptr, outcome.Values.Find("p_fisher_two_sided"));
}

TEST(Dispatch, ReportTitleAndPlainLines) {
    const std::string u(1, UnderlineMarker), b(1, BoldMarker);
    EXPECT_EQ("Unpaired t test", ReportTitle("\r\n" + u + "   Unpaired t test   " + u + "\r\n" + u + u));
    EXPECT_EQ("", ReportTitle("no title"));
    EXPECT_EQ((std::vector<std::string>{"a", "", "bold"}), PlainReportLines("a\r\n\r\n" + b + "bold" + b + "\r\n"));
}

TEST(ChoiceFields, SetByNameWithCheckedValues) {
    AnalysisChoices c;
    EXPECT_EQ("", ApplyChoiceAssignment(c, "TwoColUnpaired=0"));
    EXPECT_EQ(0, c.TwoColUnpaired);
    EXPECT_EQ("", ApplyChoiceAssignment(c, "PostTestMethod=2"));
    EXPECT_EQ(2, c.PostTestMethod);
    EXPECT_EQ("", ApplyChoiceAssignment(c, "HypotheticalValue=4.5"));
    EXPECT_EQ(4.5L, c.HypotheticalValue);
    EXPECT_EQ("", ApplyChoiceAssignment(c, "SelectedPairs=1101"));
    EXPECT_TRUE(c.SelectedPairs[0]);
    EXPECT_FALSE(c.SelectedPairs[2]);
    EXPECT_TRUE(c.SelectedPairs[4]) << "flags beyond the text keep their value";
    EXPECT_EQ("", ApplyChoiceAssignment(c, "IndependentX=0111"));
    EXPECT_FALSE(c.IndependentX[0]);
    EXPECT_EQ("", ApplyChoiceAssignment(c, "TwoColEqualSD=F"));
    EXPECT_FALSE(c.TwoColEqualSD);
    EXPECT_EQ("unknown choice 'Bogus'", ApplyChoiceAssignment(c, "Bogus=1"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "PostTestMethod=5"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "PostTestMethod=one"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "HypotheticalValue=1e5000"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "SelectedPairs=12"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "MRGraphX=AB"));
    EXPECT_NE("", ApplyChoiceAssignment(c, "NoEquals"));
    EXPECT_EQ(40u, ChoiceFieldNames().size());
}

TEST(Dispatch, ColumnAnalysesNameUntitledColumnsAndKeepDeselectedOnesOut) {
    DataDocument raw = Document(DataFormat::RawData);
    Column(raw, 0, {1, 2, 3, 4});
    Column(raw, 1, {3, 4, 5, 7});
    Column(raw, 2, {9, 9.5L, 8, 9});
    raw.Table.ColumnSelected[2] = false;
    raw.State.Choices.AllColumns = false;
    const AnalysisOutcome outcome = RunAnalysis(raw);
    ASSERT_EQ(0, outcome.CalcError) << raw.ResultReport;
    EXPECT_EQ("Unpaired t test", outcome.Title);
    EXPECT_NE(std::string::npos, raw.ResultReport.find("Column A"));
    EXPECT_NE(std::string::npos, raw.ResultReport.find("Column B"));
    EXPECT_EQ(std::string::npos, raw.ResultReport.find("Column C")) << "a deselected column stays out";
    EXPECT_EQ("", raw.Table.ColumnInfo[0].Title) << "titles stay empty in the table";
    EXPECT_EQ(4, raw.Table.ColumnInfo[2].N) << "the deselected column keeps its statistics";
    EXPECT_FALSE(raw.Table.UseColumnSelection);
    ASSERT_NE(nullptr, outcome.Values.Find("t"));
    // Means 2.5 and 4.75, pooled SD sqrt((5/3 + 35/12) / 2): t = 2.25 / (sd * sqrt(1/2)).
    const long double sd = std::sqrt((5.0L / 3 + 2.9166666666666666667L) / 2);
    EXPECT_NEAR(static_cast<double>(2.25L / (sd * std::sqrt(0.5L))),
                static_cast<double>(outcome.Values.Find("t")->AsNumber()), 1e-12);
}
