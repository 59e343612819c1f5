#include "gui/TSpreadGrid.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLineEdit>
#include <QPalette>

#include "data/data_table.h"
#include "gui/TNumberFormatForm.h"
#include "workflow/test_selection.h"

using namespace vextal;

namespace {

// The numeric-title question is asked until the user says No once.
NumericTitleQuestionState& numericTitleQuestion() {
    static NumericTitleQuestionState state;
    return state;
}

// Shows the hourglass while a bulk change runs, on every path out.
struct BusyCursor {
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
};

QString fromStd(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

// ------------------------------------------------------------------ model

TSpreadModel::TSpreadModel(DataDocument& document, const NumberSettings& settings, QObject* parent)
    : QAbstractTableModel(parent), m_document(document), m_settings(settings) {
    m_ask = [](const QString& text, bool defaultNo) { return askYesNo(nullptr, text, defaultNo); };
}

int TSpreadModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : UserRowCount + 1; }

int TSpreadModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : DataColumnCount + 1;
}

QVariant TSpreadModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const DataTable& table = m_document.Table;
    const int row = index.row() - 1;
    const int column = index.column() - 1;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.row() == 0 && index.column() == 0) return QString();
        if (index.row() == 0) return fromStd(table.ColumnInfo[column].Title);
        if (index.column() == 0) return fromStd(table.RowTitles[row]);
        if (role == Qt::DisplayRole)
            return fromStd(TruncateCharacters(GridCellText(table, row, column), MaxGridCellDrawn));
        return fromStd(GridCellText(table, row, column));
    case Qt::TextAlignmentRole:
        if (isDataCell(index)) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::FontRole:
        if (isDataCell(index) && IsExcluded(table, row, column)) {
            QFont font;
            font.setItalic(true);
            return font;
        }
        if (index.row() == 0) {
            QFont font;
            font.setBold(true);
            return font;
        }
        return {};
    case Qt::BackgroundRole:
        // A column holding a typed summary but no raw value.
        if (isDataCell(index) && HoldsTypedSummary(table, column))
            return QApplication::palette().brush(QPalette::Button);
        if (!isDataCell(index)) return QApplication::palette().brush(QPalette::AlternateBase);
        return {};
    default:
        return {};
    }
}

QVariant TSpreadModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
    if (orientation == Qt::Horizontal)
        return section == 0 ? QString() : fromStd(GridColumnHeader(m_document.State.Format, section - 1));
    return section == 0 ? QString() : QString::number(section);
}

Qt::ItemFlags TSpreadModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.row() != 0 || index.column() != 0) result |= Qt::ItemIsEditable;
    return result;
}

bool TSpreadModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    const QString text = value.toString();
    if (isDataCell(index)) return commitDataCell(index.row() - 1, index.column() - 1, text);

    if (isRowTitle(index)) {
        SetRowTitle(m_document, index.row() - 1, text.toStdString());
        emit dataChanged(index, index);
        emit documentChanged();
        return true;
    }
    if (isColumnTitle(index)) {
        const int column = index.column() - 1;
        const std::string typed = text.toStdString();
        ColumnTitleResult result = LeaveColumnTitle(m_document, column, typed, numericTitleQuestion());
        if (result.Question) {
            const bool yes = m_ask(fromStd(result.Question->Text), false);
            result = LeaveColumnTitle(m_document, column, typed, numericTitleQuestion(),
                                      yes ? Answer::Yes : Answer::No);
        }
        emit dataChanged(index, index);
        // The title's number goes into the column's first data row.
        if (result.NumberForCell) commitDataCell(0, column, fromStd(*result.NumberForCell));
        emit documentChanged();
        return true;
    }
    return false;
}

bool TSpreadModel::commitDataCell(int row, int column, const QString& text) {
    const std::string typed = text.toStdString();
    CellCommitResult result = CommitCell(m_document, row, column, typed, m_settings);
    if (result.Question) {
        // Yes erases the column's typed mean data: No is the safe default.
        const bool yes = m_ask(fromStd(result.Question->Text), true);
        result = CommitCell(m_document, row, column, typed, m_settings, yes ? Answer::Yes : Answer::No);
    }
    redraw(Wider(result.Redraw, Repaint::Cell), row, column);
    if (result.Stored) emit documentChanged();
    return result.Stored;
}

