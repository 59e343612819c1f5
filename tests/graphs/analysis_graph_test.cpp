#include "graphs/analysis_graph.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/data_document.h"
#include "stats/column_stats.h"

using namespace vextal;

namespace {

DataDocument Document(DataFormat format, const std::string& title = "Trial") {
    DataDocument document = NewDocument();
    document.State.Format = format;
    document.Table.DocumentTitle = title;
    return document;
}

void Column(DataDocument& document, int column, std::initializer_list<long double> values) {
    int row = 0;
    for (long double value : values) SetValue(document.Table, row++, column, value);
}

void Typed(DataDocument& document, int column, long double mean, long double sd, int n) {
    ColumnInfo& info = document.Table.ColumnInfo[static_cast<std::size_t>(column)];
    info.Mean = mean;
    info.SD = sd;
    info.N = n;
    ComputeSummaryFromEntered(document.Table, -1, info);
}

void ExpectNear(long double expected, long double actual) {
    EXPECT_NEAR(static_cast<double>(expected), static_cast<double>(actual), 1e-9 * std::fabs(static_cast<double>(expected)) + 1e-12);
}

const std::vector<GraphPoint>& Points(const GraphModel& model, GraphSeriesId id) { return model.Of(id).Points; }

}  // namespace

TEST(ColumnGraph, BarsStandAtTheirColumnsWithWhiskersAndTitles) {
    DataDocument raw = Document(DataFormat::RawData);
    for (int column = 0; column < 4; ++column) Column(raw, column, {1.0L + column, 3.0L + column, 5.0L + column});
    ComputeColumnStats(raw);
    raw.State.Choices.AllColumns = false;
    raw.Table.ColumnSelected[0] = raw.Table.ColumnSelected[2] = false;
    GraphModel model = BuildGraph(raw);
    const auto& bars = Points(model, GraphSeriesId::ErrorBars);
    ASSERT_EQ(2u, bars.size());
    EXPECT_EQ(1, bars[0].X);
    EXPECT_EQ("B", bars[0].Label);
    EXPECT_EQ(3, bars[1].X);
    EXPECT_EQ("D", bars[1].Label);
    ExpectNear(6, bars[1].Y);
    ExpectNear(2, bars[1].Error);  // SD of 4, 6, 8
    EXPECT_EQ(GraphRed, bars[0].Colour);
    EXPECT_EQ("Trial", model.TitleLine1);
    EXPECT_EQ("Mean and Standard Deviation", model.TitleLine2);
    EXPECT_EQ("Column", model.BottomAxisTitle);
    EXPECT_EQ("", model.LeftAxisTitle);
    EXPECT_EQ(GraphAxisLabels::PointLabels, model.BottomAxisLabels);
    EXPECT_TRUE(model.ErrorBarButtonsVisible);
    EXPECT_FALSE(model.RowColumnGroupVisible);
    EXPECT_EQ(150, model.LeftMargin);
    EXPECT_EQ(150, model.RightMargin);

    raw.State.ErrorBars = ErrorBarKind::SEM;
    model = BuildGraph(raw);
    EXPECT_EQ("Mean and Standard Error", model.TitleLine2);
    ExpectNear(2 / std::sqrt(3.0L), Points(model, GraphSeriesId::ErrorBars)[1].Error);

    for (int column = 4; column < 6; ++column) Column(raw, column, {1, 2});
    raw.Table.ColumnSelected[0] = true;
    MarkChanged(raw.State);
    model = BuildGraph(raw);
    EXPECT_EQ(5u, Points(model, GraphSeriesId::ErrorBars).size());
    EXPECT_EQ(50, model.LeftMargin);
    EXPECT_EQ(80, model.RightMargin);
}

TEST(ColumnGraph, TypedNegativeSDDrawsItsSize) {
    DataDocument averaged = Document(DataFormat::MeanSDN);
    Typed(averaged, 0, 10, -2.5L, 4);
    Typed(averaged, 1, -3, 1, 5);
    const GraphModel model = BuildGraph(averaged);
    const auto& bars = Points(model, GraphSeriesId::ErrorBars);
    ASSERT_EQ(2u, bars.size());
    ExpectNear(2.5L, bars[0].Error);
    ExpectNear(-3, bars[1].Y);
    ExpectNear(1, bars[1].Error);
}

