#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include "data/data_table.h"
#include "gui/TAnalysisForm.h"
#include "gui/TMainForm.h"
#include "workflow/calculation_progress.h"
#include "workflow/settings_file.h"

using namespace vextal;

namespace {

// Lets deferred panel updates and deleteLater() run.
void settle() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

QString example(const char* name) { return QDir(QStringLiteral(VEXTAL_EXAMPLES_DIR)).absoluteFilePath(QLatin1String(name)); }

// A frame whose boxes and dialogs are answered by the test.
struct Frame {
    Frame() {
        form.setMessageHook([this](const std::string&, const std::string& text) { messages << QString::fromStdString(text); });
        form.setChoiceHook([this](const QString&, const QStringList&, const QString&) { return newChoice; });
        form.setSaveQuestionHook([this](const QString& name) {
            asked << name;
            return saveAnswer;
        });
        form.setSaveDialogHook([this](const QString&, const QString&) { return saveAs; });
        form.setOpenDialogHook([this](const QString&, const QString&) { return openPath; });
        form.setGuideHook([this](int step) { guideSteps << step; });
        form.setHelpHook([this](int topic) { topics << topic; });
        form.resize(900, 640);
        form.show();
        settle();
    }
    bool enabled(const char* name) const { return form.action(QLatin1String(name))->isEnabled(); }

