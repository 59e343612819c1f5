// The graph builders, one per kind of data. Values reach the model in the
// table's own units; the confidence band of the regression line is
// computed here in extended precision from the fit's summary values.
#include "graphs/analysis_graph.h"

#include <algorithm>
#include <cmath>

#include "data/data_document.h"
#include "stats/fault_guard.h"
#include "stats/multiple_regression.h"
#include "stats/pvalue.h"
#include "workflow/analysis_dispatch.h"

namespace vextal {

namespace {

// Margins of graphs with few bars, and of those with more than four.
constexpr int FewBarsMargin = 150;
constexpr int ManyBarsLeftMargin = 50;
constexpr int ManyBarsRightMargin = 80;
constexpr int FewBarsLimit = 4;

std::string ColumnLetter(int column) { return std::string(1, static_cast<char>('A' + column)); }

int LastRowOf(const DataTable& table) { return std::clamp(table.LastRow, 0, TableRowCount - 1); }
int LastColumnOf(const DataTable& table) { return std::clamp(table.LastColumn, 0, DataColumnCount - 1); }

// A cell as the graphs see it: empty and excluded cells are missing. Column
// selection and analysis column lists play no part.
long double CellValue(const DataTable& table, int row, int column) {
    if (IsExcluded(table, row, column)) return MissingValue;
    return RawValue(table, row, column);
}

GraphPoint Point(long double x, long double y, GraphColour colour, std::string label = {}) {
    GraphPoint point;
    point.X = x;
    point.Y = y;
    point.Label = std::move(label);
    point.Colour = colour;
    return point;
}

void SetBarMargins(GraphModel& model, std::size_t bars) {
    const bool many = bars > FewBarsLimit;
    model.LeftMargin = many ? ManyBarsLeftMargin : FewBarsMargin;
    model.RightMargin = many ? ManyBarsRightMargin : FewBarsMargin;
}

void SetLegend(GraphModel& model, int line, GraphColour colour, std::string text, bool lineSwatch = false,
               bool dotted = false) {
    GraphLegendEntry& entry = model.Legend[static_cast<std::size_t>(line)];
    entry.Visible = true;
    entry.Colour = colour;
    entry.LineSwatch = lineSwatch;
    entry.Dotted = dotted;
    entry.Text = std::move(text);
}

// ------------------------------------------------------------ column means

void BuildColumnGraph(const DataDocument& document, GraphModel& model) {
    const DataTable& table = document.Table;
    const bool sd = document.State.ErrorBars == ErrorBarKind::SD;
    model.ErrorBarButtonsVisible = true;
    model.BottomAxisTitle = "Column";
    model.BottomAxisLabels = GraphAxisLabels::PointLabels;
    model.TitleLine2 = sd ? "Mean and Standard Deviation" : "Mean and Standard Error";
    GraphSeries& bars = model.Of(GraphSeriesId::ErrorBars);
    bars.Active = true;
    for (int column = 0; column < DataColumnCount; ++column) {
        const ColumnInfo& info = table.ColumnInfo[static_cast<std::size_t>(column)];
        if (!table.ColumnSelected[static_cast<std::size_t>(column)] || info.N <= 0 || IsMissing(info.Mean)) continue;
        GraphPoint point = Point(column, info.Mean, GraphRed, ColumnLetter(column));
        const long double error = sd ? info.SD : info.SEM;
        // A typed SD or SEM may be negative; the whisker shows its size.
        point.Error = IsMissing(error) || !std::isfinite(error) ? 0 : std::fabs(error);
        bars.Points.push_back(std::move(point));
    }
    SetBarMargins(model, bars.Points.size());
}

// ------------------------------------------------------------ contingency tables

long double CountOrZero(long double count) { return IsMissing(count) ? 0 : count; }

void BuildTwoByTwoGraph(const DataDocument& document, GraphModel& model) {
    const TwoByTwoTable& t = document.TwoByTwo;
    model.RowColumnGroupVisible = true;
    model.ChartVisible = !(IsMissing(t.A) && IsMissing(t.B) && IsMissing(t.C) && IsMissing(t.D));
    if (!model.ChartVisible) return;
    auto titled = [](const std::string& title, const char* fallback) { return title.empty() ? fallback : title; };
    const std::string row1 = titled(t.Row1Title, "Top row ");
    const std::string row2 = titled(t.Row2Title, "Bottom row");
    const std::string column1 = titled(t.Column1Title, "Column A");
    const std::string column2 = titled(t.Column2Title, "Column B");

    GraphSeries& bars1 = model.Of(GraphSeriesId::Bars1);
    GraphSeries& bars2 = model.Of(GraphSeriesId::Bars2);
    bars1.Active = bars2.Active = true;
    bars1.Stacked = bars2.Stacked = true;
    model.BottomAxisLabels = GraphAxisLabels::PointLabels;
    model.LeftAxisFormat = GroupedIntegerFormat;
    model.LeftMargin = model.RightMargin = FewBarsMargin;
    const long double a = CountOrZero(t.A), b = CountOrZero(t.B), c = CountOrZero(t.C), d = CountOrZero(t.D);
    if (model.ByColumns) {
        model.BottomAxisTitle = "Columns";
        model.TitleLine2 = "Column Totals";
        bars1.Points = {Point(0, c, GraphRed, column1), Point(1, d, GraphRed, column2)};
        bars2.Points = {Point(0, a, GraphBlue, column1), Point(1, b, GraphBlue, column2)};
        SetLegend(model, 0, GraphBlue, row1);
        SetLegend(model, 1, GraphRed, row2);
    } else {
        model.BottomAxisTitle = "Rows";
        model.TitleLine2 = "Row Totals";
        bars1.Points = {Point(0, a, GraphRed, row1), Point(1, c, GraphRed, row2)};
        bars2.Points = {Point(0, b, GraphBlue, row1), Point(1, d, GraphBlue, row2)};
        SetLegend(model, 0, GraphBlue, column2);
        SetLegend(model, 1, GraphRed, column1);
    }
}

void BuildLargerTableGraph(const DataDocument& document, GraphModel& model) {
    const DataTable& table = document.Table;
    model.RowColumnGroupVisible = true;
    model.ChartVisible = HasData(table);
    if (!model.ChartVisible) return;
    model.BottomAxisLabels = GraphAxisLabels::PointLabels;
    GraphSeries& bars = model.Of(GraphSeriesId::Bars1);
    bars.Active = true;
    const int lastRow = LastRowOf(table), lastColumn = LastColumnOf(table);
    auto total = [&](int fixed, bool byColumn) {
        long double sum = 0;
        const int last = byColumn ? lastRow : lastColumn;
        for (int i = 0; i <= last; ++i) {
            const long double value = byColumn ? CellValue(table, i, fixed) : CellValue(table, fixed, i);
            if (!IsMissing(value)) sum += value;
        }
        return sum;
    };
    // Bars stand at their column's (row's) index, so an empty one leaves a
    // gap, and are labelled with its title.
    if (model.ByColumns) {
        model.BottomAxisTitle = "Columns";
        model.TitleLine2 = "Column Totals";
        for (int column = 0; column <= lastColumn; ++column) {
            const long double sum = total(column, true);
            if (!(sum > 0)) continue;
            const std::string& title = table.ColumnInfo[static_cast<std::size_t>(column)].Title;
            bars.Points.push_back(Point(column, sum, GraphRed, title.empty() ? ColumnLetter(column) : title));
        }
    } else {
        model.BottomAxisTitle = "Rows";
        model.TitleLine2 = "Row Totals";
        for (int row = 0; row <= lastRow; ++row) {
            const long double sum = total(row, false);
            if (!(sum > 0)) continue;
            const std::string& title = table.RowTitles[static_cast<std::size_t>(row)];
            bars.Points.push_back(Point(row, sum, GraphRed, title.empty() ? DefaultRowTitle(row) : title));
        }
    }
    SetBarMargins(model, bars.Points.size());
}

// ------------------------------------------------------------ XY data

void AddBand(GraphModel& model, const RegressionLine& line, const AnalysisChoices& choices, long double xMin,
             long double xMax) {
    GraphSeries& lower = model.Of(GraphSeriesId::LowerCI);
    GraphSeries& upper = model.Of(GraphSeriesId::UpperCI);
    std::vector<GraphPoint> low, high;
    const int code = RunGuarded([&] {
        if (choices.ForceThroughPoint) {
            // A forced line pivots about its point: the band is bounded by the
            // lines through it with the slope's confidence limits.
            if (IsMissing(line.SlopeLower) || IsMissing(line.SlopeUpper)) return;
            for (long double x : {xMin, xMax}) {
                low.push_back(Point(x, line.SlopeLower * (x - choices.ForceX) + choices.ForceY, lower.Colour));
                high.push_back(Point(x, line.SlopeUpper * (x - choices.ForceX) + choices.ForceY, upper.Colour));
            }
            return;
        }
        // The fit's own point count: the graph may plot fewer points than
        // the fit used (see MaxGraphXYValues).
        const int n = line.N;
        if (n < 3 || IsMissing(line.SyX) || IsMissing(line.Sxx) || IsMissing(line.MeanX) || !(line.Sxx > 0)) return;
        const long double t = critical_t(n - 2);
        const long double step = (xMax - xMin) / (ConfidenceBandPositions - 1);
        for (int i = 0; i < ConfidenceBandPositions; ++i) {
            const long double x = i == ConfidenceBandPositions - 1 ? xMax : xMin + i * step;
            const long double fitted = line.Slope * x + line.Intercept;
            const long double dx = x - line.MeanX;
            const long double half = t * line.SyX * std::sqrt(1.0L / n + dx * dx / line.Sxx);
            low.push_back(Point(x, fitted - half, lower.Colour));
            high.push_back(Point(x, fitted + half, upper.Colour));
        }
    });
    if (code != 0 || low.empty()) return;
    lower.Points = std::move(low);
    upper.Points = std::move(high);
    lower.Active = upper.Active = true;
}

void BuildXYGraph(const DataDocument& document, GraphModel& model) {
    const DataTable& table = document.Table;
    model.ChartVisible = HasData(table);
    if (!model.ChartVisible) return;
    model.LeftAxisTitle = table.ColumnInfo[1].Title;
    model.BottomAxisTitle = table.ColumnInfo[0].Title;
    model.LeftMargin = 30;
    model.RightMargin = 80;
    GraphSeries& points = model.Of(GraphSeriesId::Points);
    points.Active = true;

    const int lastRow = LastRowOf(table), lastColumn = LastColumnOf(table);
    long double xMin = MissingValue, xMax = MissingValue;
    int valuesMet = 0;
    for (int row = 0; row <= lastRow; ++row) {
        const long double x = CellValue(table, row, 0);
        if (IsMissing(x)) continue;
        xMin = IsMissing(xMin) ? x : std::min(xMin, x);
        xMax = IsMissing(xMax) ? x : std::max(xMax, x);
        for (int column = 1; column <= lastColumn && valuesMet < MaxGraphXYValues; ++column) {
            if (IsMissing(RawValue(table, row, column))) continue;
            ++valuesMet;  // excluded values count towards the limit too
            const long double y = CellValue(table, row, column);
            if (!IsMissing(y)) points.Points.push_back(Point(x, y, GraphBlue));
        }
    }

    const RegressionLine line = GraphRegressionLine(document);
    if (IsMissing(line.Slope) || IsMissing(line.Intercept) || IsMissing(xMin)) return;
    GraphSeries& fitted = model.Of(GraphSeriesId::Line);
    fitted.Active = true;
    fitted.Points = {Point(xMin, line.Slope * xMin + line.Intercept, fitted.Colour),
                     Point(xMax, line.Slope * xMax + line.Intercept, fitted.Colour)};
    SetLegend(model, 0, fitted.Colour, "Linear Regression", true);
    // A perfect fit has no band to show.
    if (line.RSquared == 1) return;
    AddBand(model, line, document.State.Choices, xMin, xMax);
    if (model.Of(GraphSeriesId::LowerCI).Active)
        SetLegend(model, 1, model.Of(GraphSeriesId::LowerCI).Colour, "95% Confidence Interval", true, true);
}

// ------------------------------------------------------------ multiple regression

std::string ColumnItemText(const DataTable& table, int column) {
    const std::string& title = table.ColumnInfo[static_cast<std::size_t>(column)].Title;
    return ColumnLetter(column) + ": " + (title.empty() ? "Column " + ColumnLetter(column) : title);
}

GraphListItem ColumnItem(const DataTable& table, int column) { return {ColumnLetter(column), ColumnItemText(table, column)}; }

int FindItem(const std::vector<GraphListItem>& items, const std::string& key) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Key == key) return static_cast<int>(i);
    return -1;
}

