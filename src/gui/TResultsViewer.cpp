#include "gui/TResultsViewer.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

using vextal::LineText;
using vextal::TextPosition;
using vextal::TextSelection;

namespace {

constexpr int LeftMargin = 4;
constexpr int TopMargin = 2;

QString fromStd(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QString joined(const std::vector<std::string>& lines) { return fromStd(vextal::JoinLines(lines, "\n")); }

}  // namespace

QFont reportFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSize(10);
    return font;
}

ReportLineFonts::ReportLineFonts(const QFont& base) {
    for (int flags = 0; flags < 8; ++flags) {
        QFont font = base;
        font.setBold((flags & vextal::StyleBold) != 0);
        font.setUnderline((flags & vextal::StyleUnderline) != 0);
        font.setItalic((flags & vextal::StyleItalic) != 0);
        variants[flags] = font;
    }
}

void drawReportLine(QPainter& painter, const LineText& line, const ReportLineFonts& fonts, qreal x, qreal baseline,
                    qreal charWidth, qreal lineHeight, int selectedFrom, int selectedTo, const QColor& highlight,
                    const QColor& highlightedText) {
    const QColor normalText = painter.pen().color();
    const qreal top = baseline - QFontMetricsF(fonts.font(0)).ascent();
    if (selectedTo > selectedFrom)
        painter.fillRect(QRectF(x + selectedFrom * charWidth, top, (selectedTo - selectedFrom) * charWidth, lineHeight),
                         highlight);
    // Characters sit on the column grid one by one, so that bold and italic
    // runs never shift the columns after them.
    const qreal left = 0;
    const qreal right = painter.device() != nullptr ? painter.device()->width() : 1e9;
    int currentFlags = -1;
    for (int column = 0; column < line.Length(); ++column) {
        const qreal cellX = x + column * charWidth;
        if (cellX + charWidth < left) continue;
        if (cellX > right) break;
        const char32_t code = line.Characters[static_cast<std::size_t>(column)];
        const int flags = line.Flags[static_cast<std::size_t>(column)];
        if (flags != currentFlags) {
            painter.setFont(fonts.font(static_cast<std::uint8_t>(flags)));
            currentFlags = flags;
        }
        const bool selected = column >= selectedFrom && column < selectedTo;
        painter.setPen(selected ? highlightedText : normalText);
        if (code != U' ' || (flags & vextal::StyleUnderline) != 0)
            painter.drawText(QPointF(cellX, baseline), QString::fromUcs4(&code, 1));
    }
    painter.setPen(normalText);
}

