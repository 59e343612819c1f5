// The analysis graph of a document as plain data: which series are drawn,
// with which points, labels, colours and titles, and which controls show
// beside the chart. The chart widget draws exactly what a GraphModel holds
// and computes nothing of its own, so the graph can be checked as data.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "workflow/analysis_choices.h"

namespace vextal {

struct GraphColour {
    unsigned char Red = 0;
    unsigned char Green = 0;
    unsigned char Blue = 0;
    bool operator==(const GraphColour&) const = default;
};

inline constexpr GraphColour GraphRed{255, 0, 0};
inline constexpr GraphColour GraphBlue{0, 0, 255};
inline constexpr GraphColour GraphBlack{0, 0, 0};
inline constexpr GraphColour GraphGreen{0, 128, 0};

/// The fixed series of the graph page, in drawing order.
enum class GraphSeriesId : int { ErrorBars, Bars1, Bars2, Points, Line, LowerCI, UpperCI };
inline constexpr int GraphSeriesCount = 7;

enum class GraphSeriesKind { ErrorBars, Bars, Points, Line };

struct GraphPoint {
    long double X = 0;
    long double Y = 0;
    long double Error = 0;  // error-bar series: whisker length, never negative
    std::string Label;      // tick label under a bar
    GraphColour Colour;
};

struct GraphSeries {
    GraphSeriesKind Kind = GraphSeriesKind::Points;
    bool Active = false;
    GraphColour Colour;
    int BarWidthPercent = 0;  // bars: width as percent of the space of one bar
    bool Stacked = false;     // bars: stacked with the other stacked bar series
    int PenWidth = 1;         // lines
    bool Dotted = false;      // lines
    std::vector<GraphPoint> Points;
};

/// One line of the legend beside the chart: a colour swatch and a text.
struct GraphLegendEntry {
    bool Visible = false;
    GraphColour Colour;
    bool LineSwatch = false;  // a short line instead of a filled box
    bool Dotted = false;
    std::string Text;
};

enum class GraphAxisLabels { Values, PointLabels };

/// An entry of the multiple-regression X or Y list. Key is the column
/// letter, or "*" for the residuals.
struct GraphListItem {
    std::string Key;
    std::string Text;
    bool operator==(const GraphListItem&) const = default;
};

inline constexpr const char* ResidualsKey = "*";

/// Left axis format of the contingency graphs: whole numbers with thousands separators.
inline constexpr const char* GroupedIntegerFormat = "###,###,###";

struct GraphModel {
    GraphModel();

    bool ChartVisible = true;
    std::string TitleLine1;  // the document title
    std::string TitleLine2;
    std::string BottomAxisTitle;
    std::string LeftAxisTitle;
    GraphAxisLabels BottomAxisLabels = GraphAxisLabels::Values;
    std::string LeftAxisFormat;  // "" plain values, or GroupedIntegerFormat
    int LeftMargin = 0;          // chart margins, in pixels of a chart 640 pixels wide
    int RightMargin = 0;
    std::array<GraphSeries, GraphSeriesCount> Series;
    std::array<GraphLegendEntry, 2> Legend;

    // The controls beside the chart and the values they show.
    bool ErrorBarButtonsVisible = false;
    ErrorBarKind ErrorBars = ErrorBarKind::SD;
    bool RowColumnGroupVisible = false;
    bool ByColumns = true;
    bool MultRegControlsVisible = false;
    bool AnalyzedOnly = true;
    std::vector<GraphListItem> XItems;
    std::vector<GraphListItem> YItems;
    int XIndex = -1;  // selected items, -1 for none
    int YIndex = -1;

    GraphSeries& Of(GraphSeriesId id) { return Series[static_cast<std::size_t>(id)]; }
    const GraphSeries& Of(GraphSeriesId id) const { return Series[static_cast<std::size_t>(id)]; }
    /// True when any series is active.
    bool HasSeries() const;
};

}  // namespace vextal
