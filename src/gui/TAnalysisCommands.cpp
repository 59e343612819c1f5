// The main window's Edit, Data and File commands as the document window
// carries them out: each acts on the page showing and does nothing where
// the page offers no such command.
#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QTableWidget>

#include "data/grid_edit.h"
#include "gui/TAnalysisForm.h"
#include "gui/TCombineVarForm.h"
#include "gui/TGraphPage.h"
#include "gui/TNotesForm.h"
#include "gui/TResultsViewer.h"
#include "gui/TChartView.h"
#include "gui/graph_export.h"
#include "gui/printing.h"
#include "report/report_lines.h"
#include "gui/TSpreadGrid.h"
#include "gui/TTransformForm.h"
#include "stats/column_stats.h"

using namespace vextal;

namespace {
bool onGrid(const TAnalysisForm& form) {
    return form.currentStep() == TAnalysisForm::DataStep && form.document().State.Format != DataFormat::TwoByTwo;
}
}  // namespace

void TAnalysisForm::afterBulkChange() {
    MarkChanged(m_document->State);
    m_grid->fillFromDocument();
    refreshStatsGrid();
}

void TAnalysisForm::copyCommand() {
    if (Calculating()) return;
    const StepCommands commands = stepCommands();
    if (!commands.Copy) return;
    if (onGrid(*this)) {
        m_grid->commitPendingEdit();
        CopySelectionToClipboard(*m_document, m_settings, m_grid->dataSelection(), m_clipHooks);
    } else if (m_currentStep == StatsStep) {
        commitPendingEdits();
        CopySummaryToClipboard(*m_statsGrid, *m_document, m_clipHooks);
    } else if (m_currentStep == ResultsStep) {
        copyResults();
    } else if (m_currentStep == GraphStep) {
        copyGraph();
    }
}

void TAnalysisForm::cutCommand() {
    if (Calculating() || !stepCommands().Cut) return;
    if (onGrid(*this)) {
        m_grid->commitPendingEdit();
        if (CutSelectionToClipboard(*m_document, m_settings, m_grid->dataSelection(), m_clipHooks)) afterBulkChange();
    } else if (m_currentStep == StatsStep) {
        copyCommand();
        clearCommand();
    }
}

void TAnalysisForm::pasteCommand(bool transposed) {
    if (Calculating() || !onGrid(*this)) return;
    const QModelIndex current = m_grid->currentIndex();
    const bool titleEditor = m_grid->isEditing() && (current.row() == 0 || current.column() == 0);
    m_grid->commitPendingEdit();
    bool changed = false;
    if (titleEditor && !transposed && current.row() == 0 && current.column() >= 1) {
        changed = PasteIntoColumnTitleEditor(*m_document, m_settings, current.column() - 1, m_clipHooks);
    } else if (titleEditor && !transposed && current.column() == 0 && current.row() >= 1) {
        changed = PasteIntoRowTitleEditor(*m_document, m_settings, current.row() - 1, m_clipHooks);
    } else {
        const int row = std::clamp(current.row() - 1, 0, LastUserRow);
        const int column = std::clamp(current.column() - 1, 0, LastDataColumn);
        changed = PasteFromClipboard(*m_document, m_settings, m_grid->dataSelection(), row, column, transposed,
                                     m_clipHooks);
    }
    if (changed) afterBulkChange();
}

void TAnalysisForm::clearCommand() {
    if (Calculating() || !stepCommands().Clear) return;
    if (onGrid(*this)) {
        // With a title editor open, Clear empties that title.
        if (m_grid->isEditing()) {
            if (auto* editor = qobject_cast<QLineEdit*>(m_grid->indexWidget(m_grid->currentIndex()))) {
                const QModelIndex current = m_grid->currentIndex();
                if (current.row() == 0 || current.column() == 0) {
                    editor->clear();
                    m_grid->commitPendingEdit();
                    return;
                }
            }
        }
        m_grid->clearSelection();
    } else if (m_currentStep == StatsStep) {
        // The statistics grid: its typed entries are cleared cell by cell.
        for (QTableWidgetItem* item : m_statsGrid->selectedItems())
            if (item->flags() & Qt::ItemIsEditable) item->setText(QString());
    }
}

void TAnalysisForm::selectColumnCommand() {
    if (!Calculating() && onGrid(*this)) m_grid->selectCurrentColumn();
}

void TAnalysisForm::selectRowCommand() {
    if (!Calculating() && onGrid(*this)) m_grid->selectCurrentRow();
}

void TAnalysisForm::selectAllCommand() {
    if (Calculating()) return;
    if (onGrid(*this)) m_grid->selectEverything();
    else if (m_currentStep == ResultsStep) selectAllResults();
}

void TAnalysisForm::deleteCellsCommand() {
    if (Calculating() || !stepCommands().DeleteCells) return;
    if (onGrid(*this)) m_grid->deleteCells();
    else if (m_currentStep == StatsStep) clearCommand();
}

void TAnalysisForm::insertCellsCommand() {
    if (!Calculating() && onGrid(*this)) m_grid->insertCells();
}

void TAnalysisForm::transformCommand() {
    if (Calculating() || !onGrid(*this)) return;
    m_grid->commitPendingEdit();
    if (RunTransformDialog(this, *m_document, m_settings, m_grid->dataSelection(), m_ask)) afterBulkChange();
}

