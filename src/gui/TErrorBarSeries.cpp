#include "gui/TErrorBarSeries.h"

#include <QGraphicsObject>
#include <QPainter>

#include <cmath>

namespace {

// Draws the whiskers of one series above its bars, in chart coordinates.
class WhiskerItem : public QGraphicsObject {
public:
    WhiskerItem(TErrorBarSeries* series, QChart* chart) : QGraphicsObject(chart), m_series(series), m_chart(chart) {
        setZValue(1000);  // above the series
        connect(chart, &QChart::plotAreaChanged, this, [this] { refresh(); });
    }

    void refresh() {
        prepareGeometryChange();
        update();
    }

    QRectF boundingRect() const override { return m_chart ? m_chart->rect() : QRectF(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        if (!m_series || !m_chart) return;
        painter->save();
        painter->setPen(m_series->errorPen());
        painter->setClipRect(m_chart->plotArea().adjusted(-1, -1, 1, 1));
        for (int i = 0; i < m_series->count(); ++i) {
            QLineF line;
            qreal half = 0;
            if (!m_series->whiskerGeometry(i, line, half)) continue;
            painter->drawLine(line);
            painter->drawLine(QPointF(line.x2() - half, line.y2()), QPointF(line.x2() + half, line.y2()));
        }
        painter->restore();
    }

private:
    QPointer<TErrorBarSeries> m_series;
    QPointer<QChart> m_chart;
};

}  // namespace

TErrorBarSeries::TErrorBarSeries(QObject* parent) : QBarSeries(parent), m_set(new QBarSet(QString())) {
    append(m_set);
    m_errorPen = QPen(Qt::black, 1);
    m_errorPen.setCapStyle(Qt::FlatCap);
}

TErrorBarSeries::~TErrorBarSeries() {
    if (m_chart) delete m_whiskers;
}

void TErrorBarSeries::addPoint(qreal value, qreal error, const QString& label, const QColor& colour) {
    if (m_errors.isEmpty()) {
        m_set->setColor(colour);
        m_set->setPen(Qt::NoPen);  // an empty category must not show a stub
    }
    m_set->append(value);
    m_errors.append(std::fabs(error));
    m_labels.append(label);
    if (m_whiskers) m_whiskers->update();
}

void TErrorBarSeries::clearPoints() {
    m_set->remove(0, m_set->count());
    m_errors.clear();
    m_labels.clear();
    if (m_whiskers) m_whiskers->update();
}

qreal TErrorBarSeries::value(int index) const { return index >= 0 && index < m_set->count() ? m_set->at(index) : 0; }

void TErrorBarSeries::setErrorPen(const QPen& pen) {
    m_errorPen = pen;
    if (m_whiskers) m_whiskers->update();
}

void TErrorBarSeries::setErrorWidth(int width) {
    m_errorWidth = width;
    if (m_whiskers) m_whiskers->update();
}

void TErrorBarSeries::setErrorWidthUnits(ErrorWidthUnit units) {
    m_errorWidthUnits = units;
    if (m_whiskers) m_whiskers->update();
}

void TErrorBarSeries::attachWhiskers(QChart* chart) {
    if (m_chart) delete m_whiskers;
    m_chart = chart;
    m_whiskers = chart ? new WhiskerItem(this, chart) : nullptr;
}

bool TErrorBarSeries::whiskerGeometry(int index, QLineF& line, qreal& capHalfWidth) const {
    if (!m_chart || index < 0 || index >= count()) return false;
    const qreal error = m_errors[index];
    if (m_errorPen.style() == Qt::NoPen || error == 0 || !std::isfinite(error)) return false;
    const qreal y = value(index);
    // Bars stand on the axis origin: a whisker grows away from it.
    const qreal tip = y >= 0 ? y + error : y - error;
    const QPointF end = m_chart->mapToPosition(QPointF(index, y), const_cast<TErrorBarSeries*>(this));
    const QPointF top = m_chart->mapToPosition(QPointF(index, tip), const_cast<TErrorBarSeries*>(this));
    line = QLineF(end, top);
    if (m_errorWidthUnits == Pixels) {
        capHalfWidth = m_errorWidth / 2.0;
    } else {
        const qreal half = barWidth() / 2;
        const qreal left = m_chart->mapToPosition(QPointF(index - half, y), const_cast<TErrorBarSeries*>(this)).x();
        const qreal right = m_chart->mapToPosition(QPointF(index + half, y), const_cast<TErrorBarSeries*>(this)).x();
        capHalfWidth = (right - left) * m_errorWidth / 200.0;
    }
    return true;
}
