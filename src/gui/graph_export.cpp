#include "gui/graph_export.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <QPageSize>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

#include "gui/TChartView.h"

namespace {

constexpr int ScreenDpi = 96;

QSizeF ChartSize(TChartView& view) {
    if (view.isVisible() && !view.chart()->size().isEmpty()) return view.chart()->size();
    if (view.layoutSize().isEmpty()) view.layoutChart(QSizeF(DefaultGraphSize));
    return view.layoutSize();
}

QByteArray SvgBytes(TChartView& view, const QSizeF& size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(size.toSize());
    svg.setViewBox(QRectF(QPointF(0, 0), size));
    svg.setResolution(ScreenDpi);
    svg.setTitle(QStringLiteral("Vextal graph"));
    QPainter painter(&svg);
    PaintChart(view, painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return bytes;
}

QImage Image(TChartView& view, const QSizeF& size) {
    QImage image(size.toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    PaintChart(view, painter, QRectF(QPointF(0, 0), size));
    painter.end();
    return image;
}

QByteArray PngBytes(TChartView& view, const QSizeF& size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Image(view, size).save(&buffer, "PNG");
    return bytes;
}

QByteArray PdfBytes(TChartView& view, const QSizeF& size) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setCreator(QStringLiteral("Vextal"));
        pdf.setResolution(ScreenDpi);
        // One page the size of the chart: pixels at 96 per inch in points.
        pdf.setPageSize(QPageSize(size * 72.0 / ScreenDpi, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        PaintChart(view, painter, QRectF(QPointF(0, 0), size));
    }
    return bytes;
}

}  // namespace

GraphFileKind GraphFileKindOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("svg")) return GraphFileKind::Svg;
    if (suffix == QLatin1String("png")) return GraphFileKind::Png;
    if (suffix == QLatin1String("pdf")) return GraphFileKind::Pdf;
    return GraphFileKind::Unknown;
}

QString GraphExportFilter() {
    return QStringLiteral("SVG picture (*.svg);;PNG image (*.png);;PDF document (*.pdf)");
}

void PaintChart(TChartView& view, QPainter& painter, const QRectF& target) {
    QChart* chart = view.chart();
    chart->scene()->render(&painter, target, chart->mapRectToScene(chart->rect()), Qt::IgnoreAspectRatio);
}

bool SaveChart(TChartView& view, const QString& path, QString* error) {
    const GraphFileKind kind = GraphFileKindOf(path);
    if (kind == GraphFileKind::Unknown) {
        if (error) *error = QStringLiteral("The file name must end in .svg, .png or .pdf.");
        return false;
    }
    const QSizeF size = ChartSize(view);
    const QByteArray bytes = kind == GraphFileKind::Svg   ? SvgBytes(view, size)
                             : kind == GraphFileKind::Png ? PngBytes(view, size)
                                                          : PdfBytes(view, size);
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) *error = bytes.isEmpty() ? QStringLiteral("The graph could not be drawn.") : file.errorString();
        return false;
    }
    return true;
}

bool SaveGraph(const vextal::GraphModel& model, const QString& path, const QSize& size, QString* error) {
    TChartView view;
    view.showGraph(model);
    view.layoutChart(QSizeF(size));
    return SaveChart(view, path, error);
}

QMimeData* ChartMimeData(TChartView& view) {
    const QSizeF size = ChartSize(view);
    auto* data = new QMimeData;
    data->setImageData(Image(view, size));
    data->setData(QStringLiteral("image/png"), PngBytes(view, size));
    data->setData(QStringLiteral("image/svg+xml"), SvgBytes(view, size));
    return data;
}

void CopyChart(TChartView& view) { QApplication::clipboard()->setMimeData(ChartMimeData(view)); }

QString AskGraphExportFile(QWidget* parent, QString& folder) {
    QString selected;
    const QString path = QFileDialog::getSaveFileName(parent, QStringLiteral("Export Graph"), folder,
                                                      GraphExportFilter(), &selected);
    if (path.isEmpty()) return path;
    folder = QFileInfo(path).absolutePath();
    if (GraphFileKindOf(path) != GraphFileKind::Unknown) return path;
    // No known extension typed: take the one of the chosen filter.
    if (selected.contains(QLatin1String("*.png"))) return path + QStringLiteral(".png");
    if (selected.contains(QLatin1String("*.pdf"))) return path + QStringLiteral(".pdf");
    return path + QStringLiteral(".svg");
}
