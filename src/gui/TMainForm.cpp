#include "gui/TMainForm.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QChildEvent>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTimer>

#include "data/document_file.h"
#include "data/io_error.h"
#include "data/number_settings.h"
#include "gui/TAnalysisForm.h"
#include "workflow/calculation_progress.h"

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Corvanta Vextal 32-bit"));
    resize(800, 560);

    m_stack = new QStackedWidget(this);

    m_emptyPanel = new QLabel(emptyPanelText(), m_stack);
    m_emptyPanel->setObjectName(QStringLiteral("emptyPanel"));
    m_emptyPanel->setAlignment(Qt::AlignCenter);
    m_emptyPanel->setWordWrap(true);
    m_emptyPanel->setMargin(24);

    m_mdiArea = new QMdiArea(m_stack);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_stack->addWidget(m_emptyPanel);
    m_stack->addWidget(m_mdiArea);
    setCentralWidget(m_stack);

    // QMdiArea has no "subwindow added/removed" signal, but every subwindow is
    // a child of its viewport, so the viewport's child events tell us.
    m_mdiArea->viewport()->installEventFilter(this);

    createMenus();
    updateCentralPanel();
}

QString TMainForm::emptyPanelText() {
    return QStringLiteral("No Vextal documents are open. Pull down the File menu and choose New or Open.");
}

bool TMainForm::isEmptyPanelShown() const { return m_stack->currentWidget() == m_emptyPanel; }

void TMainForm::updateCentralPanel() {
    // A subwindow closed without Qt::WA_DeleteOnClose is only hidden and stays
    // in the list; it no longer counts as an open document.
    bool anyOpen = false;
    for (const QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        const bool explicitlyHidden = sub->isHidden() && sub->testAttribute(Qt::WA_WState_ExplicitShowHide);
        if (!explicitlyHidden) {
            anyOpen = true;
            break;
        }
    }
    m_stack->setCurrentWidget(anyOpen ? static_cast<QWidget*>(m_mdiArea) : m_emptyPanel);
}

void TMainForm::scheduleCentralPanelUpdate() {
    // The MDI area updates its own list of subwindows after our filter has
    // seen the event, so look once control is back in the event loop.
    QTimer::singleShot(0, this, [this] { updateCentralPanel(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mdiArea->viewport()) {
        if (event->type() == QEvent::ChildAdded) {
            if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
                sub->installEventFilter(this);
            scheduleCentralPanelUpdate();
        } else if (event->type() == QEvent::ChildRemoved) {
            scheduleCentralPanelUpdate();
        }
    } else if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        if (qobject_cast<QMdiSubWindow*>(watched))
            scheduleCentralPanelUpdate();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));

    QAction* newAction = fileMenu->addAction(tr("&New"));
    newAction->setObjectName(QStringLiteral("newAction"));
    newAction->setShortcut(QKeySequence::New);
    connect(newAction, &QAction::triggered, this, [this] { newDocument(); });
    QAction* openAction = fileMenu->addAction(tr("&Open..."));
    openAction->setObjectName(QStringLiteral("openAction"));
    openAction->setShortcut(QKeySequence::Open);
    connect(openAction, &QAction::triggered, this, [this] { openFromDialog(); });
    QAction* saveAction = fileMenu->addAction(tr("&Save"));
    saveAction->setObjectName(QStringLiteral("saveAction"));
    saveAction->setShortcut(QKeySequence::Save);
    connect(saveAction, &QAction::triggered, this, [this] { saveActive(false); });
    QAction* saveAsAction = fileMenu->addAction(tr("Save &As..."));
    saveAsAction->setObjectName(QStringLiteral("saveAsAction"));
    connect(saveAsAction, &QAction::triggered, this, [this] { saveActive(true); });
    fileMenu->addSeparator();

    QAction* exitAction = fileMenu->addAction(tr("E&xit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    exitAction->setMenuRole(QAction::QuitRole);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
}

namespace {
const QString FileFilter = QStringLiteral("Vextal data files (*.vxd *.VXD)");
}

vextal::MessageSink TMainForm::messageSink() {
    return [this](const std::string& caption, const std::string& text) {
        QMessageBox::warning(this, QString::fromStdString(caption), QString::fromStdString(text));
    };
}

QString TMainForm::nextDatasetName() const {
    QStringList used;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (auto* form = qobject_cast<TAnalysisForm*>(sub->widget())) used << QFileInfo(form->fileName()).fileName().toUpper();
    // Past DATASET10 the count simply goes on rather than reusing a name.
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("DATASET%1.VXD").arg(n);
        if (!used.contains(name)) return name;
    }
}

void TMainForm::addDocumentWindow(TAnalysisForm* form) {
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(form, &TAnalysisForm::captionChanged, sub, &QWidget::setWindowTitle);
    sub->setWindowTitle(form->windowTitle());
    sub->showMaximized();
    form->setFocus();
}

TAnalysisForm* TMainForm::newDocument() {
    if (vextal::Calculating()) return nullptr;
    auto* form = new TAnalysisForm(vextal::SystemNumberSettings());
    form->setFileName(nextDatasetName());
    addDocumentWindow(form);
    return form;
}

TAnalysisForm* TMainForm::openDocument(const QString& fileName) {
    if (vextal::Calculating()) return nullptr;
    auto* form = new TAnalysisForm(vextal::SystemNumberSettings());
    if (!form->loadFile(fileName, messageSink())) {
        delete form;
        return nullptr;
    }
    form->setWindowTitle(QFileInfo(fileName).fileName());
    addDocumentWindow(form);
    return form;
}

void TMainForm::openFromDialog() {
    if (vextal::Calculating()) return;
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Open"), QString(), FileFilter);
    if (!fileName.isEmpty()) openDocument(fileName);
}

TAnalysisForm* TMainForm::activeDocument() const {
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    return sub ? qobject_cast<TAnalysisForm*>(sub->widget()) : nullptr;
}

bool TMainForm::saveActive(bool askName) {
    TAnalysisForm* form = activeDocument();
    if (!form || vextal::Calculating()) return false;
    QString fileName = form->fileName();
    if (askName || form->needsName()) {
        fileName = QFileDialog::getSaveFileName(this, tr("Save As"), fileName, FileFilter);
        if (fileName.isEmpty()) return false;
    }
    return form->saveFile(fileName, messageSink()) == 0;
}
