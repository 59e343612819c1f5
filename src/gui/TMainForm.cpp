#include "gui/TMainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QButtonGroup>
#include <QChildEvent>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryFile>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "data/document_file.h"
#include "data/io_error.h"
#include "data/number_settings.h"
#include "gui/TAnalysisForm.h"
#include "gui/THelpViewer.h"
#include "gui/TVextalGuide.h"
#include "gui/app_settings.h"
#include "gui/printing.h"
#include "workflow/calculation_progress.h"
#include "workflow/recent_files.h"
#include "workflow/step_commands.h"

using namespace vextal;

namespace {

const QString FrameCaption = QStringLiteral("Corvanta Vextal");
const QString FileFilter = QStringLiteral("Vextal data file (*.VXD *.vxd);;Any file (*)");
const QString TooManyDocuments =
    QStringLiteral("You can open up to 10 files (data sets) at one time. Close one and try again.");

const char* const NewFileQuestion =
    "Vextal allows you to open up to ten files at once, each in its own window. Do you want to:";
const char* const NewFileChoices[] = {
    "Close the file you are working on and create a new one.",
    "Create a new empty file, in addition to the one(s) open now.",
    "Duplicate the current file, so you can edit and analyze the copies independently."};

// The "Create a new file" dialog: the question above its three choices, the
// second preselected.
int askNewFileChoice(QWidget* parent, const QString& caption, const QStringList& items, const QString& question) {
    QDialog dialog(parent);
    dialog.setWindowTitle(caption);
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(question, &dialog);
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* group = new QButtonGroup(&dialog);
    for (int i = 0; i < items.size(); ++i) {
        auto* radio = new QRadioButton(items[i], &dialog);
        radio->setChecked(i == 1);
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    return dialog.exec() == QDialog::Accepted ? group->checkedId() : -1;
}

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(FrameCaption + QStringLiteral(" 32-bit"));
    resize(800, 560);
    m_settings = DefaultProgramSettings(SystemNumberSettings().DecimalSeparator, programFolder().toStdString());
    m_exportDecimalSeparator = m_settings.DecimalSeparator;

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
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, [this] { updateCommands(); });

