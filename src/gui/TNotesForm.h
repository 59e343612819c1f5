// The notes window "Vextal Notes": a modal window with a fixed-pitch editor
// holding a document's notes and a popup menu (Cut, Copy, Paste, Select All,
// Print). The editor holds at most NotesEditorLimit bytes of stored text.
// Closing the window, however it is closed, stores the text back into the
// document. Its size and place are remembered per document while the
// program runs.
#pragma once

#include <QDialog>
#include <QPlainTextEdit>

#include <functional>

#include "data/data_document.h"

class QMenu;

/// A plain-text editor that refuses typed or pasted text beyond the room
/// of the notes (a paste is cut to the room left).
class TNotesEdit : public QPlainTextEdit {
    Q_OBJECT

public:
    using QPlainTextEdit::QPlainTextEdit;

    /// Bytes the text takes once stored.
    std::size_t storedLength() const;
    /// Bytes left for new text, counting the selection as free.
    std::size_t room() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

class TNotesForm : public QDialog {
    Q_OBJECT

public:
    /// Prints the notes text (the default shows the print preview).
    using PrintHook = std::function<void(const QString& text)>;

    explicit TNotesForm(vextal::DataDocument& document, QWidget* parent = nullptr);

    TNotesEdit* editor() const { return m_editor; }
    /// The popup menu: "&Cut", "&Copy", "&Paste", "Select All", "P&rint".
    QMenu* createPopupMenu(QWidget* parent);
    void setPrintHook(PrintHook hook) { m_print = std::move(hook); }
    /// Stores the editor's text into the document (done on every close).
    void storeNotes();

    /// Edit > View Notes: opens the notes of `document` modally where the
    /// user last left them for this document.
    static void showNotes(QWidget* parent, vextal::DataDocument& document);
    /// Drops what is remembered of a document's notes window (call it when
    /// the document closes).
    static void forgetDocument(const vextal::DataDocument* document);

protected:
    void done(int result) override;

private:
    void printNotes();

    vextal::DataDocument& m_document;
    TNotesEdit* m_editor = nullptr;
    PrintHook m_print;
};
