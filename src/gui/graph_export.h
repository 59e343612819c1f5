// Output of the analysis graph: SVG, PNG or PDF files chosen by the file's
// extension, and the clipboard (PNG and SVG). Works without a display on
// the offscreen platform.
#pragma once

#include <QSize>
#include <QString>

#include "graphs/graph_model.h"

class QMimeData;
class QPainter;
class QRectF;
class QWidget;
class TChartView;

/// Size of a graph drawn without a window.
inline constexpr QSize DefaultGraphSize(800, 600);

enum class GraphFileKind { Unknown, Svg, Png, Pdf };

/// The kind a file name asks for, by its extension (any letter case).
GraphFileKind GraphFileKindOf(const QString& path);

/// Filter of the graph export dialog.
QString GraphExportFilter();

/// Draws the chart of `view` into `target` of `painter`.
void PaintChart(TChartView& view, QPainter& painter, const QRectF& target);

/// Writes the chart of `view` as shown (a view that is not shown, at the
/// size of its layoutChart or at DefaultGraphSize). The file is replaced only when the whole picture was
/// written; on failure `error` says why.
bool SaveChart(TChartView& view, const QString& path, QString* error = nullptr);

/// Draws `model` without a window at `size` and writes it like SaveChart.
bool SaveGraph(const vextal::GraphModel& model, const QString& path, const QSize& size = DefaultGraphSize,
               QString* error = nullptr);

/// The chart as clipboard data: an image (PNG) and "image/svg+xml".
QMimeData* ChartMimeData(TChartView& view);
/// Puts ChartMimeData on the system clipboard.
void CopyChart(TChartView& view);

/// Asks for the export file ("Export Graph", starting in `folder`); an empty
/// string when cancelled. `folder` takes the chosen file's folder.
QString AskGraphExportFile(QWidget* parent, QString& folder);
