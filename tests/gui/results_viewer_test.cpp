#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "gui/TNotesForm.h"
#include "gui/TResultsViewer.h"
#include "report/report_lines.h"

using vextal::TextPosition;

namespace {

struct Viewer {
    explicit Viewer(const std::string& report) {
        viewer.resize(500, 300);
        viewer.setReport(report);
        viewer.show();
        viewer.setFocus();
    }
    void keys(Qt::Key key, int times, Qt::KeyboardModifiers modifiers = Qt::ShiftModifier) {
        for (int i = 0; i < times; ++i) QTest::keyClick(&viewer, key, modifiers);
    }
    QPoint leftEdgeOf(TextPosition position) const {
        const QRect cell = viewer.cellRect(position);
        return {cell.left() + 1, cell.center().y()};
    }
    TResultsViewer viewer;
};

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    return texts;
}

QImage cellImage(TResultsViewer& viewer, TextPosition position) {
    return viewer.viewport()->grab(viewer.cellRect(position)).toImage();
}

}  // namespace

TEST(ResultsViewer, KeyboardAndMouseSelectionsCopyWithoutMarkers) {
    Viewer v("A\x80" "B\x80" "C\r\nsecond line\r\n");
    ASSERT_EQ(2, v.viewer.lineCount());
    v.keys(Qt::Key_Right, 3);
    EXPECT_EQ(QStringLiteral("ABC"), v.viewer.selectedText());
    QApplication::clipboard()->clear();
    QTest::keyClick(&v.viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QStringLiteral("ABC"), QApplication::clipboard()->text());

    // Back to column 1, then one line down: the last line is cut at the caret.
    QTest::keyClick(&v.viewer, Qt::Key_Home);
    QTest::keyClick(&v.viewer, Qt::Key_Right);
    v.keys(Qt::Key_Down, 1);
    EXPECT_EQ(QStringLiteral("BC\ns"), v.viewer.selectedText());

    // Click, then Shift+click.
    QTest::mouseClick(v.viewer.viewport(), Qt::LeftButton, {}, v.leftEdgeOf({1, 0}));
    EXPECT_FALSE(v.viewer.hasSelection());
    QTest::mouseClick(v.viewer.viewport(), Qt::LeftButton, Qt::ShiftModifier, v.leftEdgeOf({1, 6}));
    EXPECT_EQ(QStringLiteral("second"), v.viewer.selectedText());

    // With nothing selected Copy takes the whole report; Ctrl+A selects it all.
    v.viewer.clearSelection();
    v.viewer.copy();
    EXPECT_EQ(QStringLiteral("ABC\nsecond line"), QApplication::clipboard()->text());
    QTest::keyClick(&v.viewer, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(v.viewer.plainText(), v.viewer.selectedText());
}

TEST(ResultsViewer, ItsCopyAndSelectAllKeysWinOverAWindowShortcut) {
    QWidget window;
    int windowCopies = 0;
    auto* windowCopy = new QAction(&window);
    windowCopy->setShortcut(QKeySequence::Copy);
    QObject::connect(windowCopy, &QAction::triggered, [&] { ++windowCopies; });
    window.addAction(windowCopy);
    auto* viewer = new TResultsViewer(&window);
    viewer->setReport("plain text\r\n");
    window.resize(400, 200);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    viewer->setFocus();
    QApplication::clipboard()->clear();
    QTest::keyClick(viewer, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QStringLiteral("plain text"), QApplication::clipboard()->text());
    EXPECT_EQ(0, windowCopies);
}

TEST(ResultsViewer, OnlyTheMarkedCharacterIsDrawnBoldAndColumnsDoNotShift) {
    Viewer plain("ABC\r\n");
    Viewer styled("A\x80" "B\x80" "C\r\n");
    plain.viewer.clearFocus();
    styled.viewer.clearFocus();
    const auto inked = [](const QImage& image) {
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) dark += qGray(image.pixel(x, y)) < 128;
        return dark;
    };
    // Every letter is drawn in its own cell, the bold one with more ink.
    ASSERT_GT(inked(cellImage(plain.viewer, {0, 0})), 0);
    EXPECT_GT(inked(cellImage(styled.viewer, {0, 1})), inked(cellImage(plain.viewer, {0, 1})));
    EXPECT_EQ(cellImage(plain.viewer, {0, 0}), cellImage(styled.viewer, {0, 0}));
    EXPECT_NE(cellImage(plain.viewer, {0, 1}), cellImage(styled.viewer, {0, 1}));
    EXPECT_EQ(cellImage(plain.viewer, {0, 2}), cellImage(styled.viewer, {0, 2}));
}

