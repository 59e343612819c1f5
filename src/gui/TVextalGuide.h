// The guide window: a small modal window explaining the active step, one
// page per step, placed over the main window, with the "Keep showing"
// check box whose state the caller keeps (GuideShown).
#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;

class TVextalGuide : public QDialog {
    Q_OBJECT

public:
    /// Steps 0..5 (Start, Data Table, Column Stats, Choose Test, Results,
    /// Graph) have a page each.
    static constexpr int PageCount = 6;

    explicit TVextalGuide(QWidget* parent = nullptr);

    /// The page of a step ("First", "Data Table", ...); a step outside 0..5
    /// (no document open) gets the first page.
    static int pageFor(int step);
    static QString pageName(int step);
    /// The paragraphs of a step's page.
    static QStringList pageTexts(int step);
    /// The hint of the text pages.
    static QString textHint();

    /// Where the guide's top-left corner goes for a step, given the main
    /// window's frame and the guide's size: its top 75 pixels below the main
    /// window's top; on the first page centred on the main window, on every
    /// other page its right edge 15 pixels inside the main window's right edge.
    static QPoint placement(int step, const QRect& mainFrame, const QSize& guideSize);

    void setStep(int step);
    int page() const;
    /// Shows the step's page and moves the window beside `mainFrame`.
    void prepare(int step, const QRect& mainFrame);

    bool keepShowing() const;
    void setKeepShowing(bool keep);

    QCheckBox* keepShowingBox() const { return m_keep; }
    QPushButton* closeButton() const { return m_close; }
    /// The label showing the current page's text.
    QLabel* pageLabel() const;

    /// Shows the guide modally for `step` over `mainWindow` (or centred on
    /// the screen without one) and returns the check box's state when closed:
    /// the caller stores it as GuideShown.
    bool showForStep(int step, QWidget* mainWindow);

signals:
    /// The user checked or unchecked "Keep showing the Vextal Guide.".
    void keepShowingChanged(bool keep);

private:
    QStackedWidget* m_pages = nullptr;
    QCheckBox* m_keep = nullptr;
    QPushButton* m_close = nullptr;
};

/// ShowGuide: sets `guideShown`, opens the guide for `step` over
/// `mainWindow`, and leaves the check box's state in `guideShown`.
void ShowGuide(int step, QWidget* mainWindow, bool& guideShown);
