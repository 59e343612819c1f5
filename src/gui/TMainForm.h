// The frame window: owns the document area, the menus, the toolbar, the
// recent-file list and the settings. Document windows live as subwindows of
// an MDI area; while none is open, a short hint takes the area's place so
// the empty frame tells the user what to do next. Commands that act on a
// document go to the active document window.
#pragma once

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>

#include "data/io_error.h"
#include "data/number_settings.h"
#include "gui/TQuestion.h"
#include "workflow/settings_file.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QPrinter;
class QProgressBar;
class QStackedWidget;
class QTimer;
class QToolBar;
class TAnalysisForm;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    /// At most this many documents are open at once.
    static constexpr int MaxDocuments = 10;

    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    /// The area that holds the document windows.
    QMdiArea* mdiArea() const { return m_mdiArea; }

    /// True while the "no documents" hint is shown instead of the MDI area.
    bool isEmptyPanelShown() const;

    /// Text of the hint shown while no document window is open.
    static QString emptyPanelText();

    /// Re-checks the document windows and shows the hint or the MDI area.
    /// Runs by itself (from the event loop) whenever a subwindow is added,
    /// removed, shown or hidden; public so a caller can force it at once.
    void updateCentralPanel();

    // ---- settings
    /// The settings in use; written at exit to the settings file, if set.
    vextal::ProgramSettings& settings() { return m_settings; }
    const vextal::ProgramSettings& settings() const { return m_settings; }
    /// Takes the settings read at start and the file they are written back to
    /// at exit (empty: never written). Rebuilds the recent-file items.
    void useSettings(const vextal::ProgramSettings& settings, const QString& settingsFile);

    // ---- documents
    /// File > New: the "Create a new file" dialog when a document is open,
    /// then a new raw-data document named DATASET<n>.VXD.
    TAnalysisForm* newFileCommand();
    /// A new document without asking; null at the document limit.
    TAnalysisForm* newDocument();
    /// Opens a document file in a new window (or activates the window that
    /// shows it); null when it was refused.
    TAnalysisForm* openDocument(const QString& fileName);
    /// A recent-file item: entry 1..9.
    void openRecentFile(int entry);
    /// Window > Duplicate: the active document copied into a new window.
    TAnalysisForm* duplicateActive();
    /// The document window of the active subwindow, if any.
    TAnalysisForm* activeDocument() const;
    /// All document windows, in creation order.
    QList<TAnalysisForm*> documents() const;
    /// File > Save and Save As on the active document; true when written.
    bool saveActive(bool askName);
    /// Saves `form`; true when written.
    bool saveDocument(TAnalysisForm* form, bool askName);

    /// The name of a new window: DATASET<n>.VXD with the smallest n not in use.
    QString nextDatasetName() const;

    // ---- commands
    /// The menu or toolbar action with the given object name.
    QAction* action(const QString& name) const;
    /// Menu and toolbar enabling for the active document and its step.
    void updateCommands();
    /// Shows the status panel with a moving meter while a file is read.
    void showStatusBar(const QString& message, bool meter);
    void hideStatusBar();

    // ---- hooks for tests (message boxes and dialogs by default)
    /// Shows a message: caption and text.
    void setMessageHook(vextal::MessageSink sink) { m_message = std::move(sink); }
    /// The "Create a new file" dialog: index of the choice, -1 for Cancel.
    void setChoiceHook(ChoiceHook hook) { m_choose = std::move(hook); }
    /// "Save changes to <name>?": 0 Save, 1 Don't Save, 2 Cancel.
    using SaveQuestionHook = std::function<int(const QString& name)>;
    void setSaveQuestionHook(SaveQuestionHook hook) { m_saveQuestion = std::move(hook); }
    /// The open and save file dialogs: the chosen path, or empty.
    using FileDialogHook = std::function<QString(const QString& caption, const QString& startPath)>;
    void setOpenDialogHook(FileDialogHook hook) { m_openDialog = std::move(hook); }
    void setSaveDialogHook(FileDialogHook hook) { m_saveDialog = std::move(hook); }
    /// Opens the guide window for a step (modal by default).
    void setGuideHook(std::function<void(int step)> hook) { m_guide = std::move(hook); }
    /// Opens a help topic (the help window by default).
    void setHelpHook(std::function<void(int topic)> hook) { m_help = std::move(hook); }

    /// Help > Vextal Guide, and the guide button on the Start step.
    void showGuide();
    bool guideShown() const { return m_settings.ShowNewUserHints; }

signals:
    /// The recent-file items were rebuilt.
    void recentFilesChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void createMenus();
    void createToolBar();
    QAction* makeAction(const QString& name, const QString& caption, const QKeySequence& shortcut,
                        const std::function<void()>& run);
    void rebuildRecentItems();
    void rebuildWindowMenu();
    void updateEditMenu();
    void scheduleCentralPanelUpdate();
    void addDocumentWindow(TAnalysisForm* form);
    void openFromDialog();
    void addRecentFile(const QString& path);
    void rememberFolder(const QString& path);
    void showMessage(const QString& text);
    bool atDocumentLimit();
    bool confirmClose(TAnalysisForm* form);
    void stepChanged(TAnalysisForm* form);
    void helpButton(int which);
    vextal::NumberSettings numberSettings() const;
    vextal::MessageSink messageSink();
    QString programFolder() const;

    QStackedWidget* m_stack = nullptr;
    QLabel* m_emptyPanel = nullptr;
    QMdiArea* m_mdiArea = nullptr;
    QToolBar* m_toolBar = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_stepsMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentItems;
    QList<QAction*> m_windowItems;
    std::map<QString, QAction*> m_actions;
    std::array<QAction*, 2> m_helpButtons{};

    QLabel* m_statusMessage = nullptr;
    QProgressBar* m_meter = nullptr;
    QTimer* m_meterTimer = nullptr;

    vextal::ProgramSettings m_settings;
    QString m_settingsFile;
    char m_exportDecimalSeparator = '.';
    bool m_closingAll = false;

    vextal::MessageSink m_message;
    ChoiceHook m_choose;
    SaveQuestionHook m_saveQuestion;
    FileDialogHook m_openDialog;
    FileDialogHook m_saveDialog;
    std::function<void(int)> m_guide;
    std::function<void(int)> m_help;
};