TEST(Graph, EmptyDocumentsDrawNothingAndStaleResultsAreRecomputedFirst) {
    DataDocument empty = Document(DataFormat::RawData, "");
    int runs = 0;
    const GraphAnalysisRunner count = [&runs](DataDocument&) { ++runs; };
    GraphModel model = BuildGraph(empty, count);
    EXPECT_TRUE(model.ChartVisible);
    EXPECT_FALSE(model.HasSeries());
    EXPECT_EQ(0, runs);

    DataDocument xy = Document(DataFormat::XYData);
    Column(xy, 0, {1, 2, 3});
    Column(xy, 1, {1, 3, 2});
    BuildGraph(xy, [&runs](DataDocument& d) { ++runs; d.State.ResultsStale = false; });
    EXPECT_EQ(1, runs);
    BuildGraph(xy, count);
    EXPECT_EQ(1, runs) << "fresh results are not recomputed";

    DataDocument titledTwoByTwo = Document(DataFormat::TwoByTwo);
    EXPECT_FALSE(BuildGraph(titledTwoByTwo, count).ChartVisible) << "no counts";
    EXPECT_TRUE(titledTwoByTwo.State.ResultsStale);
}

TEST(ContingencyGraph, TwoByTwoStacksByColumnsOrByRows) {
    DataDocument document = Document(DataFormat::TwoByTwo);
    TwoByTwoTable& t = document.TwoByTwo;
    t.A = 10, t.B = 20, t.C = 30, t.D = 40;
    t.Row1Title = "Exposed";
    t.Column2Title = "Healthy";
    GraphModel model = BuildGraph(document);
    const auto& bars1 = Points(model, GraphSeriesId::Bars1);
    const auto& bars2 = Points(model, GraphSeriesId::Bars2);
    ASSERT_EQ(2u, bars1.size());
    ASSERT_EQ(2u, bars2.size());
    EXPECT_TRUE(model.Of(GraphSeriesId::Bars1).Stacked && model.Of(GraphSeriesId::Bars2).Stacked);
    EXPECT_EQ("Columns", model.BottomAxisTitle);
    EXPECT_EQ("Column Totals", model.TitleLine2);
    EXPECT_EQ(30, bars1[0].Y);
    EXPECT_EQ(40, bars1[1].Y);
    EXPECT_EQ(10, bars2[0].Y);
    EXPECT_EQ("Column A", bars1[0].Label);
    EXPECT_EQ("Healthy", bars1[1].Label);
    EXPECT_EQ(GraphBlue, model.Legend[0].Colour);
    EXPECT_EQ("Exposed", model.Legend[0].Text);
    EXPECT_EQ(GraphRed, model.Legend[1].Colour);
    EXPECT_EQ("Bottom row", model.Legend[1].Text);
    EXPECT_EQ(GroupedIntegerFormat, model.LeftAxisFormat);

    document.State.GraphByColumns = false;
    model = BuildGraph(document);
    EXPECT_EQ("Rows", model.BottomAxisTitle);
    EXPECT_EQ("Row Totals", model.TitleLine2);
    EXPECT_EQ(10, Points(model, GraphSeriesId::Bars1)[0].Y);
    EXPECT_EQ(30, Points(model, GraphSeriesId::Bars1)[1].Y);
    EXPECT_EQ(20, Points(model, GraphSeriesId::Bars2)[0].Y);
    EXPECT_EQ(40, Points(model, GraphSeriesId::Bars2)[1].Y);
    EXPECT_EQ("Exposed", Points(model, GraphSeriesId::Bars1)[0].Label);
    EXPECT_EQ("Healthy", model.Legend[0].Text);
    EXPECT_EQ("Column A", model.Legend[1].Text);
}

TEST(ContingencyGraph, LargerTableBarsSkipEmptyTotals) {
    DataDocument document = Document(DataFormat::LargerTable);
    Column(document, 0, {3, 4});
    Column(document, 2, {0, 5});
    document.Table.ColumnInfo[2].Title = "Current";
    document.Table.RowTitles[1] = "Old";
    GraphModel model = BuildGraph(document);
    const auto& bars = Points(model, GraphSeriesId::Bars1);
    ASSERT_EQ(2u, bars.size());
    EXPECT_EQ(0, bars[0].X);
    EXPECT_EQ("A", bars[0].Label);
    EXPECT_EQ(7, bars[0].Y);
    EXPECT_EQ(2, bars[1].X);
    EXPECT_EQ("Current", bars[1].Label);
    EXPECT_FALSE(model.Of(GraphSeriesId::Bars2).Active);

    document.State.GraphByColumns = false;
    model = BuildGraph(document);
    ASSERT_EQ(2u, Points(model, GraphSeriesId::Bars1).size());
    EXPECT_EQ("1", Points(model, GraphSeriesId::Bars1)[0].Label);
    EXPECT_EQ("Old", Points(model, GraphSeriesId::Bars1)[1].Label);
    EXPECT_EQ(9, Points(model, GraphSeriesId::Bars1)[1].Y);
}

