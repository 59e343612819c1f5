#include "gui/TAnalysisForm.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

#include "data/cell_entry.h"
#include "data/cell_format.h"
#include "data/document_file.h"
#include "data/summary_entry.h"
#include "gui/TGraphPage.h"
#include "gui/TNotesForm.h"
#include "gui/TResultsViewer.h"
#include "gui/TSpreadGrid.h"
#include "stats/column_stats.h"
#include "stats/multiple_regression.h"
#include "workflow/analysis_dispatch.h"
#include "workflow/choose_test_pages.h"
#include "workflow/choose_test_state.h"
#include "workflow/test_selection.h"

using namespace vextal;

namespace {

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

const char* const StepCaptions[] = {"1st. Data Format", "Enter && Edit Data", "Column Stats",
                                    "Choose Test",      "Results",            "Graph"};
const char* const StepHints[] = {"First step. Choose data format.", "Enter and edit data.",
                                 "Summary stats (SD, SEM, etc.)",   "Select a statistical test.",
                                 "View the results.",               "View a simple graph."};

constexpr int StatsRowCount = 16;  // grid rows 1..16 of the statistics grid

// A statistic with about five significant digits.
QString statisticText(long double value) {
    if (IsMissing(value)) return {};
    int decimals = 4;
    if (value != 0 && std::isfinite(static_cast<double>(value))) {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(static_cast<double>(value)))));
        decimals = std::clamp(4 - magnitude, 0, 6);
    }
    return fromStd(FormatGridCell(value, decimals));
}

QString countText(long double value) { return IsMissing(value) ? QString() : fromStd(FormatGridCell(value, 0)); }

// The statistics grid's editor: the summary keys of its row.
class SummaryDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            const int gridRow = index.row() + 1;
            line->setMaxLength(gridRow == SummaryTitleRow ? static_cast<int>(MaxColumnTitleEditLength)
                                                          : static_cast<int>(MaxCellTextLength));
            line->setProperty("vextalGridRow", gridRow);
        }
        m_editor = editor;
        return editor;
    }
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
        if (m_editor == editor) m_editor = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }
    void commitPending() {
        if (QWidget* editor = m_editor) {
            emit commitData(editor);
            emit closeEditor(editor, NoHint);
        }
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* line = qobject_cast<QLineEdit*>(object);
        if (line && event->type() == QEvent::KeyPress) {
            const int gridRow = line->property("vextalGridRow").toInt();
            const QString text = static_cast<QKeyEvent*>(event)->text();
            if (gridRow != SummaryTitleRow && text.size() == 1 && text[0].isPrint() &&
                (text[0].unicode() > 127 || !IsSummaryKey(static_cast<char>(text[0].unicode()), gridRow)))
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    mutable QPointer<QWidget> m_editor;
};

}  // namespace

class TAnalysisForm::QtClock final : public vextal::Clock {
public:
    QtClock() { m_timer.start(); }
    long long NowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};

// ------------------------------------------------------------------ window

TAnalysisForm::TAnalysisForm(const NumberSettings& settings, QWidget* parent)
    : QWidget(parent), m_document(std::make_unique<DataDocument>(NewDocument())), m_settings(settings) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_ask = [this](const QString& text, bool defaultNo) { return askYesNo(this, text, defaultNo); };
    m_clipHooks = DefaultClipboardHooks(this);
    m_clock = std::make_unique<QtClock>();
    ProgressHooks hooks;
    hooks.ProcessMessages = [] { QCoreApplication::processEvents(); };
    hooks.StartStatusTimer = [this](int ms) {
        QTimer::singleShot(ms, this, [this] {
            if (m_progress) m_progress->StatusTimerFired();
        });
    };
    hooks.StatusChanged = [this](const StatusPanelState& state) { showStatus(state); };
    m_progress = std::make_unique<CalculationProgress>(*m_clock, hooks);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(4);
    buildStepBar(layout);
    buildStatusPanel(layout);

    m_pages = new QStackedWidget(this);
    m_startHost = new QScrollArea(m_pages);
    m_startHost->setWidgetResizable(true);
    m_startHost->setObjectName(QStringLiteral("startPage"));
    m_chooseHost = new QScrollArea(m_pages);
    m_chooseHost->setWidgetResizable(true);
    m_chooseHost->setObjectName(QStringLiteral("choosePage"));
    m_pages->addWidget(m_startHost);
    m_pages->addWidget(buildDataPage());
    m_pages->addWidget(buildStatsPage());
    m_pages->addWidget(m_chooseHost);
    m_pages->addWidget(buildResultsPage());
    m_pages->addWidget(buildGraphPage());
    layout->addWidget(m_pages, 1);

    const auto shortcut = [this](const QKeySequence& keys, auto action) {
        auto* sc = new QShortcut(keys, this);
        sc->setContext(Qt::WidgetWithChildrenShortcut);
        connect(sc, &QShortcut::activated, this, action);
    };
    shortcut(QKeySequence(Qt::Key_F10), [this] { nextStep(); });
    shortcut(QKeySequence(Qt::Key_F9), [this] { previousStep(); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), [this] { nextStep(); });
    shortcut(QKeySequence(Qt::SHIFT | Qt::Key_F9), [this] { previousStep(); });
    for (int step = 0; step < StepCount; ++step)
        shortcut(QKeySequence(Qt::SHIFT | (Qt::Key_F1 + step)), [this, step] { showStep(step); });

    m_currentStep = -1;
    showStep(StartStep);
}

