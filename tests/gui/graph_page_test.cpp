#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include "data/document_file.h"
#include "graphs/analysis_graph.h"
#include "gui/TChartView.h"
#include "gui/TErrorBarSeries.h"
#include "gui/TGraphPage.h"
#include "gui/graph_export.h"

using namespace vextal;

namespace {

DataDocument LoadExample(const char* name) {
    const QString path =
        QDir(QStringLiteral(VEXTAL_EXAMPLES_DIR)).absoluteFilePath(QLatin1String(name));
    DataDocument document = NewDocument();
    const LoadResult result = OpenDocumentFile(document, path.toStdString(), NumberSettings{},
                                               [](const std::string&, const std::string& text) { ADD_FAILURE() << text; });
    EXPECT_TRUE(result.Loaded) << name;
    return document;
}

QByteArray ReadFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QToolButton* Button(QWidget& page, const QString& text) {
    for (QToolButton* button : page.findChildren<QToolButton*>())
        if (button->text() == text) return button;
    return nullptr;
}

QRadioButton* Radio(QWidget& page, const QString& text) {
    for (QRadioButton* radio : page.findChildren<QRadioButton*>())
        if (radio->text() == text) return radio;
    return nullptr;
}

}  // namespace

TEST(GraphExport, EveryExampleToSvgPngAndPdf) {
    QTemporaryDir folder;
    for (const char* name : {"raw_data.vxd", "mean_sd_n.vxd", "mean_sem_n.vxd", "two_by_two.vxd", "contingency.vxd",
                             "xy_standard_curve.vxd", "multiple_regression.vxd"}) {
        DataDocument document = LoadExample(name);
        const GraphModel model = BuildGraph(document);
        ASSERT_TRUE(model.ChartVisible && model.HasSeries()) << name;
        const QString title = QString::fromStdString(model.TitleLine1).toHtmlEscaped();
        for (const char* extension : {"svg", "png", "pdf"}) {
            const QString path = folder.filePath(QStringLiteral("%1.%2").arg(QLatin1String(name), QLatin1String(extension)));
            QString error;
            ASSERT_TRUE(SaveGraph(model, path, QSize(640, 480), &error)) << name << " " << error.toStdString();
            const QByteArray bytes = ReadFile(path);
            EXPECT_GT(bytes.size(), 4000) << path.toStdString();
            if (QLatin1String(extension) == QLatin1String("svg")) {
                EXPECT_TRUE(bytes.contains("<svg"));
                EXPECT_TRUE(bytes.contains(title.toUtf8())) << "title kept as text in " << name;
            } else if (QLatin1String(extension) == QLatin1String("png")) {
                const QImage image = QImage::fromData(bytes, "PNG");
                EXPECT_EQ(QSize(640, 480), image.size());
                // Red bars or blue points cover part of the picture.
                int coloured = 0;
                for (int y = 0; y < image.height(); y += 4)
                    for (int x = 0; x < image.width(); x += 4) {
                        const QColor c = image.pixelColor(x, y);
                        if ((c.red() > 200 && c.green() < 60) || (c.blue() > 200 && c.red() < 60)) ++coloured;
                    }
                EXPECT_GT(coloured, 20) << name;
            } else {
                EXPECT_TRUE(bytes.startsWith("%PDF"));
            }
        }
    }
    QString error;
    EXPECT_FALSE(SaveGraph(GraphModel{}, folder.filePath(QStringLiteral("graph.wmf")), DefaultGraphSize, &error));
    EXPECT_FALSE(SaveGraph(GraphModel{}, QStringLiteral("/nonexistent/folder/graph.png"), DefaultGraphSize, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(GraphExport, GroupedAxisLabelsAndClipboard) {
    DataDocument document = NewDocument();
    document.State.Format = DataFormat::TwoByTwo;
    document.TwoByTwo.A = 12000, document.TwoByTwo.B = 3000, document.TwoByTwo.C = 8000, document.TwoByTwo.D = 500;
    TChartView view;
    view.showGraph(BuildGraph(document));
    view.layoutChart(QSizeF(640, 480));
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("counts.svg"));
    ASSERT_TRUE(SaveChart(view, path));
    EXPECT_TRUE(ReadFile(path).contains("10,000")) << "thousands separated on the left axis";
    EXPECT_EQ((QStringList{QStringLiteral("Column A"), QStringLiteral("Column B")}), view.categoryLabels());
    EXPECT_EQ((QStringList{QStringLiteral("Top row "), QStringLiteral("Bottom row")}), view.legendTexts());

    CopyChart(view);
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(nullptr, data);
    EXPECT_TRUE(data->data(QStringLiteral("image/svg+xml")).contains("<svg"));
    EXPECT_TRUE(data->data(QStringLiteral("image/png")).startsWith("\x89PNG"));
    EXPECT_FALSE(qvariant_cast<QImage>(data->imageData()).isNull());
}

TEST(ErrorBarSeries, WhiskersGrowAwayFromTheOriginWithTheirCaps) {
    GraphModel model;
    model.Of(GraphSeriesId::ErrorBars).Active = true;
    GraphPoint up, down;
    up.X = 1, up.Y = 10, up.Error = 2, up.Label = "B";
    down.X = 3, down.Y = -5, down.Error = 1, down.Label = "D";
    model.Of(GraphSeriesId::ErrorBars).Points = {up, down};
    TChartView view;
    view.showGraph(model);
    view.layoutChart(QSizeF(640, 480));
    EXPECT_EQ((QStringList{QStringLiteral("B"), QString(), QStringLiteral("D")}), view.categoryLabels())
        << "the column between the bars stays an empty gap";
    TErrorBarSeries* series = view.errorBarSeries();
    ASSERT_NE(nullptr, series);
    ASSERT_EQ(3, series->count());
    EXPECT_EQ(0, series->error(1));

    QLineF line;
    qreal half = 0;
    ASSERT_TRUE(series->whiskerGeometry(0, line, half));
    EXPECT_LT(line.y2(), line.y1()) << "above the origin the whisker goes up";
    EXPECT_NEAR(line.x1(), line.x2(), 1e-9);
    const qreal barHalfWidth = half;
    ASSERT_TRUE(series->whiskerGeometry(2, line, half));
    EXPECT_GT(line.y2(), line.y1()) << "below the origin it goes down";
    EXPECT_FALSE(series->whiskerGeometry(1, line, half)) << "no whisker for an error of 0";

    series->setErrorWidth(50);
    series->whiskerGeometry(0, line, half);
    EXPECT_NEAR(barHalfWidth / 2, half, 1e-6);
    series->setErrorWidthUnits(TErrorBarSeries::Pixels);
    series->setErrorWidth(10);
    series->whiskerGeometry(0, line, half);
    EXPECT_EQ(5, half);
    series->setErrorPen(Qt::NoPen);
    EXPECT_FALSE(series->whiskerGeometry(0, line, half));
}

TEST(GraphPage, ControlsFollowTheFormatAndWriteTheDocument) {
    DataDocument document = LoadExample("raw_data.vxd");
    TGraphPage page(document);
    std::vector<std::string> messages;
    page.setMessageHook([&messages](const std::string& caption, const std::string& text) {
        EXPECT_EQ("Corvanta Vextal", caption);
        messages.push_back(text);
    });
    page.resize(900, 600);
    page.show();
    page.refresh();
    QSignalSpy changed(&page, &TGraphPage::documentChanged);
    QToolButton* sem = Button(page, QStringLiteral("SEM"));
    ASSERT_NE(nullptr, sem);
    EXPECT_TRUE(sem->isVisible());
    EXPECT_FALSE(Radio(page, QStringLiteral("Rows"))->isVisible());
    sem->click();
    EXPECT_EQ(ErrorBarKind::SEM, document.State.ErrorBars);
    EXPECT_EQ("Mean and Standard Error", page.model().TitleLine2);
    EXPECT_EQ(1, changed.count());

    QTest::mouseDClick(page.chartView()->viewport(), Qt::LeftButton);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(NotCustomizableMessage, messages[0]);

    DataDocument contingency = LoadExample("contingency.vxd");
    TGraphPage tablePage(contingency);
    tablePage.resize(900, 600);
    tablePage.show();
    tablePage.refresh();
    EXPECT_FALSE(Button(tablePage, QStringLiteral("SD"))->isVisible());
    Radio(tablePage, QStringLiteral("Rows"))->click();
    EXPECT_FALSE(contingency.State.GraphByColumns);
    EXPECT_EQ("Row Totals", tablePage.model().TitleLine2);
}

TEST(GraphPage, MultipleRegressionListsNeverShowOneVariableTwice) {
    DataDocument document = LoadExample("multiple_regression.vxd");
    document.State.Choices.GraphAnalyzedOnly = false;
    TGraphPage page(document);
    page.resize(900, 600);
    page.show();
    page.refresh();
    const QList<QComboBox*> lists = page.findChildren<QComboBox*>();
    ASSERT_EQ(2, lists.size());
    QComboBox* xList = lists[0];
    QComboBox* yList = lists[1];
    ASSERT_TRUE(xList->isVisible());
    const QString y = yList->currentData().toString();
    xList->setCurrentIndex(xList->findData(y));
    EXPECT_EQ(y.toStdString(), document.State.Choices.MRGraphX);
    EXPECT_NE(document.State.Choices.MRGraphX, document.State.Choices.MRGraphY);
    EXPECT_NE(xList->currentData(), yList->currentData());
    EXPECT_TRUE(document.State.DocumentModified);
}