int FirstOtherItem(const std::vector<GraphListItem>& items, const std::string& key) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Key != key) return static_cast<int>(i);
    return -1;
}

void FillLists(const DataTable& table, const MultipleRegressionResult& result, GraphModel& model) {
    if (!model.AnalyzedOnly) {
        for (int column = 0; column < DataColumnCount; ++column)
            if (!ColumnIsEmpty(table, column)) model.XItems.push_back(ColumnItem(table, column));
        model.YItems = model.XItems;
        return;
    }
    for (const RegressionVariable& variable : result.Variables) model.XItems.push_back(ColumnItem(table, variable.Column));
    if (result.Regression) {
        model.YItems = {ColumnItem(table, result.DependentColumn), {ResidualsKey, "Residuals"}};
    } else {
        model.YItems = model.XItems;
    }
}

// Looks the chosen keys up in the lists. A missing choice takes the first
// item that differs from the other; X and Y never show the same variable.
void SelectItems(const AnalysisChoices& choices, GraphModel& model) {
    int x = FindItem(model.XItems, choices.MRGraphX);
    int y = FindItem(model.YItems, choices.MRGraphY);
    if (x < 0 && y < 0) {
        x = model.XItems.empty() ? -1 : 0;
        y = model.YItems.size() > 1 ? 1 : -1;
    } else if (x < 0) {
        x = FirstOtherItem(model.XItems, model.YItems[static_cast<std::size_t>(y)].Key);
    } else if (y < 0) {
        y = FirstOtherItem(model.YItems, model.XItems[static_cast<std::size_t>(x)].Key);
    }
    if (x >= 0 && y >= 0 && model.XItems[static_cast<std::size_t>(x)].Key == model.YItems[static_cast<std::size_t>(y)].Key)
        y = FirstOtherItem(model.YItems, model.XItems[static_cast<std::size_t>(x)].Key);
    model.XIndex = x;
    model.YIndex = x >= 0 ? y : -1;
    if (model.YIndex < 0) model.XIndex = -1;
}

