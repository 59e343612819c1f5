#include "gui/grid_clipboard.h"

#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QTableWidget>

#include <new>

#include "data/clipboard_text.h"
#include "data/export_file.h"
#include "data/text_import.h"
#include "gui/TCopyForm.h"
#include "gui/TExportForm.h"
#include "gui/TImportForm.h"

using namespace vextal;

const QString ImportFileFilter =
    QStringLiteral("Text (*.TXT *.CSV *.DAT *.PRN *.txt *.csv *.dat *.prn);;Any file (*)");
const QString ExportFileFilter = QStringLiteral("Tab-delim. text (*.TXT);;Comma Sep. Text (*.CSV)");
const QString SpreadsheetNotice = QStringLiteral(
    "Vextal cannot open Excel worksheet files. To use data from Excel:\n"
    "1. Copy and paste.\n"
    "or\n"
    "2. Save from Excel using Text or CSV (comma separated value) format.\n"
    "Then use File Import to read into Vextal.");

namespace {

const QString Caption = QStringLiteral("Corvanta Vextal");

// Shows the hourglass while a file is read, on every path out.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

void show(const ClipboardHooks& hooks, const char* text) {
    if (hooks.message) hooks.message(ProgramCaption, text);
}

std::string clipboardText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) return {};
    return data->text().toStdString();
}

bool clipboardHoldsText() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data != nullptr && data->hasText();
}

// Puts a built text on the clipboard and tells about a cut.
void putOnClipboard(const ClipboardText& text, const ClipboardHooks& hooks) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text.Text));
    if (text.Truncated) show(hooks, ClipboardTooLargeMessage);
}

// Which titles go with the copy; nothing when the user cancelled.
std::optional<std::pair<bool, bool>> askTitles(const GridSelection& selection, const ClipboardHooks& hooks) {
    auto answer = [&](const char* question) -> std::optional<int> {
        const int reply = hooks.yesNoCancel ? hooks.yesNoCancel(QString::fromLatin1(question)) : 0;
        if (reply < 0) return std::nullopt;
        return reply;
    };
    switch (CopyTitleQuestionFor(selection)) {
    case CopyTitleQuestion::Dialog:
        return hooks.copyDialog ? hooks.copyDialog() : std::make_optional(std::pair{false, false});
    case CopyTitleQuestion::ColumnTitles: {
        const auto reply = answer(IncludeColumnTitlesQuestion);
        if (!reply) return std::nullopt;
        return std::pair{false, *reply == 1};
    }
    case CopyTitleQuestion::RowTitles: {
        const auto reply = answer(IncludeRowTitlesQuestion);
        if (!reply) return std::nullopt;
        return std::pair{*reply == 1, false};
    }
    case CopyTitleQuestion::None:
        break;
    }
    return std::pair{false, false};
}

bool pasteAt(DataDocument& document, const NumberSettings& settings, const GridSelection& selection, int row,
             int column, bool transposed, const ClipboardHooks& hooks) {
    if (!clipboardHoldsText()) return false;
    const std::string text = clipboardText();
    PasteResult result = PasteAtCursor(document, text, row, column, selection, transposed, settings);
    if (result.Question) {
        // Yes erases the column's typed mean data: No is the safe default.
        const bool yes = hooks.yesNo && hooks.yesNo(QString::fromStdString(result.Question->Text), true);
        result = PasteAtCursor(document, text, row, column, selection, transposed, settings,
                               yes ? Answer::Yes : Answer::No);
    }
    return result.Changed;
}

// The name the user typed, with the chosen filter's extension when it has none.
QString withExtension(const QString& path, const QString& selectedFilter) {
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    return path + (selectedFilter.contains(QLatin1String("*.CSV")) ? QStringLiteral(".csv") : QStringLiteral(".txt"));
}

}  // namespace

ClipboardHooks DefaultClipboardHooks(QWidget* parent) {
    ClipboardHooks hooks;
    hooks.message = [parent](const std::string& caption, const std::string& text) {
        QMessageBox::information(parent, QString::fromStdString(caption), QString::fromStdString(text));
    };
    hooks.yesNoCancel = [parent](const QString& text) {
        const auto reply = QMessageBox::question(parent, Caption, text,
                                                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        return reply == QMessageBox::Yes ? 1 : reply == QMessageBox::No ? 0 : -1;
    };
    hooks.yesNo = [parent](const QString& text, bool defaultNo) { return askYesNo(parent, text, defaultNo); };
    hooks.copyDialog = [parent]() -> std::optional<std::pair<bool, bool>> {
        TCopyForm form(parent);
        if (form.exec() != QDialog::Accepted) return std::nullopt;
        return std::pair{form.includeRowTitles(), form.includeColumnTitles()};
    };
    hooks.openFileName = [parent](const QString& caption, const QString& folder, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, folder, filter);
    };
    hooks.saveFileName = [parent](const QString& caption, const QString& folder, const QString& filter,
                                  QString* selectedFilter) {
        return QFileDialog::getSaveFileName(parent, caption, folder, filter, selectedFilter);
    };
    hooks.runDialog = [](QDialog& dialog) { return dialog.exec(); };
    return hooks;
}

