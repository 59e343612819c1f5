// The Results step's viewer: a read-only, line-oriented view of a report in
// a fixed-pitch font, drawn character by character in columns with its bold,
// underlined and italic runs, with a caret and a selection (mouse, Shift and
// the arrow keys, Ctrl+A) and a popup menu (Copy, Append to Notes, Select
// All). Everything it copies is plain text without marker bytes.
#pragma once

#include <QAbstractScrollArea>
#include <QFont>

#include <string>
#include <vector>

#include "report/report_lines.h"

class QAction;
class QMenu;
class QPainter;

class TResultsViewer : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TResultsViewer(QWidget* parent = nullptr);

    /// Shows a report (marker bytes included): caret and selection go to the
    /// start and the view scrolls to the top.
    void setReport(const std::string& withMarkers);
    const vextal::ReportLines& lines() const { return m_lines; }
    int lineCount() const { return m_lines.Count(); }

    /// Every line, joined by "\n".
    QString plainText() const;
    /// The selected text, joined by "\n"; empty without a selection.
    QString selectedText() const;
    bool hasSelection() const { return !m_selection.IsEmpty(); }
    vextal::TextSelection selection() const { return m_selection; }
    void setSelection(vextal::TextPosition anchor, vextal::TextPosition caret);
    void selectAll();
    void clearSelection();

    /// Edit > Copy: the selection, or the whole report when nothing is
    /// selected, to the clipboard as plain text.
    void copy();
    /// The lines Append to Notes takes: the selected part of each selected
    /// line, or every line when nothing is selected.
    std::vector<std::string> linesForNotes() const;

    /// The popup menu: "&Copy", "Append to Notes", "&Select All".
    QMenu* createPopupMenu(QWidget* parent);
    QAction* copyAction() const { return m_copyAction; }
    QAction* appendToNotesAction() const { return m_appendAction; }
    QAction* selectAllAction() const { return m_selectAllAction; }

    /// The caret position under a point of the viewport.
    vextal::TextPosition positionAt(const QPoint& point) const;
    /// Where a character cell lies in the viewport.
    QRect cellRect(vextal::TextPosition position) const;

    QSize sizeHint() const override;

signals:
    /// The user chose Append to Notes from the popup menu.
    void appendToNotesRequested();
    void selectionChanged();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void updateScrollBars();
    void moveCaret(vextal::TextPosition caret, bool extend);
    void ensureCaretVisible();
    int visibleLines() const;
    int visibleColumns() const;

    vextal::ReportLines m_lines;
    vextal::TextSelection m_selection;
    QFont m_font;
    int m_charWidth = 8;
    int m_lineHeight = 16;
    int m_ascent = 12;
    QAction* m_copyAction = nullptr;
    QAction* m_appendAction = nullptr;
    QAction* m_selectAllAction = nullptr;
};

/// Fonts and metrics for drawing report lines: a fixed-pitch base font and
/// its bold, underlined and italic variants, all on one column grid.
struct ReportLineFonts {
    explicit ReportLineFonts(const QFont& base);
    const QFont& font(std::uint8_t flags) const { return variants[flags & 7]; }
    QFont variants[8];
};

/// Draws one line with its styles, one character per column of `charWidth`
/// from `x`, on `baseline`; columns [selectedFrom, selectedTo) are drawn
/// highlighted with `highlight` and `highlightedText`.
void drawReportLine(QPainter& painter, const vextal::LineText& line, const ReportLineFonts& fonts, qreal x,
                    qreal baseline, qreal charWidth, qreal lineHeight, int selectedFrom = 0, int selectedTo = 0,
                    const QColor& highlight = {}, const QColor& highlightedText = {});

/// The viewer's font: the system's fixed-pitch font at 10 points.
QFont reportFont();
