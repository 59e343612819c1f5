// The Graph step of a document window: the chart and the controls beside it
// (SD / SEM buttons, "Columns" / "Rows", the multiple-regression X and Y
// lists with "Analyzed data only"). Every control writes the document's
// setting and rebuilds the graph; nothing is kept between builds.
#pragma once

#include <QWidget>

#include "data/data_document.h"
#include "data/io_error.h"
#include "graphs/analysis_graph.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;
class QToolButton;
class TChartView;

class TGraphPage : public QWidget {
    Q_OBJECT

public:
    explicit TGraphPage(vextal::DataDocument& document, QWidget* parent = nullptr);

    /// Rebuilds the graph from the document (runs a stale analysis first).
    void refresh();

    /// How a stale analysis is run (the window shows its progress); by
    /// default RunAnalysis.
    void setAnalysisRunner(vextal::GraphAnalysisRunner runner) { m_runner = std::move(runner); }
    /// Where the "not possible to customize" message goes; by default a
    /// message box captioned "Corvanta Vextal".
    void setMessageHook(vextal::MessageSink sink) { m_message = std::move(sink); }

    TChartView* chartView() const { return m_chart; }
    const vextal::GraphModel& model() const { return m_model; }

    /// Edit > Copy on the Graph step.
    void copyGraph();
    /// File > Export on the Graph step: SVG, PNG or PDF by the extension.
    bool exportGraph(const QString& path, QString* error = nullptr);

signals:
    /// A control changed a setting of the document.
    void documentChanged();

private:
    void apply();
    void changed();
    void showNotCustomizable();

    vextal::DataDocument& m_document;
    vextal::GraphModel m_model;
    vextal::GraphAnalysisRunner m_runner;
    vextal::MessageSink m_message;
    bool m_applying = false;

    TChartView* m_chart;
    QWidget* m_errorBarGroup;
    QToolButton* m_sdButton;
    QToolButton* m_semButton;
    QWidget* m_rowColumnGroup;
    QRadioButton* m_columnsRadio;
    QRadioButton* m_rowsRadio;
    QWidget* m_multRegGroup;
    QLabel* m_xLabel;
    QLabel* m_yLabel;
    QComboBox* m_xList;
    QComboBox* m_yList;
    QCheckBox* m_analyzedOnly;
};
