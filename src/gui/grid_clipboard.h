// Clipboard, import and export commands of a document window, for the grid's
// keys and pop-up menu and the main window's Edit and File menus. Each
// function asks its questions through ClipboardHooks (message boxes and file
// dialogs by default; tests answer them directly), does its work through the
// core (clipboard_text.h, text_import.h, export_file.h) and tells the caller
// whether the document changed, so the caller repaints and updates its
// window state. The caller commits a pending cell edit first.
#pragma once

#include <QString>

#include <functional>
#include <optional>

#include "data/data_document.h"
#include "data/grid_selection.h"
#include "data/io_error.h"
#include "data/number_settings.h"
#include "gui/TQuestion.h"

class QDialog;
class QTableWidget;
class QWidget;

struct ClipboardHooks {
    /// A message box: caption and text.
    vextal::MessageSink message;
    /// Yes / No / Cancel: 1 Yes, 0 No, -1 Cancel.
    std::function<int(const QString& text)> yesNoCancel;
    /// Yes / No; true for Yes.
    YesNoHook yesNo;
    /// The "Copy to clipboard" dialog: {row titles, column titles}, or
    /// nothing for Cancel.
    std::function<std::optional<std::pair<bool, bool>>()> copyDialog;
    /// An open-file dialog; "" when cancelled.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter)> openFileName;
    /// A save-file dialog that asks before overwriting; "" when cancelled.
    /// `selectedFilter` receives the filter chosen.
    std::function<QString(const QString& caption, const QString& folder, const QString& filter,
                          QString* selectedFilter)>
        saveFileName;
    /// Runs a dialog modally and returns its result (QDialog::Accepted or
    /// QDialog::Rejected).
    std::function<int(QDialog& dialog)> runDialog;
};

/// Message boxes and file dialogs over `parent`.
ClipboardHooks DefaultClipboardHooks(QWidget* parent);

// File dialog filters (Qt form of the program's filters).
extern const QString ImportFileFilter;
extern const QString ExportFileFilter;
/// The notice shown instead of opening a spreadsheet workbook.
extern const QString SpreadsheetNotice;

// ------------------------------------------------------------ data grid

/// Copy (Ctrl+C, Ctrl+Insert): asks about titles as the selection calls for
/// and puts the text on the clipboard; reports a text cut by the size limit.
/// False when cancelled.
bool CopySelectionToClipboard(const vextal::DataDocument& document, const vextal::NumberSettings& settings,
                              const vextal::GridSelection& selection, const ClipboardHooks& hooks);

/// Cut (Ctrl+X): Copy, then Clear of the selection. True when the document
/// changed.
bool CutSelectionToClipboard(vextal::DataDocument& document, const vextal::NumberSettings& settings,
                             const vextal::GridSelection& selection, const ClipboardHooks& hooks);

/// Paste (Ctrl+V, Shift+Insert) and Transpose Paste at the data cell
/// (cursorRow 0..999, cursorColumn 0..25). Does nothing without text on the
/// clipboard; asks before erasing a typed mean. True when the document
/// changed.
bool PasteFromClipboard(vextal::DataDocument& document, const vextal::NumberSettings& settings,
                        const vextal::GridSelection& selection, int cursorRow, int cursorColumn, bool transposed,
                        const ClipboardHooks& hooks);

/// Paste with the column-title editor of `column` open (the caller closes
/// the editor and selects the column): the first line is the title, the
/// rest the values.
bool PasteIntoColumnTitleEditor(vextal::DataDocument& document, const vextal::NumberSettings& settings, int column,
                                const ClipboardHooks& hooks);
/// Paste with the row-title editor of data row `row` open: the first field
/// of each line is a row title.
bool PasteIntoRowTitleEditor(vextal::DataDocument& document, const vextal::NumberSettings& settings, int row,
                             const ClipboardHooks& hooks);

// ------------------------------------------------------------ summary grid

/// Copy on the Column Stats page. `statsGrid` has the row captions in
/// column 0, data columns A..Z in columns 1..26, and summary rows 1..16 in
/// rows 0..15.
bool CopySummaryToClipboard(const QTableWidget& statsGrid, const vextal::DataDocument& document,
                            const ClipboardHooks& hooks);
/// Paste into the summary grid at (gridRow 1..16, column -1..25; -1 is the
/// caption column). True when the document changed.
bool PasteIntoSummary(vextal::DataDocument& document, const vextal::NumberSettings& settings, int gridRow,
                      int column, const ClipboardHooks& hooks);
/// Paste with the summary grid's column-title editor of `column` open: the
/// first line gives titles from that column on (shared with the data grid).
bool PasteIntoSummaryTitleEditor(vextal::DataDocument& document, int column);

// ------------------------------------------------------------ files

/// File > Import: the "Import" file dialog in `importFolder` (which takes the
/// chosen file's folder), the spreadsheet notice, the messages of the file
/// check, the "Import" dialog, and the import at the data cell (cursorRow,
/// cursorColumn). True when the document changed.
bool ImportTextFile(QWidget* parent, vextal::DataDocument& document, const vextal::NumberSettings& settings,
                    int cursorRow, int cursorColumn, QString& importFolder, const ClipboardHooks& hooks);

/// What File > Export writes, by the page showing.
enum class ExportSource { DataGrid, TwoByTwo, SummaryStatistics };

/// File > Export for the data, two-by-two and Column Stats pages: the
/// "Export" file dialog in `startFolder`, then for the data grid the
/// "Export" dialog (which stores its decimal separator back into
/// `exportDecimalSeparator`), and the file. A name without an extension
/// takes the chosen filter's. The caller brings the column statistics up to
/// date before exporting them. True when a file was written.
bool ExportDataFile(QWidget* parent, const vextal::DataDocument& document, const vextal::NumberSettings& settings,
                    ExportSource source, char& exportDecimalSeparator, const QString& startFolder,
                    const ClipboardHooks& hooks);