bool CopySelectionToClipboard(const DataDocument& document, const NumberSettings& settings,
                              const GridSelection& selection, const ClipboardHooks& hooks) {
    const auto titles = askTitles(selection, hooks);
    if (!titles) return false;
    try {
        putOnClipboard(BuildClipboardText(document.Table, selection, titles->second, titles->first, settings), hooks);
    } catch (const std::bad_alloc&) {
        show(hooks, NotEnoughMemoryMessage);
        return false;
    }
    return true;
}

bool CutSelectionToClipboard(DataDocument& document, const NumberSettings& settings, const GridSelection& selection,
                             const ClipboardHooks& hooks) {
    const auto titles = askTitles(selection, hooks);
    if (!titles) return false;
    CutResult cut;
    try {
        cut = CutSelection(document, selection, titles->second, titles->first, settings);
    } catch (const std::bad_alloc&) {
        show(hooks, NotEnoughMemoryMessage);
        return false;  // the text is built before anything is cleared
    }
    putOnClipboard(cut.Copied, hooks);
    return cut.Changed;
}

bool PasteFromClipboard(DataDocument& document, const NumberSettings& settings, const GridSelection& selection,
                        int cursorRow, int cursorColumn, bool transposed, const ClipboardHooks& hooks) {
    return pasteAt(document, settings, selection, cursorRow, cursorColumn, transposed, hooks);
}

bool PasteIntoColumnTitleEditor(DataDocument& document, const NumberSettings& settings, int column,
                                const ClipboardHooks& hooks) {
    return pasteAt(document, settings, WholeColumnsSelection(column, column), 0, column, false, hooks);
}

bool PasteIntoRowTitleEditor(DataDocument& document, const NumberSettings& settings, int row,
                             const ClipboardHooks& hooks) {
    return pasteAt(document, settings, WholeRowsSelection(row, row), row, 0, false, hooks);
}

bool CopySummaryToClipboard(const QTableWidget& statsGrid, const DataDocument& document,
                            const ClipboardHooks& hooks) {
    const auto cellText = [&statsGrid](int gridRow, int column) {
        const QTableWidgetItem* item = statsGrid.item(gridRow - 1, column + 1);
        return item ? item->text().toStdString() : std::string();
    };
    try {
        putOnClipboard(BuildSummaryClipboardText(document.Table, cellText), hooks);
    } catch (const std::bad_alloc&) {
        show(hooks, NotEnoughMemoryMessage);
        return false;
    }
    return true;
}

bool PasteIntoSummary(DataDocument& document, const NumberSettings& settings, int gridRow, int column,
                      const ClipboardHooks&) {
    if (!clipboardHoldsText()) return false;
    return PasteSummary(document, clipboardText(), gridRow, column, settings);
}

bool PasteIntoSummaryTitleEditor(DataDocument& document, int column) {
    if (!clipboardHoldsText()) return false;
    return PasteTitles(document, clipboardText(), column);
}

bool ImportTextFile(QWidget* parent, DataDocument& document, const NumberSettings& settings, int cursorRow,
                    int cursorColumn, QString& importFolder, const ClipboardHooks& hooks) {
    if (!hooks.openFileName) return false;
    const QString path = hooks.openFileName(QStringLiteral("Import"), importFolder, ImportFileFilter);
    if (path.isEmpty()) return false;
    if (IsSpreadsheetFileName(path.toStdString())) {
        if (hooks.message) hooks.message(ProgramCaption, SpreadsheetNotice.toStdString());
        return false;
    }
    importFolder = QFileInfo(path).absolutePath();

    ImportStart start;
    {
        BusyCursor busy;
        start = StartImport(path.toStdString(), settings);
    }
    for (const std::string& message : start.Messages)
        if (hooks.message) hooks.message(ProgramCaption, message);
    if (start.Refused) return false;
    if (start.IoCode != 0) {
        ReportIoError(start.IoCode, hooks.message);
        return false;
    }

    TImportForm form(start.Preview, path, settings, parent);
    if (hooks.message)
        form.setMessageHook([&hooks](const QString& text) { hooks.message(ProgramCaption, text.toStdString()); });
    const int result = hooks.runDialog ? hooks.runDialog(form) : form.exec();
    if (result != QDialog::Accepted) return false;
    return ImportIntoDocument(document, start.Preview, form.options(), cursorRow, cursorColumn).Imported;
}

bool ExportDataFile(QWidget* parent, const DataDocument& document, const NumberSettings& settings,
                    ExportSource source, char& exportDecimalSeparator, const QString& startFolder,
                    const ClipboardHooks& hooks) {
    if (!hooks.saveFileName) return false;
    QString selectedFilter;
    QString path = hooks.saveFileName(QStringLiteral("Export"), startFolder, ExportFileFilter, &selectedFilter);
    if (path.isEmpty()) return false;
    path = withExtension(path, selectedFilter);
    const std::string fileName = path.toStdString();

    switch (source) {
    case ExportSource::TwoByTwo:
        return WriteTwoByTwoExport(document, fileName, hooks.message) == 0;
    case ExportSource::SummaryStatistics:
        return WriteSummaryExport(document, fileName, hooks.message) == 0;
    case ExportSource::DataGrid:
        break;
    }
    TExportForm form(exportDecimalSeparator, parent);
    const int result = hooks.runDialog ? hooks.runDialog(form) : form.exec();
    exportDecimalSeparator = form.decimalSeparator();
    if (result != QDialog::Accepted) return false;
    return WriteExportFile(document, fileName, ExportSeparator(fileName, settings), form.options(), hooks.message) == 0;
}