    TMainForm form;
    QStringList messages;
    QStringList asked;
    int newChoice = 1;
    int saveAnswer = 2;
    QString saveAs;
    QString openPath;
    QList<int> guideSteps;
    QList<int> topics;
};

TEST(MainForm, CaptionMenusAndTheEmptyFrame) {
    Frame f;
    EXPECT_EQ(f.form.windowTitle(), QStringLiteral("Corvanta Vextal 32-bit"));
    EXPECT_EQ(f.form.action(QStringLiteral("exitAction"))->text(), QStringLiteral("E&xit Vextal"));
    EXPECT_EQ(f.form.action(QStringLiteral("newAction"))->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(f.form.action(QStringLiteral("selectRowAction"))->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_Space));
    EXPECT_EQ(f.form.action(QStringLiteral("step5Action"))->shortcut(), QKeySequence(Qt::SHIFT | Qt::Key_F6));
    EXPECT_EQ(f.form.action(QStringLiteral("newAction"))->toolTip(), QStringLiteral("New file. Start over. (Ctrl + N)"));

    // No document: only New, Open, Printer Setup, Exit and Help do anything.
    EXPECT_TRUE(f.form.isEmptyPanelShown());
    EXPECT_EQ(f.form.findChild<QLabel*>(QStringLiteral("emptyPanel"))->text(), TMainForm::emptyPanelText());
    for (const char* on : {"newAction", "openAction", "printerSetupAction", "exitAction", "helpContentsAction"})
        EXPECT_TRUE(f.enabled(on)) << on;
    for (const char* off : {"saveAction", "saveAsAction", "closeAction", "printAction", "importAction", "exportAction",
                            "viewNotesAction", "cascadeAction", "tileAction", "clearAllAction", "nextStepAction"})
        EXPECT_FALSE(f.enabled(off)) << off;
}

TEST(MainForm, CommandsFollowTheStepOfTheActiveDocument) {
    Frame f;
    TAnalysisForm* doc = f.form.openDocument(example("raw_data.vxd"));
    ASSERT_NE(doc, nullptr);
    EXPECT_FALSE(f.form.isEmptyPanelShown());
    struct Expect {
        int step;
        bool import, copy, print, appendToNotes, exclude;
        const char* printCaption;
    };
    const Expect table[] = {{TAnalysisForm::StartStep, false, false, false, false, false, "&Print"},
                            {TAnalysisForm::DataStep, true, true, true, false, true, "&Print Data"},
                            {TAnalysisForm::StatsStep, false, true, true, false, false, "&Print Stats"},
                            {TAnalysisForm::ChooseStep, false, false, false, false, false, "&Print"},
                            {TAnalysisForm::ResultsStep, false, true, true, true, false, "&Print Results"},
                            {TAnalysisForm::GraphStep, false, true, true, false, false, "&Print Graph"}};
    for (const Expect& e : table) {
        SCOPED_TRACE(e.step);
        doc->showStep(e.step);
        EXPECT_EQ(f.enabled("importAction"), e.import);
        EXPECT_EQ(f.enabled("copyAction"), e.copy);
        EXPECT_EQ(f.enabled("printAction"), e.print);
        EXPECT_EQ(f.enabled("appendToNotesAction"), e.appendToNotes);
        EXPECT_EQ(f.enabled("excludeAction"), e.exclude);
        EXPECT_EQ(f.enabled("deleteAllAction"), e.step == TAnalysisForm::DataStep);
        EXPECT_EQ(f.form.action(QStringLiteral("printAction"))->text(), QString::fromLatin1(e.printCaption));
        EXPECT_TRUE(f.form.action(QStringLiteral("step%1Action").arg(e.step))->isChecked());
    }
    doc->showStep(TAnalysisForm::StatsStep);
    EXPECT_EQ(f.form.action(QStringLiteral("copyAction"))->text(), QStringLiteral("&Copy All"));

    // Opening the Edit menu: Paste only with text on the clipboard.
    doc->showStep(TAnalysisForm::DataStep);
    QMenu* edit = f.form.findChild<QMenu*>(QStringLiteral("editMenu"));
    QGuiApplication::clipboard()->clear();
    emit edit->aboutToShow();
    EXPECT_FALSE(f.enabled("pasteAction"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1\t2"));
    emit edit->aboutToShow();
    EXPECT_TRUE(f.enabled("pasteAction"));

    // The Window menu: arranging needs a second document.
    QMenu* window = f.form.findChild<QMenu*>(QStringLiteral("windowMenu"));
    emit window->aboutToShow();
    EXPECT_FALSE(f.enabled("tileAction"));
    EXPECT_TRUE(f.enabled("duplicateAction"));
    f.form.newDocument();
    emit window->aboutToShow();
    EXPECT_TRUE(f.enabled("tileAction"));
    EXPECT_TRUE(f.enabled("cascadeAction"));
}

TEST(MainForm, HelpButtonsFollowTheStep) {
    Frame f;
    TAnalysisForm* doc = f.form.newDocument();
    QAction* first = f.form.action(QStringLiteral("helpButton0"));
    QAction* second = f.form.action(QStringLiteral("helpButton1"));
    EXPECT_EQ(first->text(), QStringLiteral("Explain my choices"));
    second->trigger();
    EXPECT_EQ(f.guideSteps, QList<int>{TAnalysisForm::StartStep}) << "on Start the second button opens the guide";
    EXPECT_TRUE(f.form.guideShown());
    doc->showStep(TAnalysisForm::DataStep);
    settle();
    EXPECT_EQ(f.guideSteps.last(), TAnalysisForm::DataStep) << "the guide follows every step once shown";
    EXPECT_EQ(second->text(), QStringLiteral("Importing data"));
    second->trigger();
    first->trigger();
    EXPECT_EQ(f.topics, (QList<int>{21, 528}));
}

TEST(MainForm, RecentFilesPutTheLatestFirstAndActivateAnOpenWindow) {
    Frame f;
    TAnalysisForm* raw = f.form.openDocument(example("raw_data.vxd"));
    TAnalysisForm* xy = f.form.openDocument(example("xy_standard_curve.vxd"));
    ASSERT_TRUE(raw && xy);
    EXPECT_EQ(f.form.openDocument(example("raw_data.vxd")), raw) << "the open window is activated, not read again";
    EXPECT_EQ(f.form.documents().size(), 2);
    const RecentFileList& recent = f.form.settings().RecentFiles;
    EXPECT_EQ(QString::fromStdString(recent[0]), example("raw_data.vxd"));
    EXPECT_EQ(QString::fromStdString(recent[1]), example("xy_standard_curve.vxd"));
    EXPECT_TRUE(recent[2].empty());
    settle();  // the replaced menu items go
    QAction* item = f.form.findChild<QAction*>(QStringLiteral("recent2"));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("&2 ") + example("xy_standard_curve.vxd"));
    item->trigger();
    EXPECT_EQ(f.form.activeDocument(), xy);

    // An entry whose file has gone stays in the list after "File not found.".
    f.form.settings().RecentFiles[2] = "/no/such/file.VXD";
    f.form.openRecentFile(3);
    EXPECT_EQ(f.messages, QStringList{QStringLiteral("File not found.")});
    EXPECT_EQ(f.form.settings().RecentFiles[2], "/no/such/file.VXD");
}

TEST(MainForm, AFreshEmptyDocumentGivesWayToAnOpenedFile) {
    Frame f;
    f.form.newDocument();
    ASSERT_EQ(f.form.documents().size(), 1);
    f.form.openDocument(example("two_by_two.vxd"));
    settle();
    EXPECT_EQ(f.form.documents().size(), 1);
    EXPECT_EQ(f.form.activeDocument()->document().State.Format, DataFormat::TwoByTwo);
}

TEST(MainForm, TenDocumentsAtMost) {
    Frame f;
    for (int i = 0; i < TMainForm::MaxDocuments; ++i) ASSERT_NE(f.form.newDocument(), nullptr);
    EXPECT_EQ(f.form.activeDocument()->fileName(), QStringLiteral("DATASET10.VXD"));
    EXPECT_EQ(f.form.newDocument(), nullptr);
    EXPECT_EQ(f.form.duplicateActive(), nullptr);
    ASSERT_EQ(f.messages.size(), 2);
    EXPECT_EQ(f.messages[0],
              QStringLiteral("You can open up to 10 files (data sets) at one time. Close one and try again."));
    EXPECT_EQ(f.form.documents().size(), TMainForm::MaxDocuments);
}

TEST(MainForm, NewFileDialogChoices) {
    Frame f;
    TAnalysisForm* first = f.form.newFileCommand();  // no document yet: no dialog
    ASSERT_NE(first, nullptr);
    SetValue(first->document().Table, 0, 0, 4.5L);
    f.newChoice = 2;  // duplicate
    TAnalysisForm* copy = f.form.newFileCommand();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->fileName(), QStringLiteral("DATASET2.VXD"));
    EXPECT_TRUE(copy->needsName());
    EXPECT_EQ(RawValue(copy->document().Table, 0, 0), 4.5L);
    f.newChoice = -1;  // Cancel
    EXPECT_EQ(f.form.newFileCommand(), nullptr);
    f.newChoice = 0;  // close the current one and start anew
    TAnalysisForm* fresh = f.form.newFileCommand();
    settle();
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(f.form.documents().size(), 2);
    EXPECT_FALSE(HasData(fresh->document().Table));
}

TEST(MainForm, ClosingAChangedDocumentAsksToSave) {
    QTemporaryDir folder;
    Frame f;
    f.saveAs = folder.filePath(QStringLiteral("kept.VXD"));
    const auto changedWindow = [&f] {
        TAnalysisForm* doc = f.form.newDocument();
        SetValue(doc->document().Table, 0, 0, 7.0L);
        MarkChanged(doc->document().State);
        return qobject_cast<QMdiSubWindow*>(doc->parentWidget());
    };

    QPointer<QMdiSubWindow> cancelled = changedWindow();
    f.saveAnswer = 2;
    EXPECT_FALSE(cancelled->close());
    EXPECT_EQ(f.asked, QStringList{QStringLiteral("DATASET1.VXD")});

    f.saveAnswer = 1;  // Don't Save
    EXPECT_TRUE(cancelled->close());
    settle();
    EXPECT_TRUE(cancelled.isNull());

    QPointer<QMdiSubWindow> saved = changedWindow();
    f.saveAnswer = 0;  // Save: asks for a name, writes, closes
    EXPECT_TRUE(saved->close());
    settle();
    EXPECT_TRUE(QFile::exists(f.saveAs));
    EXPECT_EQ(QString::fromStdString(f.form.settings().RecentFiles[0]), f.saveAs);

    // A document without changes closes without a question.
    f.asked.clear();
    TAnalysisForm* clean = f.form.openDocument(f.saveAs);
    ASSERT_NE(clean, nullptr);
    EXPECT_TRUE(qobject_cast<QMdiSubWindow*>(clean->parentWidget())->close());
    EXPECT_TRUE(f.asked.isEmpty());
}

TEST(MainForm, ExitWritesTheSettingsAndRefusesWhileCalculating) {
    QTemporaryDir folder;
    const QString ini = folder.filePath(QStringLiteral("Corvanta Software/Vextal/3.06/vextal.ini"));
    {
        Frame f;
        ProgramSettings settings = f.form.settings();
        settings.RecentFiles[0] = "/data/old.VXD";
        f.form.useSettings(settings, ini);
        f.form.openDocument(example("raw_data.vxd"));

        // Exit during a calculation asks it to cancel and keeps the window.
        TAnalysisForm* doc = f.form.activeDocument();
        doc->progress()->BeginCalculation();
        EXPECT_FALSE(f.form.close());
        EXPECT_TRUE(doc->progress()->CancelRequested());
        doc->progress()->EndCalculation();

        f.form.resize(700, 500);
        EXPECT_TRUE(f.form.close());
    }
    const ProgramSettings read = ReadSettingsFile(ini.toStdString(), DefaultProgramSettings('.', "/prog"));
    EXPECT_EQ(QString::fromStdString(read.RecentFiles[0]), example("raw_data.vxd"));
    EXPECT_EQ(read.RecentFiles[1], "/data/old.VXD");
    EXPECT_GT(read.Width, 0);
    EXPECT_GT(read.Height, 0);
}

}  // namespace
