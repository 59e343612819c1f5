// The data grid of a document window: a table view over the document's
// DataTable. Model row 0 holds the column titles, rows 1..1000 the data rows
// 0..999; model column 0 holds the row titles, columns 1..26 the data
// columns A..Z. The column headers follow the data format.
//
// Every edit goes through the core rules (cell_entry.h, grid_edit.h); the
// grid only converts coordinates, asks the questions and repaints.
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>

#include <functional>
#include <optional>

#include "data/cell_entry.h"
#include "data/data_document.h"
#include "data/grid_edit.h"
#include "data/number_format_rules.h"
#include "data/number_settings.h"
#include "gui/TQuestion.h"

class TSpreadModel : public QAbstractTableModel {
    Q_OBJECT

public:
    TSpreadModel(vextal::DataDocument& document, const vextal::NumberSettings& settings, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    /// Redraws everything after a change made outside the model.
    void refreshAll();
    void setQuestionHook(YesNoHook hook) { m_ask = std::move(hook); }
    const vextal::NumberSettings& settings() const { return m_settings; }
    vextal::DataDocument& document() { return m_document; }

    static bool isDataCell(const QModelIndex& index) { return index.row() >= 1 && index.column() >= 1; }
    static bool isColumnTitle(const QModelIndex& index) { return index.row() == 0 && index.column() >= 1; }
    static bool isRowTitle(const QModelIndex& index) { return index.row() >= 1 && index.column() == 0; }

signals:
    /// The document's data or titles changed through the grid.
    void documentChanged();

private:
    bool commitDataCell(int row, int column, const QString& text);
    void redraw(vextal::Repaint repaint, int row, int column);

    vextal::DataDocument& m_document;
    vextal::NumberSettings m_settings;
    YesNoHook m_ask;
};

/// The in-place editor: a line edit with the grid's key rules and length
/// limits, remembering the text it started with.
class TSpreadDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;

    QWidget* openEditor() const { return m_editor; }

    /// Called after a title editor (or the first data row's editor, for Up)
    /// was closed by a key that moves to another field.
    using TitleKeyHook = std::function<void(const QModelIndex& from, int key)>;
    void setTitleKeyHook(TitleKeyHook hook) { m_titleKey = std::move(hook); }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    mutable QPointer<QWidget> m_editor;
    mutable QPersistentModelIndex m_editorIndex;
    TitleKeyHook m_titleKey;
};

class TSpreadGrid : public QTableView {
    Q_OBJECT

public:
    TSpreadGrid(vextal::DataDocument& document, const vextal::NumberSettings& settings,
                QWidget* parent = nullptr);

    TSpreadModel* spreadModel() const { return m_model; }

    /// Hooks for the questions and the Delete / Insert dialog (message boxes
    /// by default).
    void setQuestionHook(YesNoHook hook);
    void setChoiceHook(ChoiceHook hook) { m_choose = std::move(hook); }

    /// Stores the text of an open editor and closes it.
    void commitPendingEdit();
    bool isEditing() const;

    /// The selection in data coordinates (title row and column clipped).
    vextal::GridSelection dataSelection() const;
    /// Selects a block of data cells and makes its top-left cell current.
    void selectDataBlock(const vextal::GridSelection& block);
    /// Moves the current cell to a data cell.
    void setCurrentDataCell(int row, int column);

    // Block commands; each commits a pending edit first and repaints once.
    void clearSelection();
    void deleteCells();
    void insertCells();
    void toggleExclusion();
    void selectEverything();
    /// Select Column / Select Row: the current cell's whole column or row.
    void selectCurrentColumn();
    void selectCurrentRow();
    /// Number Format: the dialog for the selection, then the new setting
    /// stored and the changed columns redrawn.
    void numberFormat();
    /// Answers the Number Format dialog in tests: returns the setting chosen
    /// (AutomaticFormat or 0..12), or nullopt for Cancel.
    using NumberFormatHook = std::function<std::optional<int>(const vextal::NumberFormatDialogState&)>;
    void setNumberFormatHook(NumberFormatHook hook) { m_numberFormatHook = std::move(hook); }

    /// Opens the title editor of a data column (0..25) or a data row (0..999).
    void editColumnTitle(int column);
    void editRowTitle(int row);

    /// Rewrites headers and cells from the document (after loading, a
    /// format change or a bulk change made elsewhere).
    void fillFromDocument();

signals:
    void documentChanged();
    void nextStepRequested();
    void previousStepRequested();
    /// Up from a column title: the data set's title field takes the focus.
    void titleFieldRequested();
    /// Ctrl+Insert and Shift+Insert: the window copies or pastes.
    void copyRequested();
    void pasteRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void moveCurrent(int rowStep, int columnStep);
    void moveFromEditor(const QModelIndex& from, int key);
    void headerPressed(int section);
    void selectModelRows(int first, int last);
    void selectModelColumns(int first, int last);
    void runBlockCommand(const std::function<bool()>& command);

    vextal::DataDocument& m_document;
    TSpreadModel* m_model = nullptr;
    TSpreadDelegate* m_delegate = nullptr;
    ChoiceHook m_choose;
    NumberFormatHook m_numberFormatHook;
    int m_anchorColumn = 1;  // model coordinates of the last header click
    int m_anchorRow = 1;
};
