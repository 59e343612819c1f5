// The chart of the Graph step: draws a GraphModel with Qt Charts (bars,
// stacked bars, bars with error whiskers, points, lines), with its two-line
// title over the chart's width, axis titles, margins and its own legend
// under the plot. It offers
// no zooming, panning or editing; a double click is only reported.
#pragma once

#include <QChartView>

#include "graphs/graph_model.h"

class QGraphicsObject;
class TErrorBarSeries;

class TChartView : public QChartView {
    Q_OBJECT

public:
    explicit TChartView(QWidget* parent = nullptr);

    /// Removes the previous series and axes and draws `model`.
    void showGraph(const vextal::GraphModel& model);
    const vextal::GraphModel& graph() const { return m_model; }

    /// Lays the chart out at `size` without showing the view (for output to
    /// files and the clipboard).
    void layoutChart(const QSizeF& size);
    /// The size given to layoutChart, empty when none was.
    QSizeF layoutSize() const { return m_layoutSize; }

    /// The error-bar series when the graph uses it, else null.
    TErrorBarSeries* errorBarSeries() const { return m_errorBars; }
    /// Tick labels of the bottom axis of a bar graph, one per category.
    QStringList categoryLabels() const;
    /// Texts of the visible legend lines.
    QStringList legendTexts() const;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void clearChart();
    void addBarGraph();
    void addValueGraph();
    void applyMargins(const QSizeF& size);

    vextal::GraphModel m_model;
    TErrorBarSeries* m_errorBars = nullptr;
    QGraphicsObject* m_legend = nullptr;
    QGraphicsObject* m_title = nullptr;
    QSizeF m_layoutSize;
};
