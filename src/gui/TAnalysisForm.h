// A document window: owns one DataDocument and walks the user through the
// six steps (Start, Data Table, Column Stats, Choose Test, Results, Graph),
// one page each, over a stacked widget. The rules of each step live in the
// core; the pages mirror them and call their setters.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>

#include "data/data_document.h"
#include "data/io_error.h"
#include "data/number_settings.h"
#include "gui/TQuestion.h"
#include "gui/grid_clipboard.h"
#include "workflow/calculation_progress.h"
#include "workflow/step_commands.h"

class QButtonGroup;
class QPrinter;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;
class QTableWidget;
class TResultsViewer;
class TGraphPage;
class QToolButton;
class QVBoxLayout;
class TSpreadGrid;
class TCheckListForm;
namespace vextal { struct ControlState; }

class TAnalysisForm : public QWidget {
    Q_OBJECT

public:
    enum Step { StartStep, DataStep, StatsStep, ChooseStep, ResultsStep, GraphStep, StepCount };

    explicit TAnalysisForm(const vextal::NumberSettings& settings, QWidget* parent = nullptr);
    ~TAnalysisForm() override;

    vextal::DataDocument& document() { return *m_document; }
    const vextal::DataDocument& document() const { return *m_document; }
    const vextal::NumberSettings& numberSettings() const { return m_settings; }

    /// Reads a document file into this window (CheckDocumentFile, then the
    /// reader) and shows the page a loaded file opens on. False on refusal.
    bool loadFile(const QString& fileName, const vextal::MessageSink& sink);
    /// Writes the document (pending edits committed first); 0 or the I/O code.
    int saveFile(const QString& fileName, const vextal::MessageSink& sink);

    QString fileName() const { return m_fileName; }
    void setFileName(const QString& name);
    bool needsName() const { return m_needsName; }
    void setNeedsName(bool needsName) { m_needsName = needsName; }
    /// A new document nobody has touched: no data, no title, no change.
    bool isBlank() const;

    int currentStep() const { return m_currentStep; }
    /// The main window's commands and help buttons for the current step.
    vextal::StepCommands stepCommands() const;
    std::array<vextal::HelpButtonState, 2> helpButtons() const;
    /// The data set's title field above the grid.
    QLineEdit* dataTitleField() const { return m_dataTitle; }
    /// The two-by-two page's fields: title, column 1, column 2, row 1, row 2, A, B, C, D.
    std::array<QLineEdit*, 9> twoByTwoFields() const;
    std::array<bool, StepCount> enabledSteps() const;
    /// Shows a step; ignored while a calculation runs or the step is off.
    void showStep(int step);
    void nextStep();
    void previousStep();
    /// Commits the open editors of the Data Table and Column Stats pages.
    void commitPendingEdits();
    /// "Delete all data": asks first (No preselected).
    void deleteAllData();
    /// Every default restored and the data cleared.
    void resetDocument();
    bool canClose() const;

    void setQuestionHook(YesNoHook hook);
    void setChoiceHook(ChoiceHook hook);
    /// Runs the Select Columns / Select Pairs dialogs in tests instead of exec().
    void setCheckListHook(std::function<void(TCheckListForm&)> hook) { m_checkListHook = std::move(hook); }
    // Commands of the main window's menus, each for the page showing (a
    // command the page does not offer does nothing). Edits mark the
    // document changed and repaint.
    void copyCommand();
    void cutCommand();
    void pasteCommand(bool transposed);
    void clearCommand();
    void selectColumnCommand();
    void selectRowCommand();
    void selectAllCommand();
    void deleteCellsCommand();
    void insertCellsCommand();
    void transformCommand();
    void combineCommand();
    void numberFormatCommand();
    void excludeCommand();
    /// View Notes, Append to Notes (Results), and Print of the page showing.
    void viewNotesCommand();
    void appendToNotesCommand();
    void printCommand(QPrinter& printer);
    /// The Exclude check mark: a value of the grid's selection is excluded.
    bool selectionExcluded() const;
    /// File > Import into the grid at its current cell; `importFolder` takes
    /// the chosen file's folder.
    void importCommand(QString& importFolder);
    /// File > Export of the page showing (data, two-by-two or statistics).
    void exportCommand(char& exportDecimalSeparator, const QString& startFolder);
    /// Hooks for the clipboard, import and export dialogs (tests answer them).
    void setClipboardHooks(ClipboardHooks hooks) { m_clipHooks = std::move(hooks); }
    const ClipboardHooks& clipboardHooks() const { return m_clipHooks; }