int KeyColumn(const std::string& key) { return key.size() == 1 && key[0] >= 'A' && key[0] <= 'Z' ? key[0] - 'A' : -1; }

void BuildMultipleRegressionGraph(DataDocument& document, GraphModel& model) {
    const DataTable& table = document.Table;
    MultipleRegressionResult result;
    model.ChartVisible = HasData(table) && GraphMultipleRegression(document, result);
    if (!model.ChartVisible) return;
    model.MultRegControlsVisible = true;
    model.LeftMargin = ManyBarsLeftMargin;
    model.RightMargin = ManyBarsRightMargin;
    FillLists(table, result, model);
    SelectItems(document.State.Choices, model);
    if (model.XIndex < 0) return;
    const GraphListItem& xItem = model.XItems[static_cast<std::size_t>(model.XIndex)];
    const GraphListItem& yItem = model.YItems[static_cast<std::size_t>(model.YIndex)];
    document.State.Choices.MRGraphX = xItem.Key;
    document.State.Choices.MRGraphY = yItem.Key;
    model.BottomAxisTitle = xItem.Text;
    model.LeftAxisTitle = yItem.Text;

    GraphSeries& points = model.Of(GraphSeriesId::Points);
    points.Active = true;
    const int xColumn = KeyColumn(xItem.Key);
    const int yColumn = KeyColumn(yItem.Key);
    auto add = [&](int row) {
        const long double x = CellValue(table, row, xColumn);
        const long double y = yItem.Key == ResidualsKey ? MultipleRegressionResidual(table, result, row)
                                                        : CellValue(table, row, yColumn);
        if (!IsMissing(x) && !IsMissing(y)) points.Points.push_back(Point(x, y, GraphBlue));
    };
    if (model.AnalyzedOnly) {
        if (RunGuarded([&] {
                for (int row : result.Rows) add(row);
            }) != 0)
            points.Points.clear();
    } else {
        for (int row = 0; row <= LastRowOf(table); ++row) add(row);
    }
}

}  // namespace

