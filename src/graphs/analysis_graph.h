// The graph of a document, chosen by its data format: column means with SD
// or SEM whiskers, stacked two-by-two bars, contingency-table totals, XY
// points with the regression line and its confidence band, and the
// multiple-regression scatter. Everything is rebuilt from the document and
// its choices; the graph keeps no state of its own.
#pragma once

#include <functional>

#include "graphs/graph_model.h"
#include "stats/linear_regression.h"

namespace vextal {

struct DataDocument;
struct MultipleRegressionResult;

/// At most this many present Y values are met before the XY graph stops
/// adding points.
inline constexpr int MaxGraphXYValues = 5000;
/// Positions along X at which the confidence band of the line is drawn.
inline constexpr int ConfidenceBandPositions = 101;

inline constexpr const char* NotCustomizableMessage =
    "It is not possible to customize Vextal's graphs. If you wish to make publication quality graphs, please "
    "ask about Corvanta Pexil.";

/// Runs the document's analysis (the window shows its progress meanwhile).
using GraphAnalysisRunner = std::function<void(DataDocument&)>;

/// True when the document holds no value, no typed summary, no two-by-two
/// count and no title.
bool DocumentHoldsNothing(const DataDocument& document);

/// Builds the graph. Two-by-two results are marked stale first; stale
/// results are brought up to date through `runAnalysis` (RunAnalysis when
/// empty) unless the document holds nothing. The multiple-regression X and Y
/// choices are set to the variables actually shown.
GraphModel BuildGraph(DataDocument& document, const GraphAnalysisRunner& runAnalysis = {});

/// The regression line of an XY document as its analysis computes it; the
/// slope is missing when a correlation is chosen or the fit fails.
RegressionLine GraphRegressionLine(const DataDocument& document);

/// The multiple-regression analysis of a document, computed in the fault
/// guard; false when it failed or kept no variable in its model.
bool GraphMultipleRegression(const DataDocument& document, MultipleRegressionResult& result);

}  // namespace vextal