    /// The Choose Test step's column and pair selection dialogs.
    void selectColumns();
    void selectPairs();

    TSpreadGrid* grid() const { return m_grid; }
    QTableWidget* statsGrid() const { return m_statsGrid; }
    TResultsViewer* resultsView() const { return m_results; }
    TGraphPage* graphPage() const { return m_graph; }
    QWidget* choosePage() const;
    QWidget* startPage() const;

    /// The Results page's text without styles.
    QString resultsText() const;
    /// The progress object of this window's calculations.
    vextal::CalculationProgress* progress() const { return m_progress.get(); }
    QPushButton* cancelButton() const { return m_cancelButton; }
    /// How often RunAnalysis ran in this window.
    int analysisRuns() const { return m_analysisRuns; }

signals:
    void stepChanged(int step);
    void captionChanged(const QString& caption);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    class QtClock;

    void buildStepBar(QVBoxLayout* layout);
    void buildStatusPanel(QVBoxLayout* layout);
    QWidget* buildDataPage();
    QWidget* buildTwoByTwoPage();
    QWidget* buildStatsPage();
    QWidget* buildResultsPage();
    QWidget* buildGraphPage();

    void enterStep(int step);
    void updateStepBar();
    void rebuildStartPage();
    void rebuildChoosePage();
    void refreshStatsGrid();
    void refreshTwoByTwo();
    void readTwoByTwoCounts();
    bool twoByTwoKey(QLineEdit* field, QKeyEvent* key);
    void storeStatsCell(int row, int column);
    void runAnalysisIfStale();
    /// RunAnalysis with the status panel and Cancel of this window.
    void runAnalysisWithProgress(vextal::DataDocument& document);
    void showReport();
    void showStatus(const vextal::StatusPanelState& state);
    QWidget* buildChooseContent();
    void afterChoice();
    void selectButton(QWidget* box, const vextal::ControlState& state);
    void runCheckList(TCheckListForm& form);

    std::unique_ptr<vextal::DataDocument> m_document;
    vextal::NumberSettings m_settings;
    QString m_fileName;
    bool m_needsName = true;
    int m_currentStep = StartStep;
    int m_analysisRuns = 0;
    bool m_fillingStats = false;
    YesNoHook m_ask;
    std::function<void(TCheckListForm&)> m_checkListHook;
    ClipboardHooks m_clipHooks;
    void afterBulkChange();
    void copyResults();
    void selectAllResults();
    void exportResults(const QString& startFolder);
    void copyGraph();
    void exportGraph(const QString& startFolder);

    std::unique_ptr<QtClock> m_clock;
    std::unique_ptr<vextal::CalculationProgress> m_progress;

    std::array<QToolButton*, StepCount> m_stepButtons{};
    QToolButton* m_previousButton = nullptr;
    QToolButton* m_nextButton = nullptr;
    QToolButton* m_deleteAllButton = nullptr;
    QStackedWidget* m_pages = nullptr;
    QScrollArea* m_startHost = nullptr;
    QScrollArea* m_chooseHost = nullptr;
    QStackedWidget* m_dataStack = nullptr;
    TSpreadGrid* m_grid = nullptr;
    QWidget* m_twoByTwoPage = nullptr;
    QLineEdit* m_dataTitle = nullptr;
    QLineEdit* m_tbTitle = nullptr;
    std::array<QLineEdit*, 4> m_tbTitles{};  // column 1, column 2, row 1, row 2
    std::array<QLineEdit*, 4> m_tbCounts{};  // A B C D
    std::array<QLineEdit*, 5> m_tbTotals{};  // A+B, C+D, A+C, B+D, all
    QTableWidget* m_statsGrid = nullptr;
    TResultsViewer* m_results = nullptr;
    TGraphPage* m_graph = nullptr;

    QWidget* m_statusPanel = nullptr;
    QLabel* m_statusMessage = nullptr;
    QLabel* m_statusValues = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