GraphModel::GraphModel() {
    auto set = [this](GraphSeriesId id, GraphSeriesKind kind, GraphColour colour) {
        GraphSeries& series = Of(id);
        series.Kind = kind;
        series.Colour = colour;
        if (kind == GraphSeriesKind::Bars || kind == GraphSeriesKind::ErrorBars) series.BarWidthPercent = 50;
        if (kind == GraphSeriesKind::Line) series.PenWidth = 2;
    };
    set(GraphSeriesId::ErrorBars, GraphSeriesKind::ErrorBars, GraphRed);
    set(GraphSeriesId::Bars1, GraphSeriesKind::Bars, GraphRed);
    set(GraphSeriesId::Bars2, GraphSeriesKind::Bars, GraphBlue);
    set(GraphSeriesId::Points, GraphSeriesKind::Points, GraphBlue);
    set(GraphSeriesId::Line, GraphSeriesKind::Line, GraphRed);
    set(GraphSeriesId::LowerCI, GraphSeriesKind::Line, GraphGreen);
    set(GraphSeriesId::UpperCI, GraphSeriesKind::Line, GraphGreen);
    Of(GraphSeriesId::LowerCI).Dotted = true;
    Of(GraphSeriesId::UpperCI).Dotted = true;
}

bool GraphModel::HasSeries() const {
    return std::any_of(Series.begin(), Series.end(), [](const GraphSeries& series) { return series.Active; });
}

