#include "gui/TNotesForm.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QVBoxLayout>

#include "gui/TResultsViewer.h"
#include "gui/printing.h"
#include "report/report_lines.h"

namespace {

QString fromStd(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

std::size_t storedBytes(const QString& text) { return vextal::StoredNotesLength(text.toStdString()); }

// Where each document's notes window was last left, while the program runs.
QHash<const vextal::DataDocument*, QRect>& rememberedPlaces() {
    static QHash<const vextal::DataDocument*, QRect> places;
    return places;
}

// The longest start of `text` that takes at most `room` bytes once stored.
QString cutToRoom(const QString& text, std::size_t room) {
    std::size_t used = 0;
    qsizetype end = 0;
    while (end < text.size()) {
        qsizetype next = end + 1;
        if (text.at(end).isHighSurrogate() && next < text.size()) ++next;
        if (text.at(end) == QLatin1Char('\r') && next < text.size() && text.at(next) == QLatin1Char('\n')) ++next;
        const std::size_t size = storedBytes(text.mid(end, next - end));
        if (used + size > room) break;
        used += size;
        end = next;
    }
    return text.left(end);
}

}  // namespace

std::size_t TNotesEdit::storedLength() const { return storedBytes(toPlainText()); }

std::size_t TNotesEdit::room() const {
    QString selected = textCursor().selectedText();
    selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    const std::size_t used = storedLength() - storedBytes(selected);
    return used >= vextal::NotesEditorLimit ? 0 : vextal::NotesEditorLimit - used;
}

void TNotesEdit::keyPressEvent(QKeyEvent* event) {
    const QString text = event->text();
    const bool command = (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) != 0;
    const bool inserts = !command && !text.isEmpty() &&
                         (text.at(0).isPrint() || text.at(0) == QLatin1Char('\t') ||
                          text.at(0) == QLatin1Char('\r') || text.at(0) == QLatin1Char('\n'));
    if (inserts && storedBytes(text) > room()) {
        QApplication::beep();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TNotesEdit::insertFromMimeData(const QMimeData* source) {
    if (source == nullptr || !source->hasText()) return;
    const QString cut = cutToRoom(source->text(), room());
    if (cut.size() < source->text().size()) QApplication::beep();
    insertPlainText(cut);
}

TNotesForm::TNotesForm(vextal::DataDocument& document, QWidget* parent) : QDialog(parent), m_document(document) {
    setObjectName(QStringLiteral("notesForm"));
    setWindowTitle(QStringLiteral("Vextal Notes"));
    setModal(true);
    m_editor = new TNotesEdit(this);
    m_editor->setObjectName(QStringLiteral("notesEditor"));
    m_editor->setFont(reportFont());
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setPlainText(fromStd(vextal::NotesForEditor(document.NotesText)));
    m_editor->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_editor, &QWidget::customContextMenuRequested, this, [this](const QPoint& point) {
        QMenu* menu = createPopupMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(m_editor->viewport()->mapToGlobal(point));
    });
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_editor);

    const auto place = rememberedPlaces().constFind(&document);
    if (place != rememberedPlaces().constEnd())
        setGeometry(*place);
    else
        resize(560, 380);
}

QMenu* TNotesForm::createPopupMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    const bool selected = m_editor->textCursor().hasSelection();
    QAction* cut = menu->addAction(QStringLiteral("&Cut"), m_editor, &QPlainTextEdit::cut);
    cut->setShortcut(QKeySequence::Cut);
    cut->setEnabled(selected);
    QAction* copy = menu->addAction(QStringLiteral("&Copy"), m_editor, &QPlainTextEdit::copy);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(selected);
    QAction* paste = menu->addAction(QStringLiteral("&Paste"), m_editor, &QPlainTextEdit::paste);
    paste->setShortcut(QKeySequence::Paste);
    paste->setEnabled(m_editor->canPaste());
    QAction* all = menu->addAction(QStringLiteral("Select All"), m_editor, &QPlainTextEdit::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    menu->addAction(QStringLiteral("P&rint"), this, &TNotesForm::printNotes);
    for (QAction* action : menu->actions()) action->setShortcutContext(Qt::WidgetShortcut);
    return menu;
}

void TNotesForm::storeNotes() {
    const std::string stored = vextal::NotesFromEditor(m_editor->toPlainText().toStdString());
    if (stored != vextal::NotesFromEditor(vextal::NotesForEditor(m_document.NotesText)))
        m_document.State.DocumentModified = true;
    m_document.NotesText = stored;
}

void TNotesForm::done(int result) {
    storeNotes();
    rememberedPlaces().insert(&m_document, geometry());
    QDialog::done(result);
}

void TNotesForm::printNotes() {
    const QString text = m_editor->toPlainText();
    if (m_print) {
        m_print(text);
        return;
    }
    const QString title = m_document.Table.DocumentTitle.empty() ? windowTitle()
                                                                 : fromStd(m_document.Table.DocumentTitle);
    showPrintPreview(
        this, [text, title](QPrinter& printer) { return printPlainText(printer, text, title, QStringLiteral("Notes")); },
        windowTitle());
}

void TNotesForm::showNotes(QWidget* parent, vextal::DataDocument& document) {
    TNotesForm form(document, parent);
    form.exec();
}

void TNotesForm::forgetDocument(const vextal::DataDocument* document) { rememberedPlaces().remove(document); }
