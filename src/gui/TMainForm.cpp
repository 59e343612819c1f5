#include "gui/TMainForm.h"

#include <QAction>
#include <QChildEvent>
#include <QEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTimer>

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Corvanta Vextal 32-bit"));
    resize(800, 560);

    m_stack = new QStackedWidget(this);

    m_emptyPanel = new QLabel(emptyPanelText(), m_stack);
    m_emptyPanel->setObjectName(QStringLiteral("emptyPanel"));
    m_emptyPanel->setAlignment(Qt::AlignCenter);
    m_emptyPanel->setWordWrap(true);
    m_emptyPanel->setMargin(24);

    m_mdiArea = new QMdiArea(m_stack);
    m_mdiArea->setObjectName(QStringLiteral("mdiArea"));
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    m_stack->addWidget(m_emptyPanel);
    m_stack->addWidget(m_mdiArea);
    setCentralWidget(m_stack);

    // QMdiArea has no "subwindow added/removed" signal, but every subwindow is
    // a child of its viewport, so the viewport's child events tell us.
    m_mdiArea->viewport()->installEventFilter(this);

    createMenus();
    updateCentralPanel();
}

QString TMainForm::emptyPanelText() {
    return QStringLiteral("No Vextal documents are open. Pull down the File menu and choose New or Open.");
}

bool TMainForm::isEmptyPanelShown() const { return m_stack->currentWidget() == m_emptyPanel; }

void TMainForm::updateCentralPanel() {
    // A subwindow closed without Qt::WA_DeleteOnClose is only hidden and stays
    // in the list; it no longer counts as an open document.
    bool anyOpen = false;
    for (const QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
        const bool explicitlyHidden = sub->isHidden() && sub->testAttribute(Qt::WA_WState_ExplicitShowHide);
        if (!explicitlyHidden) {
            anyOpen = true;
            break;
        }
    }
    m_stack->setCurrentWidget(anyOpen ? static_cast<QWidget*>(m_mdiArea) : m_emptyPanel);
}

void TMainForm::scheduleCentralPanelUpdate() {
    // The MDI area updates its own list of subwindows after our filter has
    // seen the event, so look once control is back in the event loop.
    QTimer::singleShot(0, this, [this] { updateCentralPanel(); });
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_mdiArea->viewport()) {
        if (event->type() == QEvent::ChildAdded) {
            if (auto* sub = qobject_cast<QMdiSubWindow*>(static_cast<QChildEvent*>(event)->child()))
                sub->installEventFilter(this);
            scheduleCentralPanelUpdate();
        } else if (event->type() == QEvent::ChildRemoved) {
            scheduleCentralPanelUpdate();
        }
    } else if (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent) {
        if (qobject_cast<QMdiSubWindow*>(watched))
            scheduleCentralPanelUpdate();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::createMenus() {
    QMenu* fileMenu = menuBar()->addMenu(tr("&File"));
    fileMenu->setObjectName(QStringLiteral("fileMenu"));

    QAction* exitAction = fileMenu->addAction(tr("E&xit"));
    exitAction->setObjectName(QStringLiteral("exitAction"));
    exitAction->setMenuRole(QAction::QuitRole);
    connect(exitAction, &QAction::triggered, this, &QWidget::close);
}
