// The frame window: owns the document area and the menus. Document windows
// live as subwindows of an MDI area; while none is open, a short hint takes
// the area's place so the empty frame tells the user what to do next.
#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QStackedWidget;

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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMenus();
    void scheduleCentralPanelUpdate();

    QStackedWidget* m_stack = nullptr;
    QLabel* m_emptyPanel = nullptr;
    QMdiArea* m_mdiArea = nullptr;
};