void TSpreadModel::redraw(Repaint repaint, int row, int column) {
    switch (repaint) {
    case Repaint::None:
        break;
    case Repaint::Cell:
        emit dataChanged(index(row + 1, column + 1), index(row + 1, column + 1));
        break;
    case Repaint::Column:
        emit dataChanged(index(1, column + 1), index(UserRowCount, column + 1));
        break;
    case Repaint::Grid:
        emit dataChanged(index(0, 0), index(UserRowCount, DataColumnCount));
        break;
    }
}

void TSpreadModel::refreshAll() {
    beginResetModel();
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, DataColumnCount);
}

// ------------------------------------------------------------------ editor

namespace {
enum class EditorKind { Data, ColumnTitle, RowTitle };
constexpr const char* KindProperty = "vextalEditorKind";
constexpr const char* OriginalProperty = "vextalOriginalText";
}  // namespace

QWidget* TSpreadDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    EditorKind kind = EditorKind::Data;
    int maxLength = static_cast<int>(MaxCellTextLength);
    if (TSpreadModel::isColumnTitle(index)) {
        kind = EditorKind::ColumnTitle;
        maxLength = static_cast<int>(MaxColumnTitleEditLength);
    } else if (TSpreadModel::isRowTitle(index)) {
        kind = EditorKind::RowTitle;
        maxLength = static_cast<int>(MaxRowTitleLength);
    } else {
        editor->setAlignment(Qt::AlignRight);
    }
    editor->setMaxLength(maxLength);
    editor->setProperty(KindProperty, static_cast<int>(kind));
    m_editor = editor;
    m_editorIndex = index;
    return editor;
}

void TSpreadDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    const QString text = index.data(Qt::EditRole).toString();
    line->setText(text);
    line->setProperty(OriginalProperty, text);
}

void TSpreadDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
    auto* line = qobject_cast<QLineEdit*>(editor);
    if (!line) return;
    // Only an edited text is committed: leaving a cell untouched stores nothing.
    if (line->text() == line->property(OriginalProperty).toString()) return;
    line->setProperty(OriginalProperty, line->text());
    model->setData(index, line->text(), Qt::EditRole);
}

void TSpreadDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (m_editor == editor) m_editor = nullptr;
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool TSpreadDelegate::eventFilter(QObject* object, QEvent* event) {
    auto* line = qobject_cast<QLineEdit*>(object);
    if (line && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const auto kind = static_cast<EditorKind>(line->property(KindProperty).toInt());
        // Keys that leave a title editor (or the first data row upwards) for
        // another field: store, close, and let the grid move.
        const int k = key->key();
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier));
        bool moves = false;
        switch (kind) {
        case EditorKind::ColumnTitle:
            moves = (plain && (k == Qt::Key_Right || k == Qt::Key_Left || k == Qt::Key_Down || k == Qt::Key_Up ||
                               k == Qt::Key_Return || k == Qt::Key_Enter)) ||
                    k == Qt::Key_Tab;
            break;
        case EditorKind::RowTitle:
            moves = plain && (k == Qt::Key_Down || k == Qt::Key_Up || k == Qt::Key_Return || k == Qt::Key_Enter ||
                              k == Qt::Key_Escape || k == Qt::Key_Right);
            break;
        case EditorKind::Data:
            moves = plain && k == Qt::Key_Up && m_editorIndex.row() == 1;
            break;
        }
        if (moves && m_titleKey) {
            const QModelIndex from = m_editorIndex;
            emit commitData(line);
            emit closeEditor(line, NoHint);
            m_titleKey(from, k);
            return true;
        }
        if (kind == EditorKind::Data) {
            const QString text = key->text();
            const bool control = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
            if (!control && text.size() == 1 && text[0].isPrint() &&
                (text[0].unicode() > 127 || !IsCellKey(static_cast<char>(text[0].unicode()))))
                return true;  // refused
            if (key->key() == Qt::Key_Left || key->key() == Qt::Key_Right) {
                emit commitData(line);
                emit closeEditor(line, key->key() == Qt::Key_Right ? EditNextItem : EditPreviousItem);
                return true;
            }
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // Consumed here so the view does not move a second time.
            emit commitData(line);
            emit closeEditor(line, SubmitModelCache);
            return true;
        }
        if (key->key() == Qt::Key_F9 || key->key() == Qt::Key_F10) {
            // Step keys leave the editor first; the view handles the step.
            emit commitData(line);
            emit closeEditor(line, NoHint);
            return false;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

// ------------------------------------------------------------------ view

TSpreadGrid::TSpreadGrid(DataDocument& document, const NumberSettings& settings, QWidget* parent)
    : QTableView(parent), m_document(document) {
    m_model = new TSpreadModel(document, settings, this);
    m_delegate = new TSpreadDelegate(this);
    setModel(m_model);
    setItemDelegate(m_delegate);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(19);
    verticalHeader()->setMinimumSectionSize(12);
    horizontalHeader()->setDefaultSectionSize(110);
    setColumnWidth(0, 80);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::SelectedClicked |
                    QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed);
    setCornerButtonEnabled(false);
    connect(m_model, &TSpreadModel::documentChanged, this, &TSpreadGrid::documentChanged);
    // Header clicks select whole columns of data rows (not the title row),
    // extending from the last clicked column with Shift.
    disconnect(horizontalHeader(), &QHeaderView::sectionPressed, this, nullptr);
    disconnect(horizontalHeader(), &QHeaderView::sectionEntered, this, nullptr);
    connect(horizontalHeader(), &QHeaderView::sectionPressed, this, [this](int section) { headerPressed(section); });
    m_delegate->setTitleKeyHook([this](const QModelIndex& from, int key) { moveFromEditor(from, key); });
    m_choose = [this](const QString& caption, const QStringList& items, const QString& hint) {
        return askChoice(this, caption, items, hint);
    };
    setCurrentIndex(m_model->index(1, 1));
}

