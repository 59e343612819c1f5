#include "gui/TChartView.h"

#include <QBarCategoryAxis>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsObject>
#include <QLineSeries>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QScatterSeries>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "gui/TErrorBarSeries.h"

using namespace vextal;

namespace {

// Model margins are given for a chart of this width; wider or narrower
// charts scale them, and together they never take more than half the width.
constexpr qreal ReferenceWidth = 640;
constexpr qreal MaxMarginShare = 0.5;
constexpr int TopMargin = 10;
constexpr int BottomMargin = 10;
constexpr int LegendGap = 24;
constexpr qreal PointSize = 7;

QColor ToQColor(GraphColour colour) { return QColor(colour.Red, colour.Green, colour.Blue); }
QString FromStd(const std::string& text) { return QString::fromStdString(text); }

bool Finite(long double value) { return std::isfinite(static_cast<double>(value)); }

// The legend under the plot: one swatch and text per visible line, side by side.
class LegendItem : public QGraphicsObject {
public:
    LegendItem(QChart* chart, std::array<GraphLegendEntry, 2> entries)
        : QGraphicsObject(chart), m_chart(chart), m_entries(std::move(entries)) {
        setZValue(1000);
        connect(chart, &QChart::plotAreaChanged, this, [this] {
            prepareGeometryChange();
            update();
        });
    }

    static qreal height(const QFont& font) { return QFontMetricsF(font).height() + 8; }

    QRectF boundingRect() const override { return m_chart->rect(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QFont font = m_chart->font();
        const QFontMetricsF metrics(font);
        const qreal swatch = metrics.height() * 0.8;
        const qreal lineSwatch = swatch * 2.5;
        qreal total = 0;
        for (const GraphLegendEntry& entry : m_entries)
            if (entry.Visible)
                total += (entry.LineSwatch ? lineSwatch : swatch) + 6 + metrics.horizontalAdvance(FromStd(entry.Text)) + LegendGap;
        total -= LegendGap;
        const QRectF area = m_chart->rect();
        qreal x = area.center().x() - total / 2;
        const qreal middle = area.bottom() - BottomMargin - height(font) / 2;
        painter->save();
        painter->setFont(font);
        for (const GraphLegendEntry& entry : m_entries) {
            if (!entry.Visible) continue;
            const QColor colour = ToQColor(entry.Colour);
            if (entry.LineSwatch) {
                QPen pen(colour, 2, entry.Dotted ? Qt::DotLine : Qt::SolidLine);
                painter->setPen(pen);
                painter->drawLine(QPointF(x, middle), QPointF(x + lineSwatch, middle));
                x += lineSwatch;
            } else {
                painter->setPen(Qt::black);
                painter->setBrush(colour);
                painter->drawRect(QRectF(x, middle - swatch / 2, swatch, swatch));
                x += swatch;
            }
            x += 6;
            const QString text = FromStd(entry.Text);
            painter->setPen(Qt::black);
            painter->drawText(QPointF(x, middle + metrics.ascent() / 2 - metrics.descent() / 2), text);
            x += metrics.horizontalAdvance(text) + LegendGap;
        }
        painter->restore();
    }

private:
    QChart* m_chart;
    std::array<GraphLegendEntry, 2> m_entries;
};

// The title above the plot: up to two centred lines over the chart's whole
// width (the chart's own title would be cut to the plot's width).
class TitleItem : public QGraphicsObject {
public:
    TitleItem(QChart* chart, QStringList lines) : QGraphicsObject(chart), m_chart(chart), m_lines(std::move(lines)) {
        setZValue(1000);
        connect(chart, &QChart::plotAreaChanged, this, [this] {
            prepareGeometryChange();
            update();
        });
    }

    static QFont titleFont(const QFont& base) {
        QFont font = base;
        font.setBold(true);
        font.setPointSizeF(base.pointSizeF() * 1.2);
        return font;
    }

    static qreal height(const QFont& base, int lines) { return QFontMetricsF(titleFont(base)).lineSpacing() * lines; }