TAnalysisForm::~TAnalysisForm() {
    TNotesForm::forgetDocument(m_document.get());
    // The grids and pages read the document while they hide or go: let them
    // do so while it still exists (QWidget's destructor runs after the
    // members are gone).
    hide();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TAnalysisForm::setFileName(const QString& name) {
    m_fileName = name;
    setWindowTitle(name);
    emit captionChanged(name);
}

void TAnalysisForm::setQuestionHook(YesNoHook hook) {
    m_ask = hook;
    m_grid->setQuestionHook(std::move(hook));
}

void TAnalysisForm::setChoiceHook(ChoiceHook hook) { m_grid->setChoiceHook(std::move(hook)); }

void TAnalysisForm::buildStepBar(QVBoxLayout* layout) {
    // A toolbar, so that a narrow (tiled) window folds the buttons that do
    // not fit into its extension menu instead of growing past its frame.
    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("stepsToolBar"));
    bar->setIconSize(QSize(1, 1));
    m_previousButton = new QToolButton(this);
    m_previousButton->setText(QStringLiteral("< Back"));
    m_previousButton->setToolTip(QStringLiteral("Previous step (F9)"));
    connect(m_previousButton, &QToolButton::clicked, this, [this] { previousStep(); });
    bar->addWidget(m_previousButton);
    auto* group = new QButtonGroup(this);
    for (int step = 0; step < StepCount; ++step) {
        auto* button = new QToolButton(this);
        button->setText(QString::fromLatin1(StepCaptions[step]));
        button->setToolTip(QString::fromLatin1(StepHints[step]));
        button->setCheckable(true);
        button->setObjectName(QStringLiteral("step%1").arg(step));
        group->addButton(button, step);
        connect(button, &QToolButton::clicked, this, [this, step] {
            showStep(step);
            updateStepBar();  // a refused step leaves the pressed button as it was
        });
        bar->addWidget(button);
        m_stepButtons[step] = button;
    }
    m_nextButton = new QToolButton(this);
    m_nextButton->setText(QStringLiteral("Next >"));
    m_nextButton->setToolTip(QStringLiteral("Next step (F10)"));
    connect(m_nextButton, &QToolButton::clicked, this, [this] { nextStep(); });
    bar->addWidget(m_nextButton);
    bar->addSeparator();
    m_deleteAllButton = new QToolButton(this);
    m_deleteAllButton->setText(QStringLiteral("Delete all data"));
    m_deleteAllButton->setToolTip(QStringLiteral("Delete all data"));
    connect(m_deleteAllButton, &QToolButton::clicked, this, [this] { deleteAllData(); });
    bar->addWidget(m_deleteAllButton);
    layout->addWidget(bar);
}

void TAnalysisForm::buildStatusPanel(QVBoxLayout* layout) {
    m_statusPanel = new QFrame(this);
    static_cast<QFrame*>(m_statusPanel)->setFrameShape(QFrame::StyledPanel);
    auto* panel = new QHBoxLayout(m_statusPanel);
    m_statusMessage = new QLabel(m_statusPanel);
    m_statusValues = new QLabel(m_statusPanel);
    m_cancelButton = new QPushButton(m_statusPanel);
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_progress->RequestCancel(); });
    panel->addWidget(m_statusMessage, 1);
    panel->addWidget(m_statusValues);
    panel->addWidget(m_cancelButton);
    m_statusPanel->hide();
    layout->addWidget(m_statusPanel);
}

