// A bar series whose bars carry an error whisker: a vertical line from the
// bar's end (its top, or its bottom for a value below the axis origin) to
// value + error (value - error), with a horizontal cap centred on that end.
// Bars are drawn by the chart as usual; the whiskers by an item of the chart
// that follows the plot area.
#pragma once

#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QList>
#include <QPen>
#include <QPointer>
#include <QStringList>

class QGraphicsItem;

class TErrorBarSeries : public QBarSeries {
    Q_OBJECT

public:
    enum ErrorWidthUnit { PercentOfBar = 0, Pixels = 1 };

    explicit TErrorBarSeries(QObject* parent = nullptr);
    ~TErrorBarSeries() override;

    /// Appends a bar in the next category: its value, its error (whisker
    /// length, 0 for none), its tick label and its colour.
    void addPoint(qreal value, qreal error, const QString& label, const QColor& colour);
    void clearPoints();

    int count() const { return m_errors.size(); }
    qreal value(int index) const;
    qreal error(int index) const { return m_errors.value(index); }
    /// The errors, in bar order ("StdError").
    const QList<qreal>& errors() const { return m_errors; }
    const QStringList& labels() const { return m_labels; }
    QBarSet* bars() const { return m_set; }

    const QPen& errorPen() const { return m_errorPen; }
    void setErrorPen(const QPen& pen);
    /// Cap width: percent of the bar's width (default 100) or pixels.
    int errorWidth() const { return m_errorWidth; }
    void setErrorWidth(int width);
    ErrorWidthUnit errorWidthUnits() const { return m_errorWidthUnits; }
    void setErrorWidthUnits(ErrorWidthUnit units);

    /// Creates the whisker item on `chart`; call after chart->addSeries(this)
    /// and after the axes are attached.
    void attachWhiskers(QChart* chart);

    /// Whisker of bar `index` in chart coordinates: the line from the bar's
    /// end to its tip, and the cap's half width. False when none is drawn.
    bool whiskerGeometry(int index, QLineF& line, qreal& capHalfWidth) const;

private:
    QBarSet* m_set;
    QList<qreal> m_errors;
    QStringList m_labels;
    QPen m_errorPen;
    int m_errorWidth = 100;
    ErrorWidthUnit m_errorWidthUnits = PercentOfBar;
    QPointer<QChart> m_chart;
    QGraphicsItem* m_whiskers = nullptr;
};
