#include "gui/TGraphPage.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/TChartView.h"
#include "gui/graph_export.h"

using namespace vextal;

namespace {

void FillList(QComboBox* list, const std::vector<GraphListItem>& items, int selected) {
    const QSignalBlocker block(list);
    list->clear();
    for (const GraphListItem& item : items)
        list->addItem(QString::fromStdString(item.Text), QString::fromStdString(item.Key));
    list->setCurrentIndex(selected);
}

}  // namespace

TGraphPage::TGraphPage(DataDocument& document, QWidget* parent) : QWidget(parent), m_document(document) {
    setObjectName(QStringLiteral("graphPage"));
    m_chart = new TChartView(this);
    m_chart->setMinimumSize(320, 240);

    m_errorBarGroup = new QWidget(this);
    auto* errorLayout = new QHBoxLayout(m_errorBarGroup);
    errorLayout->setContentsMargins(0, 0, 0, 0);
    m_sdButton = new QToolButton(m_errorBarGroup);
    m_sdButton->setText(QStringLiteral("SD"));
    m_semButton = new QToolButton(m_errorBarGroup);
    m_semButton->setText(QStringLiteral("SEM"));
    auto* errorButtons = new QButtonGroup(this);
    for (QToolButton* button : {m_sdButton, m_semButton}) {
        button->setCheckable(true);
        button->setAutoRaise(false);
        button->setMinimumWidth(48);
        errorButtons->addButton(button);
        errorLayout->addWidget(button);
    }
    errorLayout->addStretch();

    m_rowColumnGroup = new QGroupBox(this);
    auto* rowColumnLayout = new QVBoxLayout(m_rowColumnGroup);
    m_columnsRadio = new QRadioButton(QStringLiteral("Columns"), m_rowColumnGroup);
    m_rowsRadio = new QRadioButton(QStringLiteral("Rows"), m_rowColumnGroup);
    rowColumnLayout->addWidget(m_columnsRadio);
    rowColumnLayout->addWidget(m_rowsRadio);

    m_multRegGroup = new QWidget(this);
    auto* multRegLayout = new QVBoxLayout(m_multRegGroup);
    multRegLayout->setContentsMargins(0, 0, 0, 0);
    m_xLabel = new QLabel(QStringLiteral("X axis"), m_multRegGroup);
    m_xList = new QComboBox(m_multRegGroup);
    m_yLabel = new QLabel(QStringLiteral("Y axis"), m_multRegGroup);
    m_yList = new QComboBox(m_multRegGroup);
    m_analyzedOnly = new QCheckBox(QStringLiteral("Analyzed data only"), m_multRegGroup);
    m_xLabel->setBuddy(m_xList);
    m_yLabel->setBuddy(m_yList);
    for (QWidget* widget : {static_cast<QWidget*>(m_xLabel), static_cast<QWidget*>(m_xList),
                            static_cast<QWidget*>(m_yLabel), static_cast<QWidget*>(m_yList),
                            static_cast<QWidget*>(m_analyzedOnly)})
        multRegLayout->addWidget(widget);

    auto* side = new QVBoxLayout;
    side->addWidget(m_errorBarGroup);
    side->addWidget(m_rowColumnGroup);
    side->addWidget(m_multRegGroup);
    side->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(m_chart, 1);
    layout->addLayout(side);

    connect(m_sdButton, &QToolButton::clicked, this, [this] {
        m_document.State.ErrorBars = ErrorBarKind::SD;
        changed();
    });
    connect(m_semButton, &QToolButton::clicked, this, [this] {
        m_document.State.ErrorBars = ErrorBarKind::SEM;
        changed();
    });
    connect(m_columnsRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_applying) return;
        m_document.State.GraphByColumns = true;
        changed();
    });
    connect(m_rowsRadio, &QRadioButton::toggled, this, [this](bool on) {
        if (!on || m_applying) return;
        m_document.State.GraphByColumns = false;
        changed();
    });
    // The list choices and "Analyzed data only" are saved with the document.
    connect(m_analyzedOnly, &QCheckBox::toggled, this, [this](bool on) {
        if (m_applying) return;
        m_document.State.Choices.GraphAnalyzedOnly = on;
        m_document.State.DocumentModified = true;
        changed();
    });
    connect(m_xList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_applying || index < 0) return;
        m_document.State.Choices.MRGraphX = m_xList->itemData(index).toString().toStdString();
        m_document.State.DocumentModified = true;
        changed();
    });
    connect(m_yList, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_applying || index < 0) return;
        m_document.State.Choices.MRGraphY = m_yList->itemData(index).toString().toStdString();
        m_document.State.DocumentModified = true;
        changed();
    });
    connect(m_chart, &TChartView::doubleClicked, this, &TGraphPage::showNotCustomizable);
    apply();
}

void TGraphPage::refresh() {
    m_model = BuildGraph(m_document, m_runner);
    apply();
}

void TGraphPage::changed() {
    refresh();
    emit documentChanged();
}

void TGraphPage::apply() {
    m_applying = true;
    m_chart->showGraph(m_model);
    m_chart->setVisible(m_model.ChartVisible);
    m_errorBarGroup->setVisible(m_model.ErrorBarButtonsVisible);
    m_sdButton->setChecked(m_model.ErrorBars == ErrorBarKind::SD);
    m_semButton->setChecked(m_model.ErrorBars == ErrorBarKind::SEM);
    m_rowColumnGroup->setVisible(m_model.RowColumnGroupVisible);
    (m_model.ByColumns ? m_columnsRadio : m_rowsRadio)->setChecked(true);
    m_multRegGroup->setVisible(m_model.MultRegControlsVisible);
    m_analyzedOnly->setChecked(m_model.AnalyzedOnly);
    FillList(m_xList, m_model.XItems, m_model.XIndex);
    FillList(m_yList, m_model.YItems, m_model.YIndex);
    m_applying = false;
}

void TGraphPage::showNotCustomizable() {
    if (m_message)
        m_message(ProgramCaption, NotCustomizableMessage);
    else
        QMessageBox::information(this, QString::fromLatin1(ProgramCaption), QString::fromLatin1(NotCustomizableMessage));
}

void TGraphPage::copyGraph() { CopyChart(*m_chart); }

bool TGraphPage::exportGraph(const QString& path, QString* error) { return SaveChart(*m_chart, path, error); }