void TAnalysisForm::showStatus(const StatusPanelState& state) {
    m_statusPanel->setVisible(state.PanelVisible);
    m_statusMessage->setVisible(state.MessageVisible);
    m_statusMessage->setText(fromStd(state.Message));
    m_statusValues->setVisible(state.LabelsVisible);
    m_statusValues->setText(QStringLiteral("Approximate P = %1   Percentage Done = %2   Seconds Left = %3")
                                .arg(fromStd(state.ApproximateP), fromStd(state.PercentText),
                                     fromStd(state.SecondsText)));
    m_cancelButton->setVisible(state.CancelVisible);
    m_cancelButton->setText(fromStd(state.CancelCaption));
    m_results->setVisible(!state.ViewerHidden);
    if (state.BusyCursor)
        setCursor(Qt::WaitCursor);
    else
        unsetCursor();
}

QWidget* TAnalysisForm::buildDataPage() {
    m_dataStack = new QStackedWidget(this);
    auto* gridPage = new QWidget(m_dataStack);
    auto* gridLayout = new QVBoxLayout(gridPage);
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(2);
    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(new QLabel(QStringLiteral("Title"), gridPage));
    m_dataTitle = new QLineEdit(gridPage);
    m_dataTitle->setObjectName(QStringLiteral("dataTitle"));
    m_dataTitle->setMaxLength(100);
    m_dataTitle->setMaximumWidth(440);
    titleRow->addWidget(m_dataTitle, 1);
    titleRow->addStretch(0);
    gridLayout->addLayout(titleRow);
    m_grid = new TSpreadGrid(*m_document, m_settings, gridPage);
    m_grid->setObjectName(QStringLiteral("dataGrid"));
    gridLayout->addWidget(m_grid, 1);
    m_dataStack->addWidget(gridPage);
    connect(m_dataTitle, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_document->Table.DocumentTitle = text.toStdString();
        MarkChanged(m_document->State);
    });
    m_dataTitle->installEventFilter(this);
    connect(m_grid, &TSpreadGrid::titleFieldRequested, this, [this] { m_dataTitle->setFocus(); });
    connect(m_grid, &TSpreadGrid::copyRequested, this, [this] { copyCommand(); });
    connect(m_grid, &TSpreadGrid::pasteRequested, this, [this] { pasteCommand(false); });
    m_dataStack->addWidget(buildTwoByTwoPage());
    return m_dataStack;
}