void TSpreadGrid::setQuestionHook(YesNoHook hook) { m_model->setQuestionHook(std::move(hook)); }

bool TSpreadGrid::isEditing() const { return m_delegate->openEditor() != nullptr; }

void TSpreadGrid::commitPendingEdit() {
    if (QWidget* editor = m_delegate->openEditor()) {
        emit m_delegate->commitData(editor);
        emit m_delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

GridSelection TSpreadGrid::dataSelection() const {
    const QItemSelection selection = selectionModel()->selection();
    int top = 0, left = 0, bottom = 0, right = 0;
    if (selection.isEmpty()) {
        const QModelIndex current = currentIndex();
        top = bottom = current.row();
        left = right = current.column();
    } else {
        top = left = INT_MAX;
        bottom = right = -1;
        for (const QItemSelectionRange& range : selection) {
            top = std::min(top, range.top());
            left = std::min(left, range.left());
            bottom = std::max(bottom, range.bottom());
            right = std::max(right, range.right());
        }
    }
    return Normalized({top - 1, left - 1, bottom - 1, right - 1});
}

void TSpreadGrid::selectDataBlock(const GridSelection& block) {
    const GridSelection b = Normalized(block);
    const QModelIndex topLeft = m_model->index(b.Top + 1, b.Left + 1);
    selectionModel()->setCurrentIndex(topLeft, QItemSelectionModel::NoUpdate);
    selectionModel()->select(QItemSelection(topLeft, m_model->index(b.Bottom + 1, b.Right + 1)),
                             QItemSelectionModel::ClearAndSelect);
}

void TSpreadGrid::setCurrentDataCell(int row, int column) {
    setCurrentIndex(m_model->index(std::clamp(row, 0, LastUserRow) + 1, std::clamp(column, 0, LastDataColumn) + 1));
}

void TSpreadGrid::selectEverything() {
    commitPendingEdit();
    selectDataBlock(WholeTableSelection());
}

void TSpreadGrid::selectModelColumns(int first, int last) {
    if (first > last) std::swap(first, last);
    selectDataBlock(WholeColumnsSelection(first - 1, last - 1));
}

void TSpreadGrid::selectModelRows(int first, int last) {
    if (first > last) std::swap(first, last);
    selectDataBlock(WholeRowsSelection(first - 1, last - 1));
}

void TSpreadGrid::headerPressed(int section) {
    commitPendingEdit();
    if (section == 0) {
        selectEverything();
        return;
    }
    const bool extend = QGuiApplication::keyboardModifiers() & Qt::ShiftModifier;
    if (!extend) m_anchorColumn = section;
    selectModelColumns(m_anchorColumn, section);
    if (extend) selectionModel()->setCurrentIndex(m_model->index(1, m_anchorColumn), QItemSelectionModel::NoUpdate);
}

void TSpreadGrid::selectCurrentColumn() {
    commitPendingEdit();
    const int column = std::max(1, currentIndex().column());
    m_anchorColumn = column;
    selectModelColumns(column, column);
}

void TSpreadGrid::selectCurrentRow() {
    commitPendingEdit();
    const int row = std::max(1, currentIndex().row());
    m_anchorRow = row;
    selectModelRows(row, row);
}

void TSpreadGrid::editColumnTitle(int column) {
    const QModelIndex index = m_model->index(0, std::clamp(column, 0, LastDataColumn) + 1);
    setCurrentIndex(index);
    scrollTo(index);
    edit(index);
}

void TSpreadGrid::editRowTitle(int row) {
    const QModelIndex index = m_model->index(std::clamp(row, 0, LastUserRow) + 1, 0);
    setCurrentIndex(index);
    scrollTo(index);
    edit(index);
}

void TSpreadGrid::moveFromEditor(const QModelIndex& from, int key) {
    const int row = from.row();
    const int column = from.column();
    if (row == 0) {  // a column title
        switch (key) {
        case Qt::Key_Tab:
        case Qt::Key_Right:
            editColumnTitle(std::min(column, LastDataColumn));  // the next column (data index = column), up to Z
            break;
        case Qt::Key_Left:
            editColumnTitle(std::max(column - 2, 0));  // from B on
            break;
        case Qt::Key_Up:
            setCurrentIndex(from);
            emit titleFieldRequested();
            break;
        default:  // Enter, Down: into the first data row
            setCurrentIndex(m_model->index(1, column));
            break;
        }
    } else if (column == 0) {  // a row title
        switch (key) {
        case Qt::Key_Down:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            editRowTitle(std::min(row, LastUserRow));  // the next row (data index = row)
            break;
        case Qt::Key_Up:
            editRowTitle(std::max(row - 2, 0));  // not above the first data row
            break;
        default:  // Escape, Right: back into the grid
            setCurrentIndex(m_model->index(row, 1));
            break;
        }
    } else if (key == Qt::Key_Up) {  // first data row: its column's title
        editColumnTitle(column - 1);
    }
    setFocus();
}

void TSpreadGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index.isValid() && index.column() == 0) {
        commitPendingEdit();
        if (index.row() == 0) {
            selectEverything();
            return;
        }
        // The row-title column: the left edge opens the title editor, the
        // right edge works like a cell, the rest selects the whole row.
        const QRect cell = visualRect(index);
        const int x = event->position().toPoint().x();
        constexpr int EdgeZone = 14;
        if (x >= cell.right() - EdgeZone && x > cell.left() + EdgeZone) {
            QTableView::mousePressEvent(event);
            return;
        }
        const bool extend = event->modifiers() & Qt::ShiftModifier;
        if (!extend) m_anchorRow = index.row();
        selectModelRows(m_anchorRow, index.row());
        if (x < cell.left() + EdgeZone && !extend) editRowTitle(index.row() - 1);
        return;
    }
    QTableView::mousePressEvent(event);
}

