#include "gui/printing.h"

#include <QFontMetricsF>
#include <QGraphicsView>
#include <QImage>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QWidget>

#include <algorithm>
#include <memory>

#include "data/data_document.h"
#include "gui/TResultsViewer.h"
#include "report/report_lines.h"
#include "report/text_pages.h"

namespace {

QString fromStd(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

constexpr qreal SmallestReportPointSize = 5;

// One print job: begins painting, draws the header of every page and knows
// how many lines and columns of the body font a page holds.
class PageWriter {
public:
    PageWriter(QPrinter& printer, QString title, QString partName)
        : m_printer(printer), m_title(std::move(title)), m_partName(std::move(partName)) {}

    bool begin() {
        if (!m_painter.begin(&m_printer)) return false;
        m_headerFont = reportFont();
        m_headerFont.setPointSizeF(9);
        setBodyFont(reportFont());
        return true;
    }

    void setBodyFont(const QFont& font) {
        m_bodyFont = font;
        const QFontMetricsF body(font, &m_printer);
        m_charWidth = body.horizontalAdvance(QLatin1Char('0'));
        m_lineHeight = body.lineSpacing();
        m_ascent = body.ascent();
        const QFontMetricsF header(m_headerFont, &m_printer);
        m_bodyTop = header.lineSpacing() * 2;
    }

    // Columns of the body font that fit across a page at 10 points.
    int columns() const { return std::max(1, static_cast<int>(m_printer.width() / m_charWidth)); }
    int lines() const { return std::max(1, static_cast<int>((m_printer.height() - m_bodyTop) / m_lineHeight)); }
    qreal charWidth() const { return m_charWidth; }
    qreal lineHeight() const { return m_lineHeight; }
    const QFont& bodyFont() const { return m_bodyFont; }
    QPainter& painter() { return m_painter; }
    QRectF body() const { return {0, m_bodyTop, qreal(m_printer.width()), m_printer.height() - m_bodyTop}; }
    // Baseline of body line `index` on the current page.
    qreal baseline(int index) const { return m_bodyTop + index * m_lineHeight + m_ascent; }

    void newPage() {
        if (m_page > 0) m_printer.newPage();
        ++m_page;
        const QFontMetricsF header(m_headerFont, &m_printer);
        m_painter.setFont(m_headerFont);
        m_painter.setPen(Qt::black);
        const qreal width = m_printer.width();
        const QString right = QStringLiteral("%1   Page %2").arg(m_partName).arg(m_page);
        m_painter.drawText(QPointF(0, header.ascent()), header.elidedText(m_title, Qt::ElideMiddle, width * 0.6));
        m_painter.drawText(QPointF(width - header.horizontalAdvance(right), header.ascent()), right);
        const qreal ruleY = header.lineSpacing() * 1.3;
        m_painter.drawLine(QPointF(0, ruleY), QPointF(width, ruleY));
        m_painter.setFont(m_bodyFont);
    }

    void drawLines(const std::vector<std::string>& page) {
        newPage();
        for (std::size_t i = 0; i < page.size(); ++i)
            m_painter.drawText(QPointF(0, baseline(static_cast<int>(i))), fromStd(page[i]));
    }

    bool end() { return m_painter.end(); }

private:
    QPrinter& m_printer;
    QPainter m_painter;
    QString m_title;
    QString m_partName;
    QFont m_headerFont;
    QFont m_bodyFont;
    qreal m_charWidth = 1;
    qreal m_lineHeight = 1;
    qreal m_ascent = 1;
    qreal m_bodyTop = 0;
    int m_page = 0;
};

// Cuts a line into pieces of at most `width` characters, at the last blank
// of a piece when it has one (that blank is dropped).
std::vector<QString> wrapped(const QString& line, int width) {
    std::vector<QString> pieces;
    std::u32string codes = line.toStdU32String();
    const std::size_t room = static_cast<std::size_t>(std::max(1, width));
    while (codes.size() > room) {
        std::size_t cut = codes.rfind(U' ', room);
        std::size_t next = cut + 1;
        if (cut == std::u32string::npos || cut == 0) cut = next = room;
        pieces.push_back(QString::fromStdU32String(codes.substr(0, cut)));
        codes.erase(0, next);
    }
    pieces.push_back(QString::fromStdU32String(codes));
    return pieces;
}

QString partName(PrintPart part) {
    switch (part) {
    case PrintPart::Data: return QStringLiteral("Data");
    case PrintPart::Stats: return QStringLiteral("Column statistics");
    case PrintPart::Results: return QStringLiteral("Results");
    case PrintPart::Graph: return QStringLiteral("Graph");
    case PrintPart::Notes: return QStringLiteral("Notes");
    }
    return {};
}

}  // namespace

QString printPartCaption(PrintPart part) {
    switch (part) {
    case PrintPart::Data: return QStringLiteral("Print Data");
    case PrintPart::Stats: return QStringLiteral("Print Stats");
    case PrintPart::Results: return QStringLiteral("Print Results");
    case PrintPart::Graph: return QStringLiteral("Print Graph");
    case PrintPart::Notes: return QStringLiteral("Print");
    }
    return {};
}

bool printReport(QPrinter& printer, const std::string& withMarkers, const QString& title) {
    PageWriter writer(printer, title, partName(PrintPart::Results));
    if (!writer.begin()) return false;
    const vextal::ReportLines lines(withMarkers);
    if (lines.LongestLine() > writer.columns()) {
        QFont smaller = writer.bodyFont();
        smaller.setPointSizeF(std::max(SmallestReportPointSize,
                                       smaller.pointSizeF() * writer.columns() / lines.LongestLine()));
        writer.setBodyFont(smaller);
    }
    const ReportLineFonts fonts(writer.bodyFont());
    const int perPage = writer.lines();
    for (int first = 0; first == 0 || first < lines.Count(); first += perPage) {
        writer.newPage();
        writer.painter().setPen(Qt::black);
        for (int index = first; index < lines.Count() && index < first + perPage; ++index)
            drawReportLine(writer.painter(), *lines.Line(index), fonts, 0, writer.baseline(index - first),
                           writer.charWidth(), writer.lineHeight());
    }
    return writer.end();
}

bool printPlainText(QPrinter& printer, const QString& text, const QString& title, const QString& partName) {
    PageWriter writer(printer, title, partName);
    if (!writer.begin()) return false;
    std::vector<std::string> lines;
    QString flat = text;
    flat.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& line : flat.split(QLatin1Char('\n')))
        for (const QString& piece : wrapped(line, writer.columns())) lines.push_back(piece.toStdString());
    const std::vector<vextal::TextPage> pages = vextal::LinePages(lines, writer.lines());
    if (pages.empty()) writer.newPage();
    for (const vextal::TextPage& page : pages) writer.drawLines(page);
    return writer.end();
}