QWidget* TAnalysisForm::buildTwoByTwoPage() {
    m_twoByTwoPage = new QWidget(this);
    m_twoByTwoPage->setObjectName(QStringLiteral("twoByTwoPage"));
    auto* outer = new QVBoxLayout(m_twoByTwoPage);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    const auto field = [this](bool readOnly) {
        auto* edit = new QLineEdit(m_twoByTwoPage);
        edit->setMinimumWidth(110);
        edit->setMaximumWidth(180);
        edit->setReadOnly(readOnly);
        return edit;
    };
    m_tbTitle = field(false);
    m_tbTitle->setMaxLength(static_cast<int>(MaxDocumentTitleLength));
    m_tbTitle->setMaximumWidth(QWIDGETSIZE_MAX);  // spans the table
    grid->addWidget(new QLabel(QStringLiteral("Title"), m_twoByTwoPage), 0, 0);
    grid->addWidget(m_tbTitle, 0, 1, 1, 3);
    for (auto& edit : m_tbTitles) edit = field(false);
    for (auto& edit : m_tbCounts) {
        edit = field(false);
        edit->setValidator(new QIntValidator(0, 2147483647, edit));
        edit->setAlignment(Qt::AlignRight);
    }
    for (auto& edit : m_tbTotals) {
        edit = field(true);
        edit->setAlignment(Qt::AlignRight);
        edit->setFocusPolicy(Qt::NoFocus);
    }
    grid->addWidget(m_tbTitles[0], 1, 1);
    grid->addWidget(m_tbTitles[1], 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Total"), m_twoByTwoPage), 1, 3);
    grid->addWidget(m_tbTitles[2], 2, 0);
    grid->addWidget(m_tbCounts[0], 2, 1);
    grid->addWidget(m_tbCounts[1], 2, 2);
    grid->addWidget(m_tbTotals[0], 2, 3);
    grid->addWidget(m_tbTitles[3], 3, 0);
    grid->addWidget(m_tbCounts[2], 3, 1);
    grid->addWidget(m_tbCounts[3], 3, 2);
    grid->addWidget(m_tbTotals[1], 3, 3);
    grid->addWidget(new QLabel(QStringLiteral("Total"), m_twoByTwoPage), 4, 0);
    grid->addWidget(m_tbTotals[2], 4, 1);
    grid->addWidget(m_tbTotals[3], 4, 2);
    grid->addWidget(m_tbTotals[4], 4, 3);
    grid->setColumnStretch(4, 1);
    outer->addLayout(grid);
    outer->addStretch(1);

    connect(m_tbTitle, &QLineEdit::textEdited, this, [this](const QString& text) {
        m_document->Table.DocumentTitle = text.toStdString();
        MarkChanged(m_document->State);
    });
    std::array<std::string*, 4> titles{&m_document->TwoByTwo.Column1Title, &m_document->TwoByTwo.Column2Title,
                                       &m_document->TwoByTwo.Row1Title, &m_document->TwoByTwo.Row2Title};
    for (int i = 0; i < 4; ++i) {
        connect(m_tbTitles[i], &QLineEdit::textEdited, this, [this, target = titles[i]](const QString& text) {
            *target = text.toStdString();
            MarkChanged(m_document->State);
        });
        connect(m_tbTitles[i], &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    }
    // Reading order for Tab and for Left/Right.
    const auto fields = twoByTwoFields();
    const std::array<QLineEdit*, 9> order{fields[0], fields[1], fields[2], fields[3], fields[5],
                                          fields[6], fields[4], fields[7], fields[8]};
    for (std::size_t i = 0; i + 1 < order.size(); ++i) QWidget::setTabOrder(order[i], order[i + 1]);
    for (QLineEdit* field : fields) field->installEventFilter(this);
    for (QLineEdit* count : m_tbCounts) {
        connect(count, &QLineEdit::textEdited, this, [this] { MarkChanged(m_document->State); });
        connect(count, &QLineEdit::editingFinished, this, [this] { readTwoByTwoCounts(); });
        connect(count, &QLineEdit::returnPressed, this, [this] { focusNextChild(); });
    }
    return m_twoByTwoPage;
}

std::array<QLineEdit*, 9> TAnalysisForm::twoByTwoFields() const {
    return {m_tbTitle,     m_tbTitles[0], m_tbTitles[1], m_tbTitles[2], m_tbTitles[3],
            m_tbCounts[0], m_tbCounts[1], m_tbCounts[2], m_tbCounts[3]};
}

// Arrow keys move between the two-by-two fields as the table is drawn;
// Shift+F1 and Shift+F2 step back and forward.
bool TAnalysisForm::twoByTwoKey(QLineEdit* field, QKeyEvent* key) {
    const auto f = twoByTwoFields();
    enum { Title, Col1, Col2, Row1, Row2, A, B, C, D };
    int at = -1;
    for (int i = 0; i < 9; ++i)
        if (f[i] == field) at = i;
    if (at < 0) return false;
    if (key->modifiers() & Qt::ShiftModifier) {
        if (key->key() == Qt::Key_F1) previousStep();
        else if (key->key() == Qt::Key_F2) nextStep();
        else return false;
        return true;
    }
    if (key->modifiers() != Qt::NoModifier && key->modifiers() != Qt::KeypadModifier) return false;
    static constexpr int Up[9] = {-1, Title, Title, Title, Row1, Col1, Col2, A, B};
    static constexpr int Down[9] = {Col1, A, B, Row2, -1, C, D, -1, -1};
    static constexpr int Order[9] = {Title, Col1, Col2, Row1, A, B, Row2, C, D};
    int target = -1;
    switch (key->key()) {
    case Qt::Key_Up: target = Up[at]; break;
    case Qt::Key_Down: target = Down[at]; break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        int position = 0;
        while (Order[position] != at) ++position;
        position += key->key() == Qt::Key_Right ? 1 : -1;
        if (position >= 0 && position < 9) target = Order[position];
        break;
    }
    default: return false;
    }
    if (target >= 0) {
        f[target]->setFocus(Qt::OtherFocusReason);
        f[target]->selectAll();
    }
    return true;
}

bool TAnalysisForm::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        // Shift+F1 / Shift+F2 in the two-by-two fields step back and forward
        // instead of choosing steps 1 and 2.
        auto* key = static_cast<QKeyEvent*>(event);
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field && field->parentWidget() == m_twoByTwoPage && (key->modifiers() & Qt::ShiftModifier) &&
            (key->key() == Qt::Key_F1 || key->key() == Qt::Key_F2)) {
            event->accept();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (watched == m_dataTitle) {
            if (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                m_grid->editColumnTitle(0);
                return true;
            }
        } else if (auto* field = qobject_cast<QLineEdit*>(watched); field && field->parentWidget() == m_twoByTwoPage) {
            if (twoByTwoKey(field, key)) return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

StepCommands TAnalysisForm::stepCommands() const {
    if (m_currentStep < 0) return {};
    return CommandsForStep(static_cast<StepPage>(m_currentStep), m_document->State.Format);
}

std::array<HelpButtonState, 2> TAnalysisForm::helpButtons() const {
    const int step = std::max(0, m_currentStep);
    return HelpButtonsForStep(static_cast<StepPage>(step), ChooseTestHelpTopic(m_document->State.Selection.Page),
                              m_document->ReportHelpTopic);
}

void TAnalysisForm::readTwoByTwoCounts() {
    TwoByTwoTable& table = m_document->TwoByTwo;
    std::array<long double*, 4> cells{&table.A, &table.B, &table.C, &table.D};
    for (int i = 0; i < 4; ++i) {
        long double value = MissingValue;
        const QString text = m_tbCounts[i]->text().trimmed();
        if (!text.isEmpty() && !ParseNumber(text.toStdString(), m_settings, value)) value = MissingValue;
        *cells[i] = value;
    }
    const auto sum = [](long double a, long double b) {
        return IsMissing(a) || IsMissing(b) ? MissingValue : a + b;
    };
    const std::array<long double, 5> totals{sum(table.A, table.B), sum(table.C, table.D), sum(table.A, table.C),
                                            sum(table.B, table.D),
                                            sum(sum(table.A, table.B), sum(table.C, table.D))};
    for (int i = 0; i < 5; ++i) m_tbTotals[i]->setText(countText(totals[i]));
}

void TAnalysisForm::refreshTwoByTwo() {
    const TwoByTwoTable& table = m_document->TwoByTwo;
    m_tbTitle->setText(fromStd(m_document->Table.DocumentTitle));
    m_tbTitles[0]->setText(fromStd(table.Column1Title));
    m_tbTitles[1]->setText(fromStd(table.Column2Title));
    m_tbTitles[2]->setText(fromStd(table.Row1Title));
    m_tbTitles[3]->setText(fromStd(table.Row2Title));
    const std::array<long double, 4> counts{table.A, table.B, table.C, table.D};
    for (int i = 0; i < 4; ++i) m_tbCounts[i]->setText(countText(counts[i]));
    const bool modified = m_document->State.DocumentModified;
    readTwoByTwoCounts();  // totals
    m_document->State.DocumentModified = modified;
}

QWidget* TAnalysisForm::buildStatsPage() {
    m_statsGrid = new QTableWidget(StatsRowCount, DataColumnCount + 1, this);
    m_statsGrid->setObjectName(QStringLiteral("statsGrid"));
    m_statsGrid->verticalHeader()->hide();
    m_statsGrid->verticalHeader()->setDefaultSectionSize(19);
    m_statsGrid->horizontalHeader()->setDefaultSectionSize(110);
    m_statsGrid->setColumnWidth(0, 190);
    m_statsGrid->setItemDelegate(new SummaryDelegate(m_statsGrid));
    m_statsGrid->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                                 QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    for (int row = 0; row < StatsRowCount; ++row)
        for (int column = 0; column <= DataColumnCount; ++column) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(column == 0 ? (Qt::AlignLeft | Qt::AlignVCenter) : (Qt::AlignRight | Qt::AlignVCenter));
            m_statsGrid->setItem(row, column, item);
        }
    connect(m_statsGrid, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (!m_fillingStats) storeStatsCell(item->row() + 1, item->column() - 1);
    });
    return m_statsGrid;
}