// Reference values: least squares and the 95% band computed by hand from
// closed forms, with the program's three-decimal critical t (2.776 for 4
// degrees of freedom, 2.571 for 5).
TEST(XYGraph, LineAndConfidenceBand) {
    DataDocument xy = Document(DataFormat::XYData);
    Column(xy, 0, {1, 2, 3, 4, 5, 6});
    Column(xy, 1, {2.1L, 3.9L, 6.2L, 7.8L, 10.1L, 12.2L});
    xy.Table.ColumnInfo[0].Title = "Dose";
    xy.Table.ColumnInfo[1].Title = "Response";
    GraphModel model = BuildGraph(xy);
    EXPECT_EQ("Dose", model.BottomAxisTitle);
    EXPECT_EQ("Response", model.LeftAxisTitle);
    EXPECT_EQ(6u, Points(model, GraphSeriesId::Points).size());
    const auto& line = Points(model, GraphSeriesId::Line);
    ASSERT_EQ(2u, line.size());
    ExpectNear(2.0L, line[0].Y);
    ExpectNear(12.1L, line[1].Y);
    const auto& lower = Points(model, GraphSeriesId::LowerCI);
    const auto& upper = Points(model, GraphSeriesId::UpperCI);
    ASSERT_EQ(101u, lower.size());
    ASSERT_EQ(101u, upper.size());
    EXPECT_NEAR(1.6405974566165742, static_cast<double>(lower[0].Y), 1e-6);
    EXPECT_NEAR(2.3594025433834274, static_cast<double>(upper[0].Y), 1e-6);
    EXPECT_NEAR(2.85, static_cast<double>(lower[37].X), 1e-15);
    EXPECT_NEAR(5.520082557791043, static_cast<double>(lower[37].Y), 1e-6);
    EXPECT_NEAR(7.252730375951245, static_cast<double>(upper[50].Y), 1e-6);
    EXPECT_EQ(6, lower[100].X);
    EXPECT_NEAR(12.459402543383424, static_cast<double>(upper[100].Y), 1e-6);
    EXPECT_EQ("Linear Regression", model.Legend[0].Text);
    EXPECT_EQ("95% Confidence Interval", model.Legend[1].Text);

    xy.State.Choices.ForceThroughPoint = true;
    xy.State.Choices.ForceX = 1;
    xy.State.Choices.ForceY = 2;
    MarkChanged(xy.State);
    model = BuildGraph(xy);
    ASSERT_EQ(2u, Points(model, GraphSeriesId::LowerCI).size());
    EXPECT_NEAR(2.0, static_cast<double>(Points(model, GraphSeriesId::LowerCI)[0].Y), 1e-12);
    EXPECT_NEAR(11.82266114457712, static_cast<double>(Points(model, GraphSeriesId::LowerCI)[1].Y), 1e-6);
    EXPECT_NEAR(12.37733885542288, static_cast<double>(Points(model, GraphSeriesId::UpperCI)[1].Y), 1e-6);

    xy.State.Choices.CorrelationKind = 1;
    xy.State.Choices.FitRegression = false;
    MarkChanged(xy.State);
    model = BuildGraph(xy);
    EXPECT_FALSE(model.Of(GraphSeriesId::Line).Active) << "a correlation draws no line";
    EXPECT_FALSE(model.Legend[0].Visible);
}

TEST(XYGraph, PerfectLineHasNoBand) {
    DataDocument xy = Document(DataFormat::XYData);
    Column(xy, 0, {1, 2, 3, 4});
    Column(xy, 1, {3, 5, 7, 9});
    const GraphModel model = BuildGraph(xy);
    EXPECT_TRUE(model.Of(GraphSeriesId::Line).Active);
    EXPECT_FALSE(model.Of(GraphSeriesId::LowerCI).Active);
    EXPECT_FALSE(model.Of(GraphSeriesId::UpperCI).Active);
    EXPECT_FALSE(model.Legend[1].Visible);
}