bool DocumentHoldsNothing(const DataDocument& document) {
    if (!document.Table.DocumentTitle.empty() || HasData(document.Table)) return false;
    const TwoByTwoTable& t = document.TwoByTwo;
    if (!IsMissing(t.A) || !IsMissing(t.B) || !IsMissing(t.C) || !IsMissing(t.D)) return false;
    return std::none_of(document.Table.ColumnInfo.begin(), document.Table.ColumnInfo.end(),
                        [](const ColumnInfo& info) { return info.N > 0; });
}

RegressionLine GraphRegressionLine(const DataDocument& document) {
    RegressionLine line;
    const AnalysisChoices& c = document.State.Choices;
    if (document.State.Format != DataFormat::XYData || !c.FitRegression) return line;
    if (CountRegressionRows(document.Table) < 3) return line;
    RegressionOptions options;
    options.ForceThroughPoint = c.ForceThroughPoint;
    options.X0 = c.ForceX;
    options.Y0 = c.ForceY;
    LinearRegressionAnalysis a;
    line.Code = RunGuarded([&] { a = AnalyseLinearRegression(document.Table, options); });
    if (line.Code == 0) line.Code = a.Code;
    if (line.Code != 0) return line;
    line.Slope = a.Parameters.Slope;
    line.Intercept = a.Parameters.YIntercept;
    line.SlopeLower = a.Parameters.SlopeLower;
    line.SlopeUpper = a.Parameters.SlopeUpper;
    line.MeanX = a.Sums.MeanX + a.X0;
    line.Sxx = a.Sums.Sxx;
    line.SyX = a.SyX;
    line.RSquared = a.RSquared;
    line.N = a.Sums.N;
    return line;
}

bool GraphMultipleRegression(const DataDocument& document, MultipleRegressionResult& result) {
    const int code = RunGuarded([&] { result = ComputeMultipleRegression(document.Table, document.State.Choices); });
    return code == 0 && result.Message == MultipleRegressionMessage::None && !result.Variables.empty();
}

GraphModel BuildGraph(DataDocument& document, const GraphAnalysisRunner& runAnalysis) {
    GraphModel model;
    const DocumentState& state = document.State;
    model.ErrorBars = state.ErrorBars;
    model.ByColumns = state.GraphByColumns;
    model.AnalyzedOnly = state.Choices.GraphAnalyzedOnly;
    if (state.Format == DataFormat::TwoByTwo) document.State.ResultsStale = true;
    if (DocumentHoldsNothing(document)) return model;
    if (document.State.ResultsStale) {
        if (runAnalysis)
            runAnalysis(document);
        else
            RunAnalysis(document);
    }
    model.TitleLine1 = document.Table.DocumentTitle;
    switch (state.Format) {
        case DataFormat::RawData:
        case DataFormat::MeanSDN:
        case DataFormat::MeanSEMN:
            BuildColumnGraph(document, model);
            break;
        case DataFormat::TwoByTwo:
            BuildTwoByTwoGraph(document, model);
            break;
        case DataFormat::LargerTable:
            BuildLargerTableGraph(document, model);
            break;
        case DataFormat::XYData:
            BuildXYGraph(document, model);
            break;
        case DataFormat::MultRegData:
            BuildMultipleRegressionGraph(document, model);
            break;
    }
    return model;
}

}  // namespace vextal