void TAnalysisForm::storeStatsCell(int gridRow, int column) {
    if (column < 0) return;
    const QString text = m_statsGrid->item(gridRow - 1, column + 1)->text();
    DataDocument& doc = *m_document;
    if (SummaryCellEditable(doc, gridRow, column)) {
        StoreSummaryEntry(doc, gridRow, column, text.toStdString(), m_settings);
        ColumnInfo& info = doc.Table.ColumnInfo[column];
        if (info.N >= 1 && !IsMissing(info.Mean) && (!IsMissing(info.SD) || !IsMissing(info.SEM)))
            ComputeSummaryFromEntered(doc.Table, -1, info);
    } else if (gridRow == SummaryTitleRow) {
        SetColumnTitle(doc, column, text.toStdString());
    }
    // Rewriting items inside itemChanged would disturb the closing editor.
    QTimer::singleShot(0, this, [this] { refreshStatsGrid(); });
}

void TAnalysisForm::refreshStatsGrid() {
    m_fillingStats = true;
    const DataDocument& doc = *m_document;
    const DataTable& table = doc.Table;
    const bool errorIsSD = doc.State.ErrorBars == ErrorBarKind::SD;
    const bool detailed = doc.State.Format == DataFormat::RawData || doc.State.Format == DataFormat::MultRegData;
    QStringList captions(StatsRowCount);
    captions[0] = QStringLiteral("Col. title");
    captions[1] = QStringLiteral("Mean");
    captions[2] = errorIsSD ? QStringLiteral("Standard deviation (SD)") : QStringLiteral("SEM");
    captions[3] = QStringLiteral("Sample size (N)");
    captions[5] = errorIsSD ? QStringLiteral("Std. error of mean(SEM)") : QStringLiteral("SD");
    captions[6] = QStringLiteral("Lower 95% conf. limit");
    captions[7] = QStringLiteral("Upper 95% conf. limit");
    if (detailed) {
        captions[9] = QStringLiteral("Minimum");
        captions[10] = QStringLiteral("Median (50th percentile)");
        captions[11] = QStringLiteral("Maximum");
        captions[13] = QStringLiteral("Normality test KS");
        captions[14] = QStringLiteral("Normality test P value");
        captions[15] = QStringLiteral("Passed normality test?");
    }
    QStringList headers{QString()};
    for (int column = 0; column < DataColumnCount; ++column) headers << fromStd(GridColumnHeader(doc.State.Format, column));
    m_statsGrid->setHorizontalHeaderLabels(headers);

    const QBrush captionBrush = QApplication::palette().brush(QPalette::AlternateBase);
    for (int row = 0; row < StatsRowCount; ++row) {
        QTableWidgetItem* caption = m_statsGrid->item(row, 0);
        caption->setText(captions[row]);
        caption->setFlags(Qt::ItemIsEnabled);
        caption->setBackground(captionBrush);
        for (int column = 0; column < DataColumnCount; ++column) {
            const ColumnInfo& info = table.ColumnInfo[column];
            const int gridRow = row + 1;
            QString text;
            const bool hasData = info.N > 0;
            switch (gridRow) {
            case 1: text = fromStd(info.Title); break;
            case 2: text = statisticText(info.Mean); break;
            case 3: text = statisticText(errorIsSD ? info.SD : info.SEM); break;
            case 4: text = hasData ? QString::number(info.N) : QString(); break;
            case 6: text = statisticText(errorIsSD ? info.SEM : info.SD); break;
            case 7: text = hasData ? statisticText(info.LowerCI) : QString(); break;
            case 8: text = hasData ? statisticText(info.UpperCI) : QString(); break;
            case 10: text = detailed && hasData ? statisticText(info.Minimum) : QString(); break;
            case 11: text = detailed && hasData ? statisticText(info.Median) : QString(); break;
            case 12: text = detailed && hasData ? statisticText(info.Maximum) : QString(); break;
            case 14: text = detailed && hasData ? statisticText(info.KSDistance) : QString(); break;
            case 15: text = detailed && hasData ? statisticText(info.NormalityP) : QString(); break;
            case 16:
                if (detailed && hasData && !IsMissing(info.NormalityP))
                    text = info.Passed ? QStringLiteral("Yes") : QStringLiteral("No");
                break;
            default: break;
            }
            QTableWidgetItem* item = m_statsGrid->item(row, column + 1);
            item->setText(text);
            Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
            if (SummaryCellEditable(doc, gridRow, column) ||
                (gridRow == SummaryTitleRow && doc.State.Format != DataFormat::MultRegData))
                flags |= Qt::ItemIsEditable;
            item->setFlags(flags);
        }
    }
    m_fillingStats = false;
}