TEST(XYGraph, OnlyTheFirst5000PresentValuesArePlotted) {
    DataDocument xy = Document(DataFormat::XYData);
    for (int row = 0; row < 1000; ++row) {
        SetValue(xy.Table, row, 0, row);
        for (int column = 1; column <= 6; ++column) SetValue(xy.Table, row, column, row * 10 + column);
    }
    SetExcluded(xy.Table, 0, 1, true);  // met and counted, but not drawn
    SetValue(xy.Table, 1, 2, MissingValue);  // not met
    const GraphModel model = BuildGraph(xy);
    const auto& points = Points(model, GraphSeriesId::Points);
    ASSERT_EQ(4999u, points.size());
    // Rows 0..832 hold 833 * 6 - 1 present values; the 5000th is (833, column 3).
    EXPECT_EQ(833, points.back().X);
    EXPECT_EQ(8333, points.back().Y);
    // The line and its band still use every value, and X up to row 999.
    EXPECT_EQ(999, Points(model, GraphSeriesId::Line).back().X);
    EXPECT_EQ(999, Points(model, GraphSeriesId::UpperCI).back().X);
}

TEST(MultipleRegressionGraph, ListsSelectionAndResiduals) {
    DataDocument mr = Document(DataFormat::MultRegData);
    Column(mr, 0, {1, 2, 3, 4, 5, 6, 7});           // Y
    Column(mr, 1, {2, 1, 4, 3, 6, 5, 8});
    Column(mr, 2, {1, 1, 2, 3, 5, 8, 13});
    mr.Table.ColumnInfo[0].Title = "Yield";
    mr.State.Choices.DependentY = 0;
    mr.State.Choices.IndependentX.fill(false);
    mr.State.Choices.IndependentX[1] = mr.State.Choices.IndependentX[2] = true;

    mr.State.Choices.MRGraphX = "Q";
    mr.State.Choices.MRGraphY = "R";
    GraphModel model = BuildGraph(mr);
    ASSERT_TRUE(model.MultRegControlsVisible);
    ASSERT_EQ(2u, model.XItems.size());
    EXPECT_EQ((GraphListItem{"B", "B: Column B"}), model.XItems[0]);
    EXPECT_EQ((std::vector<GraphListItem>{{"A", "A: Yield"}, {"*", "Residuals"}}), model.YItems);
    EXPECT_EQ(0, model.XIndex);
    EXPECT_EQ(1, model.YIndex) << "neither found: first X, second Y";
    EXPECT_EQ("Residuals", model.LeftAxisTitle);
    EXPECT_EQ("*", mr.State.Choices.MRGraphY);
    // Residuals sum to zero and equal y minus the fitted value.
    const auto& residuals = Points(model, GraphSeriesId::Points);
    ASSERT_EQ(7u, residuals.size());
    long double sum = 0;
    for (const GraphPoint& point : residuals) sum += point.Y;
    EXPECT_NEAR(0.0, static_cast<double>(sum), 1e-12);

    // All columns: choosing X equal to Y moves Y to another variable.
    mr.State.Choices.GraphAnalyzedOnly = false;
    mr.State.Choices.MRGraphX = "A";
    mr.State.Choices.MRGraphY = "A";
    model = BuildGraph(mr);
    ASSERT_EQ(3u, model.YItems.size());
    EXPECT_EQ("A", model.XItems[static_cast<std::size_t>(model.XIndex)].Key);
    EXPECT_EQ("B", model.YItems[static_cast<std::size_t>(model.YIndex)].Key);
    EXPECT_EQ("A: Yield", model.BottomAxisTitle);
    EXPECT_EQ("B: Column B", model.LeftAxisTitle);
    EXPECT_EQ(7u, Points(model, GraphSeriesId::Points).size());

    mr.State.Choices.MRGraphX = "C";
    mr.State.Choices.MRGraphY = "Z";
    model = BuildGraph(mr);
    EXPECT_EQ("C", mr.State.Choices.MRGraphX);
    EXPECT_EQ("A", mr.State.Choices.MRGraphY) << "a missing Y takes the first item other than X";
    ExpectNear(13, Points(model, GraphSeriesId::Points).back().X);

    mr.State.Choices.IndependentX.fill(false);  // no variable left in the model
    MarkChanged(mr.State);
    EXPECT_FALSE(BuildGraph(mr).ChartVisible);
}