bool printTable(QPrinter& printer, const vextal::TextTable& table, const QString& title, const QString& partName) {
    PageWriter writer(printer, title, partName);
    if (!writer.begin()) return false;
    const std::vector<vextal::TextPage> pages = vextal::TablePages(table, writer.columns(), writer.lines());
    if (pages.empty()) writer.newPage();
    for (const vextal::TextPage& page : pages) writer.drawLines(page);
    return writer.end();
}

namespace {

// Scale and place of a picture of `size` inside the page body.
QRectF fitted(const QSizeF& size, const QRectF& body) {
    if (size.isEmpty()) return {};
    const qreal scale = std::min(body.width() / size.width(), body.height() / size.height());
    const QSizeF shown = size * scale;
    return {body.left() + (body.width() - shown.width()) / 2, body.top(), shown.width(), shown.height()};
}

}  // namespace

bool printWidget(QPrinter& printer, QWidget* widget, const QString& title) {
    if (widget == nullptr) return false;
    PageWriter writer(printer, title, partName(PrintPart::Graph));
    if (!writer.begin()) return false;
    writer.newPage();
    const QRectF target = fitted(widget->size(), writer.body());
    if (!target.isEmpty()) {
        QPainter& painter = writer.painter();
        if (auto* view = qobject_cast<QGraphicsView*>(widget)) {
            // A chart is a scene: it prints as lines and text at the printer's resolution.
            view->render(&painter, target, view->viewport()->rect());
        } else {
            // Other widgets go through a picture a few times finer than the screen.
            constexpr int Fineness = 4;
            QImage image(widget->size() * Fineness, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::white);
            QPainter picture(&image);
            picture.scale(Fineness, Fineness);
            widget->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
            picture.end();
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            painter.drawImage(target, image);
        }
    }
    return writer.end();
}

bool printPicture(QPrinter& printer, const QPixmap& picture, const QString& title) {
    if (picture.isNull()) return false;
    PageWriter writer(printer, title, partName(PrintPart::Graph));
    if (!writer.begin()) return false;
    writer.newPage();
    writer.painter().setRenderHint(QPainter::SmoothPixmapTransform);
    writer.painter().drawPixmap(fitted(picture.size(), writer.body()), picture, picture.rect());
    return writer.end();
}

bool printPart(QPrinter& printer, PrintPart part, const PrintSource& source) {
    if (part == PrintPart::Graph)
        return source.graph != nullptr ? printWidget(printer, source.graph, source.title)
                                       : printPicture(printer, source.graphPicture, source.title);
    if (source.document == nullptr) return false;
    const vextal::DataDocument& document = *source.document;
    switch (part) {
    case PrintPart::Data:
        return printTable(printer, vextal::DataTableText(document), source.title, partName(part));
    case PrintPart::Stats:
        return printTable(printer, vextal::StatsTableText(document), source.title, partName(part));
    case PrintPart::Results: return printReport(printer, document.ResultReport, source.title);
    case PrintPart::Notes:
        return printPlainText(printer, fromStd(vextal::NotesForEditor(document.NotesText)), source.title,
                              partName(part));
    case PrintPart::Graph: break;
    }
    return false;
}

QPrinter& programPrinter() {
    static std::unique_ptr<QPrinter> printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer;
}

void printerSetup(QWidget* parent) {
    QPageSetupDialog dialog(&programPrinter(), parent);
    dialog.exec();
}

void showPrintPreview(QWidget* parent, const PrintFunction& print, const QString& windowTitle) {
    QPrintPreviewDialog preview(&programPrinter(), parent);
    preview.setWindowTitle(windowTitle);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&print](QPrinter* printer) { print(*printer); });
    preview.exec();
}

bool printWithDialog(QWidget* parent, const PrintFunction& print, const vextal::MessageSink& sink) {
    QPrintDialog dialog(&programPrinter(), parent);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (print(programPrinter())) return true;
    if (sink) sink(vextal::ProgramCaption, PrintFailedMessage);
    return false;
}