QWidget* TAnalysisForm::buildResultsPage() {
    m_results = new TResultsViewer(this);
    m_results->setObjectName(QStringLiteral("resultsView"));
    connect(m_results, &TResultsViewer::appendToNotesRequested, this, [this] { appendToNotesCommand(); });
    return m_results;
}

QWidget* TAnalysisForm::buildGraphPage() {
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    m_graph = new TGraphPage(*m_document, scroll);
    m_graph->setObjectName(QStringLiteral("graphPage"));
    m_graph->setAnalysisRunner([this](DataDocument& document) { runAnalysisWithProgress(document); });
    scroll->setWidget(m_graph);
    // SD or SEM chosen beside the graph renames rows of the statistics grid.
    connect(m_graph, &TGraphPage::documentChanged, this, [this] { refreshStatsGrid(); });
    return scroll;
}

// ------------------------------------------------------------------ steps

std::array<bool, TAnalysisForm::StepCount> TAnalysisForm::enabledSteps() const {
    return EnabledSteps(m_document->State.Format);
}

void TAnalysisForm::showStep(int step) {
    if (Calculating() || step < 0 || step >= StepCount || !enabledSteps()[step]) return;
    if (m_currentStep == DataStep || m_currentStep == StatsStep) commitPendingEdits();
    m_currentStep = step;
    m_pages->setCurrentIndex(step);
    enterStep(step);
    updateStepBar();
    emit stepChanged(step);
}

