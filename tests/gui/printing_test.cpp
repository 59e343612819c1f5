#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QGraphicsView>
#include <QLabel>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include "data/data_document.h"
#include "gui/printing.h"
#include "report/report_writer.h"
#include "report/text_pages.h"

namespace {

// A printer writing a PDF file in a folder of its own.
struct PdfOutput {
    PdfOutput() : printer(QPrinter::HighResolution) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(path());
    }
    QString path() const { return folder.filePath(QStringLiteral("out.pdf")); }
    QByteArray bytes() const {
        QFile file(path());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    int pages() const {
        const QByteArray pdf = bytes();
        int count = 0;
        for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
            if (pdf.mid(at + 11, 1) != "s") ++count;
        return count;
    }
    QTemporaryDir folder;
    QPrinter printer;
};

std::string reportOfLines(int lines) {
    vextal::ReportWriter report;
    report.new_line();
    report.toggle_underline();
    report.write_line(vextal::centred("Unpaired t test", 65));
    report.toggle_underline();
    for (int i = 0; i < lines; ++i) {
        report.toggle_bold();
        report.write_text("Line ");
        report.toggle_bold();
        report.write_integer(i);
        report.write_line(" \xC2\xB5g/ml");
    }
    report.write_closing();
    return report.Text();
}

}  // namespace

TEST(Printing, TheReportPrintsToAPdfFileWithoutADisplay) {
    PdfOutput shortReport;
    ASSERT_TRUE(printReport(shortReport.printer, reportOfLines(10), QStringLiteral("DATASET1.VXD")));
    const QByteArray pdf = shortReport.bytes();
    EXPECT_TRUE(pdf.startsWith("%PDF"));
    EXPECT_GT(pdf.size(), 2000);
    EXPECT_EQ(1, shortReport.pages());

    // A report longer than a page goes on over as many pages as it needs.
    PdfOutput longReport;
    ASSERT_TRUE(printReport(longReport.printer, reportOfLines(300), QStringLiteral("DATASET1.VXD")));
    EXPECT_GE(longReport.pages(), 4);
    EXPECT_LE(longReport.pages(), 8);

    // A printer that cannot start says so instead of printing nothing quietly.
    QPrinter nowhere(QPrinter::HighResolution);
    nowhere.setOutputFormat(QPrinter::PdfFormat);
    nowhere.setOutputFileName(QStringLiteral("/nonexistent-folder/out.pdf"));
    EXPECT_FALSE(printReport(nowhere, reportOfLines(3), QString()));
}

TEST(Printing, EveryPartPrintsFromItsSource) {
    vextal::DataDocument document = vextal::NewDocument();
    for (int column = 0; column < vextal::DataColumnCount; ++column)
        for (int row = 0; row < 5; ++row) vextal::SetValue(document.Table, row, column, row * 1.5L + column);
    document.ResultReport = reportOfLines(5);
    document.NotesText = "A note\r\n" + std::string(300, 'n') + "\r\nlast";
    QLabel graph(QStringLiteral("graph"));
    graph.resize(400, 300);
    QPixmap picture(400, 300);
    picture.fill(Qt::blue);

    const PrintSource source{&document, QStringLiteral("DATASET1.VXD"), nullptr, picture};
    for (PrintPart part : {PrintPart::Data, PrintPart::Stats, PrintPart::Results, PrintPart::Graph, PrintPart::Notes}) {
        PdfOutput output;
        EXPECT_TRUE(printPart(output.printer, part, source)) << printPartCaption(part).toStdString();
        EXPECT_TRUE(output.bytes().startsWith("%PDF")) << printPartCaption(part).toStdString();
        EXPECT_GE(output.pages(), 1);
    }
    // A chart (a graphics view) and any other widget print as the graph.
    QGraphicsScene scene;
    scene.addRect(0, 0, 100, 50, QPen(Qt::red));
    scene.addText(QStringLiteral("chart"));
    QGraphicsView chart(&scene);
    chart.resize(400, 300);
    for (QWidget* widget : {static_cast<QWidget*>(&chart), static_cast<QWidget*>(&graph)}) {
        PdfOutput output;
        EXPECT_TRUE(printPart(output.printer, PrintPart::Graph, PrintSource{nullptr, QString(), widget, {}}));
        EXPECT_EQ(1, output.pages());
    }

    // Twenty-six columns do not fit across a page: they print in bands.
    PdfOutput wide;
    ASSERT_TRUE(printPart(wide.printer, PrintPart::Data, source));
    EXPECT_GE(wide.pages(), 2);

    PdfOutput nothing;
    EXPECT_FALSE(printPart(nothing.printer, PrintPart::Results, PrintSource{}));
    EXPECT_FALSE(printPart(nothing.printer, PrintPart::Graph, PrintSource{}));

}

TEST(Printing, ThePreviewPaintsThePagesAndCloses) {
    int paints = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (QWidget* preview = QApplication::activeModalWidget()) preview->close();
    });
    closer.start(50);
    showPrintPreview(
        nullptr,
        [&](QPrinter& printer) {
            ++paints;
            return printReport(printer, reportOfLines(3), QStringLiteral("preview"));
        },
        QStringLiteral("Print Results"));
    EXPECT_GE(paints, 1);
}