TEST(ResultsViewer, PopupMenuOffersCopyAppendAndSelectAll) {
    Viewer v("Mean = 12.5\r\nSD = 2.25\r\n");
    std::unique_ptr<QMenu> menu(v.viewer.createPopupMenu(nullptr));
    EXPECT_EQ((QStringList{"&Copy", "Append to Notes", "&Select All"}), actionTexts(menu.get()));

    // Append to Notes takes the selection, or every line without one.
    QSignalSpy appendRequests(&v.viewer, &TResultsViewer::appendToNotesRequested);
    menu->actions()[1]->trigger();
    EXPECT_EQ(1, appendRequests.count());
    EXPECT_EQ((std::vector<std::string>{"Mean = 12.5", "SD = 2.25"}), v.viewer.linesForNotes());
    v.viewer.setSelection({0, 7}, {1, 2});
    EXPECT_EQ((std::vector<std::string>{"12.5", "SD"}), v.viewer.linesForNotes());
    menu->actions()[2]->trigger();
    EXPECT_EQ(v.viewer.plainText(), v.viewer.selectedText());
}

TEST(NotesForm, ClosingStoresTheTextWithoutItsFinalLineBreak) {
    vextal::DataDocument document;
    document.NotesText = "from file\r\n";
    {
        TNotesForm form(document);
        EXPECT_EQ(QStringLiteral("Vextal Notes"), form.windowTitle());
        EXPECT_TRUE(form.isModal());
        EXPECT_EQ(QStringLiteral("from file\n"), form.editor()->toPlainText());
        form.reject();  // unchanged notes do not mark the document modified
    }
    EXPECT_EQ("from file", document.NotesText);
    EXPECT_FALSE(document.State.DocumentModified);

    // Notes a file filled to its limit survive the window whole.
    document.NotesText = std::string(vextal::MaxNotesLength, 'x');
    TNotesForm(document).reject();
    EXPECT_EQ(vextal::MaxNotesLength, document.NotesText.size());

    TNotesForm form(document);
    form.editor()->setPlainText(QStringLiteral("line one\nline two\n"));
    form.show();
    form.close();
    EXPECT_EQ("line one\r\nline two", document.NotesText);
    EXPECT_TRUE(document.State.DocumentModified);
}

TEST(NotesForm, TheEditorTakesNoMoreThanTheNotesHold) {
    vextal::DataDocument document;
    document.NotesText = std::string(7990, 'x');
    TNotesForm form(document);
    form.show();
    TNotesEdit* editor = form.editor();
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral("abcdefgh"));
    EXPECT_EQ(7998u, editor->storedLength());
    QTest::keyClick(editor, Qt::Key_Return);  // a line break takes two bytes
    EXPECT_EQ(8000u, editor->storedLength());
    QTest::keyClicks(editor, QStringLiteral("z"));
    EXPECT_EQ(8000u, editor->storedLength());

    // A paste is cut to the room left: selecting "abcdefgh" and its line
    // break frees 10 bytes, which five two-byte characters fill.
    QTextCursor cursor = editor->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 9);
    editor->setTextCursor(cursor);
    QApplication::clipboard()->setText(QStringLiteral("\u00B5\u00B5\u00B5\u00B5\u00B5tail"));
    editor->paste();
    EXPECT_EQ(8000u, editor->storedLength());
    EXPECT_TRUE(editor->toPlainText().endsWith(QStringLiteral("xx\u00B5\u00B5\u00B5\u00B5\u00B5")));
    form.accept();
    EXPECT_EQ(8000u, document.NotesText.size());
}

TEST(NotesForm, PlaceIsRememberedPerDocumentAndThePopupMenuPrints) {
    vextal::DataDocument first;
    vextal::DataDocument second;
    const QRect place(40, 50, 432, 210);
    {
        TNotesForm form(first);
        form.setGeometry(place);
        form.accept();
    }
    EXPECT_EQ(place, TNotesForm(first).geometry());
    EXPECT_NE(place.size(), TNotesForm(second).size());

    first.NotesText = "to print";
    TNotesForm form(first);
    QString printed;
    form.setPrintHook([&](const QString& text) { printed = text; });
    std::unique_ptr<QMenu> menu(form.createPopupMenu(nullptr));
    EXPECT_EQ((QStringList{"&Cut", "&Copy", "&Paste", "Select All", "P&rint"}), actionTexts(menu.get()));
    EXPECT_FALSE(menu->actions()[0]->isEnabled());  // nothing selected to cut
    menu->actions()[4]->trigger();
    EXPECT_EQ(QStringLiteral("to print"), printed);
    form.reject();
}