void TAnalysisForm::nextStep() {
    if (Calculating()) return;
    const auto enabled = enabledSteps();
    for (int step = m_currentStep + 1; step < StepCount; ++step)
        if (enabled[step]) {
            showStep(step);
            return;
        }
}

void TAnalysisForm::previousStep() {
    if (Calculating()) return;
    const auto enabled = enabledSteps();
    for (int step = m_currentStep - 1; step >= 0; --step)
        if (enabled[step]) {
            showStep(step);
            return;
        }
}

void TAnalysisForm::updateStepBar() {
    const auto enabled = enabledSteps();
    for (int step = 0; step < StepCount; ++step) {
        m_stepButtons[step]->setEnabled(enabled[step]);
        m_stepButtons[step]->setChecked(step == m_currentStep);
    }
    m_previousButton->setEnabled(m_currentStep != StartStep);
    m_nextButton->setEnabled(m_currentStep != GraphStep);
    m_deleteAllButton->setEnabled(m_currentStep == DataStep);
}

void TAnalysisForm::enterStep(int step) {
    DataDocument& doc = *m_document;
    switch (step) {
    case StartStep:
        if (PrepareStartPage(doc)) m_grid->fillFromDocument();
        rebuildStartPage();
        break;
    case DataStep:
        if (doc.State.Format == DataFormat::TwoByTwo) {
            refreshTwoByTwo();
            m_dataStack->setCurrentWidget(m_twoByTwoPage);
            m_tbCounts[0]->setFocus();
        } else {
            m_grid->fillFromDocument();
            m_dataTitle->setText(fromStd(doc.Table.DocumentTitle));
            m_dataStack->setCurrentWidget(m_grid->parentWidget());
            m_grid->setFocus();
        }
        break;
    case StatsStep:
        // Typed summaries that lack N, a mean or an SD/SEM are dropped. A
        // column holding raw values keeps its statistics: they come from the
        // values, and a single value has no SD.
        for (int column = 0; column < DataColumnCount; ++column) {
            ColumnInfo& info = doc.Table.ColumnInfo[column];
            const bool complete = info.N >= 1 && !IsMissing(info.Mean) && (!IsMissing(info.SD) || !IsMissing(info.SEM));
            if (!complete && ColumnIsEmpty(doc.Table, column)) {
                const std::string title = info.Title;
                info = ColumnInfo{};
                info.Title = title;
            } else if (complete && HoldsTypedSummary(doc.Table, column) && IsMissing(info.LowerCI)) {
                ComputeSummaryFromEntered(doc.Table, -1, info);  // files hold no limits
            }
        }
        ComputeColumnStats(doc);
        refreshStatsGrid();
        break;
    case ChooseStep:
        PrepareChooseTest(doc, doc.State.Selection);
        rebuildChoosePage();
        break;
    case ResultsStep:
        runAnalysisIfStale();
        m_results->setFocus();
        break;
    case GraphStep:
        m_graph->refresh();
        break;
    default:
        break;
    }
}