void TSpreadGrid::numberFormat() {
    commitPendingEdit();
    const NumberFormatDialogState state =
        PrepareNumberFormat(m_document.Table, dataSelection(), std::max(0, currentIndex().column() - 1));
    std::optional<int> setting;
    if (m_numberFormatHook) setting = m_numberFormatHook(state);
    else setting = TNumberFormatForm::ask(this, state);
    if (!setting) return;
    const std::vector<int> changed = ApplyNumberFormat(m_document, state.FirstColumn, state.LastColumn, *setting);
    if (changed.empty()) return;
    m_model->refreshAll();
    emit documentChanged();
}

void TSpreadGrid::runBlockCommand(const std::function<bool()>& command) {
    commitPendingEdit();
    const GridSelection selection = dataSelection();
    const QModelIndex current = currentIndex();
    bool changed = false;
    {
        BusyCursor busy;
        setEnabled(false);
        changed = command();
        m_model->refreshAll();
        setEnabled(true);
    }
    selectDataBlock(selection);
    selectionModel()->setCurrentIndex(m_model->index(current.row(), current.column()),
                                      QItemSelectionModel::NoUpdate);
    setFocus();
    if (changed) emit documentChanged();
}

void TSpreadGrid::clearSelection() {
    commitPendingEdit();
    const GridSelection selection = dataSelection();
    runBlockCommand([&] { return ClearCells(m_document, selection); });
}