TResultsViewer::TResultsViewer(QWidget* parent) : QAbstractScrollArea(parent), m_font(reportFont()) {
    setObjectName(QStringLiteral("resultsViewer"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    QPalette colours = viewport()->palette();
    colours.setColor(QPalette::Base, Qt::white);
    colours.setColor(QPalette::Text, Qt::black);
    viewport()->setPalette(colours);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);

    const QFontMetrics metrics(m_font);
    m_charWidth = std::max(1, metrics.horizontalAdvance(QLatin1Char('0')));
    m_lineHeight = std::max(1, metrics.lineSpacing());
    m_ascent = metrics.ascent();

    // The shortcuts are shown in the popup menu; the keys themselves are
    // handled in keyPressEvent so that they do not clash with the main
    // window's Edit menu.
    m_copyAction = new QAction(QStringLiteral("&Copy"), this);
    m_copyAction->setShortcut(QKeySequence::Copy);
    m_copyAction->setShortcutContext(Qt::WidgetShortcut);
    connect(m_copyAction, &QAction::triggered, this, &TResultsViewer::copy);
    m_appendAction = new QAction(QStringLiteral("Append to Notes"), this);
    connect(m_appendAction, &QAction::triggered, this, &TResultsViewer::appendToNotesRequested);
    m_selectAllAction = new QAction(QStringLiteral("&Select All"), this);
    m_selectAllAction->setShortcut(QKeySequence::SelectAll);
    m_selectAllAction->setShortcutContext(Qt::WidgetShortcut);
    connect(m_selectAllAction, &QAction::triggered, this, &TResultsViewer::selectAll);
    updateScrollBars();
}

QSize TResultsViewer::sizeHint() const { return {m_charWidth * 80 + 2 * LeftMargin, m_lineHeight * 25}; }

void TResultsViewer::setReport(const std::string& withMarkers) {
    m_lines = vextal::ReportLines(withMarkers);
    m_selection = {};
    updateScrollBars();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    viewport()->update();
    emit selectionChanged();
}

QString TResultsViewer::plainText() const { return joined(m_lines.PlainLines()); }

QString TResultsViewer::selectedText() const { return joined(m_lines.SelectedLines(m_selection)); }

void TResultsViewer::setSelection(TextPosition anchor, TextPosition caret) {
    m_selection = {m_lines.Clamp(anchor), m_lines.Clamp(caret)};
    ensureCaretVisible();
    viewport()->update();
    emit selectionChanged();
}

void TResultsViewer::selectAll() {
    const TextSelection all = m_lines.All();
    setSelection(all.Anchor, all.Caret);
}

void TResultsViewer::clearSelection() { setSelection(m_selection.Caret, m_selection.Caret); }

void TResultsViewer::copy() {
    const QString text = hasSelection() ? selectedText() : plainText();
    QApplication::clipboard()->setText(text);
}

std::vector<std::string> TResultsViewer::linesForNotes() const {
    return hasSelection() ? m_lines.SelectedLines(m_selection) : m_lines.PlainLines();
}

QMenu* TResultsViewer::createPopupMenu(QWidget* parent) {
    auto* menu = new QMenu(parent);
    menu->addAction(m_copyAction);
    menu->addAction(m_appendAction);
    menu->addAction(m_selectAllAction);
    return menu;
}

int TResultsViewer::visibleLines() const { return std::max(1, (viewport()->height() - TopMargin) / m_lineHeight); }

int TResultsViewer::visibleColumns() const {
    return std::max(1, (viewport()->width() - 2 * LeftMargin) / m_charWidth);
}

void TResultsViewer::updateScrollBars() {
    verticalScrollBar()->setRange(0, std::max(0, m_lines.Count() - visibleLines()));
    verticalScrollBar()->setPageStep(visibleLines());
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, m_lines.LongestLine() + 1 - visibleColumns()));
    horizontalScrollBar()->setPageStep(visibleColumns());
    horizontalScrollBar()->setSingleStep(1);
}

TextPosition TResultsViewer::positionAt(const QPoint& point) const {
    TextPosition position;
    const int y = point.y() - TopMargin;
    position.Line = verticalScrollBar()->value() + (y < 0 ? -1 : y / m_lineHeight);
    const int x = point.x() - LeftMargin + m_charWidth / 2;
    position.Column = horizontalScrollBar()->value() + (x < 0 ? -1 : x / m_charWidth);
    return m_lines.Clamp(position);
}

QRect TResultsViewer::cellRect(TextPosition position) const {
    return {LeftMargin + (position.Column - horizontalScrollBar()->value()) * m_charWidth,
            TopMargin + (position.Line - verticalScrollBar()->value()) * m_lineHeight, m_charWidth, m_lineHeight};
}

void TResultsViewer::ensureCaretVisible() {
    const TextPosition caret = m_selection.Caret;
    QScrollBar* vertical = verticalScrollBar();
    if (caret.Line < vertical->value())
        vertical->setValue(caret.Line);
    else if (caret.Line >= vertical->value() + visibleLines())
        vertical->setValue(caret.Line - visibleLines() + 1);
    QScrollBar* horizontal = horizontalScrollBar();
    if (caret.Column < horizontal->value())
        horizontal->setValue(caret.Column);
    else if (caret.Column >= horizontal->value() + visibleColumns())
        horizontal->setValue(caret.Column - visibleColumns() + 1);
}

void TResultsViewer::moveCaret(TextPosition caret, bool extend) {
    caret = m_lines.Clamp(caret);
    setSelection(extend ? m_selection.Anchor : caret, caret);
}