void TAnalysisForm::combineCommand() {
    if (Calculating() || !onGrid(*this)) return;
    const int column = std::clamp(m_grid->currentIndex().column() - 1, 0, LastDataColumn);
    if (RunCombineDialog(this, *m_document, column, [this] { m_grid->commitPendingEdit(); }, m_clipHooks.message))
        afterBulkChange();
}

void TAnalysisForm::numberFormatCommand() {
    if (!Calculating() && onGrid(*this)) m_grid->numberFormat();
}

void TAnalysisForm::excludeCommand() {
    if (!Calculating() && stepCommands().Exclude) m_grid->toggleExclusion();
}

bool TAnalysisForm::selectionExcluded() const {
    if (!onGrid(*this)) return false;
    const GridSelection s = IsAllSelected(m_grid->dataSelection()) ? WholeTableSelection() : m_grid->dataSelection();
    const DataTable& table = m_document->Table;
    const int bottom = std::min(s.Bottom, table.LastRow);
    const int right = std::min(s.Right, table.LastColumn);
    for (int column = s.Left; column <= right; ++column)
        for (int row = s.Top; row <= bottom; ++row)
            if (!IsMissing(RawValue(table, row, column)) && IsExcluded(table, row, column)) return true;
    return false;
}

void TAnalysisForm::importCommand(QString& importFolder) {
    if (Calculating() || !stepCommands().Import) return;
    m_grid->commitPendingEdit();
    const int row = std::clamp(m_grid->currentIndex().row() - 1, 0, LastUserRow);
    const int column = std::clamp(m_grid->currentIndex().column() - 1, 0, LastDataColumn);
    if (ImportTextFile(this, *m_document, m_settings, row, column, importFolder, m_clipHooks)) afterBulkChange();
}

void TAnalysisForm::exportCommand(char& exportDecimalSeparator, const QString& startFolder) {
    if (Calculating() || !stepCommands().Export) return;
    commitPendingEdits();
    switch (m_currentStep) {
    case DataStep:
        ExportDataFile(this, *m_document, m_settings,
                       m_document->State.Format == DataFormat::TwoByTwo ? ExportSource::TwoByTwo : ExportSource::DataGrid,
                       exportDecimalSeparator, startFolder, m_clipHooks);
        break;
    case StatsStep:
        ComputeColumnStats(*m_document);
        ExportDataFile(this, *m_document, m_settings, ExportSource::SummaryStatistics, exportDecimalSeparator,
                       startFolder, m_clipHooks);
        break;
    case ResultsStep:
        exportResults(startFolder);
        break;
    case GraphStep:
        exportGraph(startFolder);
        break;
    default:
        break;
    }
}

bool TAnalysisForm::isBlank() const {
    const DataDocument& doc = *m_document;
    if (!m_needsName || doc.State.DocumentModified || HasData(doc.Table) || !doc.Table.DocumentTitle.empty())
        return false;
    for (const ColumnInfo& info : doc.Table.ColumnInfo)
        if (!info.Title.empty()) return false;
    return true;
}

// ------------------------------------------------------------------ results, graph, notes, print

void TAnalysisForm::copyResults() { m_results->copy(); }

void TAnalysisForm::selectAllResults() { m_results->selectAll(); }

void TAnalysisForm::exportResults(const QString& startFolder) {
    QString path = m_clipHooks.saveFileName(QStringLiteral("Export"), startFolder, QStringLiteral("Text (*.TXT)"),
                                            nullptr);
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".TXT");
    SaveReportAsText(m_document->ResultReport, path.toStdString(), m_clipHooks.message);
}

void TAnalysisForm::copyGraph() { m_graph->copyGraph(); }

void TAnalysisForm::exportGraph(const QString& startFolder) {
    QString folder = startFolder;
    const QString path = AskGraphExportFile(this, folder);
    if (path.isEmpty()) return;
    QString error;
    if (!m_graph->exportGraph(path, &error))
        m_clipHooks.message("Corvanta Vextal", (error.isEmpty() ? QStringLiteral("The graph could not be written.")
                                                                : error).toStdString());
}

void TAnalysisForm::viewNotesCommand() {
    if (Calculating()) return;
    TNotesForm::showNotes(this, *m_document);  // marks the document modified on a real change
}

void TAnalysisForm::appendToNotesCommand() {
    if (Calculating() || m_currentStep != ResultsStep) return;
    AppendToNotes(*m_document, m_results->linesForNotes(), m_clipHooks.message);
}

void TAnalysisForm::printCommand(QPrinter&) {
    if (Calculating() || !stepCommands().Print) return;
    commitPendingEdits();
    PrintSource source;
    source.document = m_document.get();
    source.title = QFileInfo(m_fileName).fileName();
    PrintPart part = PrintPart::Data;
    switch (m_currentStep) {
    case StatsStep: part = PrintPart::Stats; break;
    case ResultsStep: part = PrintPart::Results; break;
    case GraphStep:
        part = PrintPart::Graph;
        source.graph = m_graph->chartView();
        break;
    default: break;
    }
    if (part == PrintPart::Stats) ComputeColumnStats(*m_document);
    showPrintPreview(this, [part, source](QPrinter& printer) { return printPart(printer, part, source); },
                     printPartCaption(part));
}