void TAnalysisForm::commitPendingEdits() {
    const bool modified = m_document->State.DocumentModified;
    bool stored = false;
    if (m_grid->isEditing()) {
        m_grid->commitPendingEdit();
        stored = true;
    }
    static_cast<SummaryDelegate*>(m_statsGrid->itemDelegate())->commitPending();
    if (m_document->State.Format == DataFormat::TwoByTwo && m_currentStep == DataStep) readTwoByTwoCounts();
    // Committing is bookkeeping, not an edit of its own.
    if (!stored) m_document->State.DocumentModified = modified;
}

void TAnalysisForm::resetDocument() {
    DataDocument& doc = *m_document;
    ClearDocument(doc);
    ResetDocumentState(doc.State);
    doc.NotesText.clear();
    doc.ResultReport.clear();
    MarkChanged(doc.State);
    m_grid->fillFromDocument();
    m_grid->scrollToTop();
    m_grid->setCurrentDataCell(0, 0);
    m_dataTitle->clear();
    refreshStatsGrid();
    refreshTwoByTwo();
}

void TAnalysisForm::deleteAllData() {
    if (Calculating()) return;
    commitPendingEdits();
    if (!m_ask(QStringLiteral("Confirm that you want to delete all your data?"), true)) return;
    {
        setEnabled(false);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        resetDocument();
        QGuiApplication::restoreOverrideCursor();
        setEnabled(true);
    }
    if (m_currentStep != DataStep) {
        m_currentStep = -1;
        showStep(StartStep);
    }
}

bool TAnalysisForm::canClose() const { return !Calculating(); }

void TAnalysisForm::closeEvent(QCloseEvent* event) {
    if (!canClose()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void TAnalysisForm::keyPressEvent(QKeyEvent* event) { QWidget::keyPressEvent(event); }

// ------------------------------------------------------------------ files

bool TAnalysisForm::loadFile(const QString& fileName, const MessageSink& sink) {
    DataDocument loaded = NewDocument();
    const LoadResult result = OpenDocumentFile(loaded, fileName.toStdString(), m_settings, sink);
    if (!result.Loaded) return false;
    *m_document = std::move(loaded);
    m_needsName = false;
    setFileName(QFileInfo(fileName).fileName().toUpper() == QFileInfo(fileName).fileName()
                    ? QFileInfo(fileName).fileName()
                    : QFileInfo(fileName).fileName());
    m_fileName = fileName;
    m_grid->fillFromDocument();
    refreshTwoByTwo();
    m_currentStep = -1;
    showStep(IsAveragedFormat(m_document->State.Format) ? StatsStep : DataStep);
    return true;
}

int TAnalysisForm::saveFile(const QString& fileName, const MessageSink& sink) {
    commitPendingEdits();
    m_needsName = false;  // the save has its name, whatever the outcome
    const int code = SaveDocument(*m_document, fileName.toStdString(), sink);
    if (code == 0) {
        m_document->State.DocumentModified = false;
        m_fileName = fileName;
        setWindowTitle(QFileInfo(fileName).fileName());
        emit captionChanged(windowTitle());
    }
    return code;
}

// ------------------------------------------------------------------ results

void TAnalysisForm::runAnalysisWithProgress(DataDocument& document) {
    m_progress->BeginCalculation();
    try {
        AnalysisEnvironment environment;
        environment.Progress = m_progress.get();
        RunAnalysis(document, environment);
    } catch (...) {
        m_progress->EndCalculation();
        throw;
    }
    m_progress->EndCalculation();
    ++m_analysisRuns;
}

void TAnalysisForm::runAnalysisIfStale() {
    if (m_document->State.ResultsStale) runAnalysisWithProgress(*m_document);
    showReport();
}

void TAnalysisForm::showReport() { m_results->setReport(m_document->ResultReport); }

QString TAnalysisForm::resultsText() const { return m_results->plainText(); }

QWidget* TAnalysisForm::choosePage() const { return m_chooseHost; }
QWidget* TAnalysisForm::startPage() const { return m_startHost; }