void TResultsViewer::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.setPen(viewport()->palette().color(QPalette::Text));
    const ReportLineFonts fonts(m_font);
    const QColor highlight = palette().color(QPalette::Highlight);
    const QColor highlightedText = palette().color(QPalette::HighlightedText);
    const TextPosition start = m_selection.Start();
    const TextPosition end = m_selection.End();
    const int first = verticalScrollBar()->value();
    const qreal x = LeftMargin - horizontalScrollBar()->value() * m_charWidth;
    for (int index = first; index < m_lines.Count() && index <= first + visibleLines(); ++index) {
        const LineText& line = *m_lines.Line(index);
        int from = 0;
        int to = 0;
        if (!m_selection.IsEmpty() && index >= start.Line && index <= end.Line) {
            from = index == start.Line ? start.Column : 0;
            // A selection that goes on past the line end also covers its break.
            to = index == end.Line ? end.Column : line.Length() + 1;
        }
        const int baseline = TopMargin + (index - first) * m_lineHeight + m_ascent;
        drawReportLine(painter, line, fonts, x, baseline, m_charWidth, m_lineHeight, from, to, highlight,
                       highlightedText);
    }
    if (hasFocus() && m_lines.Count() > 0) {
        const QRect cell = cellRect(m_selection.Caret);
        painter.fillRect(QRect(cell.left(), cell.top(), 1, cell.height()), viewport()->palette().color(QPalette::Text));
    }
}

void TResultsViewer::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

bool TResultsViewer::event(QEvent* event) {
    // Copy and Select All keys belong to the viewer while it has the focus,
    // even where a menu of the window uses the same keys.
    if (event->type() == QEvent::ShortcutOverride) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll)) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TResultsViewer::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        return;
    }
    const bool extend = (event->modifiers() & Qt::ShiftModifier) != 0;
    const bool control = (event->modifiers() & Qt::ControlModifier) != 0;
    TextPosition caret = m_selection.Caret;
    const auto lineLength = [this](int index) {
        const LineText* line = m_lines.Line(index);
        return line ? line->Length() : 0;
    };
    switch (event->key()) {
    case Qt::Key_Left:
        if (caret.Column > 0)
            --caret.Column;
        else if (caret.Line > 0)
            caret = {caret.Line - 1, lineLength(caret.Line - 1)};
        break;
    case Qt::Key_Right:
        if (caret.Column < lineLength(caret.Line))
            ++caret.Column;
        else if (caret.Line + 1 < m_lines.Count())
            caret = {caret.Line + 1, 0};
        break;
    case Qt::Key_Up: --caret.Line; break;
    case Qt::Key_Down: ++caret.Line; break;
    case Qt::Key_PageUp: caret.Line -= visibleLines(); break;
    case Qt::Key_PageDown: caret.Line += visibleLines(); break;
    case Qt::Key_Home: caret = control ? TextPosition{0, 0} : TextPosition{caret.Line, 0}; break;
    case Qt::Key_End:
        caret = control ? TextPosition{m_lines.Count() - 1, lineLength(m_lines.Count() - 1)}
                        : TextPosition{caret.Line, lineLength(caret.Line)};
        break;
    default: QAbstractScrollArea::keyPressEvent(event); return;
    }
    moveCaret(caret, extend);
}

void TResultsViewer::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    if (event->button() != Qt::LeftButton) return;
    moveCaret(positionAt(event->position().toPoint()), (event->modifiers() & Qt::ShiftModifier) != 0);
}

void TResultsViewer::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) == 0) return;
    // Dragging past an edge scrolls the text along.
    const QPoint point = event->position().toPoint();
    TextPosition caret = positionAt(point);
    if (point.y() < 0) caret.Line = m_selection.Caret.Line - 1;
    if (point.y() > viewport()->height()) caret.Line = m_selection.Caret.Line + 1;
    moveCaret(caret, true);
}

void TResultsViewer::mouseReleaseEvent(QMouseEvent* event) { event->accept(); }

void TResultsViewer::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // A double click selects the word under the mouse.
    const TextPosition at = positionAt(event->position().toPoint());
    const LineText* line = m_lines.Line(at.Line);
    if (line == nullptr) return;
    const auto isWordCharacter = [line](int column) {
        if (column < 0 || column >= line->Length()) return false;
        const char32_t code = line->Characters[static_cast<std::size_t>(column)];
        return code != U' ' && code != U'\t';
    };
    int from = at.Column;
    int to = at.Column;
    if (!isWordCharacter(from) && isWordCharacter(from - 1)) --from, --to;
    while (isWordCharacter(from - 1)) --from;
    while (isWordCharacter(to)) ++to;
    setSelection({at.Line, from}, {at.Line, to});
}

void TResultsViewer::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createPopupMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
}

void TResultsViewer::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TResultsViewer::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