    m_message = [this](const std::string& caption, const std::string& text) {
        QMessageBox::information(this, caption.empty() ? FrameCaption : fromStd(caption), fromStd(text));
    };
    m_choose = [this](const QString& caption, const QStringList& items, const QString& question) {
        return askNewFileChoice(this, caption, items, question);
    };
    m_saveQuestion = [this](const QString& name) {
        QMessageBox box(QMessageBox::Question, FrameCaption, QStringLiteral("Save changes to %1?").arg(name),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setDefaultButton(QMessageBox::Save);
        const int answer = box.exec();
        return answer == QMessageBox::Save ? 0 : answer == QMessageBox::Discard ? 1 : 2;
    };
    m_openDialog = [this](const QString& caption, const QString& start) {
        return QFileDialog::getOpenFileName(this, caption, start, FileFilter);
    };
    m_saveDialog = [this](const QString& caption, const QString& start) {
        QFileDialog dialog(this, caption, start, FileFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setDefaultSuffix(QStringLiteral("VXD"));
        dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles().value(0) : QString();
    };
    m_guide = [this](int step) {
        bool shown = m_settings.ShowNewUserHints;
        ShowGuide(step, this, shown);
        m_settings.ShowNewUserHints = shown;
    };
    m_help = [this](int topic) { THelpViewer::ShowHelpTopic(this, topic); };

    m_statusMessage = new QLabel(this);
    m_meter = new QProgressBar(this);
    m_meter->setRange(0, 100);
    m_meter->setMaximumWidth(200);
    m_meterTimer = new QTimer(this);
    m_meterTimer->setInterval(50);
    connect(m_meterTimer, &QTimer::timeout, this,
            [this] { m_meter->setValue(m_meter->value() >= 100 ? 0 : m_meter->value() + 2); });
    statusBar()->addWidget(m_statusMessage, 1);
    statusBar()->addPermanentWidget(m_meter);
    statusBar()->hide();
    m_meter->hide();

    createActions();
    createMenus();
    createToolBar();
    updateCentralPanel();
    updateCommands();
}

TMainForm::~TMainForm() {
    // Subwindows closing while the frame goes away must not reach menus that
    // are already gone.
    m_closingAll = true;
    disconnect(m_mdiArea, nullptr, this, nullptr);
    m_mdiArea->viewport()->removeEventFilter(this);
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) sub->removeEventFilter(this);
}

QString TMainForm::emptyPanelText() {
    return QStringLiteral("No Vextal documents are open. Pull down the File menu and choose New or Open.");
}

QString TMainForm::programFolder() const { return QCoreApplication::applicationDirPath(); }

bool TMainForm::isEmptyPanelShown() const { return m_stack->currentWidget() == m_emptyPanel; }

void TMainForm::updateCentralPanel() {
    m_stack->setCurrentWidget(documents().isEmpty() ? static_cast<QWidget*>(m_emptyPanel) : m_mdiArea);
    updateCommands();
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
    } else if (auto* sub = qobject_cast<QMdiSubWindow*>(watched)) {
        if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
            scheduleCentralPanelUpdate();
        } else if (event->type() == QEvent::Close && !m_closingAll) {
            auto* form = qobject_cast<TAnalysisForm*>(sub->widget());
            if (form && !confirmClose(form)) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ------------------------------------------------------------------ actions

QAction* TMainForm::makeAction(const QString& name, const QString& caption, const QKeySequence& shortcut,
                               const std::function<void()>& run) {
    auto* item = new QAction(caption, this);
    item->setObjectName(name);
    if (!shortcut.isEmpty()) item->setShortcut(shortcut);
    connect(item, &QAction::triggered, this, [run] { run(); });
    m_actions[name] = item;
    return item;
}

QAction* TMainForm::action(const QString& name) const {
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

void TMainForm::createActions() {
    const auto onDocument = [this](void (TAnalysisForm::*command)()) {
        return [this, command] {
            if (TAnalysisForm* form = activeDocument(); form && !Calculating()) (form->*command)();
        };
    };
    makeAction(QStringLiteral("newAction"), tr("&New File"), QKeySequence(Qt::CTRL | Qt::Key_N),
               [this] { newFileCommand(); });
    makeAction(QStringLiteral("openAction"), tr("&Open Vextal File"), QKeySequence(Qt::CTRL | Qt::Key_O),
               [this] { openFromDialog(); });
    makeAction(QStringLiteral("closeAction"), tr("&Close"), QKeySequence(Qt::CTRL | Qt::Key_W), [this] {
        if (QMdiSubWindow* sub = m_mdiArea->currentSubWindow(); sub && !Calculating()) sub->close();
    });
    makeAction(QStringLiteral("saveAction"), tr("&Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
               [this] { saveActive(false); });
    makeAction(QStringLiteral("saveAsAction"), tr("Save &As..."), {}, [this] { saveActive(true); });
    makeAction(QStringLiteral("printerSetupAction"), tr("Printer Setup"), {}, [this] { printerSetup(this); });
    makeAction(QStringLiteral("printAction"), tr("&Print"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] {
        if (TAnalysisForm* form = activeDocument(); form && !Calculating()) form->printCommand(programPrinter());
    });
    makeAction(QStringLiteral("importAction"), tr("&Import Data (text)..."), {}, [this] {
        TAnalysisForm* form = activeDocument();
        if (!form || Calculating()) return;
        QString folder = fromStd(m_settings.ImportFolder);
        form->importCommand(folder);
        m_settings.ImportFolder = folder.toStdString();
    });
    makeAction(QStringLiteral("exportAction"), tr("&Export..."), {}, [this] {
        if (TAnalysisForm* form = activeDocument(); form && !Calculating())
            form->exportCommand(m_exportDecimalSeparator, programFolder());
    });
    QAction* exitAction = makeAction(QStringLiteral("exitAction"), tr("E&xit Vextal"),
                                     QKeySequence(Qt::ALT | Qt::Key_F4), [this] { close(); });
    exitAction->setMenuRole(QAction::QuitRole);

    makeAction(QStringLiteral("cutAction"), tr("Cu&t"), QKeySequence(Qt::CTRL | Qt::Key_X),
               onDocument(&TAnalysisForm::cutCommand));
    makeAction(QStringLiteral("copyAction"), tr("&Copy"), QKeySequence(Qt::CTRL | Qt::Key_C),
               onDocument(&TAnalysisForm::copyCommand));
    makeAction(QStringLiteral("pasteAction"), tr("&Paste"), QKeySequence(Qt::CTRL | Qt::Key_V), [this] {
        if (TAnalysisForm* form = activeDocument(); form && !Calculating()) form->pasteCommand(false);
    });
    makeAction(QStringLiteral("transposePasteAction"), tr("T&ranspose Paste"), {}, [this] {
        if (TAnalysisForm* form = activeDocument(); form && !Calculating()) form->pasteCommand(true);
    });
    makeAction(QStringLiteral("appendToNotesAction"), tr("Append to &Notes"), {},
               onDocument(&TAnalysisForm::appendToNotesCommand));
    makeAction(QStringLiteral("clearAction"), tr("Cl&ear"), QKeySequence(Qt::Key_Delete),
               onDocument(&TAnalysisForm::clearCommand));
    makeAction(QStringLiteral("clearAllAction"), tr("Clear All"), {}, onDocument(&TAnalysisForm::deleteAllData));
    makeAction(QStringLiteral("selectColumnAction"), tr("Select C&olumn"), QKeySequence(Qt::CTRL | Qt::Key_Space),
               onDocument(&TAnalysisForm::selectColumnCommand));
    makeAction(QStringLiteral("selectRowAction"), tr("Select &Row"), QKeySequence(Qt::SHIFT | Qt::Key_Space),
               onDocument(&TAnalysisForm::selectRowCommand));
    makeAction(QStringLiteral("selectAllAction"), tr("Select &All"), QKeySequence(Qt::CTRL | Qt::Key_A),
               onDocument(&TAnalysisForm::selectAllCommand));
    makeAction(QStringLiteral("deleteCellsAction"), tr("&Delete cells..."), {},
               onDocument(&TAnalysisForm::deleteCellsCommand));
    makeAction(QStringLiteral("insertCellsAction"), tr("&Insert cells..."), {},
               onDocument(&TAnalysisForm::insertCellsCommand));
    makeAction(QStringLiteral("viewNotesAction"), tr("View No&tes"), QKeySequence(Qt::CTRL | Qt::Key_T),
               onDocument(&TAnalysisForm::viewNotesCommand));

    makeAction(QStringLiteral("transformAction"), tr("&Transform"), {}, onDocument(&TAnalysisForm::transformCommand));
    makeAction(QStringLiteral("combineAction"), tr("Combine &Variables"), {},
               onDocument(&TAnalysisForm::combineCommand));
    makeAction(QStringLiteral("numberFormatAction"), tr("&Number Format"), {},
               onDocument(&TAnalysisForm::numberFormatCommand));
    makeAction(QStringLiteral("excludeAction"), tr("&Exclude"), QKeySequence(Qt::CTRL | Qt::Key_E),
               onDocument(&TAnalysisForm::excludeCommand))
        ->setCheckable(true);

    makeAction(QStringLiteral("nextStepAction"), tr("&Next Step"), QKeySequence(Qt::Key_F10),
               onDocument(&TAnalysisForm::nextStep));
    makeAction(QStringLiteral("previousStepAction"), tr("&Previous Step"), QKeySequence(Qt::Key_F9),
               onDocument(&TAnalysisForm::previousStep));
    const QString stepCaptions[] = {tr("&1st. Data Format"), tr("&Enter && Edit Data"), tr("&Column Stats"),
                                    tr("C&hoose Test"),      tr("&Results"),            tr("&Graph")};
    for (int step = 0; step < 6; ++step)
        makeAction(QStringLiteral("step%1Action").arg(step), stepCaptions[step],
                   QKeySequence(Qt::SHIFT | (Qt::Key_F1 + step)), [this, step] {
                       if (TAnalysisForm* form = activeDocument(); form && !Calculating()) form->showStep(step);
                   });

    makeAction(QStringLiteral("cascadeAction"), tr("&Cascade"), {}, [this] { m_mdiArea->cascadeSubWindows(); });
    makeAction(QStringLiteral("tileAction"), tr("&Tile"), {}, [this] { m_mdiArea->tileSubWindows(); });
    makeAction(QStringLiteral("duplicateAction"), tr("&Duplicate"), {}, [this] { duplicateActive(); });
    makeAction(QStringLiteral("nextWindowAction"), tr("Next Window"), QKeySequence(Qt::CTRL | Qt::Key_F6),
               [this] { m_mdiArea->activateNextSubWindow(); });

    const auto topic = [this](int number) { return [this, number] { m_help(number); }; };
    makeAction(QStringLiteral("helpContentsAction"), tr("&Contents"), QKeySequence(Qt::Key_F1), topic(1));
    makeAction(QStringLiteral("helpSearchAction"), tr("Search"), {}, [this] { THelpViewer::ShowHelpSearch(this); });
    makeAction(QStringLiteral("helpWhatAction"), tr("What Vextal does"), {}, topic(509));
    makeAction(QStringLiteral("helpTutorialAction"), tr("Tutorial"), {}, topic(496));
    makeAction(QStringLiteral("helpGuideAction"), tr("Vextal Guide"), {}, [this] { showGuide(); });
    makeAction(QStringLiteral("helpCommandsAction"), tr("Commands"), {}, topic(505));
    makeAction(QStringLiteral("helpMirevoltAction"), tr("Corvanta Mirevolt"), {}, topic(238));
    makeAction(QStringLiteral("helpPexilAction"), tr("Corvanta Pexil"), {}, topic(302));
    makeAction(QStringLiteral("helpSupportAction"), tr("Technical Support"), {}, topic(229));
    makeAction(QStringLiteral("helpCiteAction"), tr("How to Cite Vextal"), {}, topic(507));
    makeAction(QStringLiteral("aboutAction"), tr("&About Corvanta Vextal"), {}, [this] {
        QMessageBox::about(this, tr("About Corvanta Vextal"),
                           tr("<h3>Corvanta Vextal 3.06</h3><p>Statistics for scientists: choose a data format, "
                              "enter the data, pick a test and read the results in plain words.</p>"
                              "<p>Corvanta Software</p>"));
    });

    makeAction(QStringLiteral("deleteAllAction"), tr("Delete all data"), {},
               onDocument(&TAnalysisForm::deleteAllData));
    makeAction(QStringLiteral("guideButtonAction"), tr("Show the Vextal Guide"), {}, [this] { showGuide(); });
    for (int which = 0; which < 2; ++which)
        m_helpButtons[which] = makeAction(QStringLiteral("helpButton%1").arg(which), QString(), {},
                                          [this, which] { helpButton(which); });
}

void TMainForm::createMenus() {
    m_fileMenu = menuBar()->addMenu(tr("&File"));
    m_fileMenu->setObjectName(QStringLiteral("fileMenu"));
    for (const char* name : {"newAction", "openAction", "closeAction", "saveAction", "saveAsAction"})
        m_fileMenu->addAction(action(QLatin1String(name)));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(action(QStringLiteral("printerSetupAction")));
    m_fileMenu->addAction(action(QStringLiteral("printAction")));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(action(QStringLiteral("importAction")));
    m_fileMenu->addAction(action(QStringLiteral("exportAction")));
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(action(QStringLiteral("exitAction")));
    m_recentSeparator = m_fileMenu->addSeparator();
    m_recentSeparator->setVisible(false);

    m_editMenu = menuBar()->addMenu(tr("&Edit"));
    m_editMenu->setObjectName(QStringLiteral("editMenu"));
    for (const char* name : {"cutAction", "copyAction", "pasteAction", "transposePasteAction", "appendToNotesAction"})
        m_editMenu->addAction(action(QLatin1String(name)));
    m_editMenu->addSeparator();
    m_editMenu->addAction(action(QStringLiteral("clearAction")));
    m_editMenu->addAction(action(QStringLiteral("clearAllAction")));
    m_editMenu->addSeparator();
    for (const char* name : {"selectColumnAction", "selectRowAction", "selectAllAction"})
        m_editMenu->addAction(action(QLatin1String(name)));
    m_editMenu->addSeparator();
    m_editMenu->addAction(action(QStringLiteral("deleteCellsAction")));
    m_editMenu->addAction(action(QStringLiteral("insertCellsAction")));
    m_editMenu->addSeparator();
    m_editMenu->addAction(action(QStringLiteral("viewNotesAction")));
    connect(m_editMenu, &QMenu::aboutToShow, this, [this] { updateEditMenu(); });

    QMenu* dataMenu = menuBar()->addMenu(tr("&Data"));
    for (const char* name : {"transformAction", "combineAction", "numberFormatAction"})
        dataMenu->addAction(action(QLatin1String(name)));
    dataMenu->addSeparator();
    dataMenu->addAction(action(QStringLiteral("excludeAction")));
    connect(dataMenu, &QMenu::aboutToShow, this, [this] { updateEditMenu(); });

    m_stepsMenu = menuBar()->addMenu(tr("&Steps"));
    m_stepsMenu->setObjectName(QStringLiteral("stepsMenu"));
    m_stepsMenu->addAction(action(QStringLiteral("nextStepAction")));
    m_stepsMenu->addAction(action(QStringLiteral("previousStepAction")));
    m_stepsMenu->addSeparator();
    for (int step = 0; step < 6; ++step) m_stepsMenu->addAction(action(QStringLiteral("step%1Action").arg(step)));
    connect(m_stepsMenu, &QMenu::aboutToShow, this, [this] { updateCommands(); });

    m_windowMenu = menuBar()->addMenu(tr("&Window"));
    m_windowMenu->setObjectName(QStringLiteral("windowMenu"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] { rebuildWindowMenu(); });
    rebuildWindowMenu();

    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    for (const char* name : {"helpContentsAction", "helpSearchAction", "helpWhatAction", "helpTutorialAction",
                             "helpGuideAction", "helpCommandsAction"})
        helpMenu->addAction(action(QLatin1String(name)));
    helpMenu->addSeparator();
    for (const char* name : {"helpMirevoltAction", "helpPexilAction", "helpSupportAction", "helpCiteAction"})
        helpMenu->addAction(action(QLatin1String(name)));
    helpMenu->addSeparator();
    helpMenu->addAction(action(QStringLiteral("aboutAction")));
}

void TMainForm::createToolBar() {
    m_toolBar = addToolBar(tr("File and edit"));
    m_toolBar->setObjectName(QStringLiteral("mainToolBar"));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QStyle* style = this->style();
    const auto button = [&](const char* name, const QString& hint, QStyle::StandardPixmap icon, bool textOnly) {
        QAction* item = action(QLatin1String(name));
        item->setToolTip(hint);
        item->setStatusTip(hint);
        if (!textOnly) item->setIcon(style->standardIcon(icon));
        m_toolBar->addAction(item);
        if (!textOnly)
            if (auto* tool = qobject_cast<QToolButton*>(m_toolBar->widgetForAction(item)))
                tool->setToolButtonStyle(Qt::ToolButtonIconOnly);
    };
    button("newAction", tr("New file. Start over. (Ctrl + N)"), QStyle::SP_FileIcon, false);
    button("openAction", tr("Open Vextal file (Ctrl + O)"), QStyle::SP_DialogOpenButton, false);
    button("saveAction", tr("Save (Ctrl + S)"), QStyle::SP_DialogSaveButton, false);
    button("printAction", tr("Print (Ctrl + P)"), QStyle::SP_FileDialogDetailedView, false);
    m_toolBar->addSeparator();
    button("cutAction", tr("Cut to clipboard (Ctrl + X)"), QStyle::SP_DialogDiscardButton, true);
    button("copyAction", tr("Copy to clipboard (Ctrl + C)"), QStyle::SP_FileDialogContentsView, true);
    button("pasteAction", tr("Paste from clipboard (Ctrl + V)"), QStyle::SP_DialogApplyButton, true);
    m_toolBar->addSeparator();
    button("importAction", tr("Import"), QStyle::SP_ArrowDown, true);
    button("exportAction", tr("Export"), QStyle::SP_ArrowUp, true);
    button("viewNotesAction", tr("View and edit notes (Ctrl + T)"), QStyle::SP_FileDialogInfoView, true);
    button("deleteAllAction", tr("Delete all data"), QStyle::SP_TrashIcon, true);
    button("guideButtonAction", tr("Show the Vextal Guide "), QStyle::SP_MessageBoxQuestion, true);
    m_toolBar->addSeparator();
    for (QAction* help : m_helpButtons) {
        help->setIcon(style->standardIcon(QStyle::SP_DialogHelpButton));
        m_toolBar->addAction(help);
    }
    // The toolbar's short captions; the menus keep their own.
    action(QStringLiteral("cutAction"))->setIconText(tr("Cut"));
    action(QStringLiteral("copyAction"))->setIconText(tr("Copy"));
    action(QStringLiteral("pasteAction"))->setIconText(tr("Paste"));
    action(QStringLiteral("importAction"))->setIconText(tr("Import"));
    action(QStringLiteral("exportAction"))->setIconText(tr("Export"));
    action(QStringLiteral("viewNotesAction"))->setIconText(tr("Notes"));
    action(QStringLiteral("guideButtonAction"))->setIconText(tr("Guide"));
}

// ------------------------------------------------------------------ enabling

void TMainForm::updateCommands() {
    TAnalysisForm* form = activeDocument();
    const bool any = form != nullptr;
    const StepCommands commands = any ? form->stepCommands() : StepCommands{};
    const auto set = [this](const char* name, bool on) {
        if (QAction* item = action(QLatin1String(name))) item->setEnabled(on);
    };
    for (const char* name : {"saveAction", "saveAsAction", "closeAction", "viewNotesAction", "nextStepAction",
                             "previousStepAction", "cascadeAction", "tileAction", "duplicateAction"})
        set(name, any);
    set("importAction", commands.Import);
    set("exportAction", commands.Export);
    set("printAction", commands.Print);
    set("pasteAction", commands.Paste);
    set("transposePasteAction", commands.TransposePaste);
    set("selectColumnAction", commands.SelectColumn);
    set("selectRowAction", commands.SelectRow);
    set("insertCellsAction", commands.InsertCells);
    set("transformAction", commands.Transform);
    set("combineAction", commands.CombineVariables);
    set("numberFormatAction", commands.NumberFormat);
    set("cutAction", commands.Cut);
    set("clearAction", commands.Clear);
    set("deleteCellsAction", commands.DeleteCells);
    set("copyAction", commands.Copy);
    set("selectAllAction", commands.SelectAll);
    set("appendToNotesAction", commands.AppendToNotes);
    set("excludeAction", commands.Exclude);
    // "Delete all data" follows Clear All, and only on the Data Table step.
    set("clearAllAction", any);
    set("deleteAllAction", any && form->currentStep() == TAnalysisForm::DataStep);
    action(QStringLiteral("printAction"))->setText(fromStd(commands.PrintCaption).replace(
        QStringLiteral("Print"), QStringLiteral("&Print")));
    action(QStringLiteral("copyAction"))->setText(fromStd(commands.CopyCaption));
    action(QStringLiteral("copyAction"))->setToolTip(fromStd(commands.CopyHint));
    action(QStringLiteral("copyAction"))->setIconText(tr("Copy"));
    m_stepsMenu->setEnabled(any);
    m_editMenu->setEnabled(any);
    const auto steps = any ? form->enabledSteps() : std::array<bool, 6>{};
    for (int step = 0; step < 6; ++step) {
        QAction* item = action(QStringLiteral("step%1Action").arg(step));
        item->setEnabled(steps[step]);
        item->setCheckable(true);
        item->setChecked(any && form->currentStep() == step);
    }

    // The two help buttons follow the step; without a document they explain
    // the data formats and open the guide.
    const auto buttons = any ? form->helpButtons() : HelpButtonsForStep(StepPage::Start, 0, 0);
    for (int which = 0; which < 2; ++which) {
        m_helpButtons[which]->setText(fromStd(buttons[which].Caption));
        m_helpButtons[which]->setToolTip(fromStd(buttons[which].Hint));
        m_helpButtons[which]->setData(buttons[which].Topic);
    }
}

void TMainForm::updateEditMenu() {
    updateCommands();
    TAnalysisForm* form = activeDocument();
    const StepCommands commands = form ? form->stepCommands() : StepCommands{};
    const QMimeData* clip = QGuiApplication::clipboard()->mimeData();
    const bool text = clip && clip->hasText();
    action(QStringLiteral("pasteAction"))->setEnabled(commands.Paste && text);
    action(QStringLiteral("transposePasteAction"))->setEnabled(commands.TransposePaste && text);
    action(QStringLiteral("excludeAction"))->setChecked(form && form->selectionExcluded());
}

void TMainForm::rebuildWindowMenu() {
    m_windowMenu->clear();
    const QList<TAnalysisForm*> open = documents();
    for (const char* name : {"cascadeAction", "tileAction", "duplicateAction", "nextWindowAction"})
        m_windowMenu->addAction(action(QLatin1String(name)));
    action(QStringLiteral("cascadeAction"))->setEnabled(open.size() > 1);
    action(QStringLiteral("tileAction"))->setEnabled(open.size() > 1);
    action(QStringLiteral("nextWindowAction"))->setEnabled(open.size() > 1);
    action(QStringLiteral("duplicateAction"))->setEnabled(!open.isEmpty());
    qDeleteAll(m_windowItems);
    m_windowItems.clear();
    if (!open.isEmpty()) m_windowMenu->addSeparator();
    int number = 1;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        auto* form = qobject_cast<TAnalysisForm*>(sub->widget());
        if (!form) continue;
        auto* item = new QAction(QStringLiteral("&%1 %2").arg(number++).arg(form->fileName()), this);
        item->setCheckable(true);
        item->setChecked(sub == m_mdiArea->activeSubWindow());
        connect(item, &QAction::triggered, this, [this, sub] { m_mdiArea->setActiveSubWindow(sub); });
        m_windowMenu->addAction(item);
        m_windowItems << item;
    }
}

void TMainForm::rebuildRecentItems() {
    for (QAction* item : m_recentItems) {
        m_fileMenu->removeAction(item);
        item->deleteLater();
    }
    m_recentItems.clear();
    const std::vector<RecentMenuItem> items = RecentMenuItems(m_settings.RecentFiles);
    m_recentSeparator->setVisible(!items.empty());
    for (const RecentMenuItem& entry : items) {
        auto* item = new QAction(fromStd(entry.Caption), this);
        item->setObjectName(QStringLiteral("recent%1").arg(entry.Number));
        connect(item, &QAction::triggered, this, [this, number = entry.Number] { openRecentFile(number); });
        m_fileMenu->addAction(item);
        m_recentItems << item;
    }
    emit recentFilesChanged();
}

// ------------------------------------------------------------------ settings

void TMainForm::useSettings(const ProgramSettings& settings, const QString& settingsFile) {
    m_settings = settings;
    m_settingsFile = settingsFile;
    m_exportDecimalSeparator = settings.DecimalSeparator;
    rebuildRecentItems();
}

NumberSettings TMainForm::numberSettings() const {
    NumberSettings numbers = SystemNumberSettings();
    numbers.DecimalSeparator = m_settings.DecimalSeparator;
    return numbers;
}

void TMainForm::addRecentFile(const QString& path) {
    AddRecentFile(m_settings.RecentFiles, QFileInfo(path).absoluteFilePath().toStdString());
    rebuildRecentItems();
}

void TMainForm::rememberFolder(const QString& path) {
    m_settings.VextalFolder = QFileInfo(path).absolutePath().toStdString();
}

// ------------------------------------------------------------------ documents

vextal::MessageSink TMainForm::messageSink() {
    return [this](const std::string& caption, const std::string& text) { m_message(caption, text); };
}

void TMainForm::showMessage(const QString& text) { m_message(FrameCaption.toStdString(), text.toStdString()); }

QList<TAnalysisForm*> TMainForm::documents() const {
    QList<TAnalysisForm*> forms;
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        // A subwindow closed without Qt::WA_DeleteOnClose is only hidden.
        if (sub->isHidden() && sub->testAttribute(Qt::WA_WState_ExplicitShowHide)) continue;
        if (auto* form = qobject_cast<TAnalysisForm*>(sub->widget())) forms << form;
    }
    return forms;
}

bool TMainForm::atDocumentLimit() {
    if (documents().size() < MaxDocuments) return false;
    showMessage(TooManyDocuments);
    return true;
}

QString TMainForm::nextDatasetName() const {
    QStringList used;
    for (TAnalysisForm* form : documents()) used << QFileInfo(form->fileName()).fileName().toUpper();
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("DATASET%1.VXD").arg(n);
        if (!used.contains(name)) return name;
    }
}

void TMainForm::addDocumentWindow(TAnalysisForm* form) {
    QMdiSubWindow* sub = m_mdiArea->addSubWindow(form);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->installEventFilter(this);  // the save question on closing
    connect(form, &TAnalysisForm::captionChanged, sub, &QWidget::setWindowTitle);
    connect(form, &TAnalysisForm::stepChanged, this, [this, form] { stepChanged(form); });
    // The Steps menu carries the step keys while the frame holds the form.
    for (QShortcut* shortcut : form->findChildren<QShortcut*>()) shortcut->setEnabled(false);
    sub->setWindowTitle(form->windowTitle());
    sub->showMaximized();
    form->setFocus();
    updateCentralPanel();
}

void TMainForm::stepChanged(TAnalysisForm* form) {
    if (form == activeDocument()) updateCommands();
    // While the guide has been opened in this run, it follows every step.
    if (m_settings.ShowNewUserHints && !m_closingAll)
        QTimer::singleShot(0, this, [this, form = QPointer<TAnalysisForm>(form)] {
            if (form && form == activeDocument() && m_settings.ShowNewUserHints) m_guide(form->currentStep());
        });
}

void TMainForm::showGuide() {
    if (Calculating()) return;
    m_settings.ShowNewUserHints = true;
    TAnalysisForm* form = activeDocument();
    m_guide(form ? form->currentStep() : -1);
}

void TMainForm::helpButton(int which) {
    const int topic = m_helpButtons[which]->data().toInt();
    TAnalysisForm* form = activeDocument();
    // The second button on the Start step opens the guide instead of a topic.
    if (which == 1 && (!form || form->currentStep() == TAnalysisForm::StartStep)) {
        showGuide();
        return;
    }
    if (topic > 0) m_help(topic);
}

TAnalysisForm* TMainForm::newDocument() {
    if (Calculating() || atDocumentLimit()) return nullptr;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    auto* form = new TAnalysisForm(numberSettings());
    form->setFileName(nextDatasetName());
    addDocumentWindow(form);
    QGuiApplication::restoreOverrideCursor();
    return form;
}

TAnalysisForm* TMainForm::newFileCommand() {
    if (Calculating()) return nullptr;
    TAnalysisForm* current = activeDocument();
    if (!current) return newDocument();
    QStringList items;
    for (const char* choice : NewFileChoices) items << QString::fromLatin1(choice);
    switch (m_choose(QStringLiteral("Create a new file"), items, QString::fromLatin1(NewFileQuestion))) {
    case 0: {
        QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
        if (sub && !sub->close()) return nullptr;
        return newDocument();
    }
    case 1: return newDocument();
    case 2: return duplicateActive();
    default: return nullptr;
    }
}

TAnalysisForm* TMainForm::openDocument(const QString& fileName) {
    if (Calculating()) return nullptr;
    // A window that already shows the file is brought forward instead.
    for (QMdiSubWindow* sub : m_mdiArea->subWindowList())
        if (auto* form = qobject_cast<TAnalysisForm*>(sub->widget());
            form && !form->needsName() && SameFilePath(QFileInfo(form->fileName()).absoluteFilePath().toStdString(),
                                                       QFileInfo(fileName).absoluteFilePath().toStdString())) {
            m_mdiArea->setActiveSubWindow(sub);
            addRecentFile(fileName);
            return form;
        }
    // A fresh, empty document gives way to the file.
    TAnalysisForm* replaced = activeDocument();
    if (replaced && !replaced->isBlank()) replaced = nullptr;
    if (!replaced && atDocumentLimit()) return nullptr;

    showStatusBar(QStringLiteral("Reading data..."), true);
    auto* form = new TAnalysisForm(numberSettings());
    const bool loaded = form->loadFile(fileName, messageSink());
    hideStatusBar();
    if (!loaded) {
        delete form;
        return nullptr;
    }
    if (replaced) {
        m_closingAll = true;  // nothing to ask about an empty document
        if (QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(replaced->parentWidget())) sub->close();
        m_closingAll = false;
    }
    form->setWindowTitle(QFileInfo(fileName).absoluteFilePath());
    addDocumentWindow(form);
    emit form->captionChanged(QFileInfo(fileName).absoluteFilePath());
    rememberFolder(fileName);
    addRecentFile(fileName);
    return form;
}

void TMainForm::openFromDialog() {
    if (Calculating()) return;
    const QString fileName = m_openDialog(tr("Open"), fromStd(m_settings.VextalFolder));
    if (!fileName.isEmpty()) openDocument(fileName);
}

void TMainForm::openRecentFile(int entry) {
    if (Calculating() || entry < 1 || entry > RecentFileCount) return;
    const std::string path = m_settings.RecentFiles[static_cast<std::size_t>(entry - 1)];
    const RecentFileChoice choice = ChooseRecentFile(
        path, programFolder().toStdString(),
        [this](const std::string& candidate) {
            for (TAnalysisForm* form : documents())
                if (!form->needsName() &&
                    SameFilePath(QFileInfo(form->fileName()).absoluteFilePath().toStdString(), candidate))
                    return true;
            return false;
        },
        [](const std::string& candidate) { return QFileInfo(fromStd(candidate)).isFile(); });
    switch (choice.Action) {
    case RecentFileAction::ActivateWindow:
    case RecentFileAction::OpenFile: openDocument(fromStd(choice.Path)); break;
    case RecentFileAction::FileNotFound: showMessage(QStringLiteral("File not found.")); break;
    case RecentFileAction::Nothing: break;
    }
}

TAnalysisForm* TMainForm::duplicateActive() {
    TAnalysisForm* source = activeDocument();
    if (!source || Calculating() || atDocumentLimit()) return nullptr;
    source->commitPendingEdits();
    // A uniquely named file of our own in the system's temporary folder.
    QTemporaryFile temporary(QDir::temp().absoluteFilePath(QStringLiteral("VEXTAL-XXXXXX.VXD")));
    if (!temporary.open()) {
        showMessage(QStringLiteral("Could not write to %1.").arg(temporary.fileTemplate()));
        return nullptr;
    }
    const QString path = temporary.fileName();
    temporary.close();
    const int code = SaveDocument(source->document(), path.toStdString(), [](const std::string&, const std::string&) {});
    if (code != 0) {
        showMessage(QStringLiteral("Error #%1 writing to %2.").arg(code).arg(path));
        return nullptr;
    }
    auto* form = new TAnalysisForm(numberSettings());
    if (!form->loadFile(path, messageSink())) {
        delete form;
        return nullptr;
    }
    form->setFileName(nextDatasetName());
    form->setNeedsName(true);
    form->document().State.DocumentModified = source->document().State.DocumentModified;
    addDocumentWindow(form);
    return form;
}

TAnalysisForm* TMainForm::activeDocument() const {
    QMdiSubWindow* sub = m_mdiArea->currentSubWindow();
    if (!sub) sub = m_mdiArea->activeSubWindow();
    auto* form = sub ? qobject_cast<TAnalysisForm*>(sub->widget()) : nullptr;
    if (!form && !documents().isEmpty()) form = documents().constLast();
    return form;
}

bool TMainForm::saveActive(bool askName) { return saveDocument(activeDocument(), askName); }

bool TMainForm::saveDocument(TAnalysisForm* form, bool askName) {
    if (!form || Calculating()) return false;
    form->commitPendingEdits();
    QString fileName = form->fileName();
    if (askName || form->needsName()) {
        const QString caption = form->needsName() ? tr("Save") : tr("Save As");
        QString start = fileName;
        if (QFileInfo(start).isRelative()) start = QDir(fromStd(m_settings.VextalFolder)).absoluteFilePath(start);
        fileName = m_saveDialog(caption, start);
        if (fileName.isEmpty()) return false;
    }
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const int code = form->saveFile(fileName, messageSink());
    QGuiApplication::restoreOverrideCursor();
    form->setWindowTitle(QFileInfo(fileName).absoluteFilePath());
    emit form->captionChanged(form->windowTitle());
    rememberFolder(fileName);
    addRecentFile(fileName);
    return code == 0;
}

bool TMainForm::confirmClose(TAnalysisForm* form) {
    if (Calculating() || !form->canClose()) return false;
    form->commitPendingEdits();
    if (!form->document().State.DocumentModified) return true;
    switch (m_saveQuestion(QFileInfo(form->fileName()).fileName())) {
    case 0: return saveDocument(form, false);
    case 1: return true;
    default: return false;
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (Calculating()) {
        // Exit asks the running calculation to stop instead of closing.
        for (TAnalysisForm* form : documents())
            if (form->progress()->IsCalculating()) form->progress()->RequestCancel();
        event->ignore();
        return;
    }
    for (TAnalysisForm* form : documents()) {
        if (QMdiSubWindow* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget())) m_mdiArea->setActiveSubWindow(sub);
        if (!confirmClose(form)) {
            event->ignore();
            return;
        }
    }
    m_closingAll = true;
    m_mdiArea->closeAllSubWindows();
    rememberWindowSize(m_settings, this);
    if (!m_settingsFile.isEmpty()) saveProgramSettings(m_settings, m_settingsFile);
    event->accept();
}

// ------------------------------------------------------------------ status bar

void TMainForm::showStatusBar(const QString& message, bool meter) {
    setEnabled(false);
    statusBar()->show();
    m_statusMessage->setText(message);
    m_meter->setValue(0);
    m_meter->setVisible(true);
    if (meter) m_meterTimer->start();
}

void TMainForm::hideStatusBar() {
    m_meterTimer->stop();
    m_meter->setValue(0);
    m_meter->hide();
    setEnabled(true);
    m_statusMessage->clear();
    statusBar()->hide();
}