    QRectF boundingRect() const override { return m_chart->rect(); }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override {
        const QFont font = titleFont(m_chart->font());
        const QFontMetricsF metrics(font);
        const QRectF area = m_chart->rect().adjusted(4, 0, -4, 0);
        painter->save();
        painter->setFont(font);
        painter->setPen(Qt::black);
        qreal top = area.top() + TopMargin;
        for (const QString& line : m_lines) {
            const QString shown = metrics.elidedText(line, Qt::ElideRight, area.width());
            painter->drawText(QRectF(area.left(), top, area.width(), metrics.lineSpacing()), Qt::AlignHCenter | Qt::AlignTop,
                              shown);
            top += metrics.lineSpacing();
        }
        painter->restore();
    }

private:
    QChart* m_chart;
    QStringList m_lines;
};

struct Range {
    qreal Low = std::numeric_limits<qreal>::infinity();
    qreal High = -std::numeric_limits<qreal>::infinity();
    void Add(qreal value) {
        if (!std::isfinite(value)) return;
        Low = std::min(Low, value);
        High = std::max(High, value);
    }
    bool Empty() const { return Low > High; }
};

// A round tick step (1, 2 or 5 times a power of ten) near span / 6.
qreal NiceStep(qreal span) {
    const qreal raw = span / 6;
    const qreal power = std::pow(10.0, std::floor(std::log10(raw)));
    for (qreal factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power * 1.0000001) return factor * power;
    return 10 * power;
}

// A value axis over `range` with ticks at round values. Bars start at zero;
// scatter plots keep a little room around the outermost points.
QValueAxis* ValueAxis(const Range& range, bool includeZero, bool grouped) {
    qreal low = range.Empty() ? 0 : range.Low;
    qreal high = range.Empty() ? 1 : range.High;
    if (includeZero) {
        low = std::min<qreal>(low, 0);
        high = std::max<qreal>(high, 0);
    }
    if (!(high > low)) {
        const qreal spread = low == 0 ? 1 : std::fabs(low) * 0.1;
        low -= spread;
        high += spread;
    }
    const qreal margin = (high - low) * 0.04;
    if (!includeZero || low < 0) low -= margin;
    if (!includeZero || high > 0) high += margin;
    qreal step = NiceStep(high - low);
    if (grouped) step = std::max<qreal>(step, 1);
    auto* axis = new QValueAxis;
    axis->setRange(low, high);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(std::floor(low / step) * step);
    axis->setTickInterval(step);
    const qreal largest = std::max(std::fabs(low), std::fabs(high));
    if (grouped || (step >= 1 && largest < 1e9))
        axis->setLabelFormat(QStringLiteral("%.0f"));
    else if (step >= 1e-6 && largest < 1e9)
        axis->setLabelFormat(QStringLiteral("%.") + QString::number(static_cast<int>(-std::floor(std::log10(step) + 1e-9))) +
                             QStringLiteral("f"));
    else
        axis->setLabelFormat(QStringLiteral("%.3g"));
    return axis;
}

// Category labels must be unique for the axis: a repeated label gets
// blanks on both sides, which keeps it centred under its bar.
QStringList UniqueLabels(const QStringList& labels) {
    QStringList unique;
    std::map<QString, int> seen;
    for (const QString& label : labels) {
        const int repeats = seen[label]++;
        const QString padding(repeats, QLatin1Char(' '));
        unique << padding + label + padding;
    }
    return unique;
}

}  // namespace

TChartView::TChartView(QWidget* parent) : QChartView(new QChart, parent) {
    setRenderHint(QPainter::Antialiasing);
    setRubberBand(QChartView::NoRubberBand);
    setDragMode(QGraphicsView::NoDrag);
    setBackgroundBrush(Qt::white);
    QChart* c = chart();
    c->legend()->hide();
    c->setAnimationOptions(QChart::NoAnimation);
    c->setBackgroundRoundness(0);
    c->setDropShadowEnabled(false);
    // Thousands separators on the contingency graphs' left axis.
    c->setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TChartView::clearChart() {
    QChart* c = chart();
    if (m_errorBars) m_errorBars->attachWhiskers(nullptr);
    m_errorBars = nullptr;
    delete m_legend;
    m_legend = nullptr;
    delete m_title;
    m_title = nullptr;
    c->removeAllSeries();
    for (QAbstractAxis* axis : c->axes()) {
        c->removeAxis(axis);
        delete axis;
    }
    c->setLocalizeNumbers(false);
}

void TChartView::showGraph(const GraphModel& model) {
    m_model = model;
    clearChart();
    QChart* c = chart();
    QStringList title;
    for (const std::string& line : {model.TitleLine1, model.TitleLine2})
        if (!line.empty()) title << FromStd(line);
    if (!title.isEmpty()) m_title = new TitleItem(c, title);

    const bool bars = model.Of(GraphSeriesId::ErrorBars).Active || model.Of(GraphSeriesId::Bars1).Active ||
                      model.Of(GraphSeriesId::Bars2).Active;
    if (bars)
        addBarGraph();
    else if (model.HasSeries())
        addValueGraph();

    if (std::any_of(model.Legend.begin(), model.Legend.end(), [](const GraphLegendEntry& e) { return e.Visible; }))
        m_legend = new LegendItem(c, model.Legend);
    applyMargins(c->size());
}

void TChartView::addBarGraph() {
    QChart* c = chart();
    // Categories run over every x from the smallest bar to the largest; an
    // x without a bar stays an empty gap.
    long double first = 0, last = -1;
    for (GraphSeriesId id : {GraphSeriesId::ErrorBars, GraphSeriesId::Bars1, GraphSeriesId::Bars2}) {
        const GraphSeries& series = m_model.Of(id);
        if (!series.Active) continue;
        for (const GraphPoint& point : series.Points) {
            if (last < first) first = last = point.X;
            first = std::min(first, point.X);
            last = std::max(last, point.X);
        }
    }
    const int count = last < first ? 0 : static_cast<int>(std::min<long double>(last - first, 2000)) + 1;
    QStringList labels;
    for (int i = 0; i < count; ++i) labels << QString();
    auto slot = [&](const GraphPoint& point) {
        const long double offset = point.X - first;
        return offset >= 0 && offset < count ? static_cast<int>(offset) : -1;
    };
    auto values = [&](const GraphSeries& series, QList<qreal>& y, QList<qreal>& errors) {
        y = QList<qreal>(count, 0);
        errors = QList<qreal>(count, 0);
        for (const GraphPoint& point : series.Points) {
            const int i = slot(point);
            if (i < 0 || !Finite(point.Y)) continue;
            y[i] = static_cast<qreal>(point.Y);
            errors[i] = Finite(point.Error) ? static_cast<qreal>(point.Error) : 0;
            if (labels[i].isEmpty()) labels[i] = FromStd(point.Label);
        }
    };

    Range range;
    QAbstractBarSeries* barSeries = nullptr;
    const GraphSeries& errorModel = m_model.Of(GraphSeriesId::ErrorBars);
    if (errorModel.Active) {
        QList<qreal> y, errors;
        values(errorModel, y, errors);
        m_errorBars = new TErrorBarSeries;
        m_errorBars->setBarWidth(errorModel.BarWidthPercent / 100.0);
        for (int i = 0; i < count; ++i) {
            m_errorBars->addPoint(y[i], errors[i], labels[i], ToQColor(errorModel.Colour));
            range.Add(y[i] >= 0 ? y[i] + errors[i] : y[i] - errors[i]);
            range.Add(y[i]);
        }
        barSeries = m_errorBars;
    } else {
        const GraphSeries& model1 = m_model.Of(GraphSeriesId::Bars1);
        const GraphSeries& model2 = m_model.Of(GraphSeriesId::Bars2);
        const bool stacked = model1.Stacked || model2.Stacked;
        if (stacked)
            barSeries = new QStackedBarSeries;
        else
            barSeries = new QBarSeries;
        barSeries->setBarWidth(model1.BarWidthPercent / 100.0);
        QList<qreal> positive(count, 0), negative(count, 0);
        for (const GraphSeries* series : {&model1, &model2}) {
            if (!series->Active) continue;
            QList<qreal> y, errors;
            values(*series, y, errors);
            auto* set = new QBarSet(QString());
            set->setColor(ToQColor(series->Colour));
            set->setPen(Qt::NoPen);
            set->append(y);
            barSeries->append(set);
            for (int i = 0; i < count; ++i) {
                if (stacked) {
                    (y[i] >= 0 ? positive[i] : negative[i]) += y[i];
                    range.Add(positive[i]);
                    range.Add(negative[i]);
                } else {
                    range.Add(y[i]);
                }
            }
        }
    }
    c->addSeries(barSeries);
    auto* bottom = new QBarCategoryAxis;
    bottom->append(UniqueLabels(labels));
    bottom->setTitleText(FromStd(m_model.BottomAxisTitle));
    c->addAxis(bottom, Qt::AlignBottom);
    barSeries->attachAxis(bottom);
    const bool grouped = m_model.LeftAxisFormat == GroupedIntegerFormat;
    c->setLocalizeNumbers(grouped);
    QValueAxis* left = ValueAxis(range, true, grouped);
    left->setTitleText(FromStd(m_model.LeftAxisTitle));
    c->addAxis(left, Qt::AlignLeft);
    barSeries->attachAxis(left);
    if (m_errorBars) m_errorBars->attachWhiskers(c);
}

void TChartView::addValueGraph() {
    QChart* c = chart();
    Range x, y;
    QList<QAbstractSeries*> added;
    const GraphSeries& points = m_model.Of(GraphSeriesId::Points);
    if (points.Active) {
        auto* scatter = new QScatterSeries;
        scatter->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        scatter->setMarkerSize(PointSize);
        scatter->setColor(ToQColor(points.Colour));
        scatter->setBorderColor(ToQColor(points.Colour));
        QList<QPointF> list;
        QList<std::pair<int, QColor>> recoloured;
        for (const GraphPoint& point : points.Points) {
            if (!Finite(point.X) || !Finite(point.Y)) continue;
            if (!(point.Colour == points.Colour)) recoloured.append({static_cast<int>(list.size()), ToQColor(point.Colour)});
            list.append(QPointF(static_cast<qreal>(point.X), static_cast<qreal>(point.Y)));
            x.Add(list.back().x());
            y.Add(list.back().y());
        }
        scatter->replace(list);
        for (const auto& [index, colour] : recoloured)
            scatter->setPointConfiguration(index, QXYSeries::PointConfiguration::Color, colour);
        added << scatter;
    }
    for (GraphSeriesId id : {GraphSeriesId::Line, GraphSeriesId::LowerCI, GraphSeriesId::UpperCI}) {
        const GraphSeries& model = m_model.Of(id);
        if (!model.Active) continue;
        auto* line = new QLineSeries;
        QPen pen(ToQColor(model.Colour), model.PenWidth, model.Dotted ? Qt::DotLine : Qt::SolidLine);
        line->setPen(pen);
        for (const GraphPoint& point : model.Points) {
            if (!Finite(point.X) || !Finite(point.Y)) continue;
            line->append(static_cast<qreal>(point.X), static_cast<qreal>(point.Y));
            x.Add(static_cast<qreal>(point.X));
            y.Add(static_cast<qreal>(point.Y));
        }
        added << line;
    }
    QValueAxis* bottom = ValueAxis(x, false, false);
    QValueAxis* left = ValueAxis(y, false, false);
    bottom->setTitleText(FromStd(m_model.BottomAxisTitle));
    left->setTitleText(FromStd(m_model.LeftAxisTitle));
    c->addAxis(bottom, Qt::AlignBottom);
    c->addAxis(left, Qt::AlignLeft);
    for (QAbstractSeries* series : added) {
        c->addSeries(series);
        series->attachAxis(bottom);
        series->attachAxis(left);
    }
}

void TChartView::applyMargins(const QSizeF& size) {
    const qreal width = size.width() > 0 ? size.width() : ReferenceWidth;
    qreal left = m_model.LeftMargin * width / ReferenceWidth;
    qreal right = m_model.RightMargin * width / ReferenceWidth;
    const qreal limit = width * MaxMarginShare;
    if (left + right > limit) {
        const qreal scale = limit / (left + right);
        left *= scale;
        right *= scale;
    }
    const int lines = static_cast<int>(!m_model.TitleLine1.empty()) + static_cast<int>(!m_model.TitleLine2.empty());
    const int top = TopMargin + static_cast<int>(std::ceil(TitleItem::height(chart()->font(), lines)));
    const int bottom = BottomMargin + (m_legend ? static_cast<int>(LegendItem::height(chart()->font())) : 0);
    chart()->setMargins(QMargins(qRound(left), top, qRound(right), bottom));
}

void TChartView::layoutChart(const QSizeF& size) {
    m_layoutSize = size;
    chart()->resize(size);
    applyMargins(size);
    chart()->layout()->activate();
}

QStringList TChartView::categoryLabels() const {
    for (QAbstractAxis* axis : chart()->axes(Qt::Horizontal))
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis)) return categories->categories();
    return {};
}

QStringList TChartView::legendTexts() const {
    QStringList texts;
    if (!m_legend) return texts;
    for (const GraphLegendEntry& entry : m_model.Legend)
        if (entry.Visible) texts << FromStd(entry.Text);
    return texts;
}

void TChartView::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    emit doubleClicked();
}

void TChartView::resizeEvent(QResizeEvent* event) {
    QChartView::resizeEvent(event);
    applyMargins(chart()->size());
}
