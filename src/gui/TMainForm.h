// The frame window: owns the document area and the menus. Document windows
// live as subwindows of an MDI area; while none is open, a short hint takes
// the area's place so the empty frame tells the user what to do next.
#pragma once

#include <QMainWindow>

#include "data/io_error.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QStackedWidget;
class TAnalysisForm;

class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(QWidget* parent = nullptr);

    /// The area that holds the document windows.
    QMdiArea* mdiArea() const { return m_mdiArea; }

    /// True while the "no documents" hint is shown instead of the MDI area.
    bool isEmptyPanelShown() const;

    /// Text of the hint shown while no document window is open.
    static QString emptyPanelText();

    /// Re-checks the document windows and shows the hint or the MDI area.
    /// Runs by itself (from the event loop) whenever a subwindow is added,
    /// removed, shown or hidden; public so a caller can force it at once.
    void updateCentralPanel();

    /// File > New: a new raw-data document named DATASET<n>.VXD.
    TAnalysisForm* newDocument();
    /// Opens a document file in a new window; null when it was refused.
    TAnalysisForm* openDocument(const QString& fileName);
    /// The document window of the active subwindow, if any.
    TAnalysisForm* activeDocument() const;
    /// File > Save and Save As on the active document; true when written.
    bool saveActive(bool askName);

    /// The name of a new window: DATASET<n>.VXD with the smallest n not in use.
    QString nextDatasetName() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void scheduleCentralPanelUpdate();
    void addDocumentWindow(TAnalysisForm* form);
    void openFromDialog();
    vextal::MessageSink messageSink();

    QStackedWidget* m_stack = nullptr;
    QLabel* m_emptyPanel = nullptr;
    QMdiArea* m_mdiArea = nullptr;
};