namespace {
std::optional<BlockChoice> chooseBlock(const ChoiceHook& choose, const BlockDialogText& text) {
    const QStringList items{QString::fromUtf8(text.ShiftCells.data(), text.ShiftCells.size()),
                            QString::fromUtf8(text.EntireRows.data(), text.EntireRows.size()),
                            QString::fromUtf8(text.EntireColumns.data(), text.EntireColumns.size())};
    const int choice = choose(QString::fromUtf8(text.Caption.data(), text.Caption.size()), items,
                              QString::fromUtf8(text.Hint.data(), text.Hint.size()));
    if (choice < 0 || choice > 2) return std::nullopt;
    return static_cast<BlockChoice>(choice);
}
}  // namespace

void TSpreadGrid::deleteCells() {
    commitPendingEdit();
    const GridSelection selection = dataSelection();
    std::optional<BlockChoice> choice;
    if (DeleteCommandFor(selection) == BlockCommand::AskUser) {
        choice = chooseBlock(m_choose, DeleteDialogText);
        if (!choice) return;
    }
    runBlockCommand([&] {
        const bool ran = DeleteCells(m_document, selection, choice);
        return ran;
    });
}

void TSpreadGrid::insertCells() {
    commitPendingEdit();
    const GridSelection selection = dataSelection();
    std::optional<BlockChoice> choice;
    if (InsertCommandFor(selection) == BlockCommand::AskUser) {
        choice = chooseBlock(m_choose, InsertDialogText);
        if (!choice) return;
    }
    runBlockCommand([&] { return InsertCells(m_document, selection, choice); });
}

void TSpreadGrid::toggleExclusion() {
    if (!ExcludeAvailable(m_document.State.Format)) return;
    commitPendingEdit();
    const GridSelection selection = dataSelection();
    runBlockCommand([&] { return ToggleExclusion(m_document, selection).Changed; });
}

void TSpreadGrid::fillFromDocument() {
    commitPendingEdit();
    BusyCursor busy;
    m_model->refreshAll();
}

void TSpreadGrid::moveCurrent(int rowStep, int columnStep) {
    const QModelIndex current = currentIndex();
    const int row = std::clamp(current.row() + rowStep, 0, UserRowCount);
    const int column = std::clamp(current.column() + columnStep, 0, DataColumnCount);
    setCurrentIndex(m_model->index(row, column));
}

void TSpreadGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
    switch (hint) {
    case QAbstractItemDelegate::SubmitModelCache:  // Enter
        moveCurrent(1, 0);
        break;
    case QAbstractItemDelegate::EditNextItem:
        moveCurrent(0, 1);
        break;
    case QAbstractItemDelegate::EditPreviousItem:
        moveCurrent(0, -1);
        break;
    default:
        break;
    }
}

void TSpreadGrid::keyPressEvent(QKeyEvent* event) {
    const bool control = event->modifiers() & Qt::ControlModifier;
    switch (event->key()) {
    case Qt::Key_F10:
        if (!(event->modifiers() & Qt::ShiftModifier)) {
            emit nextStepRequested();
            return;
        }
        break;
    case Qt::Key_F9:
        if (!(event->modifiers() & Qt::ShiftModifier)) {
            emit previousStepRequested();
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveCurrent(1, 0);
        return;
    case Qt::Key_Up:
        if (event->modifiers() == Qt::NoModifier && currentIndex().row() == 1 && currentIndex().column() >= 1) {
            editColumnTitle(currentIndex().column() - 1);
            return;
        }
        break;
    case Qt::Key_Delete:
        if (control)
            deleteCells();
        else
            clearSelection();
        return;
    case Qt::Key_Insert:
        if (control) {
            emit copyRequested();
            return;
        }
        if (event->modifiers() & Qt::ShiftModifier) {
            emit pasteRequested();
            return;
        }
        insertCells();
        return;
    case Qt::Key_E:
        if (control) {
            toggleExclusion();
            return;
        }
        break;
    case Qt::Key_A:
        if (control) {
            selectEverything();
            return;
        }
        break;
    default:
        break;
    }
    // Characters a data cell does not take do not even open its editor.
    const QString text = event->text();
    if (!control && text.size() == 1 && text[0].isPrint() && TSpreadModel::isDataCell(currentIndex()) &&
        (text[0].unicode() > 127 || !IsCellKey(static_cast<char>(text[0].unicode())))) {
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
